// Faults from outside: the disk fills, the process is killed, the
// destination cannot be written. Each must end in a clear failure with the
// old archive intact and no scratch file left behind.
//
// Small file systems come from tmpfs mounts, which need root; without them
// the cases skip (the engine's own tests break single writes in-process).
#include <gtest/gtest.h>
#include <signal.h>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
        // Over a working copy, with no room for a second copy of any file:
        // every old file stays whole.
        TmpfsMount full(t / "full", "size=2m");
        REQUIRE_MOUNT(full);
        for (int i = 0; i < 3; ++i) WriteFile(t / ("full/site/f" + std::to_string(i) + ".bin"), Noise(600 << 10, 50 + i));
        RunResult r = RunTool({"unpack", t / "site.dat.gz", "-C", t / "full"}, WithTmp(t / "tmp"));
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_EQ(r.LastLine(), "extracted 0, failed 3");
        EXPECT_TRUE(Contains(r.err, "disk full")) << r.err;
        EXPECT_EQ(Names(t / "full/site").size(), 3u);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(ReadFile(t / ("full/site/f" + std::to_string(i) + ".bin")) == Noise(600 << 10, 50 + i)) << i;
    }
    {
        // The temporary folder plays no part: a 1 MiB one is no obstacle
        // to an archive that expands to more.
        TmpfsMount smallTmp(t / "smalltmp", "size=1m");
        REQUIRE_MOUNT(smallTmp);
        MakeFolders(t / "out");
        RunResult r = RunTool({"unpack", t / "site.dat.gz", "-C", t / "out"}, WithTmp(t / "smalltmp"));
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.LastLine(), "extracted 3, failed 0");
        EXPECT_TRUE(Names(t / "smalltmp").empty());
        EXPECT_EQ(Names(t / "out"), std::vector<std::string>{"site"});
    }
}

// The most bytes any file the process holds open in `folder` has, named or
// not: how far a job has got, even with scratch files that have no name.
long long BytesHeldIn(pid_t pid, const std::string& folder)
{
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    long long most = -1;
    DIR* dir = opendir(fds.c_str());
    if (!dir) return most;
    while (dirent* fd = readdir(dir)) {
        const std::string link = fds + "/" + fd->d_name;
        char target[4096];
        const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
        if (length <= 0) continue;
        target[length] = '\0';
        struct stat st;
        if (std::string(target).rfind(folder + "/", 0) == 0 && stat(link.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            most = std::max<long long>(most, st.st_size);
    }
    closedir(dir);
    return most;
}

// Starts the tool and kills it once `reached` says so; false when the job
// ended first. The TMPDIR of the child is `tmp`.
template <typename Reached>
bool KillWhen(const std::vector<std::string>& args, const std::string& tmp, const std::string& log,
              Reached reached)
{
    setenv("TMPDIR", tmp.c_str(), 1);
    pid_t pid = StartTool(args, log);
    unsetenv("TMPDIR");
    if (pid <= 0) return false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    bool killed = false;
    while (std::chrono::steady_clock::now() < deadline) {
        if (reached(pid)) {
            kill(pid, SIGKILL);
            killed = true;
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!killed) kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return killed;
}

TEST(Faults, KilledMidPackLeavesNoScratchAndTheOldArchive)
{
    TempTree t;
    MakeNoiseTree(t / "site", 60, 1 << 20);
    MakeFolders(t / "tmp");
    MakeFolders(t / "arch");
    WriteFile(t / "arch/site.dat.gz", "old archive");

    // Killed the moment the scratch file beside the archive exists, and at
    // several points of its growth.
    for (long long mark : {0ll, 1ll << 20, 12ll << 20, 40ll << 20}) {
        SCOPED_TRACE("killed at " + std::to_string(mark) + " bytes");
        std::vector<std::string> namesMeanwhile;
        bool killed = KillWhen({"pack", t / "site", "-o", t / "arch/site.dat.gz"}, t / "tmp", t / "log.txt",
                               [&](pid_t pid) {
                                   if (BytesHeldIn(pid, t / "arch") < mark) return false;
                                   namesMeanwhile = Names(t / "arch");
                                   return true;
                               });
        EXPECT_TRUE(killed) << "the pack ended before it could be killed";
        // Not even while it ran did the scratch file have a name.
        EXPECT_EQ(namesMeanwhile, std::vector<std::string>{"site.dat.gz"});
        EXPECT_EQ(Names(t / "arch"), std::vector<std::string>{"site.dat.gz"});
        EXPECT_TRUE(Names(t / "tmp").empty());
        EXPECT_TRUE(ReadFile(t / "arch/site.dat.gz") == "old archive");
    }

    // A later pack still works and replaces the old archive.
    RunResult r = RunTool({"pack", t / "site", "-o", t / "arch/site.dat.gz"}, WithTmp(t / "tmp"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Names(t / "arch"), std::vector<std::string>{"site.dat.gz"});
    EXPECT_FALSE(ReadFile(t / "arch/site.dat.gz") == "old archive");
}

TEST(Faults, KilledMidUnpackLeavesNoExpandedCopy)
{
    TempTree t;
    MakeNoiseTree(t / "site", 60, 1 << 20);
    MakeFolders(t / "tmp");
    ASSERT_EQ(RunTool({"pack", t / "site", "-o", t / "site.dat.gz"}).exitCode, 0);

    struct Moment { const char* what; long long expanded; int filesOut; };
    for (const Moment& moment : {Moment{"expanding", 1ll << 20, 0}, Moment{"expanding", 30ll << 20, 0},
                                 Moment{"writing files", 0, 5}}) {
        SCOPED_TRACE(std::string(moment.what) + " " + std::to_string(moment.expanded + moment.filesOut));
        RemoveTree(t / "out");
        MakeFolders(t / "out");
        std::vector<std::string> tmpMeanwhile = {"<not looked>"};
        bool killed = KillWhen({"unpack", t / "site.dat.gz", "-C", t / "out"}, t / "tmp", t / "log.txt",
                               [&](pid_t pid) {
                                   if (BytesHeldIn(pid, t / "tmp") < moment.expanded) return false;
                                   if (moment.filesOut > 0 &&
                                       static_cast<int>(Snapshot(t / "out").size()) < moment.filesOut + 1)
                                       return false;
                                   tmpMeanwhile = Names(t / "tmp");
                                   return true;
                               });
        EXPECT_TRUE(killed) << "the unpack ended before it could be killed";
        EXPECT_TRUE(tmpMeanwhile.empty());
        EXPECT_TRUE(Names(t / "tmp").empty());
        for (const auto& entry : Snapshot(t.Path()))
            EXPECT_EQ(entry.first.find("TVN"), std::string::npos) << entry.first;
    }
}

// Unpacking over a working copy, killed in the middle of a file at several
// points of the job: every file is whole, the old one or the new one, and
// no scratch name is left beside them.
TEST(Faults, KilledMidUnpackOverAWorkingCopyLeavesEveryFileOldOrNew)
{
    const int kFiles = 6;
    const long long kSize = 8 << 20;
    TempTree t;
    MakeNoiseTree(t / "site", kFiles, kSize);
    MakeFolders(t / "tmp");
    ASSERT_EQ(RunTool({"pack", "--plain", t / "site"}).exitCode, 0);

    for (int replacedBefore : {0, 2, 4}) {
        SCOPED_TRACE("killed after " + std::to_string(replacedBefore) + " files");
        std::vector<ino_t> oldNodes;
        bool killed = false;
        // The moment is a matter of timing: on a busy machine a whole file can
        // be written between two looks, so a run that ended first is tried again.
        for (int attempt = 0; attempt < 3 && !killed; ++attempt) {
            oldNodes.clear();
            for (int i = 0; i < kFiles; ++i) {
                const std::string path = t / ("out/site/f" + std::to_string(i) + ".bin");
                WriteFile(path, Noise(kSize, 100 + i));
                struct stat st;
                ASSERT_EQ(stat(path.c_str(), &st), 0);
                oldNodes.push_back(st.st_ino);
            }
            // Killed while a file is being written, well before its last byte.
            killed = KillWhen({"unpack", t / "site.dat", "-C", t / "out"}, t / "tmp", t / "log.txt",
                                   [&](pid_t pid) {
                                       int replaced = 0;
                                       for (int i = 0; i < kFiles; ++i) {
                                           struct stat st;
                                           const std::string path = t / ("out/site/f" + std::to_string(i) + ".bin");
                                           if (stat(path.c_str(), &st) == 0 && st.st_ino != oldNodes[i]) ++replaced;
                                       }
                                       const long long held = BytesHeldIn(pid, t / "out");
                                       return replaced >= replacedBefore && held >= 0 && held <= kSize / 2;
                                   });
        }
        EXPECT_TRUE(killed) << "the unpack ended before it could be killed";
        const std::map<std::string, std::string> out = Snapshot(t / "out/site");
        EXPECT_EQ(out.size(), static_cast<size_t>(kFiles));
        int replaced = 0;
        for (int i = 0; i < kFiles; ++i) {
            const std::string name = "f" + std::to_string(i) + ".bin";
            const auto found = out.find(name);
            ASSERT_NE(found, out.end()) << name;
            const bool isNew = found->second == ReadFile(t / ("site/" + name));
            EXPECT_TRUE(isNew || found->second == Noise(kSize, 100 + i)) << name << " is neither old nor new";
            replaced += isNew;
        }
        EXPECT_GE(replaced, replacedBefore);
        EXPECT_LT(replaced, kFiles);
    }
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
