// CWnd: a C++ object bound to one window handle. A control object is bound
// to an existing dialog control by subclassing it (what data exchange's
// DDX_Control does); from then on every message of that control passes
// through WindowProc, and the parent dialog reflects owner-draw, colour and
// notification messages back to the object through OnChildNotify.
#pragma once

#include <windows.h>

class CDataExchange;

class CWnd {
public:
    CWnd() = default;
    // Unbinds a window that is still bound; it does not destroy it (a
    // control belongs to its dialog and goes when the dialog goes).
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    // The handle of a window that may not be there: null for a null object.
    // A static function, because a member called through a null pointer is
    // undefined behaviour and compilers drop a "this == null" test.
    static HWND GetSafeHwnd(const CWnd* wnd) { return wnd ? wnd->m_hWnd : nullptr; }

    // Binds this object to an existing window and routes its messages here.
    // PreSubclassWindow runs first, with m_hWnd already set.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // The object bound to hWnd, or null when none is.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Called by a parent for WM_DRAWITEM, WM_CTLCOLOR* and for WM_COMMAND /
    // WM_NOTIFY notifications that came from this control.
    // TRUE means handled: the parent answers *result and goes no further.
    // FALSE lets the parent handle the message as well (as BN_CLICKED needs).
    // The default turns WM_DRAWITEM into DrawItem and leaves the rest.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Data exchange: TRUE reads the controls into the fields, FALSE writes
    // the fields to the controls. Both go through DoDataExchange.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Thin wrappers used throughout the program. Texts are UTF-8.
    BOOL Invalidate(BOOL erase = TRUE) { return ::InvalidateRect(m_hWnd, nullptr, erase); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    CWnd* GetParent() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetWindowText(const char* utf8Text);
    void SetDlgItemText(int id, const char* utf8Text);
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL DestroyWindow();
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    // Centres this window over `over` (its owner when null), kept on screen.
    void CenterWindow(HWND over = nullptr);
    // A box owned by this window; a null caption means the program's name.
    int MessageBox(const char* utf8Text, const char* utf8Caption = nullptr, UINT type = MB_OK);

protected:
    virtual void PreSubclassWindow() {}
    // Every message of a subclassed window arrives here; the default hands
    // it to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's own procedure from before subclassing.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Reflected WM_DRAWITEM arrives here (through the default OnChildNotify).
    virtual void DrawItem(LPDRAWITEMSTRUCT drawItem) { (void)drawItem; }
    // Binds controls and moves field values; see DataExchange.h.
    virtual void DoDataExchange(CDataExchange* pDX) { (void)pDX; }
    // The last message the window gets; m_hWnd is already unbound.
    virtual void PostNcDestroy() {}
    // Reflects a parent's message to the child object it concerns, if any.
    static BOOL ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM);
    WNDPROC m_pfnSuper = nullptr;
};
