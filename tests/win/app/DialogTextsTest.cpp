// Every dialog shows each of its texts whole: the main window, the About
// box, the integration dialog and the progress window, built from their
// real templates and classes, measured as drawn here and as Windows lays
// them out, and photographed for a look.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "AboutDlg.h"
#include "IntegrationDlg.h"
#include "MainDlg.h"
#include "ProgressDlg.h"
#include "Screenshot.h"
#include "TextFit.h"
#include "WinApp.h"
#include "resource.h"

namespace {

using testing_win::ButtonImages;

std::string Report(const std::vector<std::string>& cuts) {
    std::string report;
    for (const std::string& cut : cuts) report += cut + "\n";
    return report;
}

// Each dialog opens over the main window, as in the program.
class DialogTexts : public ::testing::Test {
protected:
    void SetUp() override {
        AfxGetApp()->m_pMainWnd = &main;
        ASSERT_TRUE(main.Create(IDD_TORVAN_DIALOG));
    }
    void TearDown() override {
        if (::IsWindow(main.m_hWnd)) ::DestroyWindow(main.m_hWnd);
        AfxGetApp()->m_pMainWnd = nullptr;
    }

    void ExpectWhole(CDialog& dialog, UINT templateId, const ButtonImages& images, const std::string& screenshot) {
        ::ShowWindow(dialog.m_hWnd, SW_SHOW);
        testing_win::SaveWindowScreenshot(dialog.m_hWnd, screenshot);
        const std::vector<std::string> cuts =
            testing_win::CutTexts(dialog.m_hWnd, ::GetModuleHandleW(nullptr), templateId, images);
        EXPECT_TRUE(cuts.empty()) << Report(cuts);
    }

    CMainDlg main;
};

}  // namespace

// The images are the ones each dialog gives its buttons as it opens.
TEST_F(DialogTexts, MainWindow) {
    ExpectWhole(main, IDD_TORVAN_DIALOG,
                {{IDOK, IDB_TICK_HOT}, {IDC_UNPACK, IDB_TICK_HOT}, {ID_HELP, IDB_HELP}, {IDC_EXIT, IDB_CROSS_HOT}},
                "texts-main-window");
}

TEST_F(DialogTexts, AboutBox) {
    CAboutDlg about;
    ASSERT_TRUE(about.Create(IDD_ABOUTBOX, &main));
    ExpectWhole(about, IDD_ABOUTBOX, {{IDOK, IDB_TICK_HOT}}, "texts-about-box");
}

TEST_F(DialogTexts, IntegrationDialog) {
    CIntegrationDlg integration;
    ASSERT_TRUE(integration.Create(IDD_INTEGRATION, &main));
    ExpectWhole(integration, IDD_INTEGRATION,
                {{IDOK, IDB_TICK_HOT}, {IDCANCEL, IDB_CROSS_HOT}, {IDC_INTEGRATE, IDB_TICK_HOT},
                 {IDC_UNINTEGRATE, IDB_TICK_HOT}},
                "texts-integration-dialog");
}

TEST_F(DialogTexts, ProgressWindow) {
    CProgressDlg progress;
    ASSERT_TRUE(progress.Create(IDD_PROGRESS, &main));
    // The clock is blank for its first second; this is the widest it shows.
    ::SetDlgItemTextW(progress.m_hWnd, IDC_ELAPSED, L"59:59");
    ExpectWhole(progress, IDD_PROGRESS, {}, "texts-progress-window");
}
