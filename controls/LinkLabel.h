// CLinkLabel: a static text control of a dialog turned into a web link. Its
// text is drawn underlined in the link colour, in the hover colour while
// the mouse is over it and in the visited colour once it has been followed;
// it shows the hand cursor and a tooltip with its address, and a click
// opens the address in the user's browser.
#pragma once

#include <windows.h>

#include <string>

#include "LinkLabelRules.h"
#include "Wnd.h"

class CLinkLabel : public CWnd {
public:
    CLinkLabel() = default;
    // Takes the font and the tooltip away with the label.
    ~CLinkLabel() override;

    // The address a click opens (UTF-8); also the tooltip's text.
    void SetTarget(const std::string& target);
    const std::string& GetTarget() const { return m_strTarget; }
    void MarkVisited(BOOL visited);
    BOOL IsVisited() const { return m_bVisited; }
    BOOL IsOver() const { return m_bOver; }
    // Shrinks the control to its text, keeping the edge its alignment names.
    void FitToText();
    void LoadHandCursor();
    HWND GetToolTip() const { return m_hToolTip; }
    COLORREF LinkColor() const { return m_colors.link; }
    COLORREF VisitedColor() const { return m_colors.visited; }
    COLORREF HoverColor() const { return m_colors.hover; }

    // Opens an address with the shell, or else with the command registered
    // for web pages. Returns the shell's result (above 32: success) or the
    // fallback's.
    static HINSTANCE OpenTarget(const std::string& address, int showCommand);
    // Reads the default value of root\subKey into `out` (room for 260
    // bytes; may be subKey's own buffer). 0 or the registry's error code.
    static LONG ReadDefaultValue(HKEY root, const char* subKey, char* out);

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnMouseMove(POINT point);
    void EndHover();
    void RepaintNow();
    void CreateToolTip();
    std::wstring WindowTextWide() const;

    torvan::LinkColors m_colors;
    BOOL m_bOver = FALSE;       // the mouse is over the label, which holds the capture
    BOOL m_bVisited = FALSE;
    BOOL m_bUnderline = TRUE;
    BOOL m_bFitToText = TRUE;
    std::string m_strTarget;
    HFONT m_hFont = nullptr;          // ours: the control's font, underlined
    HCURSOR m_hHandCursor = nullptr;  // the system's, shared: never destroyed
    HWND m_hToolTip = nullptr;
};
