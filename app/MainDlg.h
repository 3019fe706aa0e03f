// CMainDlg: the program's only top-level window. A "压缩" box picks a folder
// to pack, an "解压" box an archive to unpack; each command asks for the
// last missing path, starts a worker and opens the progress window over
// this one. In command-line mode (a non-empty m_strCmdLine) the window ends
// itself when that operation ends, fails or is cancelled.
#pragma once

#include <string>

#include "Dialog.h"
#include "FlatBitmapButton.h"
#include "MainWindowRules.h"
#include "WinThread.h"

class CProgressDlg;

class CMainDlg : public CDialog {
public:
    explicit CMainDlg(CWnd* parent = nullptr);
    // A progress window still open goes with the main window.
    ~CMainDlg() override;

    std::string m_strCmdLine;       // the raw argument string; set before DoModal
    std::string m_strHelpFile;      // the help file extracted in this run, or ""
    CProgressDlg* m_pProgressDlg = nullptr;

    CFlatBitmapButton m_btnBrowseFolder;
    CFlatBitmapButton m_btnCompress;
    CFlatBitmapButton m_btnHelp;
    CFlatBitmapButton m_btnBrowseArchive;
    CFlatBitmapButton m_btnUnpack;
    CFlatBitmapButton m_btnExit;
    CFlatBitmapButton m_btnAbout;
    CFlatBitmapButton m_btnIntegration;

    std::string m_strFolder;   // edit 1002, ANSI
    BOOL m_bGzip = TRUE;       // check box 1003
    std::string m_strArchive;  // edit 1006, ANSI
    HICON m_hIcon;             // icon 128

    BOOL OnInitDialog() override;
    // "压缩...", a dropped folder or a command-line folder.
    void OnOK() override;
    // Escape does nothing: the window is closed by "退出" or its Close.
    void OnCancel() override {}
    // "解压...", a dropped file or a command-line file.
    void OnUnpack();
    void OnBrowseFolder();
    void OnBrowseArchive();
    void OnGzipClicked();
    void OnShowHelp();
    void OnAbout();
    void OnIntegrationSetup();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnSysCommand(UINT command, LPARAM lParam) override;
    void OnDropFiles(HDROP drop) override;
    BOOL OnPaint() override;
    HICON OnQueryDragIcon() override { return m_hIcon; }
    BOOL OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnOperationProgress(int code, int value);
    // Sets a suspended worker running; FALSE when it could not be.
    virtual BOOL ResumeWorker(HANDLE thread);

private:
    bool IsCommandLineMode() const { return !m_strCmdLine.empty(); }
    void TrimSystemMenu();
    void SetUpButtons();
    void DispatchCommandLine();
    // The chosen folder, or "" (cancelled, not a file-system folder).
    std::string BrowseForFolder(const char* utf8Title, const std::string& initialFolder);
    static int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data);
    // Refuses a second operation while one runs; TRUE when refused.
    BOOL RefuseWhileBusy();
    void StartPack(const std::string& archive);
    void StartUnpack(const std::string& destination);
    // Lets a suspended worker, its inputs set, run with a progress window.
    void RunWorker(CWinThread* thread);
    // After a worker has been set running.
    void OpenProgressWindow();
    void CloseProgressWindow();
    void ShowError(const char* utf8Text) { MessageBox(utf8Text, nullptr, MB_OK | MB_ICONERROR); }

    HICON m_hSmallIcon;
    torvan::OperationGuard m_operation;
};
