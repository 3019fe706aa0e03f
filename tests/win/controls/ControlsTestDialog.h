// The controls test dialog, modeless and parked at a known screen spot, on
// top, so that mouse positions map onto its buttons; plus the helpers the
// pixel tests share: a client-area capture and bounded message pumping.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "Dialog.h"
#include "FlatBitmapButton.h"
#include "GradientProgress.h"

class CControlsTestDlg : public CDialog {
public:
    CControlsTestDlg() : CDialog(0) {}

    CFlatBitmapButton m_btnTick;   // caption and the tick images
    CFlatBitmapButton m_btnHelp;   // no caption, the help image for both states
    CFlatBitmapButton m_btnText;   // caption only
    CFlatBitmapButton m_btnCross;  // the dialog's default button, cross images
    CGradientProgress m_progress;

    std::vector<int> m_clicks;         // ids of BN_CLICKED, in order
    std::vector<int> m_doubleClicks;   // ids of BN_DOUBLECLICKED

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

// Pixels of a window's client area, as its WM_PRINTCLIENT paints them.
struct ClientPixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    int Count(const RECT& area, COLORREF color) const;
};
// The capture starts filled with `underlay`, so unpainted pixels show it.
ClientPixels CaptureClient(HWND hWnd, COLORREF underlay = RGB(1, 2, 3));

// Dispatches whatever is queued.
void PumpMessages();
// Pumps until `done` holds or a generous bound passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done);

// The test faces: distinct, so every state tells which one was painted.
const COLORREF kHotFace = RGB(255, 250, 200);
const COLORREF kRestFace = RGB(200, 220, 240);
const COLORREF kFocusFace = RGB(230, 210, 190);
const COLORREF kHotText = RGB(245, 0, 0);
const COLORREF kRestText = RGB(0, 0, 0);
