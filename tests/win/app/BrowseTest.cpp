// The two "浏览..." buttons: the folder browser fills the folder field and,
// cancelled, empties it; the open dialog fills the archive field and,
// cancelled, leaves it.
#include "AppFixture.h"

using namespace driver;

TEST_F(AppTest, BrowseButtonsFillTheFields) {
    temp.AddFiles("site", 1);
    temp.AddFile("site.dat.gz", "x");
    Start();

    Click(main, ids::kBrowseFolder);
    HWND browser = WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(FolderBrowserTitle(browser), Wide(texts::kAskFolderToPack));
    ASSERT_TRUE(ConfirmFolderBrowser(browser, temp.Join("site")));
    EXPECT_TRUE(WaitUntil([&] { return GetText(main, ids::kFolder) == temp.Join("site"); }));

    Click(main, ids::kBrowseFolder);
    browser = WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    CancelDialog(browser);
    EXPECT_TRUE(WaitUntil([&] { return GetText(main, ids::kFolder).empty(); }));

    Click(main, ids::kBrowseArchive);
    HWND open = process->WaitForFileDialog();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(AnsiText(SaveDialogNameEdit(open)), "*.gz");
    ConfirmSaveDialog(open, temp.Join("site.dat.gz"));
    EXPECT_TRUE(WaitUntil([&] { return GetText(main, ids::kArchive) == temp.Join("site.dat.gz"); }));

    Click(main, ids::kBrowseArchive);
    open = process->WaitForFileDialog();
    ASSERT_NE(open, nullptr);
    CancelDialog(open);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(open); }));
    EXPECT_EQ(GetText(main, ids::kArchive), temp.Join("site.dat.gz"));
}
