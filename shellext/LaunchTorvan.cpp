#include "LaunchTorvan.h"

#include <string>

#include "AnsiLeadByte.h"
#include "LaunchCommand.h"
#include "Text.h"

namespace {

// WinExec's result: above 31 when the program started.
HRESULT FromWinExec(UINT result) {
    if (result > 31) return S_OK;
    return result == 0 ? E_OUTOFMEMORY : HRESULT_FROM_WIN32(result);
}

// The short (8.3) spelling of a local path of any length, or the path
// itself where the volume keeps no short names.
std::string ShortSpelling(const std::string& path) {
    const std::wstring prefix = L"\\\\?\\";  // lifts MAX_PATH for the lookup
    std::wstring wide = prefix + WideFromAnsi(path);
    DWORD size = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (size == 0) return path;
    std::wstring shortPath(size, L'\0');
    DWORD length = ::GetShortPathNameW(wide.c_str(), &shortPath[0], size);
    if (length == 0 || length >= size || shortPath.compare(0, prefix.size(), prefix) != 0) return path;
    shortPath = shortPath.substr(prefix.size(), length - prefix.size());
    char ansi[torvan::kMaxModulePathBytes + 1] = {};
    BOOL lost = FALSE;
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, shortPath.c_str(), -1, ansi, sizeof ansi, nullptr, &lost);
    return (bytes > 0 && !lost) ? std::string(ansi) : path;
}

}  // namespace

HRESULT LaunchTorvan(HINSTANCE module, const char* selectedPath) {
    // A cut path names another folder; a path that fills the buffer is cut.
    char moduleFileName[torvan::kMaxModulePathBytes + 1] = {};
    DWORD length = ::GetModuleFileNameA(module, moduleFileName, sizeof moduleFileName);
    if (length == 0 || length >= sizeof moduleFileName) return E_FAIL;
    // The system starts no program from a path past MAX_PATH: in so deep a
    // folder the short spelling names the same Torvan.exe.
    std::string dll = moduleFileName;
    if (!torvan::ProgramPathStartable(dll, IsAnsiLeadByte) && dll.compare(0, 2, "\\\\") != 0)
        dll = ShortSpelling(dll);
    std::string command;
    if (!torvan::FormatLaunchCommand(dll, selectedPath, IsAnsiLeadByte, command)) return E_FAIL;
    return FromWinExec(::WinExec(command.c_str(), SW_SHOW));
}
