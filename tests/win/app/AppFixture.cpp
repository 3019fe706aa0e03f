#include "AppFixture.h"

#include "ArchiveWriter.h"

using namespace driver;

::testing::AssertionResult IsMainWindowError(const BoxReading& box, HWND mainWindow, const char* utf8Text) {
    if (box.text != Wide(utf8Text)) return ::testing::AssertionFailure() << "text differs";
    if (box.owner != mainWindow) return ::testing::AssertionFailure() << "not owned by the main window";
    if (box.caption != L"Torvan") return ::testing::AssertionFailure() << "caption is not the program's name";
    return ::testing::AssertionSuccess();
}

void AppTest::Start(const std::string& arguments, const std::string& folder) {
    process = std::make_unique<TorvanProcess>(arguments, folder);
    ASSERT_TRUE(process->Started()) << TorvanExePath();
    main = process->MainWindow();
    ASSERT_NE(main, nullptr);
}

void AppTest::Launch(const std::string& arguments, const std::string& folder) {
    process = std::make_unique<TorvanProcess>(arguments, folder);
    ASSERT_TRUE(process->Started()) << TorvanExePath();
}

std::string AppTest::MakeArchive(const std::string& folder, const std::string& archive, bool gzip) {
    torvan::PackJob job;
    job.folder = folder;
    job.archive = archive;
    job.gzip = gzip;
    EXPECT_TRUE(torvan::Pack(job, [](int) {}));
    return archive;
}

void AppTest::ChooseDestination(HWND browser, const std::string& destination) {
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(FolderBrowserTitle(browser), Wide(texts::kAskDestination));
    ASSERT_TRUE(ConfirmFolderBrowser(browser, destination)) << destination;
}

void AppTest::ExpectUnpackSucceeded(const BoxReading& box, int files, const std::string& destination) {
    EXPECT_EQ(box.text, Wide("解压成功! 成功将 " + std::to_string(files) + " 个文件解压到 \"") +
                            WideFromAnsi(destination) + Wide("\" 目录下!"));
}

HWND AppTest::WaitForSaveDialog() { return process->WaitForDialog(Wide(texts::kSaveTitle)); }

HWND AppTest::WaitForFolderBrowser() { return process->WaitForFolderBrowser(); }

HWND AppTest::PressCompress(const std::string& folder) {
    SetText(main, ids::kFolder, folder);
    Click(main, ids::kCompress);
    return WaitForSaveDialog();
}

HWND AppTest::PressUnpack(const std::string& archive) {
    SetText(main, ids::kArchive, archive);
    Click(main, ids::kUnpack);
    return WaitForFolderBrowser();
}

std::string AppTest::SuggestedName(HWND saveDialog) {
    return AnsiText(SaveDialogNameEdit(saveDialog));
}

void AppTest::ExpectPackSucceeded(const BoxReading& box, int files, const std::string& archive) {
    EXPECT_EQ(box.text, Wide("恭喜，成功将 " + std::to_string(files) + " 个文件压缩成 \"") + WideFromAnsi(archive) +
                            Wide("\" 文件！"));
}
