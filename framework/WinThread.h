// CWinThread: a thread with an object. The object is made first, its thread
// created suspended, so its creator can fill in the fields before anything
// runs; the thread then calls InitInstance, runs a message loop only when
// InitInstance says so, calls ExitInstance, and deletes the object when
// m_bAutoDelete is set.
#pragma once

#include <windows.h>

class CWnd;

class CWinThread {
public:
    CWinThread() = default;
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
    // The window this thread reports to; a created thread inherits the
    // application's main window unless its creator set another.
    CWnd* m_pMainWnd = nullptr;
    // That window's handle, taken on the creating thread when the thread is
    // created. A thread that outlives the window's object still holds a
    // handle that is merely invalid then, never a dangling object.
    HWND m_hMainWnd = nullptr;

    virtual CWnd* GetMainWnd() { return m_pMainWnd; }

    // TRUE runs the message loop (Run) afterwards; FALSE ends the thread.
    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }
    // The thread's message loop; returns ExitInstance's result.
    virtual int Run();

    // One ResumeThread on this thread's handle: the previous suspend count,
    // or (DWORD)-1 on failure.
    DWORD ResumeThread();

    // Creates the thread for this object; CREATE_SUSPENDED in `flags` keeps
    // it waiting for a resume.
    BOOL CreateThread(DWORD flags = 0, UINT stackSize = 0, LPSECURITY_ATTRIBUTES security = nullptr);

private:
    static unsigned __stdcall ThreadEntry(void* param);
};

// The CWinThread object of the calling thread (the application object on
// the main thread), or null for a thread the framework did not start.
CWinThread* AfxGetThread();

// Makes a T with its default constructor and starts its thread with the
// given priority, stack size and creation flags. Null on failure.
template <class T>
T* AfxBeginThread(int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0, DWORD flags = 0,
                  LPSECURITY_ATTRIBUTES security = nullptr) {
    T* thread = new T();
    if (!thread->CreateThread(flags | CREATE_SUSPENDED, stackSize, security)) {
        delete thread;
        return nullptr;
    }
    ::SetThreadPriority(thread->m_hThread, priority);
    if (!(flags & CREATE_SUSPENDED)) thread->ResumeThread();
    return thread;
}
