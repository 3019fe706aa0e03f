#include "Screenshot.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace testing_win {

std::string ScreenshotFolder() {
    const char* folder = std::getenv("TORVAN_SCREENSHOTS");
    return folder ? folder : "";
}

static void PumpPaint(HWND hWnd) {
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::GdiFlush();
}

static BOOL WriteBmp(const std::string& path, int width, int height, const std::vector<BYTE>& bits) {
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(bits.size());
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;

    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return FALSE;
    bool ok = std::fwrite(&file, sizeof(file), 1, out) == 1 &&
              std::fwrite(&info, sizeof(info), 1, out) == 1 &&
              std::fwrite(bits.data(), 1, bits.size(), out) == bits.size();
    return (std::fclose(out) == 0 && ok) ? TRUE : FALSE;
}

BOOL SaveWindowScreenshot(HWND hWnd, const std::string& fileName) {
    std::string folder = ScreenshotFolder();
    if (folder.empty() || !::IsWindow(hWnd)) return FALSE;
    ::CreateDirectoryA(folder.c_str(), nullptr);
    PumpPaint(hWnd);

    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return FALSE;

    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* pixels = nullptr;
    HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HGDIOBJ old = ::SelectObject(mem, dib);
    ::BitBlt(mem, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    ::GdiFlush();
    size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    std::vector<BYTE> bits(static_cast<const BYTE*>(pixels), static_cast<const BYTE*>(pixels) + stride * height);
    ::SelectObject(mem, old);
    ::DeleteObject(dib);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);

    return WriteBmp(folder + "\\" + fileName + ".bmp", width, height, bits);
}

COLORREF ClientPixel(HWND hWnd, int x, int y) {
    POINT pt = {x, y};
    ::ClientToScreen(hWnd, &pt);
    HDC screen = ::GetDC(nullptr);
    COLORREF color = ::GetPixel(screen, pt.x, pt.y);
    ::ReleaseDC(nullptr, screen);
    return color;
}

}  // namespace testing_win
