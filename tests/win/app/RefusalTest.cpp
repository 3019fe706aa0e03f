// The main window's refusals: each box owned by the main window, with the
// program's name as caption; the window stays open.
#include "AppFixture.h"

using namespace driver;

TEST_F(AppTest, RefusalsAndAFailedPackAreReportedByTheMainWindow) {
    temp.AddFolder("empty");
    Start();

    Click(main, ids::kCompress);
    EXPECT_TRUE(IsMainWindowError(AnswerBox(*process), main, texts::kNoFolderChosen));

    SetText(main, ids::kFolder, temp.Join("nowhere"));
    Click(main, ids::kCompress);
    EXPECT_TRUE(IsMainWindowError(AnswerBox(*process), main, texts::kFolderMissing));

    // A missing archive is noticed only after the destination is chosen.
    HWND browser = PressUnpack(temp.Join("missing.dat.gz"));
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(process->FindMessageBox(), nullptr);
    ChooseDestination(browser, temp.Path());
    EXPECT_TRUE(IsMainWindowError(AnswerBox(*process), main, texts::kArchiveMissing));

    // A folder without files cannot be packed: the worker fails.
    HWND save = PressCompress(temp.Join("empty"));
    ASSERT_NE(save, nullptr);
    ConfirmSaveDialog(save, temp.Join("empty.dat.gz"));
    EXPECT_TRUE(IsMainWindowError(AnswerWorkerBox(*process), main, texts::kOperationFailed));
    EXPECT_FALSE(process->HasExited());
    EXPECT_TRUE(::IsWindowVisible(main));
}
