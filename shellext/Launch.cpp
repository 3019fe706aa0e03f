#include "Launch.h"

#include <string>

#include "Module.h"
#include "PackMenuRules.h"

bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

namespace {

// WinExec's result: above 31 when the program started.
HRESULT FromWinExec(UINT result) {
    if (result > 31) return S_OK;
    return result == 0 ? E_OUTOFMEMORY : HRESULT_FROM_WIN32(result);
}

}  // namespace

HRESULT LaunchTorvan(const char* selectedPath) {
    if (!selectedPath || !selectedPath[0]) return E_FAIL;  // nothing was selected
    char module[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(g_Module.Instance(), module, sizeof module);
    if (length == 0 || length >= sizeof module) return E_FAIL;
    std::string command;
    if (!torvan::FormatLaunchCommand(module, selectedPath, IsAnsiLeadByte, command)) return E_FAIL;
    return FromWinExec(::WinExec(command.c_str(), SW_SHOW));
}
