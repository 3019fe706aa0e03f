// Picking the item: TorvanExt starts the Torvan.exe that lies beside it on
// the first selected path. The program beside the DLL is a stand-in that
// records its command line (TORVAN_STANDIN), or the real Torvan.exe when
// TORVAN_EXE names one, in which case its save dialog must appear.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "Screenshot.h"
#include "ShellExtHarness.h"

using namespace shellext_test;

namespace {

class Handler {
public:
    explicit Handler(DllCopy& dll) {
        dll.Create(IID_IShellExtInit, reinterpret_cast<void**>(&m_init));
        if (m_init) m_init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&m_menu));
    }
    ~Handler() {
        if (m_menu) m_menu->Release();
        if (m_init) m_init->Release();
    }
    bool Ready() const { return m_menu != nullptr; }

    void Select(const std::vector<std::string>& paths) {
        IDataObject* data = ShellDataObject(paths);
        ASSERT_NE(data, nullptr);
        m_init->Initialize(nullptr, data, nullptr);
        data->Release();
        HMENU menu = ::CreatePopupMenu();
        m_menu->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL);
        ::DestroyMenu(menu);
    }

    HRESULT Invoke(const char* verb) {
        CMINVOKECOMMANDINFO info = {sizeof info};
        info.lpVerb = verb;
        info.nShow = SW_SHOWNORMAL;
        return m_menu->InvokeCommand(&info);
    }
    HRESULT Invoke(UINT offset) { return Invoke(MAKEINTRESOURCEA(offset)); }

private:
    IShellExtInit* m_init = nullptr;
    IContextMenu* m_menu = nullptr;
};

}  // namespace

TEST(InvokeCommand, StartsTheProgramBesideTheDllOnTheFirstPath) {
    Installation installation;
    ASSERT_TRUE(installation.HasProgram()) << "TORVAN_STANDIN is not set or cannot be copied";
    ASSERT_TRUE(installation.Dll().Loaded());
    Handler handler(installation.Dll());
    ASSERT_TRUE(handler.Ready());
    TempFolder selection("web site 网站俓");
    std::string site = selection.AddFolder("site");
    handler.Select({site, selection.AddFile("notes.zip")});

    EXPECT_EQ(handler.Invoke(102u), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return installation.Launches().size() == 1; }));
    EXPECT_EQ(installation.Launches()[0], installation.ExpectedLaunch(site));

    // By verb, as a caller that knows the verb asks for it.
    EXPECT_EQ(handler.Invoke("Torvan."), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return installation.Launches().size() == 2; }));
    EXPECT_EQ(installation.Launches()[1], installation.ExpectedLaunch(site));

    // The longest path a selection can have reaches Torvan whole.
    std::string name = std::string(259 - selection.Path().size() - 1 - 4, 'y') + ".dat";
    std::string longest = selection.AddFile(name);
    ASSERT_EQ(longest.size(), 259u);
    handler.Select({longest});
    EXPECT_EQ(handler.Invoke(102u), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return installation.Launches().size() == 3; }));
    EXPECT_EQ(installation.Launches()[2], installation.ExpectedLaunch(longest));
}

bool Wine32() {
    return sizeof(void*) == 4 && ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// The DLL in a folder 248 and 259 bytes deep: its own path passes MAX_PATH,
// and in the deeper one so does the program's, which the system starts
// only by its short spelling. Either way the program beside the DLL starts
// on the whole selected path.
TEST(InvokeCommand, ADllInADeepFolderStartsTheProgramBesideIt) {
    TempFolder selection("deep");
    std::string site = selection.AddFolder("site");
    Installation deep(Installation::StandIn(), 248), deepest(Installation::StandIn(), 259);
    ASSERT_EQ(deep.Path().size(), 248u);
    ASSERT_EQ(deepest.Path().size(), 259u);
    for (Installation* each : {&deep, &deepest}) {
        Installation& installation = *each;
        std::size_t depth = installation.Path().size();
        if (depth == 259 && Wine32()) {
            // Wine's 32-bit process start turns the short program path back
            // into a long one in a MAX_PATH buffer and starts a garbled name.
            std::printf("Not launched from 259 bytes deep: a limit of Wine's 32-bit process start\n");
            continue;
        }
        ASSERT_TRUE(installation.HasProgram()) << depth;
        ASSERT_TRUE(installation.Dll().Loaded()) << depth;
        Handler handler(installation.Dll());
        ASSERT_TRUE(handler.Ready());
        handler.Select({site});
        EXPECT_EQ(handler.Invoke(102u), S_OK) << depth;
        ASSERT_TRUE(PumpUntil([&] { return installation.Launches().size() == 1; })) << depth;
        std::string line = installation.Launches()[0];
        if (depth == 248) {
            EXPECT_EQ(line, installation.ExpectedLaunch(site));
            continue;
        }
        // Named by its short spelling, the program beside the DLL (the one
        // that wrote beside itself) got the whole path.
        std::string tail = "\\Torvan.exe\" \"" + site + "\"|" + std::to_string(SW_SHOW);
        ASSERT_GT(line.size(), tail.size()) << line;
        EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
    }
}

TEST(InvokeCommand, OtherCommandsAreLeftToOtherHandlers) {
    Installation installation;
    ASSERT_TRUE(installation.HasProgram());
    Handler handler(installation.Dll());
    ASSERT_TRUE(handler.Ready());
    TempFolder selection("invoke");
    std::string archive = selection.AddFile("a.GZ");
    handler.Select({archive});
    for (UINT offset : {0u, 101u, 103u, 1102u}) EXPECT_EQ(handler.Invoke(offset), E_FAIL) << offset;
    for (const char* verb : {"open", "properties", "Torvan", ""}) EXPECT_EQ(handler.Invoke(verb), E_FAIL) << verb;

    // Only this one starts the program: its line is the only one.
    EXPECT_EQ(handler.Invoke(102u), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return installation.Launches().size() == 1; }));
    EXPECT_EQ(installation.Launches()[0], installation.ExpectedLaunch(archive));
}

TEST(InvokeCommand, NothingSelectedOrNoProgramIsAFailure) {
    Installation withoutProgram("");
    ASSERT_TRUE(withoutProgram.Dll().Loaded());
    Handler handler(withoutProgram.Dll());
    ASSERT_TRUE(handler.Ready());
    EXPECT_EQ(handler.Invoke(102u), E_FAIL);  // never initialised
    TempFolder selection("invoke");
    handler.Select({selection.AddFolder("site")});
    EXPECT_TRUE(FAILED(handler.Invoke(102u)));  // Torvan.exe is not beside the DLL
    EXPECT_TRUE(withoutProgram.Launches().empty());
}

namespace {

struct FoundWindow {
    std::wstring title;
    HWND window = nullptr;
};

BOOL CALLBACK FindByTitle(HWND window, LPARAM lParam) {
    auto* found = reinterpret_cast<FoundWindow*>(lParam);
    wchar_t title[256] = {};
    ::GetWindowTextW(window, title, 256);
    if (::IsWindowVisible(window) && found->title == title) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

// With TORVAN_EXE set to the real program: it starts on the folder and asks
// where to save the archive.
TEST(InvokeCommand, TheRealProgramAsksWhereToSaveAFolder) {
    std::string program = Installation::Environment("TORVAN_EXE");
    if (program.empty()) GTEST_SKIP() << "TORVAN_EXE is not set";
    Installation installation(program);
    ASSERT_TRUE(installation.HasProgram()) << program;
    Handler handler(installation.Dll());
    ASSERT_TRUE(handler.Ready());
    TempFolder selection("real");
    handler.Select({selection.AddFolder("site")});
    ASSERT_EQ(handler.Invoke(102u), S_OK);

    FoundWindow found;
    found.title = Wide(AnsiFromUtf8("另存为 - 请确定压缩后文件的存放位置及文件名："));
    ASSERT_TRUE(PumpUntil([&] {
        ::EnumWindows(FindByTitle, reinterpret_cast<LPARAM>(&found));
        return found.window != nullptr;
    }));
    testing_win::SaveWindowScreenshot(found.window, "invoked-save-dialog");

    // Cancelling ends a command-line run; the process must go with it.
    DWORD processId = 0;
    ::GetWindowThreadProcessId(found.window, &processId);
    HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
    ::PostMessageW(found.window, WM_COMMAND, IDCANCEL, 0);
    if (process) {
        if (::WaitForSingleObject(process, kPatience) != WAIT_OBJECT_0) {
            ::TerminateProcess(process, 1);
            ADD_FAILURE() << "Torvan.exe did not end after its save dialog was cancelled";
        }
        ::CloseHandle(process);
    }
}
