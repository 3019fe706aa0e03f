#include "ProgressDlg.h"

#include "DataExchange.h"
#include "ElapsedTime.h"
#include "WinApp.h"
#include "resource.h"

namespace {
const UINT_PTR kClockTimer = 11;
const UINT kClockInterval = 1000;  // ms
}  // namespace

CProgressDlg::CProgressDlg() : CDialog(IDD_PROGRESS), m_timeStart(std::time(nullptr)) {}

CProgressDlg::~CProgressDlg() {
    if (m_hWnd) {
        KillTimer(kClockTimer);
        DestroyWindow();
    }
}

void CProgressDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_PROGRESS_BAR, m_progress);
    DDX_Text(pDX, IDC_ELAPSED, m_strElapsed);
}

BOOL CProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_progress.SetBounds(0, 100);
    m_progress.SetPosition(0);
    CenterWindow(CWnd::GetSafeHwnd(AfxGetMainWnd()));
    // The clock recomputes from the start time on every tick, so a late or
    // missed tick never adds up to a wrong time. If the timer cannot be made,
    // the label simply stays blank.
    SetTimer(kClockTimer, kClockInterval);
    return TRUE;
}

void CProgressDlg::OnTimer(UINT_PTR id) {
    if (id != kClockTimer) return;
    m_strElapsed = torvan::FormatElapsed(static_cast<long long>(std::time(nullptr) - m_timeStart));
    UpdateData(FALSE);
}
