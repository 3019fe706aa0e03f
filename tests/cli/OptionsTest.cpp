// The options admins reach for on a server: leaving things out, seeing every
// problem of a pack at once, stripping the top folder, and checking an
// unpack over the folder it is meant for.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ArchiveBytes.h"
#include "TempTree.h"
#include "ToolRunner.h"

using namespace torvan::test;

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The names `list` shows, one a line, without sizes or the summary.
std::string Listed(const std::string& archive, std::vector<std::string> options = {})
{
    std::vector<std::string> args = {"list", archive};
    args.insert(args.end(), options.begin(), options.end());
    const RunResult r = RunTool(args);
    std::string names;
    std::size_t at = 0;
    while (at < r.out.size()) {
        const std::size_t end = r.out.find('\n', at);
        const std::string line = r.out.substr(at, end - at);
        // "%12s  %s": a size (or blanks for a folder), two spaces, the name.
        if (line.size() > 14 && line[12] == ' ' && line[13] == ' ') names += line.substr(14) + "\n";
        at = end == std::string::npos ? r.out.size() : end + 1;
    }
    return names;
}

}  // namespace

TEST(Options, ExcludedItemsAreLeftOutAndTheirFoldersNotWalked)
{
    TempTree t;
    WriteFile(t / "site/index.html", "hi");
    WriteFile(t / "site/.git/HEAD", "ref");
    WriteFile(t / "site/err.log", "log");
    WriteFile(t / "site/a/cache/tmp/t", "t");
    WriteFile(t / "site/a/cache/keep", "k");
    WriteFile(t / "site/cache/tmp2", "k2");
    // Would fail the pack if the folder were walked.
    ASSERT_EQ(mkfifo((t / "site/.git/pipe").c_str(), 0600), 0);
    WriteFile(t / "patterns", "cache/tmp\r\n\n*.log\n");

    const RunResult pack = RunTool({"pack", "-v", "--plain", t / "site", "--exclude", ".git",
                                    "--exclude-from", t / "patterns", "-o", t / "s.dat"});
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(pack.err, "");
    EXPECT_TRUE(Contains(pack.out, "packed 3 files")) << pack.out;
    EXPECT_EQ(ReadFile(t / "s.dat").substr(0, 16), "0000000000000003");
    const std::string names = Listed(t / "s.dat");
    for (const char* kept : {"./site/index.html\n", "./site/a/cache/keep\n", "./site/cache/tmp2\n"}) {
        EXPECT_TRUE(Contains(names, kept)) << names;
        EXPECT_TRUE(Contains(pack.out, kept)) << pack.out;   // -v names what it packs
    }
    for (const char* left : {".git", ".log", "cache/tmp/"}) EXPECT_FALSE(Contains(names, left)) << names;

    EXPECT_EQ(RunTool({"pack", t / "site", "--exclude-from", t / "none"}).exitCode, 1);
}

TEST(Options, EveryProblemOfAPackIsNamedInOneRun)
{
    TempTree t;
    WriteFile(t / "site/a.txt", "hello");
    ASSERT_EQ(symlink((t / "gone").c_str(), (t / "site/dangling").c_str()), 0);
    ASSERT_EQ(mkfifo((t / "site/pipe").c_str(), 0600), 0);
    WriteFile(t / "site/sub/x|y", "bar");
    WriteFile(t / "site.dat.gz", "old");

    for (bool ignore : {false, true}) {
        SCOPED_TRACE(ignore ? "--ignore-failed-read" : "default");
        std::vector<std::string> args = {"pack", t / "site"};
        if (ignore) args.push_back("--ignore-failed-read");
        const RunResult r = RunTool(args);
        // A name the format cannot hold fails the pack either way.
        EXPECT_EQ(r.exitCode, 1);
        for (const char* item : {"site/dangling: symbolic link", "site/pipe: special file", "site/sub/x|y: name"})
            EXPECT_TRUE(Contains(r.err, item)) << r.err;
        EXPECT_EQ(Contains(r.err, "; left out"), ignore) << r.err;
        EXPECT_EQ(ReadFile(t / "site.dat.gz"), "old");
    }

    RemoveTree(t / "site/sub");
    const RunResult r = RunTool({"pack", t / "site", "--ignore-failed-read"});
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_TRUE(Contains(r.out, "packed 1 file into")) << r.out;
    EXPECT_TRUE(Contains(r.err, "2 items that could not be read left out")) << r.err;
    EXPECT_EQ(Listed(t / "site.dat.gz"), "./site/\n./site/a.txt\n");
}

TEST(Options, StripComponentsPutsTheTopFoldersContentsIntoDest)
{
    TempTree t;
    // A file beside the top folder is left with no name: passed over, its
    // bytes too. Unsafe names are refused as they would be unstripped.
    const std::string archive = PlainArchive(
        5, "./site|[dir]\n./top.txt|3\n./site/a.txt|5\n./site/img|[dir]\n./site/img/b.gif|3\n"
           "./site/img|[/dir]\n./site/../../evil|4\n/etc/x|1\n./site|[/dir]\n",
        "tophelloxyzevilx");
    WriteFile(t / "s.dat", archive);
    MakeFolders(t / "html");

    const RunResult test = RunTool({"test", "--strip-components", "1", t / "s.dat"});
    const RunResult unpack = RunTool({"unpack", "-v", "--strip-components=1", t / "s.dat", "-C", t / "html"});
    EXPECT_EQ(unpack.exitCode, 2);
    EXPECT_EQ(unpack.LastLine(), "extracted 2, failed 2");
    EXPECT_EQ(unpack.out, "a.txt\nimg\nimg/b.gif\nextracted 2, failed 2\n");
    EXPECT_TRUE(Contains(unpack.err, "./site/../../evil: name with a \"..\" component refused")) << unpack.err;
    EXPECT_TRUE(Contains(unpack.err, "/etc/x: absolute name refused")) << unpack.err;
    std::map<std::string, std::string> expected = {{"a.txt", "hello"}, {"img", "<dir>"}, {"img/b.gif", "xyz"}};
    EXPECT_EQ(Snapshot(t / "html"), expected);

    EXPECT_EQ(test.exitCode, unpack.exitCode);
    EXPECT_EQ(test.LastLine(), "damaged: 4 files, 2 failing");
    EXPECT_EQ(test.err, unpack.err);
    EXPECT_EQ(Listed(t / "s.dat", {"--strip-components", "1"}),
              "a.txt\nimg/\nimg/b.gif\n./site/../../evil\n/etc/x\n");
}

TEST(Options, TestIntoDestPredictsTheUnpackThereAndWritesNothing)
{
    TempTree t;
    WriteFile(t / "site/a.txt", "hello");
    WriteFile(t / "site/img/b.gif", "xyz");
    WriteFile(t / "site/sub/c.txt", "c");
    WriteFile(t / "site/new.txt", "n");
    ASSERT_EQ(RunTool({"pack", "-q", t / "site"}).exitCode, 0);

    MakeFolders(t / "live/a.txt");                 // a folder where a file goes
    WriteFile(t / "live/img/b.gif", "old");
    ASSERT_EQ(chmod((t / "live/img/b.gif").c_str(), 0444), 0);   // read-only
    MakeFolders(t / "elsewhere");
    ASSERT_EQ(symlink((t / "elsewhere").c_str(), (t / "live/sub").c_str()), 0);
    const auto before = Snapshot(t.Path());

    const RunResult test = RunTool({"test", t / "site.dat.gz", "-C", t / "live", "--strip-components", "1"});
    EXPECT_EQ(Snapshot(t.Path()), before) << "test wrote something";
    EXPECT_TRUE(Contains(test.err, "a.txt: cannot be created: a folder is in the way")) << test.err;
    EXPECT_TRUE(Contains(test.err, "sub/c.txt: refused: would write through a symbolic link")) << test.err;
    // Root may write a read-only file, and so the unpack would.
    if (geteuid() != 0)
        EXPECT_TRUE(Contains(test.err, "img/b.gif: cannot be created: permission denied")) << test.err;

    const RunResult unpack = RunTool({"unpack", t / "site.dat.gz", "-C", t / "live", "--strip-components", "1"});
    EXPECT_EQ(test.err, unpack.err);
    EXPECT_EQ(test.exitCode, unpack.exitCode);
    EXPECT_EQ(test.exitCode, 2);
    EXPECT_EQ(ReadFile(t / "live/new.txt"), "n");

    EXPECT_EQ(RunTool({"test", t / "site.dat.gz", "-C", t / "missing"}).exitCode, 1);

    // Over its own copy every folder is in place and every file replaced.
    MakeFolders(t / "copy");
    ASSERT_EQ(RunTool({"unpack", "-q", t / "site.dat.gz", "-C", t / "copy"}).exitCode, 0);
    EXPECT_EQ(RunTool({"test", t / "site.dat.gz", "-C", t / "copy"}).LastLine(),
              "ok: " + RunTool({"list", t / "site.dat.gz"}).LastLine());
}
