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
#include "ExplorerClient.h"

using namespace driver;
using namespace explorer;

namespace {

constexpr char kIntegrationTitle[] = "与 Explorer 集成设定...";
constexpr char kIntegrated[] = "恭喜!, Torvan 成功与 Explorer 集成!";
constexpr char kRemoved[] = "恭喜!, 缷载成功!";
constexpr int kIntegrate = 1019, kRemove = 1020;

std::string FolderOf(const std::string& path) {
    std::string folder = path + '\0';
    ::PathRemoveFileSpecA(&folder[0]);  // lead-byte aware
    return folder.c_str();
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
    ASSERT_TRUE(WaitUntil([&] { return !(server = DefaultValue(kClassServerKey)).empty(); }))
        << "regsvr32 never registered the class";
    EXPECT_EQ(server, WideFromAnsi(FolderOf(TorvanExePath()) + "\\TorvanExt.dll"));

    // What Explorer does with the folder key: make the handler it names,
    // let it see the selection, build the menu and invoke the item.
    ASSERT_TRUE(InvokePackItem(temp.Join("web site")));

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
