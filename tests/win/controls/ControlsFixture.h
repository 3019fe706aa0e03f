// A fresh test dialog for every test, shown on top at a fixed screen spot.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "ControlsTestDialog.h"
#include "ControlsTestIds.h"

class ControlsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init = {sizeof(init), ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&init);
        ::SetCursorPos(0, 0);  // away from the dialog until a test wants hover
        dlg = std::make_unique<CControlsTestDlg>();
        ASSERT_TRUE(dlg->Create(IDD_CONTROLS_TEST));
        ::SetWindowPos(dlg->m_hWnd, HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(dlg->m_hWnd);
        ::UpdateWindow(dlg->m_hWnd);
        // A pointer left over a button by an earlier run may have made it
        // hot as the dialog appeared; with the pointer parked away, leave
        // tracking cools it again.
        ::SetCursorPos(0, 0);
        ASSERT_TRUE(PumpUntil([this] { return !AnyHover(); }));
    }
    void TearDown() override {
        ::SetCursorPos(0, 0);
        dlg.reset();
        PumpMessages();
    }

    HWND Item(int id) const { return ::GetDlgItem(dlg->m_hWnd, id); }

    // Puts the mouse in the middle of a button and tells the button so; the
    // real cursor has to be there too, or leave tracking ends the hover.
    bool HoverOver(CFlatBitmapButton& button) {
        RECT rc;
        ::GetClientRect(button.m_hWnd, &rc);
        POINT centre = {rc.right / 2, rc.bottom / 2};
        POINT screen = centre;
        ::ClientToScreen(button.m_hWnd, &screen);
        ::SetCursorPos(screen.x, screen.y);
        ::SendMessageW(button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
        return PumpUntil([&] { return button.IsHover() != FALSE; });
    }

    bool AnyHover() const {
        return dlg->m_btnTick.IsHover() || dlg->m_btnHelp.IsHover() || dlg->m_btnText.IsHover() ||
               dlg->m_btnCross.IsHover();
    }

    std::unique_ptr<CControlsTestDlg> dlg;
};
