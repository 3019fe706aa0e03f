// The context menu of an installed Torvan: after a silent install into the
// folder TORVAN_INSTALLED (tests/installer/check.sh), the item that Explorer
// finds through the installed keys starts the installed Torvan.exe on a
// folder. Skipped when no installation is named.
#include <objbase.h>
#include <psapi.h>
#include <shlobj.h>

#include <cstdlib>

#include "AppFixture.h"
#include "ExplorerClient.h"

using namespace driver;
using namespace explorer;

namespace {

std::wstring ProcessImage(HANDLE process) {
    wchar_t path[MAX_PATH] = {};
    return ::GetModuleFileNameExW(process, nullptr, path, MAX_PATH) ? path : L"";
}

class InstalledMenu : public AppTest {
protected:
    void SetUp() override { ::CoInitialize(nullptr); }
    void TearDown() override { ::CoUninitialize(); }
};

}  // namespace

TEST_F(InstalledMenu, ItemStartsTheInstalledProgramOnAFolder) {
    const char* installed = std::getenv("TORVAN_INSTALLED");
    if (!installed) GTEST_SKIP() << "TORVAN_INSTALLED names no installation";
    const std::wstring folder = WideFromAnsi(installed);
    EXPECT_EQ(DefaultValue(L"Directory\\shellex\\ContextMenuHandlers\\Torvan"), kClsid);
    EXPECT_EQ(DefaultValue(kClassServerKey), folder + L"\\TorvanExt.dll");

    temp.AddFiles("web site", 2);
    ASSERT_TRUE(InvokePackItem(temp.Join("web site")));

    HWND save = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (save = FindTopLevel(Wide(texts::kSaveTitle))) != nullptr; }))
        << "the menu item did not start Torvan.exe";
    EXPECT_EQ(SuggestedName(save), "web site.dat.gz");
    DWORD launchedId = 0;
    ::GetWindowThreadProcessId(save, &launchedId);
    HANDLE launched = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, launchedId);
    ASSERT_NE(launched, nullptr);
    EXPECT_EQ(ProcessImage(launched), folder + L"\\Torvan.exe");
    CancelDialog(save);
    EXPECT_EQ(::WaitForSingleObject(launched, kPatience), WAIT_OBJECT_0) << "cancelling did not end it";
    ::CloseHandle(launched);
}

// Holds the installed extension as Explorer does, until the file named by
// TORVAN_RELEASE appears; check.sh upgrades or removes the installation in
// the meantime. The file TORVAN_RELEASE.held tells it the library is loaded.
TEST_F(InstalledMenu, HoldsTheExtensionUntilReleased) {
    const char* release = std::getenv("TORVAN_RELEASE");
    if (!release) GTEST_SKIP() << "TORVAN_RELEASE names no file to wait for";
    IShellExtInit* init = nullptr;
    ASSERT_EQ(::CoCreateInstance(kPackMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                 reinterpret_cast<void**>(&init)),
              S_OK);
    const std::string held = std::string(release) + ".held";
    ::CloseHandle(::CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_TRUE(WaitUntil([&] { return ::GetFileAttributesA(release) != INVALID_FILE_ATTRIBUTES; }));
    init->Release();
}
