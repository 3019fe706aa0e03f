// The test program is itself a framework application: WinMain's part is
// played by main(), which hands over to AfxWinMain, and the whole test run
// happens inside the application's start hook, where Torvan runs its main
// dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include "TestApp.h"

static TestApp theApp;

BOOL TestApp::InitInstance() {
    ++startHookCalls;
    m_nResult = RUN_ALL_TESTS();
    return FALSE;  // no message loop: the program ends with the run
}

int TestApp::ExitInstance() {
    return m_nResult;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return AfxWinMain(::GetModuleHandleW(nullptr), kTestCommandLine, SW_SHOWNORMAL);
}
