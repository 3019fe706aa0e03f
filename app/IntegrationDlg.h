// CIntegrationDlg: the small dialog from which the user adds Torvan's entry
// to the Explorer context menu, or takes it away again. Each of its two
// commands does its work at once, reports the outcome in a box and closes
// the dialog.
#pragma once

#include <string>

#include "Dialog.h"
#include "FlatBitmapButton.h"

class CIntegrationDlg : public CDialog {
public:
    explicit CIntegrationDlg(CWnd* parent = nullptr);

    CFlatBitmapButton m_btnUnintegrate;  // 1020 "缷载集成"
    CFlatBitmapButton m_btnIntegrate;    // 1019 "集成"
    CFlatBitmapButton m_btnOK;
    CFlatBitmapButton m_btnCancel;

    BOOL OnInitDialog() override;

    // Starts the registration tool on TorvanExt.dll beside the program and
    // writes both handler keys. A missing library is reported here, in a
    // box of its own. FALSE at the first failing step, with the reason left
    // as the thread's last error.
    BOOL RegisterIntegration();
    // Deletes the folder key, then the file-object key. FALSE at the first
    // that fails, with the reason left as the thread's last error.
    static BOOL RemoveIntegration();
    // The system's text for the thread's last error (UTF-8); empty when the
    // system has none.
    static std::string SystemErrorText();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnIntegrate();
    void OnUnintegrate();
};
