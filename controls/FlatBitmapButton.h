// CFlatBitmapButton: the push button of every dialog. It draws itself flat:
// at rest only its face colour, an image and its caption; while the mouse is
// over it a raised one-pixel edge, a second image and a second caption
// colour; while pressed a sunken edge and everything one pixel lower right.
// Images keep one colour transparent through a mask made once per image.
#pragma once

#include <windows.h>

#include "ButtonLayout.h"
#include "Wnd.h"

class CFlatBitmapButton : public CWnd {
public:
    // Result codes of the operations below.
    enum : DWORD {
        ResultOk = 0,
        ResultNotBitmap = 1,   // a handle given does not describe a bitmap
        ResultNoMask = 2,      // the transparency mask could not be made
        ResultBadSlot = 3      // a colour index above ColorFocusText
    };
    // Colour slots (see ButtonLayout.h).
    static constexpr BYTE ColorHotFace = torvan::ColorHotFace;
    static constexpr BYTE ColorHotText = torvan::ColorHotText;
    static constexpr BYTE ColorRestFace = torvan::ColorRestFace;
    static constexpr BYTE ColorRestText = torvan::ColorRestText;
    static constexpr BYTE ColorFocusFace = torvan::ColorFocusFace;
    static constexpr BYTE ColorFocusText = torvan::ColorFocusText;

    CFlatBitmapButton();
    ~CFlatBitmapButton() override;

    // Loads both bitmaps from the module holding bitmap hotId (restId 0: no
    // rest image) and sets them. An id that cannot be loaded gives no image.
    DWORD LoadImagePair(UINT hotId, COLORREF hotTransparent, UINT restId, COLORREF restTransparent);
    // Takes ownership of both handles, whatever the outcome.
    DWORD SetImagePair(HBITMAP hot, COLORREF hotTransparent, HBITMAP rest, COLORREF restTransparent);
    DWORD SetColorSlot(BYTE index, COLORREF color, BOOL repaint);
    DWORD ResetColors(BOOL repaint);
    COLORREF GetColorSlot(BYTE index) const { return index < torvan::ButtonColorCount ? m_crColors[index] : 0; }
    void EndHover();

    BOOL IsHover() const { return m_bHover; }
    BOOL IsDefault() const { return m_bIsDefault; }

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DrawItem(LPDRAWITEMSTRUCT drawItem) override;
    // A derived button may fill the face or draw the edge its own way.
    virtual DWORD PaintFace(HDC hdc, const RECT& rect);
    virtual DWORD PaintEdge(HDC hdc, const RECT& rect);

private:
    // One image: the colour bitmap, its transparent pixels blackened, and
    // the monochrome mask that marks them.
    struct ImageRecord {
        HBITMAP hBitmap = nullptr;
        DWORD nWidth = 0;
        DWORD nHeight = 0;
        HBITMAP hMask = nullptr;
        COLORREF crTransparent = 0;
    };

    void OnMouseMove(UINT flags, POINT point);
    void OnEnable(BOOL enabling);
    LRESULT OnSetStyle(WPARAM style, LPARAM redraw);
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);

    DWORD SetImage(ImageRecord& record, HBITMAP bitmap, COLORREF transparent);
    void ClearImages();
    void PaintImage(HDC hdc, const ImageRecord& image, int left, int top);
    torvan::ButtonState State() const;

    BOOL m_bHover = FALSE;
    BOOL m_bPressed = FALSE;
    BOOL m_bFocused = FALSE;
    BOOL m_bDisabled = FALSE;
    BOOL m_bIsDefault = FALSE;
    torvan::Color m_crColors[torvan::ButtonColorCount] = {};  // COLORREF values
    ImageRecord m_images[2];  // [0] hot, [1] rest
};

// Makes the monochrome mask of `bitmap` (set where the pixel equals
// `transparent`) and blackens those pixels of `bitmap` in place, so that the
// pair paints with two blits. Returns null when the mask cannot be made.
HBITMAP MakeTransparencyMask(HBITMAP bitmap, int width, int height, COLORREF transparent);
