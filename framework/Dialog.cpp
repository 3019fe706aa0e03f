#include "Dialog.h"

#include "WinApp.h"

static HINSTANCE ResourceInstance() { return ::GetModuleHandleW(nullptr); }

// A modal dialog without a parent belongs to the application's main window:
// the system disables that window until the dialog ends, so it takes no
// second command, no drop and no exit meanwhile, and the dialog gets no
// taskbar button of its own. The main window itself has no owner.
HWND CDialog::ModalOwner() const {
    if (m_pParentWnd) return m_pParentWnd->m_hWnd;
    CWnd* main = AfxGetMainWnd();
    if (!main || main == this || !::IsWindow(main->m_hWnd)) return nullptr;
    return main->m_hWnd;
}

CDialog::~CDialog() {
    if (m_hWnd && !m_bModal && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal() {
    m_bModal = TRUE;
    INT_PTR result = ::DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(m_nIDTemplate), ModalOwner(),
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_bModal = FALSE;
    return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (m_hWnd) return FALSE;
    m_nIDTemplate = templateId;
    m_pParentWnd = parent;
    m_bModal = FALSE;
    HWND owner = parent ? parent->m_hWnd : nullptr;
    HWND hDlg = ::CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId), owner,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hDlg != nullptr && m_hWnd == hDlg;
}

void CDialog::EndDialog(int result) {
    if (!m_hWnd) return;
    if (m_bModal)
        ::EndDialog(m_hWnd, result);
    else
        ::DestroyWindow(m_hWnd);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_COMMAND:
        if (lParam && ReflectToChild(message, wParam, lParam, &result)) return result;
        if (OnCommand(wParam, lParam)) return 0;
        break;
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        if (ReflectToChild(message, wParam, lParam, &result)) return result;
        break;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        break;
    case WM_SYSCOMMAND:
        if (OnSysCommand(static_cast<UINT>(wParam & 0xFFF0), lParam)) return 0;
        break;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_PAINT:
        if (OnPaint()) return 0;
        break;
    case WM_QUERYDRAGICON:
        if (HICON icon = OnQueryDragIcon()) return reinterpret_cast<LRESULT>(icon);
        break;
    default:
        if (message >= WM_USER && OnUserMessage(message, wParam, lParam, &result)) return result;
        break;
    }
    return DefWindowProc(message, wParam, lParam);
}

// The dialog manager's procedure: it only has to bind the object as the
// dialog initialises; after that the subclassed WindowProc sees everything
// and this procedure answers "not handled" to what reaches it.
INT_PTR CALLBACK CDialog::DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)wParam;
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog || !dialog->SubclassWindow(hDlg)) return TRUE;
    RECT placed;
    ::GetWindowRect(hDlg, &placed);
    BOOL result = dialog->OnInitDialog();
    // A modal dialog that its initialisation did not move opens centred over
    // its owner (the main window over the screen's work area), not at the
    // owner's corner where the template's zero position would put it.
    RECT now;
    ::GetWindowRect(hDlg, &now);
    if (dialog->m_bModal && ::EqualRect(&placed, &now)) dialog->CenterWindow();
    return result;
}
