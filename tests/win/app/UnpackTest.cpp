// Unpacking from the main window through the real folder browser, to each
// of the worker's three result texts, damaged archives included.
#include <zlib.h>

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

namespace {

// The archive with one byte of its last compressed data flipped such that
// zlib reads the stream as one that merely ends early: the flip that a
// check of the length alone would let through.
std::string FlippedToReadAsCutShort(const std::string& gz) {
    for (std::size_t back = 9; back < 40 && back < gz.size(); ++back) {
        for (int bit = 0; bit < 8; ++bit) {
            std::string flipped = gz;
            flipped[gz.size() - back] = static_cast<char>(flipped[gz.size() - back] ^ (1 << bit));
            z_stream stream = {};
            inflateInit2(&stream, 15 + 16);
            std::string out(1 << 20, '\0');
            stream.next_in = reinterpret_cast<Bytef*>(&flipped[0]);
            stream.avail_in = static_cast<uInt>(flipped.size());
            stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
            stream.avail_out = static_cast<uInt>(out.size());
            int status = Z_OK;
            while (status == Z_OK) status = inflate(&stream, Z_NO_FLUSH);
            inflateEnd(&stream);
            if (status == Z_BUF_ERROR) return flipped;
        }
    }
    return gz;
}

}  // namespace

// A download cut off in its checksum, and one with a byte flipped near its
// end: every file may be there, but none verified, so the worker never says
// "解压成功!".
TEST_F(AppTest, ADamagedArchiveIsNeverASuccess) {
    temp.AddFiles("site", 12);
    const std::string gz = ReadWholeFile(MakeArchive(temp.Join("site"), temp.Join("site.dat.gz")));
    temp.AddFile("cut.dat.gz", gz.substr(0, gz.size() - 4));
    const std::string flipped = FlippedToReadAsCutShort(gz);
    ASSERT_NE(flipped, gz) << "no flip of the last bytes reads as cut short";
    temp.AddFile("flipped.dat.gz", flipped);
    for (const char* folder : {"cut", "flipped"}) temp.AddFolder(folder);
    Start();

    ChooseDestination(PressUnpack(temp.Join("cut.dat.gz")), temp.Join("cut"));
    EXPECT_EQ(AnswerWorkerBox(*process).text,
              Wide("有错误! 发现 1 个文件不能正常解压，\n可能该文件已经存在(并具有只读的属性)，请将目标文件夹清空后，再行解压\n\n"
                   "正确解压文件: 11 个文件解压到 \"") +
                  WideFromAnsi(temp.Join("cut")) + Wide("\" 目录下!"));

    ChooseDestination(PressUnpack(temp.Join("flipped.dat.gz")), temp.Join("flipped"));
    const std::wstring text = AnswerWorkerBox(*process).text;
    EXPECT_EQ(text.rfind(Wide("有错误! 发现 "), 0), 0u) << "not the partial warning";
}
