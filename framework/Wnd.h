// CWnd: a C++ object bound to one window handle. A control object is bound
// to an existing dialog control by subclassing it (what data exchange's
// DDX_Control does); from then on every message of that control passes
// through WindowProc, and the parent dialog reflects owner-draw, colour and
// notification messages back to the object through OnChildNotify.
#pragma once

#include <windows.h>

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return this ? m_hWnd : nullptr; }

    // Binds this object to an existing window and routes its messages here.
    // PreSubclassWindow runs first, with m_hWnd already set.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // The object bound to hWnd, or null when none is.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Called by a parent for WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR* and
    // for WM_COMMAND / WM_NOTIFY notifications that came from this control.
    // TRUE means handled: the parent answers *result and goes no further.
    // FALSE lets the parent handle the message as well (as BN_CLICKED needs).
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Thin wrappers used throughout the program.
    BOOL Invalidate(BOOL erase = TRUE) { return ::InvalidateRect(m_hWnd, nullptr, erase); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    CWnd* GetParent() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);

protected:
    virtual void PreSubclassWindow() {}
    // Every message of a subclassed window arrives here; the default hands
    // it to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's own procedure from before subclassing.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Reflected WM_DRAWITEM arrives here (through the default OnChildNotify).
    virtual void DrawItem(LPDRAWITEMSTRUCT drawItem) { (void)drawItem; }
    // Reflects a parent's message to the child object it concerns, if any.
    static BOOL ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM);
    WNDPROC m_pfnSuper = nullptr;
};
