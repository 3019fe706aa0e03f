#include "GradientProgress.h"

#include <commctrl.h>

#include <string>

#include "GradientMath.h"

namespace {

// A 9-point font for the screen, the size the percentage was laid out for.
HFONT CreatePercentFont() {
    HDC screen = ::GetDC(nullptr);
    int height = -::MulDiv(9, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return ::CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, "verdana");
}

void FillSolid(HDC hdc, int x, int y, int width, int height, COLORREF color) {
    // ExtTextOut with an opaque rectangle is the cheapest solid fill GDI has,
    // and needs no brush per column.
    RECT rc = {x, y, x + width, y + height};
    COLORREF old = ::SetBkColor(hdc, color);
    ::ExtTextOutW(hdc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(hdc, old);
}

}  // namespace

CGradientProgress::CGradientProgress()
    : m_crBackground(::GetSysColor(COLOR_BTNFACE)), m_hFont(CreatePercentFont()) {}

CGradientProgress::~CGradientProgress() {
    if (m_hFont) ::DeleteObject(m_hFont);
}

LRESULT CGradientProgress::SetBounds(short lower, short upper) {
    m_nLower = lower;
    m_nUpper = upper;
    m_nPosition = lower;
    return SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper));
}

int CGradientProgress::SetPosition(int position) {
    if (position >= m_nUpper) position = m_nUpper;
    m_nPosition = position;
    SendMessage(PBM_SETPOS, static_cast<WPARAM>(position), 0);
    return m_nPosition;
}

LRESULT CGradientProgress::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT: {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_ERASEBKGND:
        // The paint covers every pixel; erasing first would only flicker.
        return TRUE;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CGradientProgress::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    if (!hdc) return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    Paint(hdc, client);
    ::EndPaint(m_hWnd, &ps);
}

void CGradientProgress::Paint(HDC hdc, const RECT& client) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const int filled = torvan::GradientFilledWidth(width, m_nPosition, m_nUpper);

    for (int i = 0; i < filled; ++i)
        FillSolid(hdc, i, 0, 1, height, torvan::GradientColumnColor(m_crStart, m_crEnd, width, i));
    FillSolid(hdc, filled, 0, width - filled, height, m_crBackground);

    std::string text = torvan::GradientPercentText(m_nPosition, m_nUpper);
    std::wstring wide(text.begin(), text.end());  // digits, sign and '%' only

    int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    COLORREF oldColor = ::SetTextColor(hdc, torvan::GradientTextColor(m_crText, filled, width));
    HGDIOBJ oldFont = m_hFont ? ::SelectObject(hdc, m_hFont) : nullptr;
    RECT rc = client;
    ::DrawTextW(hdc, wide.c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (oldFont) ::SelectObject(hdc, oldFont);
    ::SetTextColor(hdc, oldColor);
    ::SetBkMode(hdc, oldMode);
}
