// CGradientProgress: a progress bar that keeps the system progress control's
// behaviour (range and position messages still reach it) but paints itself:
// a left-to-right gradient one pixel column at a time, a plain background for
// the rest, and the percentage in the middle, which flips to the inverse
// colour once the fill passes the middle so it stays readable.
#pragma once

#include <windows.h>

#include "Wnd.h"

class CGradientProgress : public CWnd {
public:
    CGradientProgress();
    ~CGradientProgress() override;

    // Stores the range, moves the position to the lower bound and hands the
    // range to the control; returns that message's result.
    LRESULT SetBounds(short lower, short upper);
    // Stores the position, capped at the upper bound (not at the lower one),
    // hands it to the control and returns the stored value.
    int SetPosition(int position);

    int GetLower() const { return m_nLower; }
    int GetUpper() const { return m_nUpper; }
    int GetPosition() const { return m_nPosition; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
    void Paint(HDC hdc, const RECT& client);

    int m_nLower = 0;
    int m_nUpper = 0;
    int m_nPosition = 0;
    COLORREF m_crBackground;
    COLORREF m_crStart = RGB(120, 230, 255);
    COLORREF m_crEnd = RGB(208, 15, 12);
    COLORREF m_crText = RGB(230, 0, 214);
    HFONT m_hFont = nullptr;
};
