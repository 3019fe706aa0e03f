// CTorvanApp: the application object. It runs the main window as a modal
// dialog and ends the program when that closes; there is no other loop.
#pragma once

#include "WinApp.h"

class CTorvanApp : public CWinApp {
public:
    CTorvanApp();

    // The folder the main window's folder browser preselects. Written just
    // before each browser opens, read by the browser's callback, which gets
    // no pointer of its own. Always terminated.
    char m_szInitialFolder[260];

    // Runs the main window with the argument string; FALSE ends the program.
    BOOL InitInstance() override;
};

// The program's application object (there is exactly one).
CTorvanApp& TheTorvanApp();
