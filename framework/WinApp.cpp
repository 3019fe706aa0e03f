#include "WinApp.h"

#include <commctrl.h>

static CWinApp* g_app = nullptr;

void SetCurrentThreadObject(CWinThread* thread);  // WinThread.cpp

CWinApp::CWinApp() {
    g_app = this;
    m_bAutoDelete = FALSE;  // a global object, never deleted by the framework
    // The main thread's own object is the application.
    SetCurrentThreadObject(this);
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() {
    CWinThread* thread = AfxGetThread();
    if (thread && thread->GetMainWnd()) return thread->GetMainWnd();
    return g_app ? g_app->m_pMainWnd : nullptr;
}

int AfxWinMain(HINSTANCE instance, const char* cmdLine, int cmdShow) {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = cmdLine ? cmdLine : "";
    app->m_nCmdShow = cmdShow;
    SetCurrentThreadObject(app);
    return app->InitInstance() ? app->Run() : app->ExitInstance();
}
