// The progress window as the main window uses it: created modeless over the
// main window, fed positions, deleted at the end. Also the screenshots.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <ctime>
#include <string>

#include "Harness.h"
#include "ProgressDlg.h"
#include "Screenshot.h"
#include "Text.h"
#include "WinApp.h"
#include "resource.h"

namespace {

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[64] = {};
    ::GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

struct TextSearch {
    std::wstring wanted;
    HWND found = nullptr;
};

BOOL CALLBACK FindChildWithText(HWND child, LPARAM lParam) {
    auto* search = reinterpret_cast<TextSearch*>(lParam);
    wchar_t text[64] = {};
    ::GetWindowTextW(child, text, 64);
    if (search->wanted == text) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

class ProgressWindow : public ::testing::Test {
protected:
    void SetUp() override {
        AfxGetApp()->m_pMainWnd = &mainWindow;
        dialog = new CProgressDlg;
        ASSERT_TRUE(dialog->Create(IDD_PROGRESS, &mainWindow));
        dialog->ShowWindow(SW_SHOW);
        hDlg = dialog->m_hWnd;
    }
    void TearDown() override {
        delete dialog;
        AfxGetApp()->m_pMainWnd = nullptr;
    }

    harness::RecordingWindow mainWindow;
    CProgressDlg* dialog = nullptr;
    HWND hDlg = nullptr;
};

}  // namespace

TEST_F(ProgressWindow, ShowsTheNoticeABlankClockAndAnEmptyBarWithoutAFrameToCloseIt) {
    TextSearch notice{WideFromUtf8(u8"操作正在进行，请稍等..."), nullptr};
    ::EnumChildWindows(hDlg, &FindChildWithText, reinterpret_cast<LPARAM>(&notice));
    EXPECT_NE(notice.found, nullptr);
    EXPECT_EQ(ItemText(hDlg, IDC_ELAPSED), L"");  // blank for the first second

    EXPECT_EQ(dialog->m_progress.m_hWnd, ::GetDlgItem(hDlg, IDC_PROGRESS_BAR));
    EXPECT_EQ(dialog->m_progress.GetUpper(), 100);
    EXPECT_EQ(dialog->m_progress.GetPosition(), 0);
    EXPECT_EQ(::SendMessageW(dialog->m_progress.m_hWnd, PBM_GETPOS, 0, 0), 0);

    LONG style = ::GetWindowLongW(hDlg, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(style & WS_SYSMENU, 0);
    EXPECT_EQ(::GetWindow(hDlg, GW_OWNER), mainWindow.m_hWnd);
}

TEST_F(ProgressWindow, IsCentredOverTheMainWindow) {
    RECT self, owner;
    ::GetWindowRect(hDlg, &self);
    ::GetWindowRect(mainWindow.m_hWnd, &owner);
    EXPECT_NEAR((self.left + self.right) / 2, (owner.left + owner.right) / 2, 1);
    EXPECT_NEAR((self.top + self.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
}

TEST_F(ProgressWindow, EnterAndEscapeLeaveItOpen) {
    HWND bar = dialog->m_progress.m_hWnd;
    ::SetFocus(bar);
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        MSG msg = {bar, WM_KEYDOWN, key, 0, 0, {0, 0}};
        if (!::IsDialogMessageW(hDlg, &msg)) ::DispatchMessageW(&msg);
    }
    ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    harness::PumpUntil([] { return true; });
    EXPECT_TRUE(::IsWindow(hDlg));
    EXPECT_TRUE(::IsWindowVisible(hDlg));
    EXPECT_EQ(dialog->m_hWnd, hDlg);
}

TEST_F(ProgressWindow, ClockShowsTheElapsedTimeAfterTheFirstTick) {
    std::time_t before = std::time(nullptr);
    ASSERT_TRUE(harness::PumpUntil([&] { return !ItemText(hDlg, IDC_ELAPSED).empty(); }));
    long long waited = static_cast<long long>(std::time(nullptr) - before);
    std::wstring shown = ItemText(hDlg, IDC_ELAPSED);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown.substr(0, 3), L"00:");
    int seconds = std::stoi(shown.substr(3));
    EXPECT_LE(seconds, waited + 2);  // never ahead of the real time
    testing_win::SaveWindowScreenshot(hDlg, "progress-clock");

    // The text comes from the start time, not from counting ticks: an
    // operation 1 h 2 min 5 s old shows 02:05 at the next tick.
    dialog->m_timeStart = std::time(nullptr) - 3725;
    ::SendMessageW(hDlg, WM_TIMER, 11, 0);
    std::wstring later = ItemText(hDlg, IDC_ELAPSED);
    EXPECT_TRUE(later == L"02:05" || later == L"02:06") << Utf8FromWide(later);
    // Other timers leave the clock alone.
    dialog->m_timeStart = std::time(nullptr);
    ::SendMessageW(hDlg, WM_TIMER, 12, 0);
    EXPECT_EQ(ItemText(hDlg, IDC_ELAPSED), later);
}

TEST_F(ProgressWindow, FollowsThePositionsItIsFedAndGoesWithItsObject) {
    HWND bar = dialog->m_progress.m_hWnd;
    for (int value : {0, 40, 100}) {
        dialog->m_progress.SetPosition(value);
        EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), value);
        testing_win::SaveWindowScreenshot(hDlg, "progress-" + std::to_string(value));
    }
    // At 40 the left end is filled and the right end is not.
    dialog->m_progress.SetPosition(40);
    ::UpdateWindow(bar);
    RECT client;
    ::GetClientRect(bar, &client);
    EXPECT_NE(testing_win::ClientPixel(bar, 1, client.bottom / 2),
              testing_win::ClientPixel(bar, client.right - 2, client.bottom / 2));

    dialog->m_progress.SetPosition(150);
    EXPECT_EQ(dialog->m_progress.GetPosition(), 100);

    delete dialog;
    dialog = nullptr;
    EXPECT_FALSE(::IsWindow(hDlg));
    EXPECT_FALSE(::IsWindow(bar));
}
