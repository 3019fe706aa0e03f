// CDialog: a window built from a numbered dialog template, modal or
// modeless. The dialog window is subclassed as it initialises, so its
// messages arrive in WindowProc like any CWnd's; the handlers below are the
// few that the program's dialogs override. Owner-draw, colour and control
// notifications are first offered to the control object they concern.
#pragma once

#include "Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr)
        : m_nIDTemplate(templateId), m_pParentWnd(parent) {}
    // A modeless dialog still open is destroyed with its object.
    ~CDialog() override;

    // Runs the dialog modally and returns the value given to EndDialog
    // (-1 when the template could not be loaded). Without a parent, the
    // application's main window owns it and is disabled while it runs.
    INT_PTR DoModal();
    // Creates the dialog modeless; the caller shows it.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // Ends a modal dialog with `result`; destroys a modeless one.
    void EndDialog(int result);

    // Binds the controls and writes the fields to them (UpdateData(FALSE)).
    // Returns TRUE to let the system place the focus.
    virtual BOOL OnInitDialog();
    // IDOK (the OK button, Enter): reads the fields, then ends with IDOK.
    virtual void OnOK();
    // IDCANCEL (Escape, a Cancel button): ends with IDCANCEL.
    virtual void OnCancel();

protected:
    // WM_COMMAND not taken by a control object. TRUE when handled; the
    // default turns IDOK and IDCANCEL into OnOK and OnCancel.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_TIMER; default handling follows in any case.
    virtual void OnTimer(UINT_PTR id) { (void)id; }
    // WM_SYSCOMMAND, the command with its low four bits cleared. TRUE when
    // handled; FALSE leaves it to default handling.
    virtual BOOL OnSysCommand(UINT command, LPARAM lParam) {
        (void)command; (void)lParam;
        return FALSE;
    }
    // WM_DROPFILES (a window with WS_EX_ACCEPTFILES). The handler owns the
    // drop handle and releases it with DragFinish.
    virtual void OnDropFiles(HDROP drop) { (void)drop; }
    // WM_PAINT. TRUE when the handler painted; FALSE for default painting.
    virtual BOOL OnPaint() { return FALSE; }
    // WM_QUERYDRAGICON: the icon of the minimised window, or null for the
    // default.
    virtual HICON OnQueryDragIcon() { return nullptr; }
    // Messages from WM_USER on (private notifications). TRUE when handled,
    // with the answer in *result.
    virtual BOOL OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
        (void)message; (void)wParam; (void)lParam; (void)result;
        return FALSE;
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    BOOL m_bModal = FALSE;

private:
    HWND ModalOwner() const;
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
};
