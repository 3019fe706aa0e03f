#include <gtest/gtest.h>

#include "ArchiveBytes.h"
#include "TempTree.h"
#include "ToolRunner.h"

using namespace torvan::test;

namespace {

const std::string kManifest =
    "./site|[dir]\n./site/a.txt|5\n./site/img|[dir]\n./site/img/b.gif|3\n./site/img|[/dir]\n./site|[/dir]\n";

}  // namespace

TEST(List, ShowsEntriesSizesAndFoldersOfPlainAndGzipArchives)
{
    TempTree t;
    std::string plain = PlainArchive(2, kManifest, "helloxyz");
    ASSERT_EQ(plain.size(), 136u);   // the format's worked example
    WriteFile(t / "site.dat", plain);
    WriteFile(t / "site.dat.gz", Gzip(plain));

    const std::string expected =
        "              ./site/\n"
        "           5  ./site/a.txt\n"
        "              ./site/img/\n"
        "           3  ./site/img/b.gif\n"
        "2 files, 2 folders, 8 bytes\n";
    for (const char* name : {"site.dat", "site.dat.gz"}) {
        RunOptions in;
        in.workingDirectory = t.Path();
        RunResult r = RunTool({"list", t / name}, in);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, expected) << name;
    }
    // Listing unpacks nothing.
    EXPECT_EQ(Snapshot(t.Path()).size(), 2u);
}

TEST(List, RefusesWhatIsNotAnArchive)
{
    TempTree t;
    WriteFile(t / "notes.txt", "meeting at ten\n");
    WriteFile(t / "empty.dat", "");
    WriteFile(t / "zero.dat", PlainArchive(0, kManifest, "helloxyz"));
    // Deflate data whose first block header is invalid.
    std::string broken = Gzip(PlainArchive(2, kManifest, "helloxyz"));
    broken[10] = '\xff';
    WriteFile(t / "broken.gz", broken);
    WriteFile(t / "text.gz", Gzip("<html>not an archive</html>"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"notes.txt", "not an archive"}, {"empty.dat", "empty file"}, {"zero.dat", "not an archive"},
        {"broken.gz", "corrupt compressed data"}, {"text.gz", "not an archive"},
        {"missing.dat", "no such archive"}};
    for (const auto& [name, why] : cases) {
        RunResult r = RunTool({"list", t / name});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_NE(r.err.find(t / name + ": " + why), std::string::npos) << name << ": " << r.err;
        EXPECT_EQ(r.out, "") << name;
    }
    RunResult r = RunTool({"list", t.Path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("not a file"), std::string::npos) << r.err;
}
