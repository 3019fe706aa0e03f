// The user guide travels inside the program as a compiled HTML Help file.
// The first request of a run writes it to the temporary folder; every
// request opens that copy with the system's viewer.
#pragma once

#include <windows.h>

#include <string>

// Opens the help, extracting it first when `helpFile` (the main window's
// record of this run's copy) is empty or names a file that is gone. A
// failed extraction leaves no file behind and `helpFile` empty, so the next
// request tries again; nothing is shown for it.
void ShowHelp(HWND owner, std::string& helpFile);
