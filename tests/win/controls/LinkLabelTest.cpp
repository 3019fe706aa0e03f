// The link label as attached to real static controls: the style and font
// it gives them, how it fits them to their text, its three colours by
// pixel, hover with the mouse capture, the tooltip, the cursor, and the
// click that opens the address (here through a stand-in browser command).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ControlsTestDialog.h"
#include "ControlsTestIds.h"
#include "DataExchange.h"
#include "Dialog.h"
#include "LinkLabel.h"
#include "Screenshot.h"

namespace {

const COLORREF kUnderlay = RGB(1, 2, 3);
const char kEmptyLabelTarget[] = "http://www.torvan.example/empty";

class CLinkTestDlg : public CDialog {
public:
    CLinkTestDlg() : CDialog(0) {}
    CLinkLabel m_left, m_center, m_right, m_empty;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        m_empty.SetTarget(kEmptyLabelTarget);  // before attaching: only stored
        DDX_Control(pDX, IDC_LINK_LEFT, m_left);
        DDX_Control(pDX, IDC_LINK_CENTER, m_center);
        DDX_Control(pDX, IDC_LINK_RIGHT, m_right);
        DDX_Control(pDX, IDC_LINK_EMPTY, m_empty);
    }
};

std::wstring WindowText(HWND hWnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hWnd, text, 256);
    return text;
}

std::wstring ToolText(const CLinkLabel& label) {
    wchar_t text[256] = {};
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = label.m_hWnd;
    tool.uId = 1;
    tool.lpszText = text;
    ::SendMessageW(label.GetToolTip(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return text;
}

// Rectangle of a control in its dialog's client coordinates.
RECT PlacedRect(HWND control) {
    RECT rc;
    ::GetWindowRect(control, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// The template rectangle (dialog units) in pixels.
RECT TemplateRect(HWND dialog, int x, int y, int w, int h) {
    RECT rc = {x, y, x + w, y + h};
    ::MapDialogRect(dialog, &rc);
    return rc;
}

class LinkLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::SetCursorPos(0, 0);
        dlg = std::make_unique<CLinkTestDlg>();
        ASSERT_TRUE(dlg->Create(IDD_LINK_TEST));
        ::SetWindowPos(dlg->m_hWnd, HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        ::UpdateWindow(dlg->m_hWnd);
        PumpMessages();
    }
    void TearDown() override {
        ::ReleaseCapture();
        dlg.reset();
        PumpMessages();
    }

    // What the label paints, counted by colour.
    int Pixels(const CLinkLabel& label, COLORREF color) {
        ClientPixels px = CaptureClient(label.m_hWnd, kUnderlay);
        RECT all = {0, 0, px.width, px.height};
        return px.Count(all, color);
    }

    void MoveInside(CLinkLabel& label) {
        RECT rc;
        ::GetClientRect(label.m_hWnd, &rc);
        POINT screen = {rc.right / 2, rc.bottom / 2};
        ::ClientToScreen(label.m_hWnd, &screen);
        ::SetCursorPos(screen.x, screen.y);
        ::SendMessageW(label.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(rc.right / 2, rc.bottom / 2));
    }
    void MoveOutside(CLinkLabel& label) {
        RECT rc;
        ::GetClientRect(label.m_hWnd, &rc);
        ::SetCursorPos(0, 0);
        ::SendMessageW(label.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(rc.right + 5, rc.bottom + 5));
    }

    std::unique_ptr<CLinkTestDlg> dlg;
};

}  // namespace

TEST_F(LinkLabelTest, AttachingNotifiesUnderlinesAndSettlesTargetAndText) {
    for (CLinkLabel* label : {&dlg->m_left, &dlg->m_center, &dlg->m_right, &dlg->m_empty}) {
        EXPECT_NE(::GetWindowLongW(label->m_hWnd, GWL_STYLE) & SS_NOTIFY, 0);
        LOGFONTW font = {};
        HFONT handle = reinterpret_cast<HFONT>(::SendMessageW(label->m_hWnd, WM_GETFONT, 0, 0));
        ASSERT_NE(handle, nullptr);
        ::GetObjectW(handle, sizeof(font), &font);
        EXPECT_TRUE(font.lfUnderline);
    }
    // Without a target the text is the target; without text the target is shown.
    EXPECT_EQ(dlg->m_left.GetTarget(), "www.torvan.example");
    EXPECT_EQ(dlg->m_empty.GetTarget(), kEmptyLabelTarget);
    EXPECT_EQ(WindowText(dlg->m_empty.m_hWnd), L"http://www.torvan.example/empty");
}

TEST_F(LinkLabelTest, FittingKeepsTheEdgeOrCentreOfEachAlignment) {
    HWND hDlg = dlg->m_hWnd;
    RECT left = PlacedRect(dlg->m_left.m_hWnd), center = PlacedRect(dlg->m_center.m_hWnd),
         right = PlacedRect(dlg->m_right.m_hWnd);
    RECT leftTemplate = TemplateRect(hDlg, 10, 6, 150, 12), centerTemplate = TemplateRect(hDlg, 10, 22, 150, 12),
         rightTemplate = TemplateRect(hDlg, 10, 38, 150, 12);

    // Each shrank to its text, which is narrower than the template.
    HDC hdc = ::GetDC(dlg->m_left.m_hWnd);
    ::SelectObject(hdc, reinterpret_cast<HFONT>(::SendMessageW(dlg->m_left.m_hWnd, WM_GETFONT, 0, 0)));
    SIZE extent;
    ::GetTextExtentPoint32W(hdc, L"www.torvan.example", 18, &extent);
    ::ReleaseDC(dlg->m_left.m_hWnd, hdc);
    EXPECT_EQ(left.right - left.left, extent.cx);
    EXPECT_EQ(left.bottom - left.top, extent.cy);

    // The dialog manager rounds position and size apart, the template
    // arithmetic here rounds the sum: a pixel either way.
    EXPECT_LE(std::abs(left.left - leftTemplate.left), 1);
    EXPECT_LE(std::abs(left.top - leftTemplate.top), 1);
    EXPECT_LT(center.right - center.left, centerTemplate.right - centerTemplate.left);
    EXPECT_LE(std::abs((center.left + center.right) - (centerTemplate.left + centerTemplate.right)), 2);
    EXPECT_LE(std::abs(right.right - rightTemplate.right), 1);
    EXPECT_GT(right.left, rightTemplate.left);
}

TEST_F(LinkLabelTest, PaintsLinkHoverAndVisitedColoursOverTheDialogBackground) {
    CLinkLabel& label = dlg->m_left;
    const COLORREF link = label.LinkColor(), hover = label.HoverColor(), visited = label.VisitedColor();
    EXPECT_EQ(link, RGB(0, 0, 255));
    EXPECT_EQ(hover, RGB(180, 20, 20));
    EXPECT_EQ(visited, RGB(85, 26, 139));

    EXPECT_GT(Pixels(label, link), 0);
    EXPECT_EQ(Pixels(label, hover), 0);
    EXPECT_EQ(Pixels(label, visited), 0);
    EXPECT_GT(Pixels(label, kUnderlay), 0);  // a hollow background

    // The underline: a row painted in the link colour almost from edge to edge.
    ClientPixels px = CaptureClient(label.m_hWnd, kUnderlay);
    int widest = 0;
    for (int y = 0; y < px.height; ++y) {
        RECT row = {0, y, px.width, y + 1};
        widest = std::max(widest, px.Count(row, link));
    }
    EXPECT_GE(widest, px.width * 9 / 10);
    testing_win::SaveWindowScreenshot(dlg->m_hWnd, "link-label-rest");

    MoveInside(label);
    EXPECT_TRUE(label.IsOver());
    EXPECT_EQ(::GetCapture(), label.m_hWnd);
    EXPECT_GT(Pixels(label, hover), 0);
    EXPECT_EQ(Pixels(label, link), 0);
    testing_win::SaveWindowScreenshot(dlg->m_hWnd, "link-label-hover");

    MoveInside(label);  // a move within keeps it
    EXPECT_TRUE(label.IsOver());
    MoveOutside(label);
    EXPECT_FALSE(label.IsOver());
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_GT(Pixels(label, link), 0);
    EXPECT_EQ(Pixels(label, hover), 0);

    label.MarkVisited(TRUE);
    EXPECT_GT(Pixels(label, visited), 0);
    EXPECT_EQ(Pixels(label, link), 0);
    MoveInside(label);
    EXPECT_GT(Pixels(label, hover), 0);  // hover wins over visited
    MoveOutside(label);
    EXPECT_GT(Pixels(label, visited), 0);
    testing_win::SaveWindowScreenshot(dlg->m_hWnd, "link-label-visited");
}

TEST_F(LinkLabelTest, HoverEndsWhenAnotherWindowTakesTheMouse) {
    CLinkLabel& label = dlg->m_center;
    MoveInside(label);
    ASSERT_TRUE(label.IsOver());
    ::SetCapture(dlg->m_hWnd);
    EXPECT_FALSE(label.IsOver());
    EXPECT_EQ(Pixels(label, label.HoverColor()), 0);
    ::ReleaseCapture();
}

TEST_F(LinkLabelTest, TooltipShowsTheTargetAndFollowsSetTarget) {
    CLinkLabel& label = dlg->m_left;
    ASSERT_NE(label.GetToolTip(), nullptr);
    EXPECT_EQ(::SendMessageW(label.GetToolTip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(ToolText(label), L"www.torvan.example");

    RECT before = PlacedRect(label.m_hWnd);
    label.SetTarget("http://www.torvan.example/");
    EXPECT_EQ(ToolText(label), L"http://www.torvan.example/");
    EXPECT_EQ(WindowText(label.m_hWnd), L"www.torvan.example");  // the text stays
    RECT after = PlacedRect(label.m_hWnd);
    EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST_F(LinkLabelTest, TheTooltipAppearsWhileThePointerRestsOnTheLabel) {
    CLinkLabel& label = dlg->m_left;
    ASSERT_FALSE(::IsWindowVisible(label.GetToolTip()));
    MoveInside(label);  // the label relays the move to its tooltip
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(label.GetToolTip()) != FALSE; }));
    wchar_t shown[128] = {};
    ::GetWindowTextW(label.GetToolTip(), shown, 128);
    EXPECT_STREQ(shown, L"www.torvan.example");
    MoveOutside(label);
}

TEST_F(LinkLabelTest, ShowsTheSystemHandCursor) {
    HWND label = dlg->m_left.m_hWnd;
    LRESULT handled = ::SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label),
                                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(handled, TRUE);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));
}

// A stand-in browser for web pages: the fallback runs it with the address,
// and it writes what it was given to a file.
class StandInBrowser {
public:
    StandInBrowser() {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        m_record = std::string(temp) + "torvan-link-open.txt";
        ::DeleteFileA(m_record.c_str());
        HKEY key;
        m_hadHtm = ::RegOpenKeyExA(HKEY_CLASSES_ROOT, ".htm", 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (m_hadHtm) ::RegCloseKey(key);
        const std::string command = "cmd.exe /c >>\"" + m_record + "\" echo \"%1\"";
        m_ready = !m_hadHtm && ::RegSetValueA(HKEY_CLASSES_ROOT, ".htm", REG_SZ, "TorvanTestPage", 14) == 0 &&
                  ::RegSetValueA(HKEY_CLASSES_ROOT, "TorvanTestPage\\shell\\open\\command", REG_SZ,
                                 command.c_str(), static_cast<DWORD>(command.size())) == 0;
    }
    ~StandInBrowser() {
        if (!m_hadHtm) ::RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, "TorvanTestPage\\shell\\open\\command");
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, "TorvanTestPage\\shell\\open");
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, "TorvanTestPage\\shell");
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, "TorvanTestPage");
        ::DeleteFileA(m_record.c_str());
    }
    bool Ready() const { return m_ready; }
    // What the browser wrote, once it has written a whole line.
    std::string Record() const {
        std::string text;
        if (FILE* in = std::fopen(m_record.c_str(), "rb")) {
            char buffer[512];
            size_t n = std::fread(buffer, 1, sizeof buffer, in);
            text.assign(buffer, n);
            std::fclose(in);
        }
        return text.find('\n') == std::string::npos ? std::string() : text;
    }

private:
    std::string m_record;
    bool m_hadHtm = false;
    bool m_ready = false;
};

TEST_F(LinkLabelTest, AClickTheShellCannotOpenFallsBackOnTheWebPageCommandAndMarksVisited) {
    StandInBrowser browser;
    ASSERT_TRUE(browser.Ready()) << "the prefix already has a .htm class";
    // A page that does not exist: the shell refuses it, the fallback runs.
    const std::string address = "C:\\torvan-no-such-page.htm";
    dlg->m_left.SetTarget(address);

    HWND label = dlg->m_left.m_hWnd;
    ::SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(dlg->m_left.IsVisited());
    EXPECT_GT(Pixels(dlg->m_left, dlg->m_left.VisitedColor()), 0);

    std::string record;
    EXPECT_TRUE(PumpUntil([&] { return !(record = browser.Record()).empty(); }));
    // The quoted placeholder went and its space stayed; one more space and
    // the address came (echo eats the first of the two).
    EXPECT_EQ(record.substr(0, record.find_first_of("\r\n")), " " + address) << record;
}

TEST(LinkLabelOpen, AnAddressNobodyCanOpenReturnsTheShellsRefusal) {
    // No .htm class in the prefix: the fallback has nothing to run.
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, ".htm", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        ::RegCloseKey(key);
        GTEST_SKIP() << "the prefix has a .htm class";
    }
    INT_PTR result = reinterpret_cast<INT_PTR>(CLinkLabel::OpenTarget("C:\\torvan-no-such-page.htm", SW_SHOW));
    EXPECT_LE(result, 32);
}

TEST(LinkLabelOpen, ReadDefaultValueReadsIntoTheSubKeysOwnBuffer) {
    char buffer[520] = ".chm";
    ASSERT_EQ(CLinkLabel::ReadDefaultValue(HKEY_CLASSES_ROOT, buffer, buffer), ERROR_SUCCESS);
    EXPECT_STRNE(buffer, ".chm");
    EXPECT_GT(std::strlen(buffer), 0u);
    char missing[520] = "Torvan.No.Such.Class";
    EXPECT_EQ(CLinkLabel::ReadDefaultValue(HKEY_CLASSES_ROOT, missing, missing), ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(missing, "Torvan.No.Such.Class");  // untouched on failure
}
