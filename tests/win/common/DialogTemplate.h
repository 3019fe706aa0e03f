// A dialog template read back from the module that holds it, as the
// resource compiler wrote it: the dialog's font and size, and each control's
// class, style, id, place and text, in dialog units and in template order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_win {

struct TemplateControl {
    std::wstring className;  // "Button", "Static", ... for the predefined classes
    DWORD style = 0;
    int id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::wstring text;  // empty when the template names a resource by number
};

struct DialogTemplate {
    std::wstring face;
    int points = 0;
    int cx = 0, cy = 0;
    std::vector<TemplateControl> controls;
};

// False when `module` holds no extended template `id`, or a damaged one.
bool ReadDialogTemplate(HMODULE module, UINT id, DialogTemplate& out);

}  // namespace testing_win
