// What Explorer does with the context-menu handler of a folder, for the
// tests that follow the menu item from the registry to the program it starts.
#pragma once

#include <windows.h>

#include <string>

namespace explorer {

// The class of the handler, as the handler keys name it.
extern const CLSID kPackMenu;
extern const wchar_t kClsid[];
extern const wchar_t kClassServerKey[];  // under HKEY_CLASSES_ROOT

// The default value of HKEY_CLASSES_ROOT\path, or "" when there is none.
std::wstring DefaultValue(const wchar_t* path);

// Makes the handler, lets it see `ansiFolder` as a data object made by the
// shell, builds the menu and invokes the pack item; true when every call
// answered as it does in Explorer. COM must be initialised.
bool InvokePackItem(const std::string& ansiFolder);

// A visible top-level window with this title, of any process.
HWND FindTopLevel(const std::wstring& title);

}  // namespace explorer
