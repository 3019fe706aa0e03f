#include "WinThread.h"

#include <process.h>

#include "WinApp.h"
#include "Wnd.h"

// The calling thread's object, kept in thread-local storage.
static DWORD ThreadSlot() {
    static DWORD slot = ::TlsAlloc();
    return slot;
}

void SetCurrentThreadObject(CWinThread* thread) {
    ::TlsSetValue(ThreadSlot(), thread);
}

CWinThread* AfxGetThread() {
    return static_cast<CWinThread*>(::TlsGetValue(ThreadSlot()));
}

CWinThread::~CWinThread() {
    if (m_hThread) ::CloseHandle(m_hThread);
}

DWORD CWinThread::ResumeThread() {
    return ::ResumeThread(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD flags, UINT stackSize, LPSECURITY_ATTRIBUTES security) {
    if (m_hThread) return FALSE;
    ThreadSlot();  // allocate the slot before any second thread can race for it
    // Read the main window here, on the creator's thread, so the new thread
    // never reads what the user-interface thread may change or destroy.
    if (!m_pMainWnd) {
        CWinApp* app = AfxGetApp();
        if (app) m_pMainWnd = app->m_pMainWnd;
    }
    m_hMainWnd = CWnd::GetSafeHwnd(m_pMainWnd);
    unsigned id = 0;
    uintptr_t handle = ::_beginthreadex(security, stackSize, &CWinThread::ThreadEntry, this,
                                        flags & CREATE_SUSPENDED, &id);
    if (!handle) return FALSE;
    m_hThread = reinterpret_cast<HANDLE>(handle);
    m_nThreadID = id;
    return TRUE;
}

int CWinThread::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return ExitInstance();
}

unsigned __stdcall CWinThread::ThreadEntry(void* param) {
    CWinThread* thread = static_cast<CWinThread*>(param);
    SetCurrentThreadObject(thread);
    int exitCode = thread->InitInstance() ? thread->Run() : thread->ExitInstance();
    if (thread->m_bAutoDelete) delete thread;
    SetCurrentThreadObject(nullptr);
    return static_cast<unsigned>(exitCode);
}
