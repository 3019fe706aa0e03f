// CProgressDlg: the small window without a title bar that shows that an
// operation is running: a fixed notice, the gradient bar and the time since
// the operation started. The main window creates it modeless over itself,
// feeds m_progress, and deletes it when the operation ends; the window has
// no way to end itself (Enter and Escape do nothing).
#pragma once

#include <ctime>
#include <string>

#include "Dialog.h"
#include "GradientProgress.h"

class CProgressDlg : public CDialog {
public:
    CProgressDlg();
    // Stops the clock and destroys the window.
    ~CProgressDlg() override;

    std::time_t m_timeStart;      // whole seconds, taken at construction
    CGradientProgress m_progress;  // control 1017
    std::string m_strElapsed;      // label 1018, blank until the first tick

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnTimer(UINT_PTR id) override;
};
