// CWnd, CDialog and data exchange on a real dialog: controls bound to
// objects, messages reflected to them, fields moved both ways, modal and
// modeless lifetimes, and the program's message-box caption.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DataExchange.h"
#include "Dialog.h"
#include "Harness.h"
#include "MessageBox.h"
#include "TestResource.h"
#include "Text.h"

namespace {

class ProbeControl : public CWnd {
public:
    bool sawHandleBeforeSubclass = false;
    int drawn = 0;
    int commands = 0;
    int colours = 0;
    int finalMessages = 0;
    BOOL takeCommands = FALSE;
    HBRUSH brush = nullptr;

protected:
    void PreSubclassWindow() override { sawHandleBeforeSubclass = m_hWnd != nullptr; }
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (message == WM_COMMAND) {
            ++commands;
            return takeCommands;
        }
        if (message == WM_CTLCOLORSTATIC && brush) {
            ++colours;
            *result = reinterpret_cast<LRESULT>(brush);
            return TRUE;
        }
        return CWnd::OnChildNotify(message, wParam, lParam, result);
    }
    void DrawItem(LPDRAWITEMSTRUCT drawItem) override {
        ++drawn;
        ::FillRect(drawItem->hDC, &drawItem->rcItem, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    void PostNcDestroy() override { ++finalMessages; }
};

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(IDD_FRAMEWORK_TEST) {}

    std::string m_strPath;
    BOOL m_bGzip = TRUE;
    ProbeControl m_ownerDraw, m_label, m_button;
    int buttonClicks = 0;
    int okCalls = 0;
    std::vector<UINT_PTR> timers;
    std::vector<LPARAM> userMessages;
    std::function<void(TestDialog&)> onInit;
    std::function<void(TestDialog&, UINT_PTR)> onTimer;

    using CDialog::DoModal;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TEST_OWNERDRAW, m_ownerDraw);
        DDX_Control(pDX, IDC_TEST_LABEL, m_label);
        DDX_Control(pDX, IDC_TEST_BUTTON, m_button);
        DDX_Text(pDX, IDC_TEST_EDIT, m_strPath);
        DDX_Check(pDX, IDC_TEST_CHECK, m_bGzip);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        // A modal test that never ends by itself must still end.
        SetTimer(99, harness::kPatience);
        if (onInit) onInit(*this);
        return TRUE;
    }
    void OnOK() override {
        ++okCalls;
        CDialog::OnOK();
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == IDC_TEST_BUTTON) {
            ++buttonClicks;
            return TRUE;
        }
        return CDialog::OnCommand(wParam, lParam);
    }
    void OnTimer(UINT_PTR id) override {
        timers.push_back(id);
        if (id == 99) EndDialog(-2);
        if (onTimer) onTimer(*this, id);
    }
    BOOL OnUserMessage(UINT message, WPARAM, LPARAM lParam, LRESULT* result) override {
        if (message != WM_USER + 1001) return FALSE;
        userMessages.push_back(lParam);
        *result = 42;
        return TRUE;
    }
};

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[256] = {};
    ::GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

}  // namespace

TEST(Dialog, DataExchangeMovesAnsiPathsAndChecksBothWays) {
    TestDialog dialog;
    // A path with Chinese names travels as ANSI bytes and shows as text.
    dialog.m_strPath = harness::AnsiFromUtf8(u8"D:\\网站\\首页");
    dialog.m_bGzip = FALSE;
    ASSERT_TRUE(dialog.Create(IDD_FRAMEWORK_TEST));
    HWND hDlg = dialog.m_hWnd;
    EXPECT_EQ(ItemText(hDlg, IDC_TEST_EDIT), WideFromUtf8(u8"D:\\网站\\首页"));
    EXPECT_EQ(::IsDlgButtonChecked(hDlg, IDC_TEST_CHECK), BST_UNCHECKED);

    ::SetDlgItemTextW(hDlg, IDC_TEST_EDIT, WideFromUtf8(u8"E:\\备份").c_str());
    ::CheckDlgButton(hDlg, IDC_TEST_CHECK, BST_CHECKED);
    EXPECT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.m_strPath, harness::AnsiFromUtf8(u8"E:\\备份"));
    EXPECT_TRUE(dialog.m_bGzip);

    dialog.m_strPath.clear();
    dialog.UpdateData(FALSE);
    EXPECT_EQ(ItemText(hDlg, IDC_TEST_EDIT), L"");
}

TEST(Dialog, ControlsAreBoundAndGetTheirMessagesReflected) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FRAMEWORK_TEST));
    HWND hDlg = dialog.m_hWnd;
    ::ShowWindow(hDlg, SW_SHOW);

    HWND ownerDraw = ::GetDlgItem(hDlg, IDC_TEST_OWNERDRAW);
    EXPECT_EQ(dialog.m_ownerDraw.m_hWnd, ownerDraw);
    EXPECT_EQ(CWnd::FromHandlePermanent(ownerDraw), &dialog.m_ownerDraw);
    EXPECT_EQ(CWnd::FromHandlePermanent(hDlg), &dialog);
    EXPECT_TRUE(dialog.m_ownerDraw.sawHandleBeforeSubclass);

    // Owner-draw: the dialog gets WM_DRAWITEM, the button object paints.
    ::RedrawWindow(ownerDraw, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(harness::PumpUntil([&] { return dialog.m_ownerDraw.drawn > 0; }));

    // Colour: the label object answers with its brush.
    dialog.m_label.brush = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    HDC dc = ::GetDC(hDlg);
    LRESULT brush = ::SendMessageW(hDlg, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                   reinterpret_cast<LPARAM>(dialog.m_label.m_hWnd));
    ::ReleaseDC(hDlg, dc);
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(dialog.m_label.brush));
    EXPECT_GE(dialog.m_label.colours, 1);

    // A click reaches the control first; unless it takes it, the dialog too.
    HWND button = dialog.m_button.m_hWnd;
    ::SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(dialog.m_button.commands, 1);
    EXPECT_EQ(dialog.buttonClicks, 1);
    dialog.m_button.takeCommands = TRUE;
    ::SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(dialog.m_button.commands, 2);
    EXPECT_EQ(dialog.buttonClicks, 1);

    // Private messages reach the hook and its answer goes back.
    EXPECT_EQ(::SendMessageW(hDlg, WM_USER + 1001, 3, 77), 42);
    EXPECT_EQ(dialog.userMessages, std::vector<LPARAM>{77});
}

TEST(Dialog, DestroyingTheDialogUnbindsEveryObject) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FRAMEWORK_TEST));
    HWND hDlg = dialog.m_hWnd;
    HWND label = dialog.m_label.m_hWnd;
    ASSERT_TRUE(::DestroyWindow(hDlg));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_label.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_label.finalMessages, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(label), nullptr);
    // The object can bind again to a new window.
    ASSERT_TRUE(dialog.Create(IDD_FRAMEWORK_TEST));
    EXPECT_NE(dialog.m_label.m_hWnd, nullptr);
}

TEST(Dialog, ModalDialogEndsThroughOnOkWithTheFieldsRead) {
    TestDialog dialog;
    dialog.onInit = [](TestDialog& d) {
        ::SetDlgItemTextW(d.m_hWnd, IDC_TEST_EDIT, L"C:\\typed");
        d.SetTimer(5, 10);
    };
    dialog.onTimer = [](TestDialog& d, UINT_PTR id) {
        if (id != 5) return;
        d.KillTimer(5);
        // Enter in the edit box: the dialog manager makes it IDOK.
        HWND edit = d.GetDlgItem(IDC_TEST_EDIT);
        ::SetFocus(edit);
        ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.okCalls, 1);
    EXPECT_EQ(dialog.m_strPath, "C:\\typed");
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_NE(std::find(dialog.timers.begin(), dialog.timers.end(), 5), dialog.timers.end());
}

TEST(Dialog, EscapeCancelsWithoutReadingTheFields) {
    TestDialog dialog;
    dialog.m_strPath = "kept";
    dialog.onInit = [](TestDialog& d) {
        ::SetDlgItemTextW(d.m_hWnd, IDC_TEST_EDIT, L"typed");
        ::PostMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.okCalls, 0);
    EXPECT_EQ(dialog.m_strPath, "kept");
}

namespace {

DWORD WINAPI CloseBoxOf(LPVOID param) {
    auto* reading = static_cast<std::pair<DWORD, harness::BoxReading>*>(param);
    for (DWORD waited = 0; waited < harness::kPatience; waited += 20) {
        if (HWND box = harness::FindThreadDialog(reading->first)) {
            reading->second = harness::ReadBox(box);
            harness::PressOk(box);
            return 0;
        }
        ::Sleep(20);
    }
    return 1;
}

}  // namespace

TEST(MessageBoxes, AWindowsBoxIsOwnedByItAndNamedAfterTheProgram) {
    harness::RecordingWindow owner;
    std::pair<DWORD, harness::BoxReading> reading{::GetCurrentThreadId(), {}};
    HANDLE closer = ::CreateThread(nullptr, 0, &CloseBoxOf, &reading, 0, nullptr);
    ASSERT_NE(closer, nullptr);
    EXPECT_EQ(owner.MessageBox(u8"操作失败!", nullptr, MB_ICONERROR), IDOK);
    ::WaitForSingleObject(closer, harness::kPatience);
    ::CloseHandle(closer);

    EXPECT_EQ(ProgramName(), L"framework_win_tests");
    EXPECT_EQ(reading.second.caption, ProgramName());
    EXPECT_EQ(reading.second.text, WideFromUtf8(u8"操作失败!"));
    EXPECT_EQ(reading.second.owner, owner.m_hWnd);
    EXPECT_EQ(reading.second.icon, ::LoadIconA(nullptr, IDI_ERROR));
}
