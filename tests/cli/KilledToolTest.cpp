// The Windows torvan.exe ended with TerminateProcess in the middle of a job,
// as closing Torvan.exe ends its worker: no scratch file may survive it,
// and the old archive, or the old copy of an unpacked file, must be intact. Runs under Wine in the Windows builds.
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
    // moment a scratch file in `watched` holds `bytes`; false when the job
    // ended first.
    bool KillWhenScratchHolds(const std::string& arguments, const std::string& watched, ULONGLONG bytes)
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
            ULONGLONG largest = 0;
            List(watched, &largest);
            if (largest >= bytes) {
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

TEST_F(KilledTool, UnpackLeavesNoExpandedCopy)
{
    ASSERT_EQ(RunToEnd("pack -q \"" + root + "\\site\" -o \"" + root + "\\site.dat.gz\""), 0);

    const std::string arguments = "unpack \"" + root + "\\site.dat.gz\" -C \"" + root + "\\out\"";
    EXPECT_TRUE(KillWhenScratchHolds(arguments, root + "\\tmp", 8ull << 20)) << "the unpack ended first";
    EXPECT_TRUE(SettledList(root + "\\tmp", 0).empty());
    EXPECT_TRUE(List(root + "\\out").empty());
}

// Over a working copy, ended while a file is half written, one file after
// another: every file is whole, old or new, and no scratch name is left
// beside them. The files are large, so that the end comes while the bytes
// are being written, the long part of each file.
TEST_F(KilledTool, UnpackOverAWorkingCopyLeavesEveryFileOldOrNew)
{
    const int kFiles = 3;
    std::mt19937 random(11);
    std::vector<std::string> fresh, old;
    CreateDirectoryA((root + "\\big").c_str(), nullptr);
    CreateDirectoryA((root + "\\out\\big").c_str(), nullptr);
    auto file = [&](const std::string& top, int i) { return top + "\\big\\d" + std::to_string(i) + "\\f"; };
    for (int i = 0; i < kFiles; ++i) {
        std::string bytes(40 << 20, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        fresh.push_back(bytes);
        old.push_back(bytes.substr(1) + "o");
        CreateDirectoryA((root + "\\big\\d" + std::to_string(i)).c_str(), nullptr);
        CreateDirectoryA((root + "\\out\\big\\d" + std::to_string(i)).c_str(), nullptr);
        ASSERT_TRUE(Write(file(root, i), bytes));
    }
    ASSERT_EQ(RunToEnd("pack -q --plain \"" + root + "\\big\" -o \"" + root + "\\big.dat\""), 0);

    const std::string arguments = "unpack \"" + root + "\\big.dat\" -C \"" + root + "\\out\"";
    for (int victim = 0; victim < kFiles; ++victim) {
        SCOPED_TRACE("killed while writing d" + std::to_string(victim));
        for (int i = 0; i < kFiles; ++i) ASSERT_TRUE(Write(file(root + "\\out", i), old[i]));
        const std::string folder = root + "\\out\\big\\d" + std::to_string(victim);
        EXPECT_TRUE(KillWhenScratchHolds(arguments, folder, 1)) << "the unpack ended first";
        for (int i = 0; i < kFiles; ++i) {
            const std::string dir = root + "\\out\\big\\d" + std::to_string(i);
            EXPECT_EQ(SettledList(dir, 1), std::vector<std::string>{"f"});
            const std::string now = Read(file(root + "\\out", i));
            EXPECT_TRUE(now == fresh[i] || now == old[i]) << "d" << i << " is neither old nor new";
        }
    }
}

}  // namespace
