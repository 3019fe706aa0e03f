// Torvan.exe started without arguments: the main window as template 102
// draws it, idle, with the gzip option ticked; Escape does not close it,
// "退出" does.
#include <vector>

#include "AppFixture.h"
#include "Screenshot.h"

using namespace driver;

namespace {

struct ChildSearch {
    std::wstring text;
    std::wstring className;
    LONG style;
    bool found = false;
};

BOOL CALLBACK FindChildProc(HWND child, LPARAM lParam) {
    auto* search = reinterpret_cast<ChildSearch*>(lParam);
    if (WindowText(child) == search->text && ClassName(child) == search->className) {
        search->style = ::GetWindowLongW(child, GWL_STYLE);
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool HasRedPixel(HWND hWnd) {
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    HDC screen = ::GetDC(nullptr);
    bool red = false;
    for (int y = rect.top; y < rect.bottom && !red; ++y)
        for (int x = rect.left; x < rect.right && !red; ++x) {
            COLORREF c = ::GetPixel(screen, x, y);
            red = GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80;
        }
    ::ReleaseDC(nullptr, screen);
    return red;
}

}  // namespace

TEST_F(AppTest, IdleStartShowsEveryControlWithGzipTickedAndEmptyFields) {
    Start();
    EXPECT_EQ(WindowText(main), L"Torvan");
    LONG exStyle = ::GetWindowLongW(main, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_ACCEPTFILES);
    LONG style = ::GetWindowLongW(main, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    const std::vector<std::pair<int, const char*>> buttons = {
        {ids::kBrowseFolder, "浏览..."}, {ids::kCompress, "压缩..."},      {ids::kHelp, "帮助"},
        {ids::kBrowseArchive, "浏览..."}, {ids::kUnpack, "解压..."},      {ids::kExit, "退出"},
        {ids::kGzip, "压缩成 gzip 格式"}, {ids::kAbout, "关于..."}, {ids::kIntegration, "集成..."}};
    for (const auto& [id, text] : buttons) {
        ASSERT_NE(::GetDlgItem(main, id), nullptr) << id;
        EXPECT_EQ(WindowText(::GetDlgItem(main, id)), Wide(text)) << id;
    }
    for (const char* label : {"选择要压缩的文件夹：", "选择要解压的文件："}) {
        ChildSearch search{Wide(label), L"Static"};
        ::EnumChildWindows(main, &FindChildProc, reinterpret_cast<LPARAM>(&search));
        EXPECT_TRUE(search.found) << label;
    }
    for (const char* frame : {"压缩", "解压"}) {
        ChildSearch search{Wide(frame), L"Button"};
        ::EnumChildWindows(main, &FindChildProc, reinterpret_cast<LPARAM>(&search));
        EXPECT_TRUE(search.found && (search.style & 0x0F) == BS_GROUPBOX) << frame;
    }
    EXPECT_EQ(::SendMessageW(::GetDlgItem(main, ids::kGzip), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetText(main, ids::kFolder), "");
    EXPECT_EQ(GetText(main, ids::kArchive), "");
    testing_win::SaveWindowScreenshot(main, "main-idle");

    // A button turns hot under the pointer: red caption.
    HWND compress = ::GetDlgItem(main, ids::kCompress);
    RECT rect;
    ::GetWindowRect(compress, &rect);
    ::SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ::PostMessageW(compress, WM_MOUSEMOVE, 0, MAKELPARAM((rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2));
    EXPECT_TRUE(WaitUntil([&] { return HasRedPixel(compress); }));
    testing_win::SaveWindowScreenshot(main, "main-button-hot");
    ::SetCursorPos(0, 0);

    // Escape, through the dialog manager, changes nothing. A character typed
    // after it shows that it has been handled.
    HWND folder = ::GetDlgItem(main, ids::kFolder);
    ::PostMessageW(folder, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageW(folder, WM_CHAR, L'x', 0);
    EXPECT_TRUE(WaitUntil([&] { return GetText(main, ids::kFolder) == "x"; }));
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_FALSE(process->HasExited());

    Click(main, ids::kExit);
    EXPECT_TRUE(process->WaitForExit());
}
