#include "AboutDlg.h"

#include "DataExchange.h"
#include "ProductAddress.h"
#include "resource.h"

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDOK, m_btnOK);
    DDX_Control(pDX, IDC_ABOUT_NOTICE, m_linkNotice);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_linkNotice.SetTarget(torvan::kProductWebAddress);
    m_btnOK.SetColorSlot(CFlatBitmapButton::ColorHotText, RGB(245, 0, 0), TRUE);
    m_btnOK.LoadImagePair(IDB_TICK_HOT, RGB(255, 255, 255), IDB_TICK_REST, RGB(255, 255, 255));
    return TRUE;
}
