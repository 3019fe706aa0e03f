// What TorvanExt.dll carries: its four exports, the menu picture, the help
// text, the version block, the script and the type library.
#include <gtest/gtest.h>

#include "ShellExtHarness.h"
#include "TorvanExt/resource.h"

using namespace shellext_test;

namespace {

class Library {
public:
    Library() : m_module(::LoadLibraryW(BuiltDll().c_str())) {}
    ~Library() {
        if (m_module) ::FreeLibrary(m_module);
    }
    HMODULE Get() const { return m_module; }

private:
    HMODULE m_module;
};

// The diamond: row r of the upper half spans columns 5 - r to 6 + r, row r
// of the lower half columns r - 6 to 17 - r; left and right halves differ.
COLORREF ExpectedPixel(int row, int column) {
    bool upper = row <= 5;
    int first = upper ? 5 - row : row - 6;
    int last = upper ? 6 + row : 17 - row;
    if (column < first || column > last) return RGB(255, 255, 255);
    bool left = column <= 5;
    if (upper) return left ? RGB(0xFF, 0x39, 0x00) : RGB(0x00, 0x80, 0xFF);
    return left ? RGB(0x00, 0x00, 0xFF) : RGB(0x00, 0xFF, 0x00);
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)) return L"<none>";
    return length ? std::wstring(text) : std::wstring();
}

}  // namespace

// Read back from any bitmap handle, so the menu test can use it too.
void ExpectDiamond(HBITMAP bitmap) {
    BITMAP info = {};
    ASSERT_TRUE(::GetObjectW(bitmap, sizeof info, &info));
    ASSERT_EQ(info.bmWidth, 12);
    ASSERT_EQ(info.bmHeight, 12);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = 12;
    format.bmiHeader.biHeight = -12;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    DWORD pixels[144] = {};
    HDC screen = ::GetDC(nullptr);
    int rows = ::GetDIBits(screen, bitmap, 0, 12, pixels, &format, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    ASSERT_EQ(rows, 12);
    for (int row = 0; row < 12; ++row)
        for (int column = 0; column < 12; ++column) {
            DWORD p = pixels[row * 12 + column];
            COLORREF seen = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            EXPECT_EQ(seen, ExpectedPixel(row, column)) << "row " << row << ", column " << column;
        }
}

TEST(Resources, ExactlyTheFourExportsByNameAndOrdinal) {
    Library dll;
    ASSERT_NE(dll.Get(), nullptr);
    const char* names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"};
    for (int ordinal = 1; ordinal <= 4; ++ordinal) {
        FARPROC byName = ::GetProcAddress(dll.Get(), names[ordinal - 1]);
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(::GetProcAddress(dll.Get(), MAKEINTRESOURCEA(ordinal)), byName) << ordinal;
    }
    EXPECT_EQ(::GetProcAddress(dll.Get(), MAKEINTRESOURCEA(5)), nullptr);
    EXPECT_EQ(::GetProcAddress(dll.Get(), "DllMain"), nullptr);

    // The export directory itself: four names, four functions, base 1.
    auto base = reinterpret_cast<const BYTE*>(dll.Get());
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + rva);
    EXPECT_EQ(exports->Base, 1u);
    EXPECT_EQ(exports->NumberOfFunctions, 4u);
    EXPECT_EQ(exports->NumberOfNames, 4u);
}

TEST(Resources, MenuPictureIsTheDiamondPixelForPixel) {
    Library dll;
    ASSERT_NE(dll.Get(), nullptr);
    HBITMAP bitmap = ::LoadBitmapW(dll.Get(), MAKEINTRESOURCEW(IDB_MENU_ITEM));
    ASSERT_NE(bitmap, nullptr);
    ExpectDiamond(bitmap);
    BITMAP info = {};
    ::GetObjectW(bitmap, sizeof info, &info);
    ::DeleteObject(bitmap);
    // 24 bits per pixel as stored.
    HRSRC found = ::FindResourceW(dll.Get(), MAKEINTRESOURCEW(IDB_MENU_ITEM), MAKEINTRESOURCEW(2));
    ASSERT_NE(found, nullptr);
    auto header = static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(dll.Get(), found)));
    EXPECT_EQ(header->biBitCount, 24);
}

TEST(Resources, HelpTextScriptTypeLibraryAllInChinesePrc) {
    Library dll;
    ASSERT_NE(dll.Get(), nullptr);
    const WORD chinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    EXPECT_NE(::FindResourceExW(dll.Get(), L"REGISTRY", MAKEINTRESOURCEW(IDR_PACKMENU), chinesePrc), nullptr);
    EXPECT_NE(::FindResourceExW(dll.Get(), L"TYPELIB", MAKEINTRESOURCEW(IDR_TYPELIB), chinesePrc), nullptr);
    EXPECT_NE(::FindResourceExW(dll.Get(), MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(IDB_MENU_ITEM), chinesePrc),
              nullptr);
    EXPECT_NE(::FindResourceExW(dll.Get(), MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(IDR_VERSION), chinesePrc),
              nullptr);

    wchar_t help[260] = {};
    ASSERT_GT(::LoadStringW(dll.Get(), IDS_HELP_TEXT, help, 260), 0);
    EXPECT_STREQ(help, L"将此文件用Torvan解压到指定的文件夹");
}

TEST(Resources, VersionBlockMarksTheDllSelfRegistering) {
    std::wstring path = BuiltDll();
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000013u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000013u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));

    EXPECT_EQ(VersionString(block, L"CompanyName"), L"");
    EXPECT_EQ(VersionString(block, L"FileDescription"), L"TorvanExt Module");
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1, 0, 0, 19");
    EXPECT_EQ(VersionString(block, L"InternalName"), L"TorvanExt");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"TorvanExt.DLL");
    EXPECT_EQ(VersionString(block, L"ProductName"), L"TorvanExt Module");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1, 0, 0, 19");
    EXPECT_EQ(VersionString(block, L"OLESelfRegister"), L"");

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                                 &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
}
