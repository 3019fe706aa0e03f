// The system's folder browser, ANSI, as the program's paths are.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

// Shows the browser over `owner` with `utf8Title` above the tree and returns
// the chosen folder's file-system path; "" when the user cancels, picks
// something that is not a file-system folder, or the shell's allocator is
// not to be had. `callback` (may be null) gets `data`, e.g. to preselect.
std::string ShowFolderBrowser(HWND owner, const std::string& utf8Title, UINT flags, BFFCALLBACK callback,
                              LPARAM data);
