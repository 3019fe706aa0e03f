// The About box run for real: its texts, the icon control, the link label
// with the product's address, the flat OK button, and both ways out.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "AboutDlg.h"
#include "ModalDriver.h"
#include "Screenshot.h"
#include "Text.h"
#include "resource.h"

namespace {

const wchar_t kCaption[] = L"关于 Torvan";

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[128] = {};
    ::GetDlgItemTextW(dialog, id, text, 128);
    return text;
}

struct Seen {
    std::wstring version, notice, tip;
    bool iconControl = false;
    HICON icon = nullptr;
    LONG okType = -1;
};

BOOL CALLBACK ReadChild(HWND child, LPARAM lParam) {
    auto* seen = reinterpret_cast<Seen*>(lParam);
    LONG style = ::GetWindowLongW(child, GWL_STYLE);
    wchar_t text[128] = {};
    ::GetWindowTextW(child, text, 128);
    if ((style & SS_TYPEMASK) == SS_ICON) {
        seen->iconControl = true;
        seen->icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
    }
    if (std::wstring(text).rfind(L"Torvan version", 0) == 0) seen->version = text;
    return TRUE;
}

}  // namespace

TEST(AboutBox, ShowsVersionIconAndALinkedNoticeAndClosesWithOk) {
    CAboutDlg dlg;
    ModalDriver driver;
    Seen seen;
    INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
        HWND w = d.WaitForDialog(kCaption);
        if (!w) return;
        ::EnumChildWindows(w, &ReadChild, reinterpret_cast<LPARAM>(&seen));
        seen.notice = ItemText(w, IDC_ABOUT_NOTICE);
        wchar_t tip[128] = {};
        TOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = ::GetDlgItem(w, IDC_ABOUT_NOTICE);
        tool.uId = 1;
        tool.lpszText = tip;
        ::SendMessageW(dlg.m_linkNotice.GetToolTip(), TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
        seen.tip = tip;
        seen.okType = ::GetWindowLongW(::GetDlgItem(w, IDOK), GWL_STYLE) & BS_TYPEMASK;
        testing_win::SaveWindowScreenshot(w, "about-box");
        ::PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(w, IDOK)));
        if (!d.WaitGone(w)) d.Fail("the About box stayed open");
    });
    EXPECT_TRUE(driver.failures().empty());
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.version, L"Torvan version 1.0    10/2003");
    // The box opens even where the program's icon is missing; where it is
    // there, the icon control shows it.
    EXPECT_TRUE(seen.iconControl);
    if (::FindResourceA(nullptr, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */))
        EXPECT_NE(seen.icon, nullptr);
    EXPECT_EQ(seen.notice, WideFromUtf8("© 2003 Torvan 开发组  www.torvan.example"));
    EXPECT_EQ(dlg.m_linkNotice.GetTarget(), "http://www.torvan.example/");
    EXPECT_EQ(seen.tip, L"http://www.torvan.example/");
    EXPECT_EQ(seen.okType, BS_OWNERDRAW);
    EXPECT_EQ(dlg.m_btnOK.GetColorSlot(CFlatBitmapButton::ColorHotText), RGB(245, 0, 0));
}

TEST(AboutBox, EscapeClosesIt) {
    CAboutDlg dlg;
    ModalDriver driver;
    INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
        HWND w = d.WaitForDialog(kCaption);
        if (!w) return;
        GUITHREADINFO gui = {sizeof gui};
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(w, nullptr), &gui);
        HWND target = gui.hwndFocus ? gui.hwndFocus : w;
        ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
        if (!d.WaitGone(w)) d.Fail("Escape left the About box open");
    });
    EXPECT_TRUE(driver.failures().empty());
    EXPECT_EQ(result, IDCANCEL);
}
