#include "ControlsTestDialog.h"

#include <commctrl.h>

#include "ControlsTestIds.h"
#include "DataExchange.h"
#include "resource.h"

void CControlsTestDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_TEST_TICK, m_btnTick);
    DDX_Control(pDX, IDC_TEST_HELP, m_btnHelp);
    DDX_Control(pDX, IDC_TEST_TEXT, m_btnText);
    DDX_Control(pDX, IDC_TEST_CROSS, m_btnCross);
    DDX_Control(pDX, IDC_TEST_GRADIENT, m_progress);
}

BOOL CControlsTestDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const COLORREF white = RGB(255, 255, 255);
    for (CFlatBitmapButton* button : {&m_btnTick, &m_btnHelp, &m_btnText, &m_btnCross}) {
        button->SetColorSlot(CFlatBitmapButton::ColorHotText, kHotText, TRUE);
        button->SetColorSlot(CFlatBitmapButton::ColorRestText, kRestText, TRUE);
        button->SetColorSlot(CFlatBitmapButton::ColorHotFace, kHotFace, TRUE);
        button->SetColorSlot(CFlatBitmapButton::ColorRestFace, kRestFace, TRUE);
        button->SetColorSlot(CFlatBitmapButton::ColorFocusFace, kFocusFace, TRUE);
    }
    m_btnTick.LoadImagePair(IDB_TICK_HOT, white, IDB_TICK_REST, white);
    m_btnHelp.LoadImagePair(IDB_HELP, white, IDB_HELP, white);
    m_btnCross.LoadImagePair(IDB_CROSS_HOT, white, IDB_CROSS_REST, white);
    m_progress.SetBounds(0, 100);
    m_progress.SetPosition(0);
    return TRUE;
}

BOOL CControlsTestDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (HIWORD(wParam)) {
    case BN_CLICKED:
        m_clicks.push_back(LOWORD(wParam));
        return TRUE;
    case BN_DOUBLECLICKED:
        m_doubleClicks.push_back(LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

int ClientPixels::Count(const RECT& area, COLORREF color) const {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (x >= 0 && y >= 0 && x < width && y < height && At(x, y) == color) ++count;
    return count;
}

ClientPixels CaptureClient(HWND hWnd, COLORREF underlay) {
    ClientPixels result;
    RECT client;
    ::GetClientRect(hWnd, &client);
    result.width = client.right;
    result.height = client.bottom;
    if (result.width <= 0 || result.height <= 0) return result;

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = result.width;
    bi.bmiHeader.biHeight = -result.height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(mem, dib);
    HBRUSH brush = ::CreateSolidBrush(underlay);
    ::FillRect(mem, &client, brush);
    ::DeleteObject(brush);
    ::SendMessageW(hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    ::GdiFlush();
    const DWORD* p = static_cast<const DWORD*>(bits);
    result.pixels.reserve(static_cast<size_t>(result.width) * result.height);
    for (int i = 0; i < result.width * result.height; ++i)
        result.pixels.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
    ::SelectObject(mem, old);
    ::DeleteObject(dib);
    ::DeleteDC(mem);
    return result;
}

void PumpMessages() {
    MSG msg;
    for (int i = 0; i < 10000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done) {
    // A bound against hanging, not a performance requirement.
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > 10000) return done();
        PumpMessages();
        ::Sleep(10);
    }
    return true;
}
