// The workers against the real engine, reporting to a recording main
// window: the exact notification sequence and values, and the result boxes
// (text, icon, owner, caption) that the harness reads and closes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "MessageBox.h"
#include "OperationProgress.h"
#include "Text.h"
#include "UnzipThread.h"
#include "WinApp.h"
#include "WorkerLaunch.h"
#include "ZipThread.h"

using harness::RecordingWindow;
using namespace torvan;

namespace {

// Notifications as (code, value), with a box written as (0, 0).
using Sequence = std::vector<std::pair<int, int>>;

Sequence Codes(const RecordingWindow& window) {
    Sequence codes;
    for (const auto& e : window.log) codes.emplace_back(e.code, e.value);
    return codes;
}

const harness::BoxReading* OnlyBox(const RecordingWindow& window) {
    const harness::BoxReading* found = nullptr;
    for (const auto& e : window.log) {
        if (e.code != 0) continue;
        if (found) return nullptr;
        found = &e.box;
    }
    return found;
}

class Workers : public ::testing::Test {
protected:
    void SetUp() override {
        AfxGetApp()->m_pMainWnd = &window;
        ::SetForegroundWindow(window.m_hWnd);
    }
    void TearDown() override { AfxGetApp()->m_pMainWnd = nullptr; }

    // Starts the worker as the main window does and waits for its last word.
    template <class Thread, class Fill>
    bool Run(Fill fill, const std::string& screenshot = "") {
        Thread* thread = AfxBeginThread<Thread>(0, 0, CREATE_SUSPENDED);
        if (!thread) return false;
        fill(*thread);
        thread->m_bAutoDelete = TRUE;
        DWORD id = thread->m_nThreadID;
        HANDLE handle = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), thread->m_hThread, ::GetCurrentProcess(), &handle, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
        ResumeUntilRunning(thread->m_hThread);
        bool ended = harness::RunWorkerToEnd(window, id, screenshot);
        // The thread ends right after its last notification.
        bool gone = harness::PumpUntil([&] { return ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; });
        ::CloseHandle(handle);
        return ended && gone;
    }

    bool Pack(const std::string& folder, const std::string& archive, BOOL gzip = TRUE,
              const std::string& screenshot = "") {
        return Run<CZipThread>(
            [&](CZipThread& t) {
                t.m_strFolder = folder;
                t.m_strArchive = archive;
                t.m_bGzip = gzip;
            },
            screenshot);
    }

    bool Unpack(const std::string& archive, const std::string& destination, const std::string& screenshot = "") {
        return Run<CUnzipThread>(
            [&](CUnzipThread& t) {
                t.m_strArchive = archive;
                t.m_strDestination = destination;
            },
            screenshot);
    }

    RecordingWindow window;
    harness::TempFolder temp{"workers"};
};

}  // namespace

TEST_F(Workers, PackOf25FilesReportsAtEveryTenthAndShowsTheSuccessBox) {
    temp.AddFiles("site", 25);
    std::string archive = temp.Join("site.dat.gz");
    ASSERT_TRUE(Pack(temp.Join("site"), archive, TRUE, "pack-succeeded-box"));

    EXPECT_EQ(Codes(window), (Sequence{{OPN_PROGRESS, 40}, {OPN_PROGRESS, 80}, {OPN_COMPLETE, 0},
                                       {0, 0}, {OPN_FINISHED, 0}}));
    const harness::BoxReading* box = OnlyBox(window);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text, WideFromUtf8(u8"恭喜，成功将 25 个文件压缩成 \"") + WideFromAnsi(archive) +
                             WideFromUtf8(u8"\" 文件！"));
    EXPECT_EQ(box->icon, ::LoadIconA(nullptr, IDI_INFORMATION));
    EXPECT_EQ(box->caption, harness::SystemDefaultCaption());
    EXPECT_NE(box->caption, ProgramName());
    EXPECT_EQ(box->owner, window.m_hWnd);  // the foreground window
    EXPECT_NE(::GetFileAttributesA(archive.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Workers, PackOfExactlyTenFilesReportsOneHundred) {
    temp.AddFiles("ten", 10);
    ASSERT_TRUE(Pack(temp.Join("ten"), temp.Join("ten.dat"), FALSE));
    EXPECT_EQ(Codes(window),
              (Sequence{{OPN_PROGRESS, 100}, {OPN_COMPLETE, 0}, {0, 0}, {OPN_FINISHED, 0}}));
}

TEST_F(Workers, PackOfAnEmptyFolderSendsOnlyFailed) {
    ::CreateDirectoryA(temp.Join("empty").c_str(), nullptr);
    ASSERT_TRUE(Pack(temp.Join("empty"), temp.Join("empty.dat.gz")));
    EXPECT_EQ(Codes(window), (Sequence{{OPN_FAILED, 0}}));
}

TEST_F(Workers, UnpackOfANonArchiveReportsCompleteTheFailureBoxFinished) {
    temp.AddFile("notes.dat", "this is not an archive at all");
    ::CreateDirectoryA(temp.Join("out").c_str(), nullptr);
    ASSERT_TRUE(Unpack(temp.Join("notes.dat"), temp.Join("out"), "unpack-failed-box"));

    EXPECT_EQ(Codes(window), (Sequence{{OPN_COMPLETE, 0}, {0, 0}, {OPN_FINISHED, 0}}));
    const harness::BoxReading* box = OnlyBox(window);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text, WideFromUtf8(u8"解压失败!可能原因有：\n1, 无效的文件格式或文件被损坏!\n"
                                      u8"2, 目标文件夹下存在同名的文件，使得程序无法正确创建文件夹!"));
    EXPECT_EQ(box->icon, ::LoadIconA(nullptr, IDI_ERROR));
    EXPECT_EQ(box->caption, harness::SystemDefaultCaption());
}

TEST_F(Workers, RoundTripThroughAChineseFolderNamesItInBothBoxes) {
    std::string site = harness::AnsiFromUtf8(u8"网站");
    temp.AddFiles(site, 12);
    std::string archive = temp.Join(site + ".dat.gz");
    ASSERT_TRUE(Pack(temp.Join(site), archive));
    const harness::BoxReading* packBox = OnlyBox(window);
    ASSERT_NE(packBox, nullptr);
    EXPECT_NE(packBox->text.find(WideFromUtf8(u8"网站.dat.gz\" 文件！")), std::wstring::npos);

    window.log.clear();
    std::string destination = temp.Join(harness::AnsiFromUtf8(u8"解压到"));
    ::CreateDirectoryA(destination.c_str(), nullptr);
    char before[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(Unpack(archive, destination, "unpack-succeeded-box"));

    EXPECT_EQ(Codes(window), (Sequence{{OPN_PROGRESS, 83}, {OPN_COMPLETE, 0}, {0, 0}, {OPN_FINISHED, 0}}));
    const harness::BoxReading* box = OnlyBox(window);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text, WideFromUtf8(u8"解压成功! 成功将 12 个文件解压到 \"") + WideFromAnsi(destination) +
                             WideFromUtf8(u8"\" 目录下!"));
    EXPECT_EQ(box->icon, ::LoadIconA(nullptr, IDI_INFORMATION));
    // The unpack made the destination the process's current directory.
    char now[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, now);
    EXPECT_EQ(::lstrcmpiA(now, destination.c_str()), 0);
    ::SetCurrentDirectoryA(before);
}
