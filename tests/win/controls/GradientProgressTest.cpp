// The gradient bar as painted: its columns, the fill at several positions,
// the background, the percentage and its colour, and the screen path.
#include <string>

#include "ControlsFixture.h"
#include "GradientMath.h"
#include "Screenshot.h"

namespace {

const COLORREF kStart = RGB(120, 230, 255);
const COLORREF kEnd = RGB(208, 15, 12);
const COLORREF kText = RGB(230, 0, 214);
const COLORREF kInverseText = RGB(25, 255, 41);

class GradientProgressTest : public ControlsDialogTest {
protected:
    void SetUp() override {
        ControlsDialogTest::SetUp();
        bar = dlg->m_progress.m_hWnd;
        ASSERT_NE(bar, nullptr);
        // A client area of exactly 200 x 20 pixels, border or not.
        RECT window, client;
        ::GetWindowRect(bar, &window);
        ::GetClientRect(bar, &client);
        int extraX = (window.right - window.left) - client.right;
        int extraY = (window.bottom - window.top) - client.bottom;
        ::SetWindowPos(bar, nullptr, 0, 0, 200 + extraX, 20 + extraY, SWP_NOMOVE | SWP_NOZORDER);
        ::GetClientRect(bar, &client);
        ASSERT_EQ(client.right, 200);
        ASSERT_EQ(client.bottom, 20);
    }

    // Top row: the text is centred vertically and never reaches it.
    void ExpectTopRow(const ClientPixels& px, int filled) {
        COLORREF background = ::GetSysColor(COLOR_BTNFACE);
        for (int x = 0; x < 200; ++x) {
            COLORREF expected = x < filled ? torvan::GradientColumnColor(kStart, kEnd, 200, x) : background;
            ASSERT_EQ(px.At(x, 0), expected) << "column " << x << " with " << filled << " filled";
        }
    }

    HWND bar = nullptr;
};

TEST_F(GradientProgressTest, FillFollowsThePositionAndIsCapped) {
    const struct {
        int position;
        int stored;
        int filled;
    } cases[] = {{0, 0, 0}, {25, 25, 50}, {50, 50, 100}, {100, 100, 200}, {150, 100, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE("position " + std::to_string(c.position));
        EXPECT_EQ(dlg->m_progress.SetPosition(c.position), c.stored);
        EXPECT_EQ(dlg->m_progress.GetPosition(), c.stored);
        ClientPixels px = CaptureClient(bar);
        ExpectTopRow(px, c.filled);
        // Every row of a column has the same colour (bottom row checked too).
        if (c.filled > 0) EXPECT_EQ(px.At(c.filled - 1, 19), px.At(c.filled - 1, 0));
        EXPECT_EQ(px.At(199, 19), c.filled == 200 ? torvan::GradientColumnColor(kStart, kEnd, 200, 199)
                                                  : ::GetSysColor(COLOR_BTNFACE));
    }
}

TEST_F(GradientProgressTest, ColumnsAreTheWholeWidthGradient) {
    dlg->m_progress.SetPosition(100);
    ClientPixels px = CaptureClient(bar);
    EXPECT_EQ(px.At(0, 0), kStart);
    EXPECT_EQ(px.At(100, 0), RGB(164, 122, 133));
    EXPECT_EQ(px.At(199, 0), RGB(207, 16, 13));  // the end colour is only approached
    dlg->m_progress.SetPosition(25);
    EXPECT_EQ(CaptureClient(bar).At(40, 0), px.At(40, 0));  // same column, same colour
}

TEST_F(GradientProgressTest, TextColourSwitchesAtTheMiddle) {
    const RECT middle = {60, 0, 140, 20};
    struct {
        int position;
        COLORREF shown, absent;
    } cases[] = {{0, kText, kInverseText}, {25, kText, kInverseText}, {49, kText, kInverseText},
                 {50, kInverseText, kText}, {100, kInverseText, kText}};
    for (const auto& c : cases) {
        SCOPED_TRACE("position " + std::to_string(c.position));
        dlg->m_progress.SetPosition(c.position);
        ClientPixels px = CaptureClient(bar);
        EXPECT_GT(px.Count(middle, c.shown), 0);
        EXPECT_EQ(px.Count(middle, c.absent), 0);
    }
}

TEST_F(GradientProgressTest, NegativePositionShowsNoFillAndItsPercentage) {
    EXPECT_EQ(dlg->m_progress.SetPosition(-5), -5);
    ClientPixels px = CaptureClient(bar);
    ExpectTopRow(px, 0);
    EXPECT_GT(px.Count({60, 0, 140, 20}, kText), 0);
}

TEST_F(GradientProgressTest, LowerBoundDoesNotShiftTheFill) {
    dlg->m_progress.SetBounds(50, 100);
    EXPECT_EQ(dlg->m_progress.GetPosition(), 50);
    dlg->m_progress.SetPosition(75);
    ExpectTopRow(CaptureClient(bar), 150);
}

TEST_F(GradientProgressTest, NoRangePaintsTheBackgroundWithoutDividing) {
    for (short upper : {0, -10}) {
        dlg->m_progress.SetBounds(0, upper);
        dlg->m_progress.SetPosition(7);  // capped at the upper bound
        ClientPixels px = CaptureClient(bar);
        ExpectTopRow(px, 0);
        EXPECT_GT(px.Count({60, 0, 140, 20}, kText), 0);  // "0%"
    }
}

TEST_F(GradientProgressTest, EraseLeavesThePixelsAlone) {
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 200, 20);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(mem, bitmap);
    RECT all = {0, 0, 200, 20};
    HBRUSH brush = ::CreateSolidBrush(RGB(9, 8, 7));
    ::FillRect(mem, &all, brush);
    ::DeleteObject(brush);
    EXPECT_NE(::SendMessageW(bar, WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0), 0);
    EXPECT_EQ(::GetPixel(mem, 0, 0), RGB(9, 8, 7));
    EXPECT_EQ(::GetPixel(mem, 199, 19), RGB(9, 8, 7));
    ::SelectObject(mem, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(mem);
}

TEST_F(GradientProgressTest, PaintsOnScreenThroughWmPaint) {
    dlg->m_progress.SetPosition(50);
    ::UpdateWindow(bar);
    PumpMessages();
    EXPECT_EQ(testing_win::ClientPixel(bar, 10, 0), torvan::GradientColumnColor(kStart, kEnd, 200, 10));
    EXPECT_EQ(testing_win::ClientPixel(bar, 150, 0), ::GetSysColor(COLOR_BTNFACE));
    for (int position : {0, 25, 50, 100}) {
        dlg->m_progress.SetPosition(position);
        testing_win::SaveWindowScreenshot(dlg->m_hWnd, "gradient-" + std::to_string(position));
    }
}

}  // namespace
