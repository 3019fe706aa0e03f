// The flat button as painted and as it reacts: faces, edges, images with
// their transparent colour, the press offset, hover rules, result codes, the
// default-button handshake with the dialog, double clicks and disabling.
#include "ControlsFixture.h"
#include "Screenshot.h"
#include "resource.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGreen = RGB(0, 128, 0);
const COLORREF kMagenta = RGB(255, 0, 128);
const COLORREF kTile = RGB(212, 208, 200);
const COLORREF kNearWhite = RGB(250, 250, 250);
const COLORREF kBlue = RGB(20, 84, 196);

COLORREF Highlight() { return ::GetSysColor(COLOR_BTNHIGHLIGHT); }
COLORREF Shadow() { return ::GetSysColor(COLOR_BTNSHADOW); }

class FlatBitmapButtonTest : public ControlsDialogTest {
protected:
    void SetUp() override {
        ControlsDialogTest::SetUp();
        ::SetFocus(Item(IDC_TEST_EDIT));  // no button starts with the focus
        PumpMessages();
    }

    // Where a captioned button puts an image of w x h (pressed: +1, +1).
    static POINT ImageOrigin(HWND button, int h, bool pressed) {
        RECT rc;
        ::GetClientRect(button, &rc);
        POINT origin = {3, (rc.bottom - h) / 2};
        if (pressed) {
            ++origin.x;
            ++origin.y;
        }
        return origin;
    }

    static RECT ClientRect(HWND hWnd) {
        RECT rc;
        ::GetClientRect(hWnd, &rc);
        return rc;
    }

    void Click(HWND button, UINT downMessage) {
        ::SendMessageW(button, downMessage, MK_LBUTTON, MAKELPARAM(5, 5));
        ::SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
};

TEST_F(FlatBitmapButtonTest, AttachingMakesEveryButtonOwnerDrawn) {
    for (int id : {IDC_TEST_TICK, IDC_TEST_HELP, IDC_TEST_TEXT, IDC_TEST_CROSS})
        EXPECT_EQ(::GetWindowLongW(Item(id), GWL_STYLE) & 0x1F, BS_OWNERDRAW) << id;
    EXPECT_TRUE(dlg->m_btnCross.IsDefault());  // it was a default push button
    EXPECT_FALSE(dlg->m_btnTick.IsDefault());
}

TEST_F(FlatBitmapButtonTest, AtRestOnlyFaceImageAndCaption) {
    HWND tick = dlg->m_btnTick.m_hWnd;
    RECT rc = ClientRect(tick);
    ClientPixels px = CaptureClient(tick);
    EXPECT_EQ(px.At(0, 0), kRestFace);  // no edge
    EXPECT_EQ(px.At(rc.right - 1, rc.bottom - 1), kRestFace);
    POINT img = ImageOrigin(tick, 14, false);
    EXPECT_EQ(px.At(img.x + 13, img.y + 2), kGreen);     // the rest tick
    EXPECT_EQ(px.At(img.x, img.y), kRestFace);            // its white is see-through
    RECT caption = {img.x + 16 + 3, 0, rc.right, rc.bottom};
    EXPECT_GT(px.Count(caption, kRestText), 0);
    EXPECT_EQ(px.Count(rc, kHotText), 0);
    EXPECT_EQ(px.Count(rc, kMagenta), 0);
}

TEST_F(FlatBitmapButtonTest, HotShowsRaisedEdgeHotImageAndHotCaption) {
    HWND tick = dlg->m_btnTick.m_hWnd;
    RECT rc = ClientRect(tick);
    ASSERT_TRUE(HoverOver(dlg->m_btnTick));
    ClientPixels px = CaptureClient(tick);
    EXPECT_EQ(px.At(0, 0), Highlight());
    EXPECT_EQ(px.At(0, rc.bottom - 2), Highlight());
    EXPECT_EQ(px.At(rc.right - 1, 0), Shadow());
    EXPECT_EQ(px.At(rc.right - 1, rc.bottom - 1), Shadow());
    EXPECT_EQ(px.At(1, 1), kHotFace);
    POINT img = ImageOrigin(tick, 14, false);
    EXPECT_EQ(px.At(img.x + 13, img.y + 2), kMagenta);
    EXPECT_EQ(px.At(img.x, img.y), kHotFace);
    EXPECT_GT(px.Count(rc, kHotText), 0);
    EXPECT_EQ(px.Count(rc, kGreen), 0);
}

TEST_F(FlatBitmapButtonTest, PressedSinksAndShiftsContentByOnePixel) {
    HWND tick = dlg->m_btnTick.m_hWnd;
    RECT rc = ClientRect(tick);
    ASSERT_TRUE(HoverOver(dlg->m_btnTick));
    ClientPixels hot = CaptureClient(tick);

    ::SendMessageW(tick, BM_SETSTATE, TRUE, 0);
    ClientPixels pressed = CaptureClient(tick);
    EXPECT_EQ(pressed.At(0, 0), Shadow());
    EXPECT_EQ(pressed.At(rc.right - 1, rc.bottom - 1), Highlight());
    POINT img = ImageOrigin(tick, 14, true);
    EXPECT_EQ(pressed.At(img.x + 13, img.y + 2), kMagenta);
    EXPECT_EQ(pressed.At(img.x + 12, img.y + 1), kHotFace);  // where it was, now face
    // The caption moved with it: every red pixel reappears one lower right.
    int red = 0;
    for (int y = 1; y < rc.bottom - 2; ++y)
        for (int x = img.x + 16; x < rc.right - 2; ++x)
            if (hot.At(x, y) == kHotText) {
                ++red;
                ASSERT_EQ(pressed.At(x + 1, y + 1), kHotText) << x << "," << y;
            }
    EXPECT_GT(red, 0);

    // Released with the mouse still over it: raised again.
    ::SendMessageW(tick, BM_SETSTATE, FALSE, 0);
    ClientPixels released = CaptureClient(tick);
    EXPECT_EQ(released.At(0, 0), Highlight());
    EXPECT_EQ(released.At(rc.right - 1, rc.bottom - 1), Shadow());
}

TEST_F(FlatBitmapButtonTest, PureWhiteIsSeeThroughNearWhiteIsNot) {
    HWND help = dlg->m_btnHelp.m_hWnd;
    RECT rc = ClientRect(help);
    ClientPixels px = CaptureClient(help);
    POINT img = {(rc.right - 16) / 2, (rc.bottom - 16) / 2};  // no caption: centred
    EXPECT_EQ(px.At(img.x, img.y), kRestFace);
    EXPECT_EQ(px.At(img.x + 15, img.y + 15), kRestFace);
    EXPECT_EQ(px.At(img.x, img.y + 5), kBlue);
    EXPECT_EQ(px.At(img.x + 6, img.y + 3), kNearWhite);
    EXPECT_EQ(px.At(img.x - 1, img.y + 5), kRestFace);
    EXPECT_EQ(px.At(img.x + 16, img.y + 5), kRestFace);
}

TEST_F(FlatBitmapButtonTest, GreyTileOfTheHotCrossIsOpaque) {
    HWND cross = dlg->m_btnCross.m_hWnd;
    POINT img = ImageOrigin(cross, 13, false);
    ClientPixels rest = CaptureClient(cross);
    EXPECT_EQ(rest.At(img.x, img.y), kRestFace);
    EXPECT_EQ(rest.At(img.x + 1, img.y + 1), kGreen);
    ASSERT_TRUE(HoverOver(dlg->m_btnCross));
    ClientPixels hot = CaptureClient(cross);
    EXPECT_EQ(hot.At(img.x, img.y), kTile);
    EXPECT_EQ(hot.At(img.x + 1, img.y + 1), kMagenta);
}

TEST_F(FlatBitmapButtonTest, HotImageServesAtRestWhenThereIsNoRestImage) {
    HBITMAP hot = static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TICK_HOT),
                                                    IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(hot, nullptr);
    EXPECT_EQ(dlg->m_btnText.SetImagePair(hot, kWhite, nullptr, 0), 0u);
    HWND text = dlg->m_btnText.m_hWnd;
    POINT img = ImageOrigin(text, 14, false);
    EXPECT_EQ(CaptureClient(text).At(img.x + 13, img.y + 2), kMagenta);
}

TEST_F(FlatBitmapButtonTest, ResultCodes) {
    CFlatBitmapButton& button = dlg->m_btnTick;
    COLORREF before[6];
    for (BYTE i = 0; i < 6; ++i) before[i] = button.GetColorSlot(i);
    EXPECT_EQ(button.SetColorSlot(6, RGB(1, 1, 1), TRUE), 3u);
    EXPECT_EQ(button.SetColorSlot(255, RGB(1, 1, 1), TRUE), 3u);
    for (BYTE i = 0; i < 6; ++i) EXPECT_EQ(button.GetColorSlot(i), before[i]);

    ClientPixels shown = CaptureClient(button.m_hWnd);
    EXPECT_EQ(button.SetColorSlot(CFlatBitmapButton::ColorFocusText, RGB(0, 0, 255), TRUE), 0u);
    EXPECT_EQ(CaptureClient(button.m_hWnd).pixels, shown.pixels);  // stored, never painted

    // Not a bitmap: 1, no images afterwards, and the foreign handle survives.
    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(button.SetImagePair(reinterpret_cast<HBITMAP>(brush), kWhite, nullptr, 0), 1u);
    EXPECT_EQ(::GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    ::DeleteObject(brush);
    POINT img = ImageOrigin(button.m_hWnd, 14, false);
    EXPECT_EQ(CaptureClient(button.m_hWnd).At(img.x + 13, img.y + 2), kRestFace);

    // A bitmap held by another device context cannot be masked: 2.
    HDC screen = ::GetDC(nullptr);
    HDC holder = ::CreateCompatibleDC(screen);
    HBITMAP held = ::CreateCompatibleBitmap(screen, 8, 8);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(holder, held);
    EXPECT_EQ(button.SetImagePair(held, kWhite, nullptr, 0), 2u);
    ::SelectObject(holder, old);
    ::DeleteDC(holder);
    ::DeleteObject(held);

    // A resource that is not there gives no image, and still 0.
    EXPECT_EQ(button.LoadImagePair(9999, kWhite, 9998, kWhite), 0u);
    EXPECT_EQ(CaptureClient(button.m_hWnd).At(img.x + 13, img.y + 2), kRestFace);
    // Only the low 16 bits of an id count.
    EXPECT_EQ(button.LoadImagePair(0x10000 | IDB_TICK_HOT, kWhite, 0x20000 | IDB_TICK_REST, kWhite), 0u);
    EXPECT_EQ(CaptureClient(button.m_hWnd).At(img.x + 13, img.y + 2), kGreen);
}

TEST_F(FlatBitmapButtonTest, OneHandleForBothStatesIsMaskedOnceAndOwnedOnce) {
    HBITMAP tick = static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TICK_REST),
                                                     IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(tick, nullptr);
    CFlatBitmapButton& button = dlg->m_btnTick;
    EXPECT_EQ(button.SetImagePair(tick, kWhite, tick, kWhite), 0u);
    // Masked a second time, its already blackened white would paint black.
    POINT img = ImageOrigin(button.m_hWnd, 14, false);
    ClientPixels px = CaptureClient(button.m_hWnd);
    EXPECT_EQ(px.At(img.x, img.y), kRestFace);
    EXPECT_EQ(px.At(img.x + 13, img.y + 2), kGreen);
    EXPECT_EQ(::GetObjectType(tick), static_cast<DWORD>(OBJ_BITMAP));
    button.SetImagePair(nullptr, 0, nullptr, 0);
    EXPECT_EQ(::GetObjectType(tick), 0u);  // gone with the images it belonged to

    // A rest image handed over without a hot one is still disposed of.
    HBITMAP rest = static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TICK_REST),
                                                     IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(button.SetImagePair(nullptr, kWhite, rest, kWhite), 0u);
    EXPECT_EQ(::GetObjectType(rest), 0u);
    EXPECT_EQ(CaptureClient(button.m_hWnd).Count(ClientRect(button.m_hWnd), kGreen), 0);
}

TEST_F(FlatBitmapButtonTest, DraggingOntoAButtonDoesNotMakeItHot) {
    CFlatBitmapButton& button = dlg->m_btnTick;
    RECT rc;
    ::GetWindowRect(button.m_hWnd, &rc);
    ::SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ::SendMessageW(button.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_FALSE(button.IsHover());
    ::SendMessageW(button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(button.IsHover());
    // Once hot, holding the button down keeps it hot.
    ::SendMessageW(button.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(11, 10));
    EXPECT_TRUE(button.IsHover());
}

TEST_F(FlatBitmapButtonTest, HoverEndsOnEveryWayOut) {
    CFlatBitmapButton& button = dlg->m_btnTick;
    struct {
        const char* what;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } ways[] = {
        {"leave", WM_MOUSELEAVE, 0, 0},
        {"move onto the dialog", WM_MOUSEMOVE, 0, MAKELPARAM(-3, -3)},
        {"focus lost", WM_KILLFOCUS, 0, 0},
        {"cancel mode", WM_CANCELMODE, 0, 0},
        {"deactivated", WM_ACTIVATE, WA_INACTIVE, 0},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        ASSERT_TRUE(HoverOver(button));
        ::SendMessageW(button.m_hWnd, way.message, way.wParam, way.lParam);
        EXPECT_FALSE(button.IsHover());
        EXPECT_EQ(CaptureClient(button.m_hWnd).At(0, 0), kRestFace);
    }
    // Leave tracking was asked for: moving the real mouse away ends it too.
    ASSERT_TRUE(HoverOver(button));
    ::SetCursorPos(5, 5);
    EXPECT_TRUE(PumpUntil([&] { return !button.IsHover(); }));
}

TEST_F(FlatBitmapButtonTest, DoubleClickIsTwoClicks) {
    HWND tick = dlg->m_btnTick.m_hWnd;
    Click(tick, WM_LBUTTONDOWN);
    Click(tick, WM_LBUTTONDBLCLK);
    PumpMessages();
    EXPECT_EQ(dlg->m_clicks, (std::vector<int>{IDC_TEST_TICK, IDC_TEST_TICK}));
    EXPECT_TRUE(dlg->m_doubleClicks.empty());
}

TEST_F(FlatBitmapButtonTest, ClickGivesFocusShownOnlyByTheFocusFace) {
    HWND text = dlg->m_btnText.m_hWnd;
    // The notification alone (as from the keyboard or BM_CLICK) moves the focus.
    ::SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_TEXT, BN_CLICKED), reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(::GetFocus(), text);
    EXPECT_EQ(dlg->m_clicks, std::vector<int>{IDC_TEST_TEXT});  // and the dialog still hears it

    RECT rc = ClientRect(text);
    ClientPixels px = CaptureClient(text);
    // No focus rectangle: the rim (three pixels deep) is plain focus face.
    RECT top = {0, 0, rc.right, 3}, bottom = {0, rc.bottom - 3, rc.right, rc.bottom};
    RECT left = {0, 0, 3, rc.bottom}, right = {rc.right - 3, 0, rc.right, rc.bottom};
    for (const RECT& band : {top, bottom, left, right})
        EXPECT_EQ(px.Count(band, kFocusFace), (band.right - band.left) * (band.bottom - band.top));
}

TEST_F(FlatBitmapButtonTest, DefaultFollowsTheDialogsStyleRequests) {
    HWND text = dlg->m_btnText.m_hWnd;
    EXPECT_EQ(::SendMessageW(text, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON),
              DLGC_UNDEFPUSHBUTTON);
    // Tabbing onto it: the dialog makes it the default push button...
    ::SendMessageW(dlg->m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(text), TRUE);
    PumpMessages();
    EXPECT_TRUE(dlg->m_btnText.IsDefault());
    EXPECT_EQ(::SendMessageW(text, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON),
              DLGC_DEFPUSHBUTTON);
    // ...and the control stays owner-drawn.
    EXPECT_EQ(::GetWindowLongW(text, GWL_STYLE) & 0x1F, BS_OWNERDRAW);

    ::SendMessageW(text, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_FALSE(dlg->m_btnText.IsDefault());
    EXPECT_EQ(::GetWindowLongW(text, GWL_STYLE) & 0x1F, BS_OWNERDRAW);
    ::SendMessageW(text, BM_SETSTYLE, BS_CHECKBOX, TRUE);  // other types leave it
    EXPECT_FALSE(dlg->m_btnText.IsDefault());
    EXPECT_EQ(::GetWindowLongW(text, GWL_STYLE) & 0x1F, BS_OWNERDRAW);
}

TEST_F(FlatBitmapButtonTest, DisablingMovesTheFocusOnAndEmbosses) {
    HWND tick = dlg->m_btnTick.m_hWnd;
    ASSERT_TRUE(HoverOver(dlg->m_btnTick));
    ASSERT_EQ(::GetFocus(), Item(IDC_TEST_EDIT));
    ::EnableWindow(tick, FALSE);
    PumpMessages();
    // The focus was elsewhere, yet it goes to the tab stop after the button.
    EXPECT_EQ(::GetFocus(), dlg->m_btnHelp.m_hWnd);
    EXPECT_FALSE(dlg->m_btnTick.IsHover());

    RECT rc = ClientRect(tick);
    ClientPixels px = CaptureClient(tick);
    EXPECT_EQ(px.At(0, 0), kRestFace);
    EXPECT_EQ(px.Count(rc, kGreen), 0);  // the image is drawn in the disabled style
    EXPECT_EQ(px.Count(rc, kRestText), 0);
    RECT caption = {3 + 16 + 3, 0, rc.right, rc.bottom};
    EXPECT_GT(px.Count(caption, Shadow()), 0);
    EXPECT_GT(px.Count(caption, Highlight()), 0);
    testing_win::SaveWindowScreenshot(dlg->m_hWnd, "buttons-disabled");
}

TEST_F(FlatBitmapButtonTest, Screenshots) {
    testing_win::SaveWindowScreenshot(dlg->m_hWnd, "buttons-rest");
    ASSERT_TRUE(HoverOver(dlg->m_btnTick));
    testing_win::SaveWindowScreenshot(dlg->m_hWnd, "buttons-hot");
    ASSERT_TRUE(HoverOver(dlg->m_btnCross));
    testing_win::SaveWindowScreenshot(dlg->m_hWnd, "buttons-hot-cross");
    ::SendMessageW(dlg->m_btnCross.m_hWnd, BM_SETSTATE, TRUE, 0);
    testing_win::SaveWindowScreenshot(dlg->m_hWnd, "buttons-pressed");
    ::SendMessageW(dlg->m_btnCross.m_hWnd, BM_SETSTATE, FALSE, 0);

    // As the program's dialogs set them up: system faces, red caption when hot.
    for (CFlatBitmapButton* button : {&dlg->m_btnTick, &dlg->m_btnHelp, &dlg->m_btnText, &dlg->m_btnCross}) {
        EXPECT_EQ(button->ResetColors(TRUE), 0u);
        button->SetColorSlot(CFlatBitmapButton::ColorHotText, kHotText, TRUE);
    }
    ::SetCursorPos(0, 0);
    ASSERT_TRUE(PumpUntil([this] { return !AnyHover(); }));
    EXPECT_EQ(CaptureClient(dlg->m_btnTick.m_hWnd).At(0, 0), ::GetSysColor(COLOR_BTNFACE));
    testing_win::SaveWindowScreenshot(dlg->m_hWnd, "buttons-system-colours-rest");
    ASSERT_TRUE(HoverOver(dlg->m_btnTick));
    testing_win::SaveWindowScreenshot(dlg->m_hWnd, "buttons-system-colours-hot");
}

}  // namespace
