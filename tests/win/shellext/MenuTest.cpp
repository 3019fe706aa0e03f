// The handler on a real popup menu, with the shell's own data objects for
// real files and folders, as Explorer drives it.
#include <shlobj.h>

#include "RegisteredServer.h"
#include "Screenshot.h"
#include "ShellExtHarness.h"

using namespace shellext_test;

void ExpectDiamond(HBITMAP bitmap);  // ResourcesTest.cpp

namespace {

const char kPackText[] = "添加到 Torvan 压缩文件(&Z)....";
const char kUnpackText[] = "用 Torvan 解压此文件到(&E)...";
const char kHelpText[] = "将此文件用Torvan解压到指定的文件夹";
constexpr UINT kFirst = 1000;
constexpr UINT kLast = 0x7FFF;

std::wstring FromUtf8(const char* utf8) { return Wide(AnsiFromUtf8(utf8)); }

// What QueryContextMenu left in a menu that already held two items, with
// the handler offered the place between them.
struct MenuReading {
    HRESULT result = E_FAIL;
    int added = 0;
    std::wstring text;
    UINT id = 0;
    HBITMAP unchecked = nullptr;
    HBITMAP checked = nullptr;
    bool neighboursKept = false;
};

class Menu : public RegisteredServer {
protected:
    void SetUp() override {
        ASSERT_EQ(Create(IID_IShellExtInit, reinterpret_cast<void**>(&m_init)), S_OK);
        ASSERT_EQ(m_init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&m_menu)), S_OK);
    }
    void TearDown() override {
        if (m_menu) m_menu->Release();
        if (m_init) m_init->Release();
    }

    void Select(const std::vector<std::string>& paths) {
        IDataObject* data = ShellDataObject(paths);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(m_init->Initialize(nullptr, data, nullptr), S_OK);
        data->Release();
    }

    MenuReading Read(UINT flags = CMF_NORMAL, UINT first = kFirst, UINT last = kLast) {
        MenuReading reading;
        HMENU menu = ::CreatePopupMenu();
        ::AppendMenuW(menu, MF_STRING, 1, L"Open");
        ::AppendMenuW(menu, MF_STRING, 2, L"Properties");
        reading.result = m_menu->QueryContextMenu(menu, 1, first, last, flags);
        reading.added = ::GetMenuItemCount(menu) - 2;
        if (reading.added == 1) {
            wchar_t text[260] = {};
            ::GetMenuStringW(menu, 1, text, 260, MF_BYPOSITION);
            reading.text = text;
            reading.id = ::GetMenuItemID(menu, 1);
            MENUITEMINFOW info = {sizeof info, MIIM_CHECKMARKS};
            ::GetMenuItemInfoW(menu, 1, TRUE, &info);
            reading.unchecked = info.hbmpUnchecked;
            reading.checked = info.hbmpChecked;
        }
        reading.neighboursKept = ::GetMenuItemID(menu, 0) == 1 && ::GetMenuItemID(menu, 1 + reading.added) == 2;
        ::DestroyMenu(menu);
        return reading;
    }

    void ExpectItem(const MenuReading& reading, const char* utf8Text) {
        EXPECT_EQ(reading.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 103));
        ASSERT_EQ(reading.added, 1);
        EXPECT_EQ(reading.text, FromUtf8(utf8Text));
        EXPECT_EQ(reading.id, kFirst + 102);
        EXPECT_NE(reading.unchecked, nullptr);
        EXPECT_EQ(reading.checked, reading.unchecked);
        EXPECT_TRUE(reading.neighboursKept);
    }

    void ExpectNothing(const MenuReading& reading) {
        EXPECT_EQ(reading.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
        EXPECT_EQ(reading.added, 0);
        EXPECT_TRUE(reading.neighboursKept);
    }

    IShellExtInit* m_init = nullptr;
    IContextMenu* m_menu = nullptr;
};

}  // namespace

TEST_F(Menu, AFolderGetsThePackItemWithThePicture) {
    TempFolder folder("menu");
    Select({folder.AddFolder("site")});
    MenuReading reading = Read();
    ExpectItem(reading, kPackText);
    ExpectDiamond(reading.unchecked);
}

TEST_F(Menu, ArchivesInAnyLetterCaseGetTheUnpackItem) {
    TempFolder folder("menu");
    for (const char* name : {"a.GZ", "b.Dat", "x.tar.gz"}) {
        SCOPED_TRACE(name);
        Select({folder.AddFile(name)});
        ExpectItem(Read(), kUnpackText);
    }
}

TEST_F(Menu, OtherFilesGetNothing) {
    TempFolder folder("menu");
    folder.AddFolder("backup.gz");
    for (const char* name : {"notes.zip", "README", "d.gz.bak", "backup.gz\\notes"}) {
        SCOPED_TRACE(name);
        Select({folder.AddFile(name)});
        ExpectNothing(Read());
    }
}

TEST_F(Menu, ChineseNamesWhoseTrailByteIsABackslash) {
    // Both characters end in the byte 0x5C in code page 936.
    TempFolder folder("中文乗");
    Select({folder.AddFolder("网站俓")});
    ExpectItem(Read(), kPackText);
    Select({folder.AddFile("备份乗.gz")});
    ExpectItem(Read(), kUnpackText);
    Select({folder.AddFile("备份乗")});
    ExpectNothing(Read());
}

TEST_F(Menu, APathOfTheFullBufferLengthIsReadWhole) {
    // 259 bytes and the NUL fill the 260-byte buffer; one byte less read
    // would turn "...x.gz" into "...x.g".
    TempFolder folder("menu");
    std::string name = std::string(259 - folder.Path().size() - 1 - 3, 'x') + ".gz";
    std::string path = folder.AddFile(name);
    ASSERT_EQ(path.size(), 259u);
    ASSERT_NE(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    Select({path});
    ExpectItem(Read(), kUnpackText);
}

TEST_F(Menu, OfSeveralItemsTheFirstDecides) {
    TempFolder folder("menu");
    std::string site = folder.AddFolder("site");
    std::string notes = folder.AddFile("notes.zip");
    std::string archive = folder.AddFile("a.GZ");
    Select({site, notes, archive});
    ExpectItem(Read(), kPackText);
    Select({notes, site});
    ExpectNothing(Read());
    Select({archive, site});
    ExpectItem(Read(), kUnpackText);
}

TEST_F(Menu, DefaultOnlyMenusAndShortRangesGetNothing) {
    TempFolder folder("menu");
    Select({folder.AddFolder("site")});
    ExpectNothing(Read(CMF_DEFAULTONLY));
    ExpectNothing(Read(CMF_DEFAULTONLY | CMF_EXPLORE));
    ExpectNothing(Read(CMF_NORMAL, kFirst, kFirst + 101));
    ExpectItem(Read(CMF_NORMAL, kFirst, kFirst + 102), kPackText);
    ExpectItem(Read(CMF_EXPLORE | CMF_CANRENAME), kPackText);
}

TEST_F(Menu, NoSelectionOrAVanishedPathGetsNothing) {
    ExpectNothing(Read());  // never initialised: an empty path
    TempFolder folder("menu");
    std::string site = folder.AddFolder("site");
    Select({site});
    ::RemoveDirectoryA(site.c_str());
    ExpectNothing(Read());
}

TEST_F(Menu, ANewSelectionReplacesTheOldAndNoneKeepsIt) {
    TempFolder folder("menu");
    Select({folder.AddFolder("site")});
    Select({folder.AddFile("notes.zip")});
    ExpectNothing(Read());
    Select({folder.AddFile("a.dat")});
    EXPECT_EQ(m_init->Initialize(nullptr, nullptr, nullptr), S_OK);
    ExpectItem(Read(), kUnpackText);
}

TEST_F(Menu, CommandStringsForOurOffsetOnly) {
    wchar_t wide[64];
    char narrow[64];
    auto asBuffer = [&]() { return reinterpret_cast<CHAR*>(wide); };

    std::fill(std::begin(wide), std::end(wide), L'#');
    EXPECT_EQ(m_menu->GetCommandString(102, GCS_VERBW, nullptr, asBuffer(), 64), S_OK);
    EXPECT_STREQ(wide, L"Torvan.");
    std::fill(std::begin(wide), std::end(wide), L'#');
    EXPECT_EQ(m_menu->GetCommandString(102, GCS_VERBW, nullptr, asBuffer(), 3), S_OK);
    EXPECT_STREQ(wide, L"To");
    EXPECT_EQ(wide[3], L'#');
    EXPECT_EQ(m_menu->GetCommandString(102, GCS_HELPTEXTW, nullptr, asBuffer(), 64), S_OK);
    EXPECT_EQ(std::wstring(wide), FromUtf8(kHelpText));

    EXPECT_EQ(m_menu->GetCommandString(102, GCS_VERBA, nullptr, narrow, 64), S_OK);
    EXPECT_STREQ(narrow, "Torvan.");
    EXPECT_EQ(m_menu->GetCommandString(102, GCS_VERBA, nullptr, narrow, 4), S_OK);
    EXPECT_STREQ(narrow, "Tor");
    EXPECT_EQ(m_menu->GetCommandString(102, GCS_HELPTEXTA, nullptr, narrow, 64), S_OK);
    EXPECT_EQ(std::string(narrow), AnsiFromUtf8(kHelpText));  // GBK bytes

    // Validation writes nothing; another offset is refused, buffer untouched.
    std::fill(std::begin(narrow), std::end(narrow), '#');
    EXPECT_EQ(m_menu->GetCommandString(102, GCS_VALIDATEA, nullptr, narrow, 64), S_OK);
    EXPECT_EQ(m_menu->GetCommandString(102, GCS_VALIDATEW, nullptr, narrow, 64), S_OK);
    for (UINT type : {GCS_VERBA, GCS_HELPTEXTA, GCS_VERBW, GCS_HELPTEXTW, GCS_VALIDATEA})
        for (UINT_PTR offset : {UINT_PTR(0), UINT_PTR(101), UINT_PTR(103), UINT_PTR(kFirst + 102)})
            EXPECT_EQ(m_menu->GetCommandString(offset, type, nullptr, narrow, 64), E_INVALIDARG) << offset;
    EXPECT_EQ(narrow[0], '#');
}

namespace {

// Takes a picture of the open popup menu once the menu loop is idle, then
// closes it: the menu is modal, so its owner window does the work.
LRESULT CALLBACK MenuOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU) {
        bool* taken = reinterpret_cast<bool*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!*taken) {
            *taken = true;
            HWND popup = ::FindWindowW(L"#32768", nullptr);
            if (popup) testing_win::SaveWindowScreenshot(popup, "context-menu");
            ::EndMenu();
        }
        return 0;
    }
    if (message == WM_TIMER) {  // the menu never went idle: do not hang
        ::EndMenu();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

TEST_F(Menu, ScreenshotOfTheOpenMenu) {
    if (testing_win::ScreenshotFolder().empty()) GTEST_SKIP() << "TORVAN_SCREENSHOTS is not set";
    TempFolder folder("menu");
    Select({folder.AddFolder("site")});
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = MenuOwnerProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TorvanExtMenuOwner";
    ::RegisterClassW(&windowClass);
    HWND owner = ::CreateWindowW(windowClass.lpszClassName, L"menu owner", WS_POPUP | WS_VISIBLE, 100, 100, 10, 10,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(owner, nullptr);
    bool taken = false;
    ::SetWindowLongPtrW(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&taken));
    ::SetForegroundWindow(owner);
    ::SetTimer(owner, 1, kPatience, nullptr);

    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, 1, FromUtf8("打开(&O)").c_str());
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, 2, FromUtf8("属性(&R)").c_str());
    ASSERT_EQ(m_menu->QueryContextMenu(menu, 1, kFirst, kLast, CMF_NORMAL), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 103));
    ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN, 120, 120, 0, owner, nullptr);
    EXPECT_TRUE(taken);
    ::DestroyMenu(menu);
    ::DestroyWindow(owner);
}
