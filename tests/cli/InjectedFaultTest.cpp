// The disk filling up, wherever it happens, through the engine's file-system
// hook: the same promises as with a real full disk (FaultTest.cpp), checked
// at every point of a job, and also where no small file system can be
// mounted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "ArchiveReader.h"
#include "ArchiveWriter.h"
#include "FileSystem.h"
#include "TempTree.h"

using namespace torvan;
using namespace torvan::test;

namespace {

// Takes `budget` bytes of writes in all, then refuses every write, as a disk
// that has just filled does.
class FillingDisk : public DelegatingFileSystem {
public:
    FillingDisk(size_t budget) : DelegatingFileSystem(PlatformFileSystem()), m_budget(budget) {}

    bool Write(Handle file, const void* data, std::size_t size) override
    {
        if (size > m_budget) {
            m_budget = 0;
            return false;
        }
        m_budget -= size;
        return m_inner.Write(file, data, size);
    }

private:
    size_t m_budget;
};

std::string Noise(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& c : data) c = static_cast<char>(random());
    return data;
}

// Points the engine's scratch files at a folder the test can watch.
class TmpDirScope {
public:
    explicit TmpDirScope(const std::string& folder)
    {
        const char* old = std::getenv("TMPDIR");
        m_had = old != nullptr;
        if (old) m_old = old;
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TmpDirScope()
    {
        if (m_had) setenv("TMPDIR", m_old.c_str(), 1);
        else unsetenv("TMPDIR");
    }

private:
    bool m_had = false;
    std::string m_old;
};

const size_t kFileSize = 300 << 10;
const size_t kBudgets[] = {0, 1, 100, kFileSize - 1, kFileSize + 50, 2 * kFileSize, 3 * kFileSize + 10,
                           4 * kFileSize, 6 * kFileSize};

}  // namespace

TEST(InjectedFaults, PackFailsCleanlyWhereverTheDiskFills)
{
    TempTree t;
    for (int i = 0; i < 3; ++i) WriteFile(t / ("site/f" + std::to_string(i)), Noise(kFileSize, i));
    MakeFolders(t / "tmp");
    MakeFolders(t / "arch");
    TmpDirScope tmp(t / "tmp");

    for (bool gzip : {false, true}) {
        for (size_t budget : kBudgets) {
            SCOPED_TRACE("gzip " + std::to_string(gzip) + ", budget " + std::to_string(budget));
            WriteFile(t / "arch/site.dat", "old archive");
            FillingDisk disk(budget);
            EngineOptions options;
            options.fs = &disk;
            std::string why;
            options.problem = [&why](const std::string&, const std::string& w) { why += w + ";"; };
            PackJob job;
            job.folder = t / "site";
            job.archive = t / "arch/site.dat";
            job.gzip = gzip;
            bool ok = Pack(job, nullptr, options);

            std::map<std::string, std::string> arch = Snapshot(t / "arch");
            EXPECT_TRUE(Snapshot(t / "tmp").empty());
            if (ok) {
                // Enough room after all: the whole archive, nothing else.
                EXPECT_EQ(arch.size(), 1u);
                EXPECT_GT(arch["site.dat"].size(), 3 * kFileSize / 2);
            } else {
                EXPECT_NE(why.find("disk full"), std::string::npos) << why;
                EXPECT_EQ(arch, (std::map<std::string, std::string>{{"site.dat", "old archive"}}));
            }
        }
    }
}

TEST(InjectedFaults, UnpackCountsWhatItCouldNotWriteAndLeavesNoScratch)
{
    TempTree t;
    for (int i = 0; i < 3; ++i) WriteFile(t / ("site/f" + std::to_string(i)), Noise(kFileSize, i));
    MakeFolders(t / "tmp");
    PackJob job;
    job.folder = t / "site";
    job.archive = t / "site.dat.gz";
    ASSERT_TRUE(Pack(job, nullptr));
    std::string archive = ReadFile(t / "site.dat.gz");
    TmpDirScope tmp(t / "tmp");

    for (size_t budget : kBudgets) {
      // Into an empty folder, and over a working copy whose files must stay whole.
      for (bool over : {false, true}) {
        SCOPED_TRACE("budget " + std::to_string(budget) + (over ? ", over a copy" : ""));
        RemoveTree(t / "out");
        MakeFolders(t / "out");
        for (int i = 0; over && i < 3; ++i) WriteFile(t / ("out/site/f" + std::to_string(i)), "old");
        const std::map<std::string, std::string> before = Snapshot(t / "out");
        FillingDisk disk(budget);
        EngineOptions options;
        options.fs = &disk;
        UnpackResult result = Unpack(t / "site.dat.gz", t / "out", nullptr, options);

        EXPECT_TRUE(Snapshot(t / "tmp").empty());
        EXPECT_EQ(ReadFile(t / "site.dat.gz"), archive);
        if (result.extracted == 0 && result.failed == 0) {
            // The expanded copy did not fit: nothing was started.
            EXPECT_EQ(Snapshot(t / "out"), before);
            continue;
        }
        EXPECT_EQ(result.extracted + result.failed, 3);
        // What counts as extracted is whole; what failed is not left cut
        // short, and an old file it would have replaced is as it was.
        int whole = 0;
        for (const auto& [name, contents] : Snapshot(t / "out")) {
            if (contents == "<dir>") continue;
            if (over && contents == "old") continue;
            EXPECT_EQ(contents, ReadFile(t / name)) << name << " is cut short";
            ++whole;
        }
        EXPECT_EQ(whole, result.extracted);
        if (over) EXPECT_EQ(Snapshot(t / "out/site").size(), 3u);
      }
    }
}
