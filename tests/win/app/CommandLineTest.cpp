// One path on the command line: a folder packs, anything else unpacks, and
// the program then ends by itself. Relative paths are taken from the
// current folder, before an unpack changes it.
#include "AppFixture.h"

using namespace driver;

TEST_F(AppTest, QuotedFolderPacksAndTheProgramEndsByItself) {
    temp.AddFiles("web site", 3);
    Launch("\"" + temp.Join("web site") + "\"");
    HWND save = WaitForSaveDialog();
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(SuggestedName(save), "web site.dat.gz");
    ConfirmSaveDialog(save, temp.Join("web site.dat.gz"));
    ExpectPackSucceeded(AnswerWorkerBox(*process), 3, temp.Join("web site.dat.gz"));
    EXPECT_TRUE(process->WaitForExit());
}

TEST_F(AppTest, UnquotedArchivePathWithABlankUnpacksAndTheProgramEnds) {
    temp.AddFiles("site", 2);
    temp.AddFolder("my files");
    temp.AddFolder("out");
    std::string archive = MakeArchive(temp.Join("site"), temp.Join("my files\\site.dat"), false);
    Launch(archive);
    ChooseDestination(WaitForFolderBrowser(), temp.Join("out"));
    ExpectUnpackSucceeded(AnswerWorkerBox(*process), 2, temp.Join("out"));
    EXPECT_TRUE(process->WaitForExit());
}

TEST_F(AppTest, CancellingTheSaveDialogOrTheBrowserEndsTheProgram) {
    temp.AddFiles("site", 1);
    Launch("\"" + temp.Join("site") + "\"");
    HWND save = WaitForSaveDialog();
    ASSERT_NE(save, nullptr);
    CancelDialog(save);
    EXPECT_TRUE(process->WaitForExit());

    temp.AddFile("site.dat.gz", "x");
    Launch(temp.Join("site.dat.gz"));
    HWND browser = WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    CancelDialog(browser);
    EXPECT_TRUE(process->WaitForExit());
}

TEST_F(AppTest, TwoQuotedPathsAreOneMissingFolderAndAHandPackStillEndsTheRun) {
    temp.AddFiles("site", 4);
    Launch("\"" + temp.Join("a") + "\" \"" + temp.Join("b") + "\"");
    HWND box = process->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    BoxReading refused = ReadBox(box);
    CloseBox(box);
    main = process->MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsMainWindowError(refused, main, texts::kFolderMissing));
    EXPECT_EQ(GetText(main, ids::kFolder), temp.Join("a") + "\" \"" + temp.Join("b"));

    HWND save = PressCompress(temp.Join("site"));
    ASSERT_NE(save, nullptr);
    ConfirmSaveDialog(save, temp.Join("site.dat.gz"));
    ExpectPackSucceeded(AnswerWorkerBox(*process), 4, temp.Join("site.dat.gz"));
    EXPECT_TRUE(process->WaitForExit());
}

TEST_F(AppTest, RelativeArchiveOnTheCommandLineIsFoundInTheCurrentFolder) {
    temp.AddFiles("site", 3);
    temp.AddFolder("out");
    MakeArchive(temp.Join("site"), temp.Join("site.dat.gz"));
    Launch("site.dat.gz", temp.Path());
    ChooseDestination(WaitForFolderBrowser(), temp.Join("out"));
    ExpectUnpackSucceeded(AnswerWorkerBox(*process), 3, temp.Join("out"));
    EXPECT_TRUE(process->WaitForExit());
    EXPECT_TRUE(FileExists(temp.Join("out\\site\\file2.txt")));
}

TEST_F(AppTest, RelativePathsInTheFieldsAreTakenFromTheCurrentFolder) {
    temp.AddFiles("site", 5);
    temp.AddFolder("out");
    Start("", temp.Path());
    HWND save = PressCompress("site");
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(SuggestedName(save), "site.dat.gz");
    EXPECT_EQ(GetText(main, ids::kFolder), temp.Join("site"));
    ConfirmSaveDialog(save, temp.Join("site.dat.gz"));
    ExpectPackSucceeded(AnswerWorkerBox(*process), 5, temp.Join("site.dat.gz"));

    ChooseDestination(PressUnpack("site.dat.gz"), temp.Join("out"));
    ExpectUnpackSucceeded(AnswerWorkerBox(*process), 5, temp.Join("out"));
    // The unpack made "out" current; the next relative name still means
    // what the field now shows.
    EXPECT_EQ(GetText(main, ids::kArchive), temp.Join("site.dat.gz"));
}

// A site packed on a Linux server (UTF-8, one name outside code page 936)
// and one packed on Chinese Windows (GBK) both land under their real names.
TEST_F(AppTest, UnpackFindsEachArchivesNameEncoding) {
    const std::string utf8Names = "./站点|[dir]\n./站点/图片|[dir]\n./站点/图片/한국.txt|2\n./站点/新闻.html|2\n"
                                  "./站点/图片|[/dir]\n./站点|[/dir]\n";
    const std::string gbkNames = "./\xd5\xbe\xb5\xe3|[dir]\n./\xd5\xbe\xb5\xe3/\xd0\xc2\xce\xc5.html|2\n"
                                 "./\xd5\xbe\xb5\xe3|[/dir]\n";
    for (const auto& [file, manifest] : {std::make_pair("linux.dat", utf8Names), std::make_pair("windows.dat", gbkNames)}) {
        char preamble[33];
        snprintf(preamble, sizeof preamble, "%016d%016d", 2, static_cast<int>(manifest.size()));
        temp.AddFile(file, preamble + manifest + "kone");
    }
    for (const char* name : {"linux.dat", "windows.dat"}) {
        const std::string out = temp.Join(std::string("out-") + name);
        temp.AddFolder(std::string("out-") + name);
        Launch(temp.Join(name));
        ChooseDestination(WaitForFolderBrowser(), out);
        const int files = std::string(name) == "linux.dat" ? 2 : 1;
        ExpectUnpackSucceeded(AnswerWorkerBox(*process), files, out);
        EXPECT_TRUE(process->WaitForExit());
        const std::wstring site = WideFromAnsi(out) + L"\\\x7ad9\x70b9";
        EXPECT_NE(GetFileAttributesW((site + L"\\\x65b0\x95fb.html").c_str()), INVALID_FILE_ATTRIBUTES) << name;
        if (files == 2)
            EXPECT_NE(GetFileAttributesW((site + L"\\\x56fe\x7247\\\xd55c\xad6d.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}
