#include "DataExchange.h"

#include "Wnd.h"

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd) return;
    control.SubclassDlgItem(static_cast<UINT>(id), pDX->m_pDlgWnd);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    HWND item = pDX->m_pDlgWnd->GetDlgItem(id);
    if (!item) return;
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(item, value.c_str());
        return;
    }
    int length = ::GetWindowTextLengthA(item);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(item, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    value = text;
}

void DDX_Check(CDataExchange* pDX, int id, BOOL& value) {
    HWND item = pDX->m_pDlgWnd->GetDlgItem(id);
    if (!item) return;
    if (pDX->m_bSaveAndValidate)
        value = ::SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED ? TRUE : FALSE;
    else
        ::SendMessageW(item, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}
