// Packing from the main window: the save dialog's suggestion follows the
// gzip option, and the archive has exactly the engine's bytes.
#include "AppFixture.h"

#include "ArchiveWriter.h"

using namespace driver;

TEST_F(AppTest, TypedFolderPacksThroughTheSaveDialogIntoTheEnginesBytes) {
    temp.AddFiles("site", 12);
    Start();
    HWND save = PressCompress(temp.Join("site"));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(SuggestedName(save), "site.dat.gz");
    std::string archive = temp.Join("packed.dat.gz");
    ConfirmSaveDialog(save, archive);
    ExpectPackSucceeded(AnswerWorkerBox(*process), 12, archive);
    std::string reference = MakeArchive(temp.Join("site"), temp.Join("reference.dat.gz"));
    EXPECT_EQ(ReadWholeFile(archive), ReadWholeFile(reference));

    // Without gzip the suggestion is a plain archive; cancelling only
    // closes the dialog outside command-line mode.
    Click(main, ids::kGzip);
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(::GetDlgItem(main, ids::kGzip), BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    save = PressCompress(temp.Join("site"));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(SuggestedName(save), "site.dat");
    CancelDialog(save);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(save); }));
    EXPECT_FALSE(process->HasExited());
    EXPECT_EQ(process->FindMessageBox(), nullptr);
}
