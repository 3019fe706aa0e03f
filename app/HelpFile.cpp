#include "HelpFile.h"

#include <shellapi.h>

#include <vector>

namespace {

// The copy is named like a fresh system temporary file with ".chm" added.
// An older copy left in the folder may already have that name; the next
// temporary name is tried then, a few times.
bool MakeHelpFileName(std::string& name) {
    char folder[MAX_PATH] = {};
    DWORD length = ::GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return false;
    std::vector<std::string> skipped;  // kept until the end, so no number comes back
    bool made = false;
    for (int attempt = 0; attempt < 8 && !made; ++attempt) {
        char temp[MAX_PATH] = {};
        if (!::GetTempFileNameA(folder, "Torvan", 0, temp)) break;
        std::string chm = std::string(temp) + ".chm";
        if (::MoveFileA(temp, chm.c_str())) {
            name = chm;
            made = true;
        } else {
            skipped.push_back(temp);
        }
    }
    for (const std::string& file : skipped) ::DeleteFileA(file.c_str());
    return made;
}

bool WriteHelpResource(const std::string& path) {
    HMODULE self = ::GetModuleHandleA(nullptr);
    HRSRC resource = ::FindResourceA(self, "IDR_HELP_CHM", "chm");
    if (!resource) return false;
    DWORD size = ::SizeofResource(self, resource);
    HGLOBAL loaded = ::LoadResource(self, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return false;

    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = ::WriteFile(file, bytes, size, &written, nullptr) && written == size;
    return ::CloseHandle(file) && ok;
}

bool ExtractHelp(std::string& helpFile) {
    std::string name;
    if (!MakeHelpFileName(name)) return false;  // no temporary file: nothing to clean up
    if (!WriteHelpResource(name)) {
        // Never leave an empty or partial copy to be opened next time.
        ::DeleteFileA(name.c_str());
        return false;
    }
    helpFile = name;
    return true;
}

}  // namespace

void ShowHelp(HWND owner, std::string& helpFile) {
    try {
        if (helpFile.empty() || ::GetFileAttributesA(helpFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
            helpFile.clear();
            if (!ExtractHelp(helpFile)) return;
        }
        ::ShellExecuteA(owner, "OPEN", helpFile.c_str(), nullptr, nullptr, SW_SHOW);
    } catch (...) {
        // Out of memory for a file name: the help simply does not open.
        helpFile.clear();
    }
}
