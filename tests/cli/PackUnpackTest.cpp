// The fixed contract of pack and unpack: default paths, output, exit codes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "ArchiveBytes.h"
#include "TempTree.h"
#include "ToolRunner.h"

using namespace torvan::test;

namespace {

void MakeSite(const std::string& root)
{
    WriteFile(root + "/a.txt", "hello");
    WriteFile(root + "/img/b.gif", "xyz");
    WriteFile(root + "/docs/empty.txt", "");
    MakeFolders(root + "/docs/nothing-here");
}

RunOptions In(const std::string& folder)
{
    RunOptions options;
    options.workingDirectory = folder;
    return options;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(PackUnpack, RelativeFolderPacksBesideItselfAndUnpacksToTheSameTree)
{
    TempTree t;
    MakeSite(t / "site");

    // Relative, with trailing separators: same archive, same names.
    RunResult pack = RunTool({"pack", "site//"}, In(t.Path()));
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_TRUE(Contains(pack.out, t / "site.dat.gz")) << pack.out;
    EXPECT_TRUE(Contains(pack.out, "3 files")) << pack.out;
    std::string gz = ReadFile(t / "site.dat.gz");
    ASSERT_GE(gz.size(), 2u);
    EXPECT_EQ(gz.substr(0, 2), "\x1f\x8b");

    MakeFolders(t / "out");
    RunResult unpack = RunTool({"unpack", t / "site.dat.gz", "-C", t / "out"});
    EXPECT_EQ(unpack.exitCode, 0) << unpack.err;
    EXPECT_EQ(unpack.LastLine(), "extracted 3, failed 0");
    EXPECT_EQ(Snapshot(t / "out/site"), Snapshot(t / "site"));

    // Without -C the current directory receives the tree.
    MakeFolders(t / "here");
    unpack = RunTool({"unpack", "../site.dat.gz"}, In(t / "here"));
    EXPECT_EQ(unpack.LastLine(), "extracted 3, failed 0");
    EXPECT_EQ(Snapshot(t / "here/site"), Snapshot(t / "site"));
}

TEST(PackUnpack, PlainArchiveIsTheGzipArchiveUnwrapped)
{
    TempTree t;
    MakeSite(t / "site");
    ASSERT_EQ(RunTool({"pack", t / "site"}).exitCode, 0);
    RunResult plain = RunTool({"pack", "--plain", t / "site"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_TRUE(Contains(plain.out, t / "site.dat")) << plain.out;

    std::string bytes = ReadFile(t / "site.dat");
    EXPECT_EQ(bytes.substr(0, 16), "0000000000000003");
    EXPECT_TRUE(Contains(bytes, "./site|[dir]\n"));
    EXPECT_EQ(ReadExpanded(t / "site.dat.gz"), bytes);

    // -o names the archive; packing again replaces it with the same bytes.
    ASSERT_EQ(RunTool({"pack", "--plain", t / "site", "-o", t / "again.dat"}).exitCode, 0);
    EXPECT_EQ(ReadFile(t / "again.dat"), bytes);
}

TEST(PackUnpack, PackRefusalsNameTheCauseAndKeepTheOldArchive)
{
    TempTree t;
    WriteFile(t / "site.dat.gz", "old archive");

    RunResult r = RunTool({"pack", t / "missing"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, t / "missing")) << r.err;
    EXPECT_TRUE(Contains(r.err, "no such folder")) << r.err;

    MakeFolders(t / "site/only/empty/folders");
    r = RunTool({"pack", t / "site"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "nothing to pack")) << r.err;
    EXPECT_EQ(ReadFile(t / "site.dat.gz"), "old archive");

    WriteFile(t / "site/a|b.txt", "pipe");
    r = RunTool({"pack", t / "site"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "a|b.txt")) << r.err;
    EXPECT_EQ(ReadFile(t / "site.dat.gz"), "old archive");
    unlink((t / "site/a|b.txt").c_str());

    WriteFile(t / "site/ok.txt", "fine");
    ASSERT_EQ(mkfifo((t / "site/pipe").c_str(), 0644), 0);
    r = RunTool({"pack", t / "site"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, t / "site/pipe")) << r.err;
    EXPECT_TRUE(Contains(r.err, "special file")) << r.err;
    EXPECT_EQ(ReadFile(t / "site.dat.gz"), "old archive");

    r = RunTool({"pack", t / "site.dat.gz"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "not a folder")) << r.err;

    r = RunTool({"pack", "/"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "root")) << r.err;

    // Nothing the refusals touched is left lying about.
    unlink((t / "site/pipe").c_str());
    std::map<std::string, std::string> expected = {
        {"site", "<dir>"}, {"site/ok.txt", "fine"}, {"site/only", "<dir>"},
        {"site/only/empty", "<dir>"}, {"site/only/empty/folders", "<dir>"},
        {"site.dat.gz", "old archive"}};
    EXPECT_EQ(Snapshot(t.Path()), expected);
}

TEST(PackUnpack, DashWritesTheArchiveToStdoutAndOnlyRegularFilesAreReplaced)
{
    TempTree t;
    MakeSite(t / "site");
    ASSERT_EQ(RunTool({"pack", t / "site", "-o", t / "site.dat.gz"}).exitCode, 0);

    RunResult r = RunTool({"pack", t / "site", "-o", "-", "-v"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, ReadFile(t / "site.dat.gz"));
    EXPECT_TRUE(Contains(r.err, "packed 3 files to standard output")) << r.err;
    EXPECT_TRUE(Contains(r.err, "site/a.txt")) << r.err;
    EXPECT_FALSE(PathExists(t / "-"));
    RunOptions terminal;
    terminal.stderrOnTerminal = true;
    r = RunTool({"pack", t / "site", "-o", "-"}, terminal);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "standard output is a terminal")) << r.err;

    // A link keeps pointing where it did, a FIFO stays a FIFO.
    WriteFile(t / "target", "kept");
    ASSERT_EQ(symlink((t / "target").c_str(), (t / "link").c_str()), 0);
    ASSERT_EQ(mkfifo((t / "fifo").c_str(), 0644), 0);
    for (const char* name : {"link", "fifo"}) {
        r = RunTool({"pack", t / "site", "-o", t / name});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_TRUE(Contains(r.err, "not replaced")) << r.err;
    }
    struct stat st;
    ASSERT_EQ(lstat((t / "link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(t / "target"), "kept");
    ASSERT_EQ(lstat((t / "fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(PackUnpack, DashReadsTheArchiveFromStandardInputGzipOrPlain)
{
    TempTree t;
    MakeSite(t / "site");
    // The whole way an admin takes it: one tool's stdout into the other's stdin.
    const std::string tool = "\"" + ToolPath() + "\"";
    MakeFolders(t / "piped");
    const std::string line = "timeout 60 sh -c '" + tool + " pack " + t / "site" + " -o - 2>/dev/null | " + tool +
                             " unpack - -C " + t / "piped" + " >" + t / "piped.log" + " 2>&1'";
    EXPECT_EQ(std::system(line.c_str()), 0) << ReadFile(t / "piped.log");
    EXPECT_TRUE(Contains(ReadFile(t / "piped.log"), "extracted 3, failed 0"));
    auto tree = Snapshot(t / "piped");
    tree.erase("site/docs/nothing-here");   // folders without files are not in an archive
    auto packed = Snapshot(t.Path());
    EXPECT_EQ(tree.size(), 6u);
    for (const auto& [name, contents] : tree) EXPECT_EQ(packed[name], contents) << name;

    ASSERT_EQ(RunTool({"pack", "--plain", t / "site", "-o", t / "site.dat"}).exitCode, 0);
    RunOptions input;
    input.stdinFile = t / "site.dat";
    RunResult r = RunTool({"list", "-"}, input);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "site/img/b.gif")) << r.out;
    EXPECT_EQ(RunTool({"test", "-"}, input).exitCode, 0);

    // A cut-off stream is as damaged through a pipe as from a file.
    ASSERT_EQ(RunTool({"pack", t / "site", "-o", t / "site.dat.gz"}).exitCode, 0);
    const std::string whole = ReadFile(t / "site.dat.gz");
    WriteFile(t / "cut.dat.gz", whole.substr(0, whole.size() - 4));
    input.stdinFile = t / "cut.dat.gz";
    r = RunTool({"test", "-"}, input);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(Contains(r.err, "standard input: compressed data ends before its checksum")) << r.err;
}

TEST(PackUnpack, ExitCodeAndSummaryFollowTheCounts)
{
    TempTree t;
    MakeFolders(t / "out");

    // All written: 0.
    WriteFile(t / "good.dat", PlainArchive(1, "./s|[dir]\n./s/a|2\n./s|[/dir]\n", "hi"));
    RunResult r = RunTool({"unpack", t / "good.dat", "-C", t / "out"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.LastLine(), "extracted 1, failed 0");

    // Some written, some not (a file whose folder never opened): 2, and the
    // entry after the failed one still gets its own bytes.
    WriteFile(t / "part.dat",
              PlainArchive(2, "./p|[dir]\n./nowhere/x|3\n./p/y|2\n./p|[/dir]\n", "xxxyy"));
    r = RunTool({"unpack", t / "part.dat", "-C", t / "out"});
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_EQ(r.LastLine(), "extracted 1, failed 1");
    EXPECT_EQ(ReadFile(t / "out/p/y"), "yy");

    // Nothing written: 1, and still the summary as the last line.
    WriteFile(t / "text.txt", "just some text, not an archive\n");
    r = RunTool({"unpack", t / "text.txt", "-C", t / "out"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.LastLine(), "extracted 0, failed 0");
    EXPECT_TRUE(Contains(r.err, "text.txt")) << r.err;

    WriteFile(t / "bad.gz", "\x1f\x8b\x08\x00garbage that is not deflate data at all");
    r = RunTool({"unpack", t / "bad.gz", "-C", t / "out"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.LastLine(), "extracted 0, failed 0");
    EXPECT_TRUE(Contains(r.err, "bad.gz")) << r.err;

    for (auto args : std::vector<std::vector<std::string>>{
             {"unpack", t / "missing.dat", "-C", t / "out"},
             {"unpack", t / "good.dat", "-C", t / "no-such-folder"},
             {"unpack", t / "good.dat", "-C", t / "good.dat"},
             {"unpack", t / "out", "-C", t / "out"},
             {"unpack"},
             {"unpack", t / "good.dat", "--bogus"}}) {
        r = RunTool(args);
        EXPECT_EQ(r.exitCode, 1) << args.back();
        EXPECT_EQ(r.LastLine(), "extracted 0, failed 0") << args.back();
        EXPECT_FALSE(r.err.empty()) << args.back();
    }
    EXPECT_FALSE(PathExists(t / "no-such-folder"));
}

TEST(PackUnpack, NamesLeadingOutsideTheDestinationAreRefused)
{
    TempTree t;
    MakeFolders(t / "out/in");
    std::string manifest = "./s|[dir]\n../escape|3\n./s/../../up|2\n" + t / "abs" +
                           "|4\n./s/ok|2\n./s|[/dir]\n";
    WriteFile(t / "evil.dat", PlainArchive(4, manifest, "aaabbccccok"));
    RunResult r = RunTool({"unpack", t / "evil.dat", "-C", t / "out/in"});
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_EQ(r.LastLine(), "extracted 1, failed 3");
    EXPECT_EQ(ReadFile(t / "out/in/s/ok"), "ok");
    EXPECT_FALSE(PathExists(t / "out/escape"));
    EXPECT_FALSE(PathExists(t / "out/up"));
    EXPECT_FALSE(PathExists(t / "abs"));
    EXPECT_TRUE(Contains(r.err, "../escape")) << r.err;
}

TEST(PackUnpack, TheNumberOfThreadsNeverChangesTheArchive)
{
    TempTree t;
    MakeSite(t / "site");
    std::mt19937 random(2);
    std::string noise(900000, '\0');
    for (char& c : noise) c = static_cast<char>(random() % 64);   // compresses, a little
    WriteFile(t / "site/big.bin", noise);
    ASSERT_EQ(RunTool({"pack", t / "site", "-o", t / "default.gz"}).exitCode, 0);
    for (const char* threads : {"1", "2", "3"}) {
        RunResult r = RunTool({"pack", "--threads", threads, t / "site", "-o", t / "n.gz"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(ReadFile(t / "n.gz") == ReadFile(t / "default.gz")) << threads << " threads";
    }
}

TEST(PackUnpack, AnArchiveCutShortIsAPartialUnpackThatNamesWhatIsMissing)
{
    TempTree t;
    std::mt19937 random(3);
    std::string big(100000, '\0');
    for (char& c : big) c = static_cast<char>(random());
    const std::string plain = PlainArchive(2, "./s|[dir]\n./s/a|5\n./s/big|100000\n./s|[/dir]\n", "hello" + big);
    // A download cut off, plain and compressed.
    WriteFile(t / "cut.dat", plain.substr(0, plain.size() - 40000));
    const std::string gz = Gzip(plain);
    WriteFile(t / "cut.dat.gz", gz.substr(0, gz.size() - 40000));
    for (const char* archive : {"cut.dat", "cut.dat.gz"}) {
        SCOPED_TRACE(archive);
        RemoveTree(t / "out");
        MakeFolders(t / "out");
        RunResult r = RunTool({"unpack", t / archive, "-C", t / "out"});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.LastLine(), "extracted 1, failed 1");
        EXPECT_EQ(ReadFile(t / "out/s/a"), "hello");
        EXPECT_EQ(ReadFile(t / "out/s/big").size(), big.size());
        EXPECT_TRUE(Contains(r.err, "./s/big: archive ends early")) << r.err;
    }
    // Only the cut file itself: nothing whole, a failed unpack.
    WriteFile(t / "cut.dat", plain.substr(0, plain.size() - 100000));
    RunResult r = RunTool({"unpack", t / "cut.dat", "-C", t / "out"});
    EXPECT_EQ(r.exitCode, 2);
    WriteFile(t / "one.dat", PlainArchive(1, "./s|[dir]\n./s/x|10\n./s|[/dir]\n", "xx"));
    r = RunTool({"unpack", t / "one.dat", "-C", t / "out"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.LastLine(), "extracted 0, failed 1");
    EXPECT_TRUE(Contains(r.err, "the last 8 of 10 bytes are missing")) << r.err;
}

// Unpacked over the working copy it was made from, as users do: a cut-off
// plain download replaces the files it holds whole and leaves every other
// one as it was, instead of writing zeros over good files. A cut-off gzip
// download replaces none: not one of its bytes was verified.
TEST(PackUnpack, AnArchiveCutShortOverAWorkingCopyKeepsWhatItDoesNotHoldWhole)
{
    TempTree t;
    std::mt19937 random(5);
    std::string manifest = "./site|[dir]\n", payload;
    for (int i = 0; i < 3; ++i) {
        std::string bytes(200000, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        manifest += "./site/f" + std::to_string(i) + "|200000\n";
        payload += bytes;
    }
    const std::string plain = PlainArchive(3, manifest + "./site|[/dir]\n", payload);
    WriteFile(t / "cut.dat", plain.substr(0, 400000));
    WriteFile(t / "cut.dat.gz", Gzip(plain).substr(0, 400000));
    for (const bool gzip : {false, true}) {
        const std::string archive = gzip ? "cut.dat.gz" : "cut.dat";
        SCOPED_TRACE(archive);
        for (int i = 0; i < 3; ++i) WriteFile(t / ("out/site/f" + std::to_string(i)), "old " + std::to_string(i));
        RunResult r = RunTool({"unpack", t / archive, "-C", t / "out"});
        EXPECT_EQ(r.exitCode, gzip ? 1 : 2);
        EXPECT_EQ(r.LastLine(), gzip ? "extracted 0, failed 3" : "extracted 1, failed 2");
        EXPECT_EQ(Snapshot(t / "out/site"), (std::map<std::string, std::string>{
                                                 {"f0", gzip ? "old 0" : payload.substr(0, 200000)},
                                                 {"f1", "old 1"}, {"f2", "old 2"}}));
        if (gzip) {
            EXPECT_TRUE(Contains(r.err, "cut.dat.gz: compressed data ends before its checksum")) << r.err;
            EXPECT_TRUE(Contains(r.err, "./site/f0: the existing file was kept, because the archive's checksum "
                                        "could not be checked")) << r.err;
            continue;
        }
        EXPECT_TRUE(Contains(r.err, "./site/f1: archive ends early: the last ")) << r.err;
        EXPECT_TRUE(Contains(r.err, "./site/f2: archive ends early: the last 200000 of 200000 bytes are missing; "
                                    "the existing file was kept")) << r.err;
    }
}

TEST(PackUnpack, HelpExplainsBothCommandsAndLinks)
{
    RunResult r = RunTool({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    for (const char* part : {"torvan pack [-q] [-v] [--plain] [--threads N] [--names MODE]",
                             "[--ignore-failed-read] FOLDER [-o ARCHIVE]",
                             "torvan unpack [-q] [-v] [--names MODE] [--strip-components N] ARCHIVE [-C DEST]",
                             "torvan list [--names MODE] [--strip-components N] ARCHIVE",
                             "torvan test [-q] [--names MODE] [--strip-components N] ARCHIVE [-C DEST]",
                             "extracted N, failed M", "--names gbk", "--quiet", "Symbolic links",
                             "no permissions", "323 bytes"})
        EXPECT_TRUE(Contains(r.out, part)) << part;

    std::string version = ReadFile(TORVAN_SOURCE_DIR "/VERSION");
    version.erase(version.find_last_not_of("\r\n") + 1);
    for (const char* option : {"--version", "-V"}) {
        r = RunTool({option});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, "torvan " + version + "\n");
    }
}

TEST(PackUnpack, LinksToFilesPackTheirContentsLinksToFoldersAreSkippedAloud)
{
    TempTree t;
    WriteFile(t / "site/a.txt", "hello");
    WriteFile(t / "elsewhere/b.txt", "outside");
    ASSERT_EQ(symlink((t / "elsewhere/b.txt").c_str(), (t / "site/b-link.txt").c_str()), 0);
    ASSERT_EQ(symlink((t / "elsewhere").c_str(), (t / "site/folder-link").c_str()), 0);

    RunResult pack = RunTool({"pack", t / "site"});
    EXPECT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_TRUE(Contains(pack.err, t / "site/folder-link")) << pack.err;

    MakeFolders(t / "out");
    RunResult unpack = RunTool({"unpack", t / "site.dat.gz", "-C", t / "out"});
    EXPECT_EQ(unpack.LastLine(), "extracted 2, failed 0");
    std::map<std::string, std::string> expected = {
        {"site", "<dir>"}, {"site/a.txt", "hello"}, {"site/b-link.txt", "outside"}};
    EXPECT_EQ(Snapshot(t / "out"), expected);

    // A link that leads nowhere: the folder shows a file the archive could
    // not hold, so there is no archive.
    ASSERT_EQ(symlink((t / "gone").c_str(), (t / "site/dangling").c_str()), 0);
    std::string before = ReadFile(t / "site.dat.gz");
    pack = RunTool({"pack", t / "site"});
    EXPECT_EQ(pack.exitCode, 1);
    EXPECT_TRUE(Contains(pack.err, t / "site/dangling: symbolic link that leads nowhere")) << pack.err;
    EXPECT_TRUE(ReadFile(t / "site.dat.gz") == before);
}
