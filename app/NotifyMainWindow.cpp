#include "NotifyMainWindow.h"

#include <windows.h>

#include "MessageBox.h"
#include "OperationProgress.h"
#include "Text.h"
#include "WinThread.h"

void NotifyMainWindow(int code, int value) {
    // The handle, never the window object: the object lives on the
    // user-interface thread and may be gone while this worker still runs.
    CWinThread* thread = AfxGetThread();
    HWND target = thread ? thread->m_hMainWnd : nullptr;
    if (!target) return;
    ::SendMessageA(target, WM_OPERATION_PROGRESS, static_cast<WPARAM>(code), static_cast<LPARAM>(value));
}

static UINT IconStyle(torvan::ResultIcon icon) {
    switch (icon) {
    case torvan::ResultIcon::Information: return MB_ICONINFORMATION;
    case torvan::ResultIcon::Warning: return MB_ICONWARNING;
    case torvan::ResultIcon::Error: return MB_ICONERROR;
    }
    return MB_ICONERROR;
}

void MainWindowReport::Notify(int code, int value) {
    NotifyMainWindow(code, value);
}

void MainWindowReport::ShowResult(const torvan::ResultMessage& message) {
    ShowWorkerMessageBox(message.text.c_str(), IconStyle(message.icon));
}
