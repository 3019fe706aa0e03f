// Unpacking from the main window through the real folder browser, to each
// of the worker's three result texts.
#include "AppFixture.h"

using namespace driver;

TEST_F(AppTest, UnpackReportsSuccessFailureAndAPartialResult) {
    temp.AddFiles("site", 12);
    std::string archive = MakeArchive(temp.Join("site"), temp.Join("site.dat.gz"));
    temp.AddFile("junk.dat", "this is not an archive at all");
    for (const char* folder : {"good", "bad", "partial", "partial\\site", "partial\\site\\file3.txt"})
        temp.AddFolder(folder);
    Start();

    ChooseDestination(PressUnpack(archive), temp.Join("good"));
    ExpectUnpackSucceeded(AnswerWorkerBox(*process), 12, temp.Join("good"));
    EXPECT_EQ(ReadWholeFile(temp.Join("good\\site\\file11.txt")), "content of file 11\n");

    ChooseDestination(PressUnpack(temp.Join("junk.dat")), temp.Join("bad"));
    BoxReading failed = AnswerWorkerBox(*process);
    EXPECT_EQ(failed.text, Wide(texts::kUnpackFailed));

    // A folder stands where one file should go.
    ChooseDestination(PressUnpack(archive), temp.Join("partial"));
    BoxReading partial = AnswerWorkerBox(*process);
    EXPECT_EQ(partial.text,
              Wide("有错误! 发现 1 个文件不能正常解压，\n可能该文件已经存在(并具有只读的属性)，请将目标文件夹清空后，再行解压\n\n"
                   "正确解压文件: 11 个文件解压到 \"") +
                  WideFromAnsi(temp.Join("partial")) + Wide("\" 目录下!"));
    EXPECT_FALSE(process->HasExited());
}
