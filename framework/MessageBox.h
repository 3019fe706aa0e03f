// Message boxes. A window's box carries the program's name as caption; a
// worker's box has no caption of its own (the system's default) and belongs
// to whatever window is in the foreground when it appears.
#pragma once

#include <windows.h>

#include <string>

// The executable's base name without its extension, e.g. "Torvan".
std::wstring ProgramName();

// A box owned by `owner`; a null caption means the program's name.
int ShowOwnedMessageBox(HWND owner, const char* utf8Text, const char* utf8Caption, UINT type);

// A worker thread's box: owned by the foreground window, system caption.
int ShowWorkerMessageBox(const char* utf8Text, UINT type);
