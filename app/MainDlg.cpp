#include "MainDlg.h"

#include <shellapi.h>

#include <io.h>

#include "AboutDlg.h"
#include "CommandLine.h"
#include "DataExchange.h"
#include "FileDialog.h"
#include "FolderBrowser.h"
#include "HelpFile.h"
#include "IntegrationDlg.h"
#include "MainWindowTexts.h"
#include "OperationProgress.h"
#include "ProgressDlg.h"
#include "SaveSuggestion.h"
#include "TorvanApp.h"
#include "UnzipThread.h"
#include "WorkerLaunch.h"
#include "ZipThread.h"
#include "resource.h"

namespace {

const COLORREF kHotText = RGB(245, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
// OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
// OFN_FILEMUSTEXIST | OFN_FORCESHOWHIDDEN
const DWORD kFileDialogFlags = 0x1000100E;
// BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE
const UINT kFolderBrowserFlags = 0x70;

bool IsLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

bool Exists(const std::string& path) { return _access(path.c_str(), 0) == 0; }

// A typed or passed path may be relative to the current folder, which an
// unpack changes; everything after this check works on the absolute path.
std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    char full[MAX_PATH] = {};
    DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : path;
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    return torvan::TextBeforeLastBackslash(path, &IsLeadByte);
}

}  // namespace

CMainDlg::CMainDlg(CWnd* parent) : CDialog(IDD_TORVAN_DIALOG, parent) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    m_hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_hSmallIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), 0));
}

CMainDlg::~CMainDlg() {
    CloseProgressWindow();
    if (m_hSmallIcon) ::DestroyIcon(m_hSmallIcon);
}

void CMainDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_BROWSE_FOLDER, m_btnBrowseFolder);
    DDX_Control(pDX, IDOK, m_btnCompress);
    DDX_Control(pDX, ID_HELP, m_btnHelp);
    DDX_Control(pDX, IDC_BROWSE_ARCHIVE, m_btnBrowseArchive);
    DDX_Control(pDX, IDC_UNPACK, m_btnUnpack);
    DDX_Control(pDX, IDC_EXIT, m_btnExit);
    DDX_Control(pDX, IDC_ABOUT, m_btnAbout);
    DDX_Control(pDX, IDC_INTEGRATION, m_btnIntegration);
    DDX_Text(pDX, IDC_FOLDER, m_strFolder);
    DDX_Check(pDX, IDC_GZIP, m_bGzip);
    DDX_Text(pDX, IDC_ARCHIVE, m_strArchive);
}

BOOL CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TrimSystemMenu();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon ? m_hSmallIcon : m_hIcon));
    m_bGzip = TRUE;
    UpdateData(FALSE);
    SetUpButtons();
    // A path on the command line is acted on before the window first shows:
    // its save dialog or folder browser comes first.
    if (IsCommandLineMode()) DispatchCommandLine();
    return TRUE;
}

// The window neither sizes nor maximises, so Restore, Size and Maximise go;
// Move, Minimise, a separator and Close stay. Deleted by position, highest
// first, so the earlier positions do not shift.
void CMainDlg::TrimSystemMenu() {
    wchar_t about[64] = {};
    if (::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, 64) <= 0) return;
    HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
    if (!menu) return;
    ::DeleteMenu(menu, 4, MF_BYPOSITION);
    ::DeleteMenu(menu, 2, MF_BYPOSITION);
    ::DeleteMenu(menu, 0, MF_BYPOSITION);
}

void CMainDlg::SetUpButtons() {
    CFlatBitmapButton* all[] = {&m_btnBrowseFolder, &m_btnCompress, &m_btnHelp,  &m_btnBrowseArchive,
                                &m_btnUnpack,       &m_btnExit,     &m_btnAbout, &m_btnIntegration};
    for (CFlatBitmapButton* button : all) button->SetColorSlot(CFlatBitmapButton::ColorHotText, kHotText, TRUE);
    m_btnExit.LoadImagePair(IDB_CROSS_HOT, kWhite, IDB_CROSS_REST, kWhite);
    m_btnHelp.LoadImagePair(IDB_HELP, kWhite, IDB_HELP, kWhite);
    m_btnCompress.LoadImagePair(IDB_TICK_HOT, kWhite, IDB_TICK_REST, kWhite);
    m_btnUnpack.LoadImagePair(IDB_TICK_HOT, kWhite, IDB_TICK_REST, kWhite);
}

// Anything whose attributes have the directory bit is packed; the failure
// value has it too, so a path that does not exist is refused as a missing
// folder.
void CMainDlg::DispatchCommandLine() {
    std::string path = torvan::CleanCommandLine(m_strCmdLine);
    if (::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
        m_strFolder = path;
        UpdateData(FALSE);
        OnOK();
    } else {
        m_strArchive = path;
        UpdateData(FALSE);
        OnUnpack();
    }
}

BOOL CMainDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != BN_CLICKED) return CDialog::OnCommand(wParam, lParam);
    switch (LOWORD(wParam)) {
    case IDC_UNPACK: OnUnpack(); return TRUE;
    case IDC_BROWSE_FOLDER: OnBrowseFolder(); return TRUE;
    case IDC_BROWSE_ARCHIVE: OnBrowseArchive(); return TRUE;
    case IDC_GZIP: OnGzipClicked(); return TRUE;
    case ID_HELP: OnShowHelp(); return TRUE;
    case IDC_ABOUT: OnAbout(); return TRUE;
    case IDC_INTEGRATION: OnIntegrationSetup(); return TRUE;
    case IDC_EXIT: CDialog::OnCancel(); return TRUE;
    default: return CDialog::OnCommand(wParam, lParam);
    }
}

void CMainDlg::OnGzipClicked() {
    UpdateData(TRUE);
}

void CMainDlg::OnShowHelp() {
    ShowHelp(m_hWnd, m_strHelpFile);
}

void CMainDlg::OnAbout() {
    CAboutDlg about;
    about.DoModal();
}

void CMainDlg::OnIntegrationSetup() {
    CIntegrationDlg setup;
    setup.DoModal();
}

// A browse or a drop changes only its own field: what the user typed into
// the others is read before the fields are written back.
void CMainDlg::OnBrowseFolder() {
    UpdateData(TRUE);
    m_strFolder = BrowseForFolder(torvan::kAskFolderToPack, ProgramFolder());
    // A cancelled browser empties the field on purpose: the user asked anew.
    UpdateData(FALSE);
}

void CMainDlg::OnBrowseArchive() {
    FileDialogOptions options;
    options.fileName = "*.gz";
    // What the dialog appends to a name typed without an extension.
    options.defaultExtension = "gz";
    options.filter = torvan::kArchiveFilter;
    options.flags = kFileDialogFlags;
    std::string chosen;
    if (!ShowOpenFileDialog(m_hWnd, options, chosen)) return;
    UpdateData(TRUE);
    m_strArchive = chosen;
    UpdateData(FALSE);
}

BOOL CMainDlg::RefuseWhileBusy() {
    if (!m_operation.IsBusy()) return FALSE;
    ShowError(torvan::kOperationRunning);
    return TRUE;
}

void CMainDlg::OnOK() {
    if (RefuseWhileBusy()) return;
    UpdateData(TRUE);
    if (m_strFolder.empty()) {
        ShowError(torvan::kNoFolderChosen);
        return;
    }
    m_strFolder = AbsolutePath(m_strFolder);
    UpdateData(FALSE);
    if (!Exists(m_strFolder)) {
        ShowError(torvan::kFolderMissing);
        return;
    }
    torvan::SaveSuggestion suggestion = torvan::SuggestArchive(m_strFolder, m_bGzip != FALSE, &IsLeadByte);
    FileDialogOptions options;
    options.utf8Title = torvan::kAskArchivePath;
    options.fileName = suggestion.fileName;
    options.defaultExtension = suggestion.defaultExtension;
    options.filter = suggestion.filter;
    options.initialFolder = suggestion.initialFolder;
    options.flags = kFileDialogFlags;
    std::string archive;
    if (!ShowSaveFileDialog(m_hWnd, options, archive)) {
        if (IsCommandLineMode()) CDialog::OnCancel();
        return;
    }
    if (archive.empty()) return;
    StartPack(archive);
}

void CMainDlg::OnUnpack() {
    if (RefuseWhileBusy()) return;
    UpdateData(TRUE);
    m_strArchive = AbsolutePath(m_strArchive);
    UpdateData(FALSE);
    std::string initial = torvan::TextBeforeLastBackslash(m_strArchive, &IsLeadByte);
    std::string destination = BrowseForFolder(torvan::kAskDestination, initial);
    if (destination.empty()) {
        if (IsCommandLineMode()) CDialog::OnCancel();
        return;
    }
    if (!Exists(m_strArchive)) {
        ShowError(torvan::kArchiveMissing);
        return;
    }
    StartUnpack(destination);
}

std::string CMainDlg::BrowseForFolder(const char* utf8Title, const std::string& initialFolder) {
    CTorvanApp& app = TheTorvanApp();
    size_t copied = initialFolder.copy(app.m_szInitialFolder, sizeof app.m_szInitialFolder - 1);
    app.m_szInitialFolder[copied] = '\0';
    std::string chosen = ShowFolderBrowser(m_hWnd, utf8Title, kFolderBrowserFlags, &CMainDlg::BrowseCallback, 0);
    if (!chosen.empty()) UpdateData(FALSE);
    return chosen;
}

int CALLBACK CMainDlg::BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
    (void)lParam;
    (void)data;
    std::string folder = torvan::PreselectedFolder(TheTorvanApp().m_szInitialFolder, &IsLeadByte);
    if (message == BFFM_INITIALIZED)
        ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    return 0;
}

void CMainDlg::StartPack(const std::string& archive) {
    CZipThread* thread = AfxBeginThread<CZipThread>(THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread) {
        OnOperationProgress(torvan::OPN_FAILED, 0);
        return;
    }
    thread->m_strArchive = archive;
    thread->m_strFolder = m_strFolder;
    thread->m_bGzip = m_bGzip;
    RunWorker(thread);
}

void CMainDlg::StartUnpack(const std::string& destination) {
    CUnzipThread* thread = AfxBeginThread<CUnzipThread>(THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread) {
        OnOperationProgress(torvan::OPN_FAILED, 0);
        return;
    }
    thread->m_strArchive = m_strArchive;
    thread->m_strDestination = destination;
    RunWorker(thread);
}

// The worker's inputs are set while it is still suspended; from the resume
// on it may report at any time, and it deletes itself when it ends. A
// worker that never runs never reports: its end is reported here, so the
// busy state cannot outlive it. Such a worker is left where it waits, with
// its object, until the process ends: ending a thread from outside before
// it has ever run is not safe on every system, and it holds nothing.
void CMainDlg::RunWorker(CWinThread* thread) {
    thread->m_bAutoDelete = TRUE;
    m_operation.Started();
    if (!ResumeWorker(thread->m_hThread)) {
        OnOperationProgress(torvan::OPN_FAILED, 0);
        return;
    }
    OpenProgressWindow();
}

BOOL CMainDlg::ResumeWorker(HANDLE thread) { return ResumeUntilRunning(thread); }


void CMainDlg::OpenProgressWindow() {
    CloseProgressWindow();
    CProgressDlg* progress = new CProgressDlg();
    if (!progress->Create(IDD_PROGRESS, this)) {
        delete progress;
        return;
    }
    progress->ShowWindow(SW_SHOW);
    m_pProgressDlg = progress;
}

void CMainDlg::CloseProgressWindow() {
    delete m_pProgressDlg;
    m_pProgressDlg = nullptr;
}

BOOL CMainDlg::OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != WM_OPERATION_PROGRESS) return FALSE;
    OnOperationProgress(static_cast<int>(wParam), static_cast<int>(lParam));
    *result = 0;
    return TRUE;
}

void CMainDlg::OnOperationProgress(int code, int value) {
    torvan::NotificationReaction reaction = torvan::ReactToNotification(code, value, IsCommandLineMode());
    m_operation.Notified(reaction);
    if (reaction.setPosition && m_pProgressDlg) m_pProgressDlg->m_progress.SetPosition(value);
    if (reaction.closeProgress) CloseProgressWindow();
    if (reaction.reportFailure) ShowError(torvan::kOperationFailed);
    if (reaction.endDialog) CDialog::OnCancel();
}

void CMainDlg::OnDropFiles(HDROP drop) {
    char path[MAX_PATH] = {};
    UINT length = ::DragQueryFileA(drop, 0, path, MAX_PATH);
    ::DragFinish(drop);
    if (length == 0) return;
    // Refused before it touches a field, as the commands themselves are.
    if (RefuseWhileBusy()) return;
    UpdateData(TRUE);
    if (::GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY) {
        m_strFolder = path;
        UpdateData(FALSE);
        OnOK();
    } else {
        m_strArchive = path;
        UpdateData(FALSE);
        OnUnpack();
    }
}

BOOL CMainDlg::OnSysCommand(UINT command, LPARAM lParam) {
    (void)lParam;
    if (command != SC_CLOSE) return FALSE;
    // The extracted help goes with a real close. A file that cannot be
    // deleted (the viewer still holds it) stays behind; the window closes
    // all the same.
    if (!m_strHelpFile.empty() && Exists(m_strHelpFile)) ::DeleteFileA(m_strHelpFile.c_str());
    CDialog::OnCancel();
    return TRUE;
}

BOOL CMainDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) return FALSE;
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
    return TRUE;
}
