// CWinThread and AfxBeginThread: created suspended so fields can be written,
// started by a resume, reporting to the inherited main window, and deleting
// itself at the end.
#include <gtest/gtest.h>

#include "Harness.h"
#include "NotifyMainWindow.h"
#include "OperationProgress.h"
#include "WinApp.h"
#include "WinThread.h"
#include "WorkerLaunch.h"

namespace {

struct Observations {
    bool ranInitInstance = false;
    bool sawItselfAsCurrent = false;
    CWnd* mainWnd = nullptr;
    int fieldSeen = 0;
    bool exited = false;
    HANDLE deleted = nullptr;  // event set by the destructor
};

class ProbeThread : public CWinThread {
public:
    Observations* seen = nullptr;
    int m_nField = 0;
    bool notify = false;

    ~ProbeThread() override {
        if (seen && seen->deleted) ::SetEvent(seen->deleted);
    }
    BOOL InitInstance() override {
        seen->ranInitInstance = true;
        seen->sawItselfAsCurrent = AfxGetThread() == this;
        seen->mainWnd = GetMainWnd();
        seen->fieldSeen = m_nField;
        if (notify) NotifyMainWindow(torvan::OPN_PROGRESS, 7);
        return FALSE;
    }
    int ExitInstance() override {
        seen->exited = true;
        return 0;
    }
};

struct MainWindowScope {
    explicit MainWindowScope(CWnd* wnd) { AfxGetApp()->m_pMainWnd = wnd; }
    ~MainWindowScope() { AfxGetApp()->m_pMainWnd = nullptr; }
};

}  // namespace

TEST(WinThread, SuspendedThreadRunsItsJobAfterTheResumeAndDeletesItself) {
    harness::RecordingWindow mainWindow;
    MainWindowScope scope(&mainWindow);
    Observations seen;
    seen.deleted = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

    ProbeThread* thread = AfxBeginThread<ProbeThread>(0, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    ASSERT_NE(thread->m_hThread, nullptr);
    // Still held: nothing has run, so its fields can be written safely.
    EXPECT_EQ(::WaitForSingleObject(thread->m_hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    thread->seen = &seen;
    thread->m_nField = 1234;
    thread->m_bAutoDelete = TRUE;
    ResumeUntilRunning(thread->m_hThread);

    ASSERT_EQ(::WaitForSingleObject(seen.deleted, harness::kPatience), WAIT_OBJECT_0);
    ::CloseHandle(seen.deleted);
    EXPECT_TRUE(seen.ranInitInstance);
    EXPECT_TRUE(seen.sawItselfAsCurrent);
    EXPECT_EQ(seen.mainWnd, &mainWindow);  // inherited from the application
    EXPECT_EQ(seen.fieldSeen, 1234);
    EXPECT_TRUE(seen.exited);
}

TEST(WinThread, ResumeRuleCopesWithExtraSuspensions) {
    Observations seen;
    ProbeThread* thread = AfxBeginThread<ProbeThread>(0, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->seen = &seen;
    thread->m_bAutoDelete = FALSE;
    HANDLE handle = thread->m_hThread;
    ::SuspendThread(handle);
    ::SuspendThread(handle);  // held three times now
    ResumeUntilRunning(handle);
    ASSERT_EQ(::WaitForSingleObject(handle, harness::kPatience), WAIT_OBJECT_0);
    EXPECT_TRUE(seen.ranInitInstance);
    delete thread;
}

TEST(WinThread, ReportsToTheMainWindowHandleTakenWhenItWasCreated) {
    harness::RecordingWindow mainWindow;
    Observations seen;
    seen.deleted = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ProbeThread* thread = nullptr;
    {
        MainWindowScope scope(&mainWindow);
        thread = AfxBeginThread<ProbeThread>(0, 0, CREATE_SUSPENDED);
    }
    // The application has no main window any more when the thread runs;
    // the thread still reports to the one it was created under.
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(thread->m_hMainWnd, mainWindow.m_hWnd);
    thread->seen = &seen;
    thread->notify = true;
    thread->m_bAutoDelete = TRUE;
    ResumeUntilRunning(thread->m_hThread);
    ASSERT_TRUE(harness::PumpUntil([&] { return ::WaitForSingleObject(seen.deleted, 0) == WAIT_OBJECT_0; }));
    ::CloseHandle(seen.deleted);
    ASSERT_EQ(mainWindow.log.size(), 1u);
    EXPECT_EQ(mainWindow.log[0].code, torvan::OPN_PROGRESS);
    EXPECT_EQ(mainWindow.log[0].value, 7);
}
