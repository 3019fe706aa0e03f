#include "FileDialog.h"

#include <commdlg.h>

#include "Text.h"

namespace {

// Before Windows 2000 the dialog knows only the shorter structure, without
// the places bar fields, and refuses a larger size.
DWORD StructureSize() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    BOOL known = ::GetVersionExA(&version);
#pragma GCC diagnostic pop
    return known && version.dwMajorVersion < 5 ? OPENFILENAME_SIZE_VERSION_400A : sizeof(OPENFILENAMEA);
}

std::string FilterWithSeparators(const std::string& filter) {
    std::string result = filter;
    for (char& c : result)
        if (c == '|') c = '\0';
    return result;
}

BOOL Run(BOOL(WINAPI* dialog)(LPOPENFILENAMEA), HWND owner, const FileDialogOptions& options,
         std::string& path) {
    char file[MAX_PATH] = {};
    options.fileName.copy(file, MAX_PATH - 1);
    std::string filter = FilterWithSeparators(options.filter);
    std::string title = AnsiFromUtf8(options.utf8Title);

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = StructureSize();
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = options.initialFolder.empty() ? nullptr : options.initialFolder.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = options.flags | OFN_EXPLORER;
    ofn.lpstrDefExt = options.defaultExtension.empty() ? nullptr : options.defaultExtension.c_str();
    if (!dialog(&ofn)) return FALSE;
    path = file;
    return TRUE;
}

}  // namespace

BOOL ShowSaveFileDialog(HWND owner, const FileDialogOptions& options, std::string& path) {
    return Run(&::GetSaveFileNameA, owner, options, path);
}

BOOL ShowOpenFileDialog(HWND owner, const FileDialogOptions& options, std::string& path) {
    return Run(&::GetOpenFileNameA, owner, options, path);
}
