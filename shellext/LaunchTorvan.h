// Starting Torvan.exe from the DLL's own folder on a selected path.
#pragma once

#include <windows.h>

// Launches "<folder of module>\Torvan.exe" "<selectedPath>", shown
// normally. E_FAIL, launching nothing, when the module's path or the
// command cannot be had whole; otherwise what WinExec reports. May throw
// std::bad_alloc: callers run it through CallWithoutThrowing.
HRESULT LaunchTorvan(HINSTANCE module, const char* selectedPath);
