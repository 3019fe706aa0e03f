// --names gbk: UTF-8 names on this side, GBK bytes in the archive.
#include <gtest/gtest.h>

#include "ArchiveBytes.h"
#include "TempTree.h"
#include "ToolRunner.h"

using namespace torvan::test;

namespace {

const std::string kUtf8 = "\xE5\x85\xB3\xE4\xBA\x8E";   // 关于
const std::string kGbk = "\xB9\xD8\xD3\xDA";

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(Names, GbkPacksUtf8NamesAsGbkBytesAndRawKeepsThem)
{
    TempTree t;
    WriteFile(t / ("site/" + kUtf8 + "/" + kUtf8 + ".txt"), "about");

    ASSERT_EQ(RunTool({"pack", "--plain", "--names", "gbk", t / "site", "-o", t / "gbk.dat"}).exitCode, 0);
    std::string gbk = ReadFile(t / "gbk.dat");
    EXPECT_TRUE(Contains(gbk, "./site/" + kGbk + "/" + kGbk + ".txt|5\n")) << gbk;
    EXPECT_FALSE(Contains(gbk, kUtf8));

    ASSERT_EQ(RunTool({"pack", "--plain", t / "site", "-o", t / "raw.dat"}).exitCode, 0);
    EXPECT_TRUE(Contains(ReadFile(t / "raw.dat"), "./site/" + kUtf8 + "/" + kUtf8 + ".txt|5\n"));

    RunResult list = RunTool({"list", "--names", "gbk", t / "gbk.dat"});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_TRUE(Contains(list.out, "./site/" + kUtf8 + "/" + kUtf8 + ".txt")) << list.out;
}

TEST(Names, GbkArchiveUnpacksToReadableNamesByDefaultAndRawKeepsBytes)
{
    TempTree t;
    WriteFile(t / "win.dat.gz",
              Gzip(PlainArchive(1, "./site|[dir]\n./site/" + kGbk + ".txt|5\n./site|[/dir]\n", "about")));
    MakeFolders(t / "utf8");
    MakeFolders(t / "raw");

    RunResult r = RunTool({"unpack", t / "win.dat.gz", "-C", t / "utf8"});
    EXPECT_EQ(r.LastLine(), "extracted 1, failed 0") << r.err;
    EXPECT_EQ(ReadFile(t / ("utf8/site/" + kUtf8 + ".txt")), "about");

    r = RunTool({"unpack", "--names", "raw", t / "win.dat.gz", "-C", t / "raw"});
    EXPECT_EQ(r.LastLine(), "extracted 1, failed 0") << r.err;
    EXPECT_EQ(ReadFile(t / ("raw/site/" + kGbk + ".txt")), "about");

    // test says what it found; list shows the names as they land.
    r = RunTool({"test", t / "win.dat.gz"});
    EXPECT_NE(r.out.find("names: GBK\nok:"), std::string::npos) << r.out;
    r = RunTool({"list", t / "win.dat.gz"});
    EXPECT_TRUE(Contains(r.out, "./site/" + kUtf8 + ".txt")) << r.out;

    // Neither reading holds: the bytes are kept, and both say so.
    WriteFile(t / "odd.dat", PlainArchive(1, "./s|[dir]\n./s/\xFF.txt|1\n./s|[/dir]\n", "z"));
    r = RunTool({"test", t / "odd.dat"});
    EXPECT_TRUE(Contains(r.out, "names: neither UTF-8 nor GBK")) << r.out;
    EXPECT_TRUE(Contains(r.err, "bytes are kept")) << r.err;
}

TEST(Names, UntranslatableNamesAreErrorsThatNameTheFile)
{
    TempTree t;
    // A file whose name is GBK bytes on disk is not UTF-8: no GBK form.
    WriteFile(t / ("site/" + kGbk + ".txt"), "x");
    WriteFile(t / "site/fine.txt", "y");
    WriteFile(t / "site.dat.gz", "old");
    RunResult r = RunTool({"pack", "--names", "gbk", t / "site"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, t / ("site/" + kGbk + ".txt"))) << r.err;
    EXPECT_EQ(ReadFile(t / "site.dat.gz"), "old");

    // An archive name that is not GBK fails alone; the others unpack.
    MakeFolders(t / "out");
    WriteFile(t / "odd.dat", PlainArchive(2, "./s|[dir]\n./s/\xFF\xFF.txt|1\n./s/ok|2\n./s|[/dir]\n", "zok"));
    r = RunTool({"unpack", "--names", "gbk", t / "odd.dat", "-C", t / "out"});
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_EQ(r.LastLine(), "extracted 1, failed 1");
    EXPECT_EQ(ReadFile(t / "out/s/ok"), "ok");
    EXPECT_TRUE(Contains(r.err, "./s/\xFF\xFF.txt")) << r.err;
}
