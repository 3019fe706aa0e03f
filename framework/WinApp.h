// CWinApp: the one application object. The program defines a global
// instance; the entry point (AfxWinMain) gives it the command line and
// calls its start hook, InitInstance. A dialog program runs its main dialog
// inside InitInstance and returns FALSE, so the program ends with it.
#pragma once

#include <string>

#include "WinThread.h"

class CWinApp : public CWinThread {
public:
    CWinApp();
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    // The raw argument string after the program's name, as Windows passes it.
    std::string m_lpCmdLine;
    int m_nCmdShow = SW_SHOWNORMAL;
};

// The application object, or null before it is constructed.
CWinApp* AfxGetApp();

// The program's main window: the calling thread's, else the application's.
CWnd* AfxGetMainWnd();

// Runs the application object: common controls, command line, InitInstance,
// then the message loop if InitInstance asked for one. Called from WinMain.
int AfxWinMain(HINSTANCE instance, const char* cmdLine, int cmdShow);
