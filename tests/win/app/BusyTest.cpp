// While an operation runs, a second one is refused before any dialog
// opens. The pack is made big enough to be still running when the harness
// sees its progress window; the screenshot shows that window over the main
// window.
#include "AppFixture.h"

#include "Screenshot.h"

using namespace driver;

TEST_F(AppTest, SecondOperationIsRefusedWhileOneRuns) {
    temp.AddRandomFiles("big", 6, 40u << 20);
    temp.AddFile("other.dat.gz", "x");
    Start();
    HWND save = PressCompress(temp.Join("big"));
    ASSERT_NE(save, nullptr);
    ConfirmSaveDialog(save, temp.Join("big.dat.gz"));
    HWND progress = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (progress = process->FindProgressWindow()) != nullptr; }));
    EXPECT_EQ(::GetWindow(progress, GW_OWNER), main);
    testing_win::SaveWindowScreenshot(main, "main-with-progress");

    Click(main, ids::kCompress);
    EXPECT_TRUE(IsMainWindowError(AnswerBox(*process), main, texts::kOperationRunning));
    SetText(main, ids::kArchive, temp.Join("other.dat.gz"));
    Click(main, ids::kUnpack);
    EXPECT_TRUE(IsMainWindowError(AnswerBox(*process), main, texts::kOperationRunning));
    // Refused, not queued: no save dialog and no browser came up, and the
    // first operation was still running all along.
    EXPECT_TRUE(::IsWindow(progress));
    EXPECT_EQ(process->WaitForDialog(Wide(texts::kSaveTitle), 0), nullptr);
    EXPECT_EQ(process->WaitForFolderBrowser(0), nullptr);

    ExpectPackSucceeded(AnswerWorkerBox(*process), 6, temp.Join("big.dat.gz"));
    // Once it has ended, packing is possible again.
    save = PressCompress(temp.Join("big"));
    ASSERT_NE(save, nullptr);
    CancelDialog(save);
}
