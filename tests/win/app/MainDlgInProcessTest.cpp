// What cannot be seen from another process: the main window's system menu
// and icons, a drop (its HDROP is this process's memory), and the Close
// command with the extracted help file. The window is created modeless in
// this process; its modal dialogs then run on this thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "Driver.h"
#include "MainDlg.h"
#include "MessageBox.h"
#include "Screenshot.h"
#include "TestTree.h"
#include "WinApp.h"
#include "resource.h"

using namespace driver;

namespace {

// A drop of `paths`, as Explorer hands it over: DROPFILES followed by the
// ANSI names, each terminated, and one more terminator.
HDROP MakeDrop(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) size += path.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    char* names = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths) {
        path.copy(names, path.size());
        names += path.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

struct ThreadDialogSearch {
    std::wstring title;  // empty: the folder browser
    bool fileDialog = false;  // any file dialog (file-name box 1148)
    HWND found = nullptr;
};

BOOL CALLBACK FindThreadDialogProc(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<ThreadDialogSearch*>(lParam);
    if (!::IsWindowVisible(hWnd) || ClassName(hWnd) != L"#32770") return TRUE;
    bool matches = search->fileDialog      ? ::GetDlgItem(hWnd, 1148) != nullptr
                   : search->title.empty() ? IsFolderBrowser(hWnd)
                                           : WindowText(hWnd) == search->title;
    if (matches) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

// Waits for a dialog of `uiThread` that `search` describes; null in the end.
HWND WaitForThreadDialog(DWORD uiThread, ThreadDialogSearch search) {
    WaitUntil([&] {
        ::EnumThreadWindows(uiThread, &FindThreadDialogProc, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

// The dialogs the main window opens are modal on this thread, so they are
// answered from a second one: it waits for the dialog titled `title` on
// `uiThread` (the folder browser for an empty title, any file dialog with
// `fileDialog`), hands it to `answer`, and ends.
struct Watch {
    DWORD uiThread;
    std::wstring title;
    std::function<void(HWND)> answer;
    bool seen = false;
    bool fileDialog = false;
};

DWORD WINAPI WatchProc(LPVOID param) {
    auto* watch = static_cast<Watch*>(param);
    HWND found = WaitForThreadDialog(watch->uiThread, {watch->title, watch->fileDialog});
    if (!found) return 1;
    watch->seen = true;
    watch->answer(found);
    return 0;
}

// Posts `message` to the window and keeps this thread's messages flowing
// until the watcher has answered the dialog that follows.
bool PostAndAnswer(HWND window, UINT message, WPARAM wParam, Watch& watch) {
    watch.uiThread = ::GetCurrentThreadId();
    HANDLE thread = ::CreateThread(nullptr, 0, &WatchProc, &watch, 0, nullptr);
    if (!thread) return false;
    ::PostMessageW(window, message, wParam, 0);
    WaitUntil([&] { return ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; });
    ::CloseHandle(thread);
    return watch.seen;
}

// The main window with its worker's resume in the test's hands: done for
// real, failing, or reported done while the worker stays suspended (so
// the window stays busy for as long as the test likes).
class TestMainDlg : public CMainDlg {
public:
    enum class Resume { Real, Fail, Hold };
    Resume resume = Resume::Real;
    // Held workers stay suspended until the test process ends, as the
    // program leaves a worker it could not resume.
    std::vector<HANDLE> held;

protected:
    BOOL ResumeWorker(HANDLE thread) override {
        if (resume == Resume::Real) return CMainDlg::ResumeWorker(thread);
        if (resume == Resume::Hold) held.push_back(thread);
        return resume == Resume::Hold;
    }
};

class MainDlgInProcess : public ::testing::Test {
protected:
    void SetUp() override {
        AfxGetApp()->m_pMainWnd = &dialog;
        ASSERT_TRUE(dialog.Create(IDD_TORVAN_DIALOG));
    }
    void TearDown() override {
        if (::IsWindow(dialog.m_hWnd)) ::DestroyWindow(dialog.m_hWnd);
        AfxGetApp()->m_pMainWnd = nullptr;
    }

    TestMainDlg dialog;
    TestFolder temp{"inprocess"};
};

}  // namespace

TEST_F(MainDlgInProcess, SystemMenuKeepsMoveMinimiseSeparatorClose) {
    HMENU menu = ::GetSystemMenu(dialog.m_hWnd, FALSE);
    ASSERT_NE(menu, nullptr);
    ASSERT_GE(::GetMenuItemCount(menu), 4);
    EXPECT_EQ(::GetMenuItemID(menu, 0), static_cast<UINT>(SC_MOVE));
    EXPECT_EQ(::GetMenuItemID(menu, 1), static_cast<UINT>(SC_MINIMIZE));
    EXPECT_EQ(::GetMenuState(menu, 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(::GetMenuItemID(menu, 3), static_cast<UINT>(SC_CLOSE));
    // Whatever follows is the system's own (Wine adds "About Wine").
    for (int i = 4; i < ::GetMenuItemCount(menu); ++i) {
        UINT id = ::GetMenuItemID(menu, i);
        EXPECT_NE(id, static_cast<UINT>(SC_RESTORE));
        EXPECT_NE(id, static_cast<UINT>(SC_SIZE));
        EXPECT_NE(id, static_cast<UINT>(SC_MAXIMIZE));
    }
}

TEST_F(MainDlgInProcess, ProgramIconIsTheLargeAndTheSmallIcon) {
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(dialog.m_hWnd, WM_GETICON, ICON_BIG, 0)), dialog.m_hIcon);
    EXPECT_NE(::SendMessageW(dialog.m_hWnd, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(dialog.m_hIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(dialog.m_hWnd, WM_QUERYDRAGICON, 0, 0)), dialog.m_hIcon);
}

TEST_F(MainDlgInProcess, DroppedFileIsUnpackedAndOnlyTheFirstItemCounts) {
    temp.AddFile("site.dat.gz", "not really an archive");
    temp.AddFiles("second", 1);
    std::wstring browserText;
    std::string archive, folder;
    Watch watch{0, L"", [&](HWND browser) {
                    browserText = FolderBrowserTitle(browser);
                    archive = dialog.m_strArchive;
                    folder = dialog.m_strFolder;
                    CancelDialog(browser);
                }};
    HDROP drop = MakeDrop({temp.Join("site.dat.gz"), temp.Join("second")});
    ASSERT_TRUE(PostAndAnswer(dialog.m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), watch));
    EXPECT_EQ(browserText, Wide("选择解压的目的地，即解压到哪个目录下："));
    EXPECT_EQ(archive, temp.Join("site.dat.gz"));
    EXPECT_EQ(folder, "");
    EXPECT_TRUE(::IsWindow(dialog.m_hWnd));  // not in command-line mode
}

TEST_F(MainDlgInProcess, DroppedFolderOpensTheSaveDialogAtOnce) {
    temp.AddFiles("site", 3);
    temp.AddFile("later.dat", "x");
    std::string suggested, folder, archive;
    Watch watch{0, Wide("另存为 - 请确定压缩后文件的存放位置及文件名："), [&](HWND save) {
                    suggested = AnsiText(SaveDialogNameEdit(save));
                    folder = dialog.m_strFolder;
                    archive = dialog.m_strArchive;
                    CancelDialog(save);
                }};
    HDROP drop = MakeDrop({temp.Join("site"), temp.Join("later.dat")});
    ASSERT_TRUE(PostAndAnswer(dialog.m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), watch));
    EXPECT_EQ(suggested, "site.dat.gz");
    EXPECT_EQ(folder, temp.Join("site"));
    EXPECT_EQ(archive, "");
}

TEST_F(MainDlgInProcess, CloseDeletesTheExtractedHelpFile) {
    temp.AddFile("help.chm", "help");
    dialog.m_strHelpFile = temp.Join("help.chm");
    ::SendMessageW(dialog.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(FileExists(temp.Join("help.chm")));
    EXPECT_FALSE(::IsWindow(dialog.m_hWnd));
}

TEST_F(MainDlgInProcess, CloseStillClosesWhenTheHelpFileCannotBeDeleted) {
    // A help viewer that still holds the file, sharing no deletion.
    temp.AddFile("held.chm", "help");
    HANDLE held = ::CreateFileA(temp.Join("held.chm").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    dialog.m_strHelpFile = temp.Join("held.chm");
    ::SendMessageW(dialog.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(::IsWindow(dialog.m_hWnd));
    ::CloseHandle(held);
}

TEST_F(MainDlgInProcess, ExitButtonLeavesTheHelpFile) {
    temp.AddFile("help.chm", "help");
    dialog.m_strHelpFile = temp.Join("help.chm");
    ::SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog.m_hWnd, IDC_EXIT)));
    EXPECT_FALSE(::IsWindow(dialog.m_hWnd));
    EXPECT_TRUE(FileExists(temp.Join("help.chm")));
}

// In this process an icon handle can be compared with the system's own.
BOOL CALLBACK FindBoxIcon(HWND child, LPARAM found) {
    if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return TRUE;
    *reinterpret_cast<HICON*>(found) = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
    return FALSE;
}

TEST_F(MainDlgInProcess, RefusalBoxHasTheErrorIconAndTheProgramsName) {
    HICON icon = nullptr;
    HWND owner = nullptr;
    std::wstring text;
    Watch watch{0, ProgramName(), [&](HWND box) {
                    owner = ::GetWindow(box, GW_OWNER);
                    text = WindowText(::GetDlgItem(box, 0xFFFF));
                    ::EnumChildWindows(box, &FindBoxIcon, reinterpret_cast<LPARAM>(&icon));
                    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                }};
    ASSERT_TRUE(PostAndAnswer(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), watch));
    EXPECT_EQ(text, Wide("请先选择要压缩的文件夹!"));
    EXPECT_EQ(owner, dialog.m_hWnd);
    EXPECT_EQ(icon, ::LoadIconA(nullptr, IDI_ERROR));
}

namespace {

void PressButton(HWND dialog, int id, Watch& watch) {
    ASSERT_TRUE(PostAndAnswer(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), watch)) << "button " << id;
}

// Fields as a user leaves them: typed text, and the gzip box changed by
// keyboard, which tells the window nothing.
void TypeFields(HWND dialog, const std::string& folder, const std::string& archive) {
    ::SetDlgItemTextA(dialog, IDC_FOLDER, folder.c_str());
    ::SetDlgItemTextA(dialog, IDC_ARCHIVE, archive.c_str());
    ::SendDlgItemMessageW(dialog, IDC_GZIP, BM_SETCHECK, BST_UNCHECKED, 0);
}

bool GzipChecked(HWND dialog) { return ::IsDlgButtonChecked(dialog, IDC_GZIP) == BST_CHECKED; }

// Answers the main window's message box: its text, then OK.
std::wstring AnswerBoxOf(HWND box) {
    std::wstring text = WindowText(::GetDlgItem(box, 0xFFFF));
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return text;
}

}  // namespace

TEST_F(MainDlgInProcess, AboutAndIntegrationBoxesAreModalOverTheMainWindow) {
    struct Box {
        int button;
        const char* title;
        const char* screenshot;
    };
    const Box boxes[] = {{IDC_ABOUT, "关于 Torvan", "about-over-main-window"},
                         {IDC_INTEGRATION, "与 Explorer 集成设定...", "integration-over-main-window"}};
    for (const Box& box : boxes) {
        HWND owner = nullptr;
        BOOL mainEnabled = TRUE;
        Watch watch{0, Wide(box.title), [&](HWND shown) {
                        owner = ::GetWindow(shown, GW_OWNER);
                        // Disabled, the main window takes no click: no second
                        // box, no command, no exit while this one is up.
                        mainEnabled = ::IsWindowEnabled(dialog.m_hWnd);
                        testing_win::SaveWindowScreenshot(dialog.m_hWnd, box.screenshot);
                        ::PostMessageW(shown, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                    }};
        PressButton(dialog.m_hWnd, box.button, watch);
        EXPECT_EQ(owner, dialog.m_hWnd) << box.title;
        EXPECT_FALSE(mainEnabled) << box.title;
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(dialog.m_hWnd) != FALSE; })) << box.title;
    }
}

TEST_F(MainDlgInProcess, TypedTextSurvivesBothBrowseButtonsAndADrop) {
    temp.AddFile("picked.gz", "x");
    temp.AddFile("dropped.dat", "x");
    const std::string typedFolder = temp.Join("typed"), typedArchive = temp.Join("typed.gz");
    HWND main = dialog.m_hWnd;

    // A cancelled folder browser empties its own field, and only that one.
    TypeFields(main, typedFolder, typedArchive);
    Watch browseFolder{0, L"", [](HWND browser) { CancelDialog(browser); }};
    PressButton(main, IDC_BROWSE_FOLDER, browseFolder);
    EXPECT_EQ(GetText(main, IDC_FOLDER), "");
    EXPECT_EQ(GetText(main, IDC_ARCHIVE), typedArchive);
    EXPECT_FALSE(GzipChecked(main));

    TypeFields(main, typedFolder, typedArchive);
    Watch browseArchive{0, L"", [&](HWND open) { ConfirmSaveDialog(open, temp.Join("picked.gz")); }};
    browseArchive.fileDialog = true;
    PressButton(main, IDC_BROWSE_ARCHIVE, browseArchive);
    EXPECT_EQ(GetText(main, IDC_ARCHIVE), temp.Join("picked.gz"));
    EXPECT_EQ(GetText(main, IDC_FOLDER), typedFolder);
    EXPECT_FALSE(GzipChecked(main));

    TypeFields(main, typedFolder, typedArchive);
    Watch destination{0, L"", [](HWND browser) { CancelDialog(browser); }};
    HDROP drop = MakeDrop({temp.Join("dropped.dat")});
    ASSERT_TRUE(PostAndAnswer(main, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), destination));
    EXPECT_EQ(GetText(main, IDC_ARCHIVE), temp.Join("dropped.dat"));
    EXPECT_EQ(GetText(main, IDC_FOLDER), typedFolder);
    EXPECT_FALSE(GzipChecked(main));
}

TEST_F(MainDlgInProcess, ADropRefusedWhileBusyChangesNoField) {
    temp.AddFiles("site", 2);
    temp.AddFile("dropped.dat", "x");
    dialog.resume = TestMainDlg::Resume::Hold;
    ::SetDlgItemTextA(dialog.m_hWnd, IDC_FOLDER, temp.Join("site").c_str());
    Watch save{0, Wide("另存为 - 请确定压缩后文件的存放位置及文件名："),
               [&](HWND shown) { ConfirmSaveDialog(shown, temp.Join("site.dat.gz")); }};
    PressButton(dialog.m_hWnd, IDOK, save);
    ASSERT_EQ(dialog.held.size(), 1u);

    TypeFields(dialog.m_hWnd, temp.Join("typed"), temp.Join("typed.gz"));
    std::wstring refusal;
    Watch box{0, ProgramName(), [&](HWND shown) { refusal = AnswerBoxOf(shown); }};
    HDROP drop = MakeDrop({temp.Join("dropped.dat")});
    ASSERT_TRUE(PostAndAnswer(dialog.m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), box));
    EXPECT_EQ(refusal, Wide("操作正在进行，请稍等..."));
    EXPECT_EQ(GetText(dialog.m_hWnd, IDC_FOLDER), temp.Join("typed"));
    EXPECT_EQ(GetText(dialog.m_hWnd, IDC_ARCHIVE), temp.Join("typed.gz"));
    EXPECT_FALSE(GzipChecked(dialog.m_hWnd));
}

TEST_F(MainDlgInProcess, AWorkerThatCannotBeResumedEndsTheBusyState) {
    temp.AddFiles("site", 2);
    dialog.resume = TestMainDlg::Resume::Fail;
    ::SetDlgItemTextA(dialog.m_hWnd, IDC_FOLDER, temp.Join("site").c_str());
    std::wstring report;
    Watch failing{0, Wide("另存为 - 请确定压缩后文件的存放位置及文件名："), [&](HWND save) {
                      ConfirmSaveDialog(save, temp.Join("site.dat.gz"));
                      HWND box = WaitForThreadDialog(::GetWindowThreadProcessId(save, nullptr), {ProgramName()});
                      if (box) report = AnswerBoxOf(box);
                  }};
    PressButton(dialog.m_hWnd, IDOK, failing);
    EXPECT_EQ(report, Wide("操作失败!"));
    EXPECT_EQ(dialog.m_pProgressDlg, nullptr);

    // Not busy any more: the next pack asks where to save, refused by nothing.
    bool asked = false;
    Watch next{0, Wide("另存为 - 请确定压缩后文件的存放位置及文件名："), [&](HWND save) {
                   asked = true;
                   CancelDialog(save);
               }};
    PressButton(dialog.m_hWnd, IDOK, next);
    EXPECT_TRUE(asked);
    EXPECT_FALSE(FileExists(temp.Join("site.dat.gz")));
}
