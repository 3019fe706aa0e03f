// The system's save and open dialogs, ANSI, as the program's paths are.
#pragma once

#include <windows.h>

#include <string>

struct FileDialogOptions {
    std::string utf8Title;         // empty: the system's own title
    std::string fileName;          // suggested name (ANSI), at most 259 bytes kept
    std::string defaultExtension;  // appended to a name typed without one; no dot
    std::string filter;            // "text|pattern|...||": bars become separators
    std::string initialFolder;     // ANSI; empty: the system's choice
    DWORD flags = 0;               // OFN_* flags; the Explorer look is always on
};

// TRUE with the chosen full path when the user confirms; FALSE when the user
// cancels or the dialog cannot open.
BOOL ShowSaveFileDialog(HWND owner, const FileDialogOptions& options, std::string& path);
BOOL ShowOpenFileDialog(HWND owner, const FileDialogOptions& options, std::string& path);
