// Torvan.exe's entry point and its one application object.
#include <windows.h>

#include "CommandLine.h"
#include "TorvanApp.h"

static CTorvanApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int cmdShow) {
    // The argument string is taken from the full command line here rather
    // than from the C runtime, so one rule decides what the path is.
    std::string arguments = torvan::ArgumentTail(::GetCommandLineA());
    return AfxWinMain(instance, arguments.c_str(), cmdShow);
}
