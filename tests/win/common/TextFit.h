// Whether every static text, button and check box of a dialog shows its
// whole text. Two measures, because the test machine's fonts are not the
// user's:
// - as drawn here: each text measured with the control's own font against
//   the room the control leaves it (word-wrapped for statics, one line for
//   buttons and check boxes; a bitmap button leaves what its image leaves,
//   a check box what its box leaves);
// - as Windows lays it out: on the template's own dialog units, where a
//   Chinese character takes a full em from the fallback font (12 pixels at
//   9 points) and a dialog unit is a quarter of the face's average
//   character width there (7 pixels for Verdana at 9 points, 96 DPI).
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace testing_win {

// The bitmap buttons of a dialog: control id -> the image's bitmap resource.
using ButtonImages = std::map<int, UINT>;

// `dialog` is the live window built from template `templateId` of `module`.
// Returns one line per text that does not show whole, naming the control,
// its text and what it needs against what it has; empty when all fit.
std::vector<std::string> CutTexts(HWND dialog, HMODULE module, UINT templateId,
                                  const ButtonImages& images = {});

}  // namespace testing_win
