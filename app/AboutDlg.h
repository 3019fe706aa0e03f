// CAboutDlg: the About box, with the program's icon, its version line, a
// notice line that links to the product's web site, and a flat OK button.
#pragma once

#include "Dialog.h"
#include "FlatBitmapButton.h"
#include "LinkLabel.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent = nullptr);

    CFlatBitmapButton m_btnOK;
    CLinkLabel m_linkNotice;  // 1013

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
