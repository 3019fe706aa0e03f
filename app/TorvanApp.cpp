#include "TorvanApp.h"

#include <cstring>

#include "MainDlg.h"

CTorvanApp::CTorvanApp() {
    std::memset(m_szInitialFolder, 0, sizeof m_szInitialFolder);
}

CTorvanApp& TheTorvanApp() {
    return *static_cast<CTorvanApp*>(AfxGetApp());
}

BOOL CTorvanApp::InitInstance() {
    // The framework's start-up has already readied the common controls;
    // nothing here hosts ActiveX controls.
    CMainDlg dialog;
    dialog.m_strCmdLine = m_lpCmdLine;
    // The progress window centres itself on the main window, and workers
    // take its handle when they are created.
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
