// The application object as the program starts it: common controls ready,
// command line handed over untouched, the start hook running on the main
// thread, whose thread object is the application.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "TestApp.h"

TEST(WinApp, StartHookRunsOnceWithTheRawCommandLine) {
    auto* app = static_cast<TestApp*>(AfxGetApp());
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->startHookCalls, 1);
    EXPECT_EQ(app->m_lpCmdLine, kTestCommandLine);  // quotes and all
    EXPECT_EQ(app->m_hInstance, ::GetModuleHandleW(nullptr));
    EXPECT_EQ(AfxGetThread(), app);

    // The progress bar's class exists, so dialog templates can use it.
    WNDCLASSEXW info = {sizeof(info)};
    EXPECT_TRUE(::GetClassInfoExW(nullptr, PROGRESS_CLASSW, &info));
}
