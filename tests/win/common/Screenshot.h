// Saves what a window shows on screen as a 24-bit BMP, for the screenshots
// that the test run turns into PNG files under build/screenshots/.
#pragma once

#include <windows.h>

#include <string>

namespace testing_win {

// The folder given by TORVAN_SCREENSHOTS (a Windows path), or "" when unset.
std::string ScreenshotFolder();

// Captures the window's screen rectangle (frame included), after letting it
// paint. Returns FALSE when the capture or the file write fails.
BOOL SaveWindowScreenshot(HWND hWnd, const std::string& fileName);

// Reads one pixel of a window's client area as it is on screen.
COLORREF ClientPixel(HWND hWnd, int x, int y);

}  // namespace testing_win
