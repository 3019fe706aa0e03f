#include "FlatBitmapButton.h"

#include <commctrl.h>

#include <string>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

torvan::Box ToBox(const RECT& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }
RECT ToRect(const torvan::Box& box) { return {box.left, box.top, box.right, box.bottom}; }

// Only bitmaps are ours to delete: a handle of another kind, passed by
// mistake, still belongs to whoever made it.
void DeleteBitmap(HBITMAP bitmap) {
    if (bitmap && ::GetObjectType(bitmap) == OBJ_BITMAP) ::DeleteObject(bitmap);
}

// The module a bitmap resource lives in: the program's own, or else the one
// this code was linked into.
HMODULE FindBitmapModule(UINT id) {
    HMODULE exe = ::GetModuleHandleA(nullptr);
    if (::FindResourceA(exe, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */)) return exe;
    HMODULE self = nullptr;
    if (::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCSTR>(&FindBitmapModule), &self))
        return self;
    return exe;
}

HBITMAP LoadBitmapResource(HMODULE module, UINT id) {
    return static_cast<HBITMAP>(
        ::LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

void Draw3dRect(HDC hdc, const RECT& rc, COLORREF topLeft, COLORREF bottomRight) {
    auto fill = [hdc](int x, int y, int cx, int cy, COLORREF color) {
        RECT r = {x, y, x + cx, y + cy};
        COLORREF old = ::SetBkColor(hdc, color);
        ::ExtTextOutW(hdc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
        ::SetBkColor(hdc, old);
    };
    int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    fill(rc.left, rc.top, cx - 1, 1, topLeft);
    fill(rc.left, rc.top, 1, cy - 1, topLeft);
    fill(rc.right - 1, rc.top, 1, cy, bottomRight);
    fill(rc.left, rc.bottom - 1, cx, 1, bottomRight);
}

}  // namespace

HBITMAP MakeTransparencyMask(HBITMAP bitmap, int width, int height, COLORREF transparent) {
    HBITMAP mask = ::CreateBitmap(width, height, 1, 1, nullptr);
    if (!mask) return nullptr;
    HDC colorDC = ::CreateCompatibleDC(nullptr);
    HDC maskDC = ::CreateCompatibleDC(nullptr);
    HGDIOBJ oldColorBitmap = colorDC ? ::SelectObject(colorDC, bitmap) : nullptr;
    HGDIOBJ oldMask = maskDC ? ::SelectObject(maskDC, mask) : nullptr;
    bool ok = oldColorBitmap && oldMask;
    if (ok) {
        // Colour to monochrome: bits are set where the pixel equals the
        // source's background colour.
        COLORREF oldBk = ::SetBkColor(colorDC, transparent);
        ok = ::BitBlt(maskDC, 0, 0, width, height, colorDC, 0, 0, SRCCOPY) != FALSE;
        // Monochrome to colour: set bits become the background (black),
        // clear ones the text colour (white); AND blackens the transparent
        // pixels and keeps the rest, so painting needs no third blit.
        COLORREF oldText = ::SetTextColor(colorDC, kWhite);
        ::SetBkColor(colorDC, kBlack);
        ok = ok && ::BitBlt(colorDC, 0, 0, width, height, maskDC, 0, 0, SRCAND) != FALSE;
        ::SetTextColor(colorDC, oldText);
        ::SetBkColor(colorDC, oldBk);
    }
    if (oldColorBitmap) ::SelectObject(colorDC, oldColorBitmap);
    if (oldMask) ::SelectObject(maskDC, oldMask);
    if (colorDC) ::DeleteDC(colorDC);
    if (maskDC) ::DeleteDC(maskDC);
    if (!ok) {
        ::DeleteObject(mask);
        return nullptr;
    }
    return mask;
}

CFlatBitmapButton::CFlatBitmapButton() { ResetColors(FALSE); }

CFlatBitmapButton::~CFlatBitmapButton() { ClearImages(); }

// ---- configuration -------------------------------------------------------

DWORD CFlatBitmapButton::LoadImagePair(UINT hotId, COLORREF hotTransparent, UINT restId,
                                       COLORREF restTransparent) {
    hotId &= 0xFFFF;
    restId &= 0xFFFF;
    HMODULE module = FindBitmapModule(hotId);
    HBITMAP hot = LoadBitmapResource(module, hotId);
    HBITMAP rest = restId ? LoadBitmapResource(module, restId) : nullptr;
    return SetImagePair(hot, hotTransparent, rest, restTransparent);
}

DWORD CFlatBitmapButton::SetImagePair(HBITMAP hot, COLORREF hotTransparent, HBITMAP rest,
                                      COLORREF restTransparent) {
    ClearImages();
    // One handle for both states would be masked twice and deleted twice;
    // the hot image serves at rest anyway when there is no rest image.
    if (rest == hot) rest = nullptr;
    DWORD result = ResultOk;
    if (hot) {
        result = SetImage(m_images[0], hot, hotTransparent);
        if (result == ResultOk && rest) result = SetImage(m_images[1], rest, restTransparent);
        else if (result != ResultOk) DeleteBitmap(rest);
    } else {
        DeleteBitmap(rest);  // handed over, so ours to dispose of
    }
    if (result != ResultOk) ClearImages();
    if (m_hWnd) Invalidate(TRUE);
    return result;
}

DWORD CFlatBitmapButton::SetImage(ImageRecord& record, HBITMAP bitmap, COLORREF transparent) {
    record.hBitmap = bitmap;
    record.crTransparent = transparent;
    BITMAP info;
    if (::GetObjectType(bitmap) != OBJ_BITMAP ||
        ::GetObjectA(bitmap, sizeof(info), &info) != static_cast<int>(sizeof(info)))
        return ResultNotBitmap;
    record.nWidth = static_cast<DWORD>(info.bmWidth);
    record.nHeight = static_cast<DWORD>(info.bmHeight);
    record.hMask = MakeTransparencyMask(bitmap, info.bmWidth, info.bmHeight, transparent);
    return record.hMask ? ResultOk : ResultNoMask;
}

void CFlatBitmapButton::ClearImages() {
    for (ImageRecord& record : m_images) {
        DeleteBitmap(record.hBitmap);
        DeleteBitmap(record.hMask);
        record = ImageRecord();
    }
}

DWORD CFlatBitmapButton::SetColorSlot(BYTE index, COLORREF color, BOOL repaint) {
    if (index >= torvan::ButtonColorCount) return ResultBadSlot;
    m_crColors[index] = color;
    if (repaint && m_hWnd) Invalidate(TRUE);
    return ResultOk;
}

DWORD CFlatBitmapButton::ResetColors(BOOL repaint) {
    COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    m_crColors[ColorHotFace] = m_crColors[ColorRestFace] = m_crColors[ColorFocusFace] = face;
    m_crColors[ColorHotText] = m_crColors[ColorRestText] = m_crColors[ColorFocusText] = text;
    if (repaint && m_hWnd) Invalidate(TRUE);
    return ResultOk;
}

void CFlatBitmapButton::EndHover() {
    if (!m_bHover) return;
    m_bHover = FALSE;
    if (m_hWnd) Invalidate(TRUE);
}

// ---- messages ------------------------------------------------------------

void CFlatBitmapButton::PreSubclassWindow() {
    DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)) & 0xFF;
    if ((style & 0x1F) == BS_DEFPUSHBUTTON) m_bIsDefault = TRUE;
    ModifyStyle(0x1F, BS_OWNERDRAW, SWP_FRAMECHANGED);
    CWnd::PreSubclassWindow();
}

LRESULT CFlatBitmapButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_MOUSEMOVE: {
        result = DefWindowProc(message, wParam, lParam);
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        OnMouseMove(static_cast<UINT>(wParam), point);
        return result;
    }
    case WM_MOUSELEAVE:
        EndHover();
        return 0;
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
        result = DefWindowProc(message, wParam, lParam);
        EndHover();
        return result;
    case WM_ACTIVATE:
        result = DefWindowProc(message, wParam, lParam);
        if (LOWORD(wParam) == WA_INACTIVE) EndHover();
        return result;
    case WM_ENABLE:
        result = DefWindowProc(message, wParam, lParam);
        OnEnable(static_cast<BOOL>(wParam));
        return result;
    case WM_GETDLGCODE:
        return OnGetDlgCode(wParam, lParam);
    case BM_SETSTYLE:
        return OnSetStyle(wParam, lParam);
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

LRESULT CFlatBitmapButton::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A quick second click presses the button again rather than being a
    // double click, so it gives a second BN_CLICKED.
    if (message == WM_LBUTTONDBLCLK) message = WM_LBUTTONDOWN;
    return CWnd::DefWindowProc(message, wParam, lParam);
}

BOOL CFlatBitmapButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        // A hollow brush: the face is painted in DrawItem, erasing it first
        // would only flicker.
        *result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return TRUE;
    case WM_DRAWITEM:
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        *result = TRUE;
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            ::SetFocus(m_hWnd);
            return FALSE;  // the parent handles the click as usual
        }
        break;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, result);
}

void CFlatBitmapButton::OnMouseMove(UINT flags, POINT point) {
    ::ClientToScreen(m_hWnd, &point);
    bool over = ::WindowFromPoint(point) == m_hWnd;
    switch (torvan::DecideHover(m_bHover != FALSE, (flags & MK_LBUTTON) != 0, over)) {
    case torvan::HoverChange::Begin: {
        m_bHover = TRUE;
        Invalidate(TRUE);
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_hWnd;
        ::_TrackMouseEvent(&track);
        break;
    }
    case torvan::HoverChange::End:
        EndHover();
        break;
    case torvan::HoverChange::None:
        break;
    }
}

void CFlatBitmapButton::OnEnable(BOOL enabling) {
    if (!enabling) {
        // The focus must not stay on (or later land on) a dead button.
        HWND parent = ::GetParent(m_hWnd);
        HWND next = parent ? ::GetNextDlgTabItem(parent, m_hWnd, FALSE) : nullptr;
        if (!next || next == m_hWnd) next = parent;
        if (next) ::SetFocus(next);
    }
    EndHover();
}

LRESULT CFlatBitmapButton::OnSetStyle(WPARAM style, LPARAM redraw) {
    torvan::ButtonStyleChange change =
        torvan::ApplyButtonStyle(static_cast<std::uint32_t>(style), m_bIsDefault != FALSE);
    m_bIsDefault = change.isDefault ? TRUE : FALSE;
    return DefWindowProc(BM_SETSTYLE, change.style, redraw);
}

LRESULT CFlatBitmapButton::OnGetDlgCode(WPARAM wParam, LPARAM lParam) {
    LRESULT code = DefWindowProc(WM_GETDLGCODE, wParam, lParam);
    return static_cast<LRESULT>(torvan::ButtonDialogCode(static_cast<std::uint32_t>(code), m_bIsDefault != FALSE));
}

// ---- painting ------------------------------------------------------------

torvan::ButtonState CFlatBitmapButton::State() const {
    torvan::ButtonState state;
    state.hover = m_bHover != FALSE;
    state.pressed = m_bPressed != FALSE;
    state.focused = m_bFocused != FALSE;
    state.disabled = m_bDisabled != FALSE;
    return state;
}

void CFlatBitmapButton::DrawItem(LPDRAWITEMSTRUCT drawItem) {
    HDC hdc = drawItem->hDC;
    m_bPressed = (drawItem->itemState & ODS_SELECTED) ? TRUE : FALSE;
    m_bFocused = (drawItem->itemState & ODS_FOCUS) ? TRUE : FALSE;
    m_bDisabled = (drawItem->itemState & ODS_DISABLED) ? TRUE : FALSE;
    const torvan::ButtonState state = State();

    RECT item = drawItem->rcItem;
    int savedDC = ::SaveDC(hdc);
    ::SetBkMode(hdc, TRANSPARENT);
    HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (font) ::SelectObject(hdc, font);

    PaintFace(hdc, item);
    if (state.pressed || state.hover) PaintEdge(hdc, item);

    int length = ::GetWindowTextLengthW(m_hWnd);
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    caption.resize(static_cast<size_t>(::GetWindowTextW(m_hWnd, &caption[0], length + 1)));
    torvan::Box captionBox = ToBox(item);

    if (m_images[0].hBitmap) {
        ::SetBkColor(hdc, kWhite);
        const ImageRecord& image = m_images[torvan::ChooseButtonImage(state, m_images[1].hBitmap != nullptr)];
        torvan::Box placed = torvan::LayoutImage(ToBox(item), captionBox, !caption.empty(), state.pressed,
                                                 static_cast<int>(image.nWidth), static_cast<int>(image.nHeight));
        PaintImage(hdc, image, placed.left, placed.top);
    }

    if (!caption.empty()) {
        if (state.pressed) captionBox.Offset(1, 1);
        RECT measured = ToRect(captionBox);
        ::DrawTextW(hdc, caption.c_str(), -1, &measured, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
        RECT rc = ToRect(torvan::CentreCaption(captionBox, ToBox(measured)));
        ::SetBkMode(hdc, TRANSPARENT);
        if (state.disabled) {
            // Embossed: a highlight copy one pixel lower right under a shadow copy.
            ::OffsetRect(&rc, 1, 1);
            ::SetTextColor(hdc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
            ::DrawTextW(hdc, caption.c_str(), -1, &rc, DT_WORDBREAK | DT_CENTER);
            ::OffsetRect(&rc, -1, -1);
            ::SetTextColor(hdc, ::GetSysColor(COLOR_BTNSHADOW));
            ::DrawTextW(hdc, caption.c_str(), -1, &rc, DT_WORDBREAK | DT_CENTER);
        } else {
            torvan::CaptionColors colors = torvan::ButtonCaptionColors(state, m_crColors);
            ::SetTextColor(hdc, colors.text);
            ::SetBkColor(hdc, colors.background);
            ::DrawTextW(hdc, caption.c_str(), -1, &rc, DT_WORDBREAK | DT_CENTER);
        }
    }
    // No focus rectangle: the focus shows only as the focus face colour.
    ::RestoreDC(hdc, savedDC);
}

DWORD CFlatBitmapButton::PaintFace(HDC hdc, const RECT& rect) {
    HBRUSH brush = ::CreateSolidBrush(torvan::ButtonFaceColor(State(), m_crColors));
    ::FillRect(hdc, &rect, brush);
    ::DeleteObject(brush);
    return 0;
}

DWORD CFlatBitmapButton::PaintEdge(HDC hdc, const RECT& rect) {
    COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    if (m_bPressed) Draw3dRect(hdc, rect, shadow, highlight);  // sunken
    else Draw3dRect(hdc, rect, highlight, shadow);             // raised
    return 0;
}

void CFlatBitmapButton::PaintImage(HDC hdc, const ImageRecord& image, int left, int top) {
    const int width = static_cast<int>(image.nWidth);
    const int height = static_cast<int>(image.nHeight);
    HDC maskDC = ::CreateCompatibleDC(nullptr);
    HDC bitmapDC = ::CreateCompatibleDC(hdc);
    if (!maskDC || !bitmapDC) {
        if (maskDC) ::DeleteDC(maskDC);
        if (bitmapDC) ::DeleteDC(bitmapDC);
        return;
    }
    HGDIOBJ oldMask = ::SelectObject(maskDC, image.hMask);
    HGDIOBJ oldBitmap = ::SelectObject(bitmapDC, image.hBitmap);

    if (!m_bDisabled) {
        // Monochrome to colour uses the target's colours: set mask bits
        // become white (AND keeps the face), clear ones black (AND makes a
        // hole the blackened bitmap then fills with OR).
        COLORREF oldText = ::SetTextColor(hdc, kBlack);
        COLORREF oldBk = ::SetBkColor(hdc, kWhite);
        ::BitBlt(hdc, left, top, width, height, maskDC, 0, 0, SRCAND);
        ::BitBlt(hdc, left, top, width, height, bitmapDC, 0, 0, SRCPAINT);
        ::SetTextColor(hdc, oldText);
        ::SetBkColor(hdc, oldBk);
    } else {
        // The image on white, then the system's disabled rendering of it.
        HBITMAP composed = ::CreateCompatibleBitmap(hdc, width, height);
        HDC composeDC = composed ? ::CreateCompatibleDC(hdc) : nullptr;
        if (composeDC) {
            HGDIOBJ oldComposed = ::SelectObject(composeDC, composed);
            ::PatBlt(composeDC, 0, 0, width, height, WHITENESS);
            ::SetBkColor(composeDC, kWhite);
            ::SetTextColor(composeDC, kBlack);
            ::BitBlt(composeDC, 0, 0, width, height, maskDC, 0, 0, SRCAND);
            ::BitBlt(composeDC, 0, 0, width, height, bitmapDC, 0, 0, SRCPAINT);
            ::SelectObject(composeDC, oldComposed);
            ::DeleteDC(composeDC);
            ::DrawStateA(hdc, nullptr, nullptr, reinterpret_cast<LPARAM>(composed), 0, left, top, width, height,
                         DST_BITMAP | DSS_DISABLED);
        }
        if (composed) ::DeleteObject(composed);
    }

    ::SelectObject(maskDC, oldMask);
    ::SelectObject(bitmapDC, oldBitmap);
    ::DeleteDC(maskDC);
    ::DeleteDC(bitmapDC);
}
