// Starting Torvan.exe from the DLL's own folder on one selected path: the
// launch both menu classes share, so both refuse the same things.
#pragma once

#include <windows.h>

// True for the first byte of a double-byte character of the system's code page.
bool IsAnsiLeadByte(unsigned char byte);

// Runs "<DLL folder>\Torvan.exe" "<path>". E_FAIL, launching nothing, for
// an empty path, an unreadable module path or a command that would not fit
// whole; otherwise what WinExec said.
HRESULT LaunchTorvan(const char* selectedPath);
