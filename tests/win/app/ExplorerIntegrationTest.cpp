// The whole way from the program to the context menu and back: Torvan.exe
// integrates itself from its "集成..." dialog (regsvr32 on the TorvanExt.dll
// beside it, then the two handler keys), a client does what Explorer does
// with those keys on a folder, and the item it invokes starts Torvan.exe in
// command-line mode on that folder. The integration is removed at the end.
//
// TORVAN_EXE names the program; TorvanExt.dll must lie beside it, as in the
// build's bin folder and in the release packages.
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "AppFixture.h"

using namespace driver;

namespace {

constexpr char kIntegrationTitle[] = "与 Explorer 集成设定...";
constexpr char kIntegrated[] = "恭喜!, Torvan 成功与 Explorer 集成!";
constexpr char kRemoved[] = "恭喜!, 缷载成功!";
constexpr int kIntegrate = 1019, kRemove = 1020;
constexpr UINT kFirstCommand = 1, kPackOffset = 102;

const wchar_t kClassKey[] = L"CLSID\\{5E1C0B7A-3D42-4F8E-9A61-2C7B0D4E8F13}\\InprocServer32";
const wchar_t kClsid[] = L"{5E1C0B7A-3D42-4F8E-9A61-2C7B0D4E8F13}";
const CLSID kPackMenu = {0x5E1C0B7A, 0x3D42, 0x4F8E, {0x9A, 0x61, 0x2C, 0x7B, 0x0D, 0x4E, 0x8F, 0x13}};

// The default value of HKEY_CLASSES_ROOT\path, or "" when there is none.
std::wstring DefaultValue(const wchar_t* path) {
    wchar_t text[520] = {};
    LONG size = sizeof(text) - sizeof(wchar_t);
    if (::RegQueryValueW(HKEY_CLASSES_ROOT, path, text, &size) != ERROR_SUCCESS) return L"";
    return text;
}

std::string FolderOf(const std::string& path) {
    std::string folder = path + '\0';
    ::PathRemoveFileSpecA(&folder[0]);  // lead-byte aware
    return folder.c_str();
}

// A data object for one path, made by the shell as Explorer's would be.
IDataObject* ShellDataObject(const std::string& ansiPath) {
    IShellFolder* desktop = nullptr;
    if (FAILED(::SHGetDesktopFolder(&desktop))) return nullptr;
    std::wstring name = WideFromAnsi(ansiPath);
    LPITEMIDLIST item = nullptr;
    IDataObject* data = nullptr;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &item, nullptr))) {
        IShellFolder* parent = nullptr;
        LPCITEMIDLIST child = nullptr;
        if (SUCCEEDED(::SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child))) {
            parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, reinterpret_cast<void**>(&data));
            parent->Release();
        }
        ::CoTaskMemFree(item);
    }
    desktop->Release();
    return data;
}

// A visible top-level window with this title, of any process.
struct TitleSearch {
    std::wstring title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND hWnd, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    if (!::IsWindowVisible(hWnd) || WindowText(hWnd) != search->title) return TRUE;
    search->found = hWnd;
    return FALSE;
}

HWND FindTopLevel(const std::wstring& title) {
    TitleSearch search = {title, nullptr};
    ::EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Pops the integration dialog from the main window, presses one of its two
// commands and answers the box it shows.
BoxReading RunIntegrationCommand(const TorvanProcess& process, HWND main, int command) {
    Click(main, ids::kIntegration);
    HWND dialog = process.WaitForDialog(Wide(kIntegrationTitle));
    if (!dialog) return {};
    Click(dialog, command);
    BoxReading box = AnswerBox(process);
    WaitUntil([&] { return !::IsWindow(dialog); });
    return box;
}

class ExplorerIntegration : public AppTest {
protected:
    void SetUp() override { ::CoInitialize(nullptr); }
    void TearDown() override {
        // Leave the prefix as it was for the other suites: no class, no keys.
        bool keysLeft = !DefaultValue(L"Directory\\shellex\\ContextMenuHandlers\\Torvan").empty();
        if (keysLeft && process && !process->HasExited()) RunIntegrationCommand(*process, main, kRemove);
        HMODULE ext = ::LoadLibraryA((FolderOf(TorvanExePath()) + "\\TorvanExt.dll").c_str());
        auto unregister = ext ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
                                    reinterpret_cast<void*>(::GetProcAddress(ext, "DllUnregisterServer")))
                              : nullptr;
        if (unregister) unregister();
        if (ext) ::FreeLibrary(ext);
        ::CoUninitialize();
    }
};

}  // namespace

TEST_F(ExplorerIntegration, IntegratedProgramIsStartedFromTheContextMenuOfAFolder) {
    temp.AddFiles("web site", 2);
    Start();

    BoxReading box = RunIntegrationCommand(*process, main, kIntegrate);
    EXPECT_EQ(box.text, Wide(kIntegrated));
    EXPECT_NE(box.owner, main) << "the integration dialog owns its boxes";
    EXPECT_EQ(DefaultValue(L"*\\shellex\\ContextMenuHandlers\\Torvan"), kClsid);
    EXPECT_EQ(DefaultValue(L"Directory\\shellex\\ContextMenuHandlers\\Torvan"), kClsid);
    // regsvr32 runs on its own; the class appears when it has done its work.
    std::wstring server;
    ASSERT_TRUE(WaitUntil([&] { return !(server = DefaultValue(kClassKey)).empty(); }))
        << "regsvr32 never registered the class";
    EXPECT_EQ(server, WideFromAnsi(FolderOf(TorvanExePath()) + "\\TorvanExt.dll"));

    // What Explorer does with the folder key: make the handler it names,
    // let it see the selection, build the menu and invoke the item.
    IShellExtInit* init = nullptr;
    ASSERT_EQ(::CoCreateInstance(kPackMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                 reinterpret_cast<void**>(&init)),
              S_OK);
    IDataObject* data = ShellDataObject(temp.Join("web site"));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(init->Initialize(nullptr, data, nullptr), S_OK);
    data->Release();
    IContextMenu* menu = nullptr;
    ASSERT_EQ(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
    HMENU popup = ::CreatePopupMenu();
    EXPECT_EQ(menu->QueryContextMenu(popup, 0, kFirstCommand, kFirstCommand + 200, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, kPackOffset + 1));
    CMINVOKECOMMANDINFO invoke = {};
    invoke.cbSize = sizeof(invoke);
    invoke.lpVerb = MAKEINTRESOURCEA(kPackOffset);
    invoke.nShow = SW_SHOWNORMAL;
    EXPECT_EQ(menu->InvokeCommand(&invoke), S_OK);
    ::DestroyMenu(popup);
    menu->Release();
    init->Release();

    // A second Torvan.exe, in command-line mode on the folder: its save
    // dialog comes first, and cancelling it ends that program.
    HWND save = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (save = FindTopLevel(Wide(texts::kSaveTitle))) != nullptr; }))
        << "the menu item did not start Torvan.exe";
    DWORD launchedId = 0;
    ::GetWindowThreadProcessId(save, &launchedId);
    EXPECT_NE(launchedId, process->Id());
    EXPECT_EQ(SuggestedName(save), "web site.dat.gz");
    HANDLE launched = ::OpenProcess(SYNCHRONIZE, FALSE, launchedId);
    ASSERT_NE(launched, nullptr);
    CancelDialog(save);
    EXPECT_EQ(::WaitForSingleObject(launched, kPatience), WAIT_OBJECT_0) << "cancelling did not end it";
    ::CloseHandle(launched);

    // Removal takes both keys away again and says so.
    box = RunIntegrationCommand(*process, main, kRemove);
    EXPECT_EQ(box.text, Wide(kRemoved));
    EXPECT_EQ(DefaultValue(L"*\\shellex\\ContextMenuHandlers\\Torvan"), L"");
    EXPECT_EQ(DefaultValue(L"Directory\\shellex\\ContextMenuHandlers\\Torvan"), L"");
}
