// The progress bar appears only on a terminal, and --quiet silences it.
#include <gtest/gtest.h>

#include "TempTree.h"
#include "ToolRunner.h"

using namespace torvan::test;

namespace {

void MakeFiles(const std::string& root, int count)
{
    for (int i = 0; i < count; ++i) WriteFile(root + "/f" + std::to_string(i), std::string(100, 'a'));
}

RunOptions OnTerminal()
{
    RunOptions options;
    options.stderrOnTerminal = true;
    return options;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(Progress, BarWithPercentFilesAndTimeOnATerminal)
{
    TempTree t;
    MakeFiles(t / "site", 25);
    RunResult pack = RunTool({"pack", t / "site"}, OnTerminal());
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_TRUE(Contains(pack.err, "] 100%  25/25 files  00:")) << pack.err;
    EXPECT_TRUE(Contains(pack.err, "packed 25 files")) << pack.err;

    MakeFolders(t / "out");
    RunResult unpack = RunTool({"unpack", t / "site.dat.gz", "-C", t / "out"}, OnTerminal());
    EXPECT_EQ(unpack.exitCode, 0) << unpack.err;
    EXPECT_TRUE(Contains(unpack.err, "] 100%  25/25 files  00:")) << unpack.err;
    // The summary stands on a line of its own after the bar.
    EXPECT_TRUE(Contains(unpack.err, "\nextracted 25, failed 0")) << unpack.err;
}

TEST(Progress, QuietOrNotATerminalMeansNoBar)
{
    TempTree t;
    MakeFiles(t / "site", 12);
    RunResult quiet = RunTool({"pack", "--quiet", t / "site"}, OnTerminal());
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, "");

    MakeFolders(t / "out");
    quiet = RunTool({"unpack", "-q", t / "site.dat.gz", "-C", t / "out"}, OnTerminal());
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, "extracted 12, failed 0\r\n");

    RunResult piped = RunTool({"pack", t / "site"});
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.err, "");
    EXPECT_TRUE(Contains(piped.out, "packed 12 files"));

    // Errors still speak when quiet.
    RunResult failed = RunTool({"pack", "-q", t / "missing"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(Contains(failed.err, "missing"));
}
