// Faults from outside: the disk fills, the process is killed, the
// destination cannot be written. Each must end in a clear failure with the
// old archive intact and no scratch file left behind.
//
// Small file systems come from tmpfs mounts, which need root; without them
// the cases skip (the engine's own tests break single writes in-process).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "TempTree.h"
#include "ToolRunner.h"

using namespace torvan::test;

namespace {

class TmpfsMount {
public:
    TmpfsMount(const std::string& path, const std::string& options) : m_path(path)
    {
        MakeFolders(path);
        std::string command = "mount -t tmpfs -o " + options + " tmpfs '" + path + "' 2>/dev/null";
        m_mounted = std::system(command.c_str()) == 0;
    }
    ~TmpfsMount()
    {
        if (m_mounted) std::system(("umount -l '" + m_path + "' 2>/dev/null").c_str());
    }
    bool Mounted() const { return m_mounted; }

private:
    std::string m_path;
    bool m_mounted = false;
};

#define REQUIRE_MOUNT(m) \
    if (!(m).Mounted()) GTEST_SKIP() << "cannot mount tmpfs here (not root?)"

// Bytes that do not compress, so sizes on disk are what they seem.
std::string Noise(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& c : data) c = static_cast<char>(random());
    return data;
}

void MakeNoiseTree(const std::string& root, int files, size_t size)
{
    for (int i = 0; i < files; ++i) WriteFile(root + "/f" + std::to_string(i) + ".bin", Noise(size, i));
}

RunOptions WithTmp(const std::string& tmp)
{
    RunOptions options;
    options.environment.push_back("TMPDIR=" + tmp);
    return options;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : Snapshot(folder)) names.push_back(entry.first);
    return names;
}

}  // namespace

TEST(Faults, DiskFillsWhilePacking)
{
    TempTree t;
    MakeNoiseTree(t / "site", 3, 1 << 20);
    MakeFolders(t / "tmp");
    TmpfsMount small(t / "small", "size=1m");
    REQUIRE_MOUNT(small);

    // The archive's own disk fills.
    WriteFile(t / "small/site.dat.gz", "old archive");
    RunResult r = RunTool({"pack", t / "site", "-o", t / "small/site.dat.gz"}, WithTmp(t / "tmp"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, t / "small")) << r.err;
    EXPECT_EQ(ReadFile(t / "small/site.dat.gz"), "old archive");
    EXPECT_EQ(Names(t / "small"), std::vector<std::string>{"site.dat.gz"});
    EXPECT_TRUE(Names(t / "tmp").empty());

    // Packing needs no room in the temporary folder: the contents go
    // straight into the archive, so a nearly full one changes nothing.
    WriteFile(t / "site.dat", "old plain archive");
    r = RunTool({"pack", "--plain", t / "site"}, WithTmp(t / "small"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(ReadFile(t / "site.dat"), "old plain archive");
    EXPECT_EQ(Names(t / "small"), std::vector<std::string>{"site.dat.gz"});
}

TEST(Faults, DiskFillsWhileUnpacking)
{
    TempTree t;
    MakeNoiseTree(t / "site", 3, 600 << 10);
    MakeFolders(t / "tmp");
    ASSERT_EQ(RunTool({"pack", t / "site", "-o", t / "site.dat.gz"}).exitCode, 0);
    std::string archive = ReadFile(t / "site.dat.gz");

    {
        // Room for one file and a half: the first is written, the rest fail.
        TmpfsMount small(t / "small", "size=1m");
        REQUIRE_MOUNT(small);
        RunResult r = RunTool({"unpack", t / "site.dat.gz", "-C", t / "small"}, WithTmp(t / "tmp"));
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_EQ(r.LastLine(), "extracted 1, failed 2");
        EXPECT_TRUE(Contains(r.err, "./site/")) << r.err;
        // The one written is whole; the failed ones are not left cut short.
        std::vector<std::string> files;
        for (const auto& [name, contents] : Snapshot(t / "small/site")) {
            files.push_back(name);
            EXPECT_EQ(contents, ReadFile(t / "site/" + name)) << name;
        }
        EXPECT_EQ(files.size(), 1u);
        EXPECT_TRUE(Names(t / "tmp").empty());
        EXPECT_EQ(ReadFile(t / "site.dat.gz"), archive);
    }
    {
        // No room for the expanded copy in the temporary folder: nothing starts.
        TmpfsMount smallTmp(t / "smalltmp", "size=1m");
        REQUIRE_MOUNT(smallTmp);
        MakeFolders(t / "out");
        RunResult r = RunTool({"unpack", t / "site.dat.gz", "-C", t / "out"}, WithTmp(t / "smalltmp"));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.LastLine(), "extracted 0, failed 0");
        EXPECT_TRUE(Contains(r.err, "disk full")) << r.err;
        EXPECT_TRUE(Names(t / "smalltmp").empty());
        EXPECT_TRUE(Names(t / "out").empty());
    }
}

TEST(Faults, KilledMidPackLeavesTheOldArchive)
{
    TempTree t;
    MakeNoiseTree(t / "site", 40, 1 << 20);
    MakeFolders(t / "tmp");
    MakeFolders(t / "arch");
    WriteFile(t / "arch/site.dat.gz", "old archive");

    // Kill while the archive is assembled beside its final place (the
    // contents are streamed there; nothing grows in the temporary folder).
    struct Stage { std::string watch; bool besideArchive; };
    for (const Stage& stage : {Stage{t / "arch", true}}) {
        setenv("TMPDIR", (t / "tmp").c_str(), 1);
        pid_t pid = StartTool({"pack", t / "site", "-o", t / "arch/site.dat.gz"}, t / "log.txt");
        unsetenv("TMPDIR");
        ASSERT_GT(pid, 0);

        bool seen = false;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!seen && std::chrono::steady_clock::now() < deadline) {
            for (const auto& entry : Snapshot(stage.watch))
                if (entry.first != "site.dat.gz" && entry.second.size() > (1u << 20)) seen = true;
            if (waitpid(pid, nullptr, WNOHANG) == pid) { pid = -1; break; }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        EXPECT_TRUE(seen) << "the pack ended before it could be killed (stage "
                          << (stage.besideArchive ? "assembly" : "spooling") << ")";
        EXPECT_EQ(ReadFile(t / "arch/site.dat.gz"), "old archive");
    }

    // A later pack still works and replaces the old archive.
    RunResult r = RunTool({"pack", t / "site", "-o", t / "arch/site.dat.gz"}, WithTmp(t / "tmp"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(ReadFile(t / "arch/site.dat.gz"), "old archive");
}

TEST(Faults, ReadOnlyDestination)
{
    TempTree t;
    WriteFile(t / "site/a.txt", "hello");
    WriteFile(t / "site/img/b.gif", "xyz");
    MakeFolders(t / "tmp");
    ASSERT_EQ(RunTool({"pack", t / "site", "-o", t / "site.dat.gz"}).exitCode, 0);

    TmpfsMount readOnly(t / "ro", "ro,size=1m");
    REQUIRE_MOUNT(readOnly);

    RunResult r = RunTool({"unpack", t / "site.dat.gz", "-C", t / "ro"}, WithTmp(t / "tmp"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.LastLine(), "extracted 0, failed 2");
    EXPECT_TRUE(Contains(r.err, "./site/a.txt")) << r.err;
    EXPECT_TRUE(Contains(r.err, "read-only file system")) << r.err;
    EXPECT_TRUE(Names(t / "tmp").empty());

    r = RunTool({"pack", t / "site", "-o", t / "ro/site.dat.gz"}, WithTmp(t / "tmp"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, t / "ro/site.dat.gz")) << r.err;
    EXPECT_TRUE(Contains(r.err, "read-only file system")) << r.err;
    EXPECT_TRUE(Names(t / "tmp").empty());
}
