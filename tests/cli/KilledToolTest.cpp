// The Windows torvan.exe ended with TerminateProcess in the middle of a job,
// as closing Torvan.exe ends its worker: no scratch file may survive it
// outside an unpack's staging folder, and the old archive, or the old copy
// of an unpacked file, must be intact. Runs under Wine in the Windows builds.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "WinToolSupport.h"

namespace {

class KilledTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        static int serial = 0;
        root = std::string(temp) + "torvan-kill-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++serial);
        CreateDirectoryA(root.c_str(), nullptr);
        for (const char* sub : {"\\site", "\\arch", "\\tmp", "\\out"}) CreateDirectoryA((root + sub).c_str(), nullptr);
        // Bytes that do not compress, so the archive grows as fast as it is read.
        std::mt19937 random(7);
        std::string noise(1 << 20, '\0');
        for (int i = 0; i < 40; ++i) {
            for (char& c : noise) c = static_cast<char>(random());
            ASSERT_TRUE(Write(root + "\\site\\f" + std::to_string(i) + ".bin", noise));
        }
        ASSERT_TRUE(Write(root + "\\arch\\site.dat.gz", "old archive"));
    }

    void TearDown() override
    {
        RemoveTree(root);
    }

    // Starts torvan.exe with the private temporary folder and ends it the
    // moment `reached` says so; false when the job ended first.
    template <typename Reached>
    bool KillWhen(const std::string& arguments, Reached reached)
    {
        char tmp[MAX_PATH] = "", temp[MAX_PATH] = "";
        GetEnvironmentVariableA("TMP", tmp, sizeof tmp);
        GetEnvironmentVariableA("TEMP", temp, sizeof temp);
        SetEnvironmentVariableA("TMP", (root + "\\tmp").c_str());
        SetEnvironmentVariableA("TEMP", (root + "\\tmp").c_str());
        std::string command = "\"" + Native(TORVAN_TOOL_PATH) + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        const BOOL started =
            CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
        SetEnvironmentVariableA("TMP", tmp);
        SetEnvironmentVariableA("TEMP", temp);
        if (!started) return false;
        bool killed = false;
        // Looked at without pausing: under Wine a file of many megabytes is
        // written within the shortest wait.
        const DWORD start = GetTickCount();
        while (!killed && GetTickCount() - start < 120000) {
            if (reached()) {
                killed = TerminateProcess(process.hProcess, 9) != FALSE;
                break;
            }
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
        }
        if (!killed) TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return killed;
    }

    // Ends it the moment a scratch file in `watched` (or in an unpack's
    // staging folder there) holds `bytes`.
    bool KillWhenScratchHolds(const std::string& arguments, const std::string& watched, ULONGLONG bytes)
    {
        return KillWhen(arguments, [&] { return LargestScratch(watched) >= bytes; });
    }

    // Of the folder and of an unpack's staging folder in it, whose files
    // lie in folders of their own.
    static ULONGLONG LargestScratch(const std::string& folder)
    {
        ULONGLONG largest = 0;
        for (const std::string& name : List(folder, &largest)) {
            if (!IsStaging(name)) continue;
            for (const std::string& group : List(folder + "\\" + name)) {
                ULONGLONG staged = 0;
                List(folder + "\\" + name + "\\" + group, &staged);
                if (staged > largest) largest = staged;
            }
        }
        return largest;
    }

    static bool IsStaging(const std::string& name) { return name.rfind(".torvan-staging-", 0) == 0; }

    // What an unpack left in a folder besides its staging folders.
    static std::vector<std::string> Outside(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const std::string& name : List(folder))
            if (!IsStaging(name)) names.push_back(name);
        return names;
    }

    // The system removes a dead process's files as it closes its handles,
    // which may take it a moment.
    static std::vector<std::string> SettledList(const std::string& folder, std::size_t expected)
    {
        std::vector<std::string> names = List(folder);
        for (int i = 0; i < 100 && names.size() != expected; ++i) {
            Sleep(50);
            names = List(folder);
        }
        return names;
    }

    std::string root;
};

TEST_F(KilledTool, PackLeavesNoScratchAndTheOldArchive)
{
    const std::string arguments = "pack \"" + root + "\\site\" -o \"" + root + "\\arch\\site.dat.gz\"";
    for (ULONGLONG mark : {1ull << 20, 16ull << 20}) {
        SCOPED_TRACE(mark);
        EXPECT_TRUE(KillWhenScratchHolds(arguments, root + "\\arch", mark)) << "the pack ended first";
        EXPECT_EQ(SettledList(root + "\\arch", 1), std::vector<std::string>{"site.dat.gz"});
        EXPECT_TRUE(SettledList(root + "\\tmp", 0).empty());
        EXPECT_EQ(Read(root + "\\arch\\site.dat.gz"), "old archive");
    }
}

// Ended before its commit: the folder holds nothing of the archive, and
// the next unpack into it leaves no staging folder.
TEST_F(KilledTool, UnpackEndedBeforeItsCommitLeavesTheFolderAsItWas)
{
    ASSERT_EQ(RunToEnd("pack -q \"" + root + "\\site\" -o \"" + root + "\\site.dat.gz\""), 0);

    const std::string arguments = "unpack \"" + root + "\\site.dat.gz\" -C \"" + root + "\\out\"";
    for (ULONGLONG mark : {1ull, 512ull << 10}) {
        SCOPED_TRACE(mark);
        EXPECT_TRUE(KillWhenScratchHolds(arguments, root + "\\out", mark)) << "the unpack ended first";
        EXPECT_TRUE(Outside(root + "\\out").empty());
        EXPECT_TRUE(SettledList(root + "\\tmp", 0).empty());
    }
    ASSERT_EQ(RunToEnd(arguments), 0);
    EXPECT_EQ(List(root + "\\out"), std::vector<std::string>{"site"});
}

// Over a working copy, ended while the files are staged and while they are
// put in place: every file is whole, old or new, and no scratch name is
// left beside them.
TEST_F(KilledTool, UnpackOverAWorkingCopyLeavesEveryFileOldOrNew)
{
    const int kFiles = 1500;
    std::mt19937 random(11);
    std::vector<std::string> fresh, old;
    CreateDirectoryA((root + "\\many").c_str(), nullptr);
    CreateDirectoryA((root + "\\out\\many").c_str(), nullptr);
    auto file = [&](const std::string& top, int i) { return top + "\\many\\f" + std::to_string(i); };
    for (int i = 0; i < kFiles; ++i) {
        std::string bytes(700, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        fresh.push_back(bytes);
        old.push_back(bytes.substr(1) + "o");
        ASSERT_TRUE(Write(file(root, i), bytes));
    }
    ASSERT_EQ(RunToEnd("pack -q --plain \"" + root + "\\many\" -o \"" + root + "\\many.dat\""), 0);

    const std::string arguments = "unpack \"" + root + "\\many.dat\" -C \"" + root + "\\out\"";
    bool duringCommit = false;
    for (int attempt = 0; attempt < 6 && !duringCommit; ++attempt) {
        for (int i = 0; i < kFiles; ++i) ASSERT_TRUE(Write(file(root + "\\out", i), old[i]));
        // First while staging, then at the moment the first file is in place.
        if (attempt == 0) {
            EXPECT_TRUE(KillWhenScratchHolds(arguments, root + "\\out", 1)) << "the unpack ended first";
        } else {
            KillWhen(arguments, [&] { return Read(file(root + "\\out", 0)) == fresh[0]; });
        }
        int replaced = 0;
        EXPECT_EQ(SettledList(root + "\\out\\many", kFiles).size(), static_cast<size_t>(kFiles));
        for (int i = 0; i < kFiles; ++i) {
            const std::string now = Read(file(root + "\\out", i));
            EXPECT_TRUE(now == fresh[i] || now == old[i]) << "f" << i << " is neither old nor new";
            replaced += now == fresh[i];
        }
        if (attempt == 0) EXPECT_EQ(replaced, 0);
        duringCommit = replaced > 0 && replaced < kFiles;
    }
    EXPECT_TRUE(duringCommit) << "the commit never was caught under way";
}

}  // namespace
