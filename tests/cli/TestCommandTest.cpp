// `test` predicts `unpack`: for every archive, good or damaged, it writes
// nothing, and its verdict, problems and exit code are those of an unpack
// into an empty folder that follows it.
#include <gtest/gtest.h>

#include <cstdio>

#include "ArchiveBytes.h"
#include "TempTree.h"
#include "ToolRunner.h"

using namespace torvan::test;

namespace {

const std::string kSite =
    "./site|[dir]\n./site/a.txt|5\n./site/img|[dir]\n./site/img/b.gif|3\n./site/img|[/dir]\n./site|[/dir]\n";

// Big enough that a byte in the middle of its gzip form lies in the
// compressed data, not in a header or trailer.
std::string Pages()
{
    std::string text;
    for (int i = 0; i < 400; ++i) text += "<p>line " + std::to_string(i * 7919 % 1000) + "</p>\n";
    return text;
}

struct Case {
    std::string name;
    std::string bytes;
    std::vector<std::string> options;
    std::string verdict;   // the last line of `test`
    int exitCode;
    std::string problem;   // part of what it says on stderr; empty: nothing
};

std::vector<Case> Cases()
{
    const std::string example = PlainArchive(2, kSite, "helloxyz");
    const std::string pages = Pages();
    const std::string big = PlainArchive(
        1, "./site|[dir]\n./site/pages.html|" + std::to_string(pages.size()) + "\n./site|[/dir]\n", pages);
    std::string flipped = Gzip(big);
    flipped[flipped.size() / 2] ^= 0x55;
    std::string length = Gzip(example);   // the trailer's length field
    length[length.size() - 3] ^= 0x01;
    const std::string cut = PlainArchive(
        2, "./site|[dir]\n./site/a.txt|5\n./site/b.txt|10\n./site|[/dir]\n", "hello0123");
    const std::string gbkName = "./\xd5\xbe\xb5\xe3";   // 站点
    const std::string gbk = PlainArchive(
        1, gbkName + "|[dir]\n" + gbkName + "/\xce\xc4\xbc\xfe.txt|2\n" + gbkName + "|[/dir]\n", "hi");
    const std::string outside = PlainArchive(
        3, "./site|[dir]\n./site/a.txt|5\n../evil.php|3\n/etc/evil|1\n./site|[/dir]\n", "helloxyzq");
    const std::string longName(300, 'n');
    const std::string noFile = PlainArchive(
        3, "./site|[dir]\n./site/a.txt|5\n./site/" + longName + "|1\n./lost/c.txt|1\n./site/|0\n"
           "./site|[/dir]\n", "hello12");

    return {
        {"example.dat", example, {}, "ok: 2 files, 2 folders, 8 bytes", 0, ""},
        {"example.dat.gz", Gzip(example), {}, "ok: 2 files, 2 folders, 8 bytes", 0, ""},
        {"members.dat.gz", Gzip(example.substr(0, 50)) + Gzip(example.substr(50)), {},
         "ok: 2 files, 2 folders, 8 bytes", 0, ""},
        {"empty-folders.dat",
         PlainArchive(1, "./site|[dir]\n./site/e|[dir]\n./site/e/f|[dir]\n./site/e/f|[/dir]\n"
                         "./site/e|[/dir]\n./site/z|0\n./site|[/dir]\n", ""),
         {}, "ok: 1 files, 3 folders, 0 bytes", 0, ""},
        {"gbk.dat", gbk, {}, "ok: 1 files, 1 folders, 2 bytes", 0, ""},
        {"gbk-names.dat", gbk, {"--names", "gbk"}, "ok: 1 files, 1 folders, 2 bytes", 0, ""},
        {"cut.dat", cut, {}, "damaged: 2 files, 1 failing", 2,
         "./site/b.txt: archive ends early: the last 6 of 10"},
        {"cut.dat.gz", Gzip(big).substr(0, Gzip(big).size() * 2 / 3), {}, "damaged: 1 files, 1 failing", 1,
         "./site/pages.html: archive ends early"},
        {"manifest-cut.dat", example.substr(0, 70), {}, "damaged: 2 files, 2 failing", 1,
         "manifest-cut.dat: archive ends inside its manifest"},
        {"trailer-cut.dat.gz", Gzip(example).substr(0, Gzip(example).size() - 4), {},
         "damaged: 2 files, 1 failing", 2, "trailer-cut.dat.gz: compressed data ends before its checksum"},
        {"flipped.dat.gz", flipped, {}, "damaged: 0 files, 0 failing", 1, "checksum does not match"},
        {"length.dat.gz", length, {}, "damaged: 0 files, 0 failing", 1, "length.dat.gz: checksum does not match"},
        {"tail.dat", example + "zz", {}, "ok: 2 files, 2 folders, 8 bytes", 0,
         "tail.dat: warning: 2 bytes after the end of the payload"},
        {"outside.dat", outside, {}, "damaged: 3 files, 2 failing", 2,
         "../evil.php: name with a \"..\" component refused"},
        {"no-file.dat", noFile, {}, "damaged: 4 files, 3 failing", 2, "./lost/c.txt: cannot be created"},
        {"preamble.dat", "00000000000000x2" + example.substr(16), {}, "not an archive", 1, "not an archive"},
        {"notes.txt", "meeting at ten\n", {}, "not an archive", 1, "not an archive"},
    };
}

// "damaged: 3 files, 2 failing" -> "extracted 1, failed 2".
std::string UnpackSummary(const std::string& verdict)
{
    int files = 0, failing = 0;
    if (verdict == "not an archive") return "extracted 0, failed 0";
    if (std::sscanf(verdict.c_str(), "ok: %d files", &files) == 1)
        return "extracted " + std::to_string(files) + ", failed 0";
    std::sscanf(verdict.c_str(), "damaged: %d files, %d failing", &files, &failing);
    return "extracted " + std::to_string(files - failing) + ", failed " + std::to_string(failing);
}

}  // namespace

TEST(TestCommand, PredictsUnpackAndWritesNothing)
{
    TempTree t;
    MakeFolders(t / "here");
    MakeFolders(t / "tmp");
    std::vector<Case> cases = Cases();
    for (const Case& c : cases) WriteFile(t / "here/" + c.name, c.bytes);
    const auto before = Snapshot(t.Path());

    RunOptions in;
    in.workingDirectory = t / "here";
    in.environment = {"TMPDIR=" + t / "tmp"};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"test", c.name};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const RunResult test = RunTool(args, in);
        EXPECT_EQ(test.LastLine(), c.verdict) << test.err;
        EXPECT_EQ(test.exitCode, c.exitCode);
        if (c.problem.empty()) EXPECT_EQ(test.err, "");
        else EXPECT_NE(test.err.find(c.problem), std::string::npos) << test.err;
        ASSERT_EQ(Snapshot(t.Path()), before) << "test wrote something";

        const std::string out = t / ("out" + std::to_string(n++));
        MakeFolders(out);
        args = {"unpack", c.name, "-C", out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const RunResult unpack = RunTool(args, in);
        EXPECT_EQ(unpack.exitCode, test.exitCode);
        EXPECT_EQ(unpack.LastLine(), UnpackSummary(c.verdict));
        EXPECT_EQ(unpack.err, test.err);
        RemoveTree(out);
    }
}

TEST(TestCommand, ShowsProgressOnATerminal)
{
    TempTree t;
    for (int i = 0; i < 25; ++i) WriteFile(t / "site/f" + std::to_string(i), std::string(100, 'a'));
    ASSERT_EQ(RunTool({"pack", "-q", t / "site"}).exitCode, 0);
    RunOptions terminal;
    terminal.stderrOnTerminal = true;
    const RunResult test = RunTool({"test", t / "site.dat.gz"}, terminal);
    EXPECT_EQ(test.exitCode, 0);
    EXPECT_NE(test.err.find("] 100%  25/25 files  00:"), std::string::npos) << test.err;
    EXPECT_NE(test.err.find("\nok: 25 files, 1 folders, 2500 bytes"), std::string::npos) << test.err;
}

TEST(TestCommand, NeedsNoTemporaryFolder)
{
    TempTree t;
    WriteFile(t / "site.dat.gz", Gzip(PlainArchive(2, kSite, "helloxyz")));
    RunOptions nowhere;
    nowhere.environment = {"TMPDIR=" + t / "no-such-folder"};
    const RunResult test = RunTool({"test", t / "site.dat.gz"}, nowhere);
    EXPECT_EQ(test.exitCode, 0) << test.err;
}
