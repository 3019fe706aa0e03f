#include "Harness.h"

#include <shellapi.h>

#include "OperationProgress.h"
#include "Screenshot.h"
#include "Text.h"

namespace harness {

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

static BOOL CALLBACK FindDialogProc(HWND hWnd, LPARAM lParam) {
    wchar_t className[32] = {};
    ::GetClassNameW(hWnd, className, 32);
    if (::IsWindowVisible(hWnd) && std::wstring(className) == L"#32770") {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindThreadDialog(DWORD threadId) {
    HWND found = nullptr;
    ::EnumThreadWindows(threadId, &FindDialogProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

static std::wstring WindowText(HWND hWnd) {
    int length = ::GetWindowTextLengthW(hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

static BOOL CALLBACK FindIconProc(HWND child, LPARAM lParam) {
    LONG style = ::GetWindowLongW(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
        HICON icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
        if (icon) {
            *reinterpret_cast<HICON*>(lParam) = icon;
            return FALSE;
        }
    }
    return TRUE;
}

BoxReading ReadBox(HWND box) {
    BoxReading reading;
    reading.box = box;
    reading.owner = ::GetWindow(box, GW_OWNER);
    reading.caption = WindowText(box);
    HWND text = ::GetDlgItem(box, 0xFFFF);
    if (text) reading.text = WindowText(text);
    ::EnumChildWindows(box, &FindIconProc, reinterpret_cast<LPARAM>(&reading.icon));
    return reading;
}

void PressOk(HWND box) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

static DWORD WINAPI ReferenceBoxThread(LPVOID) {
    ::MessageBoxW(nullptr, L"reference", nullptr, MB_OK);
    return 0;
}

std::wstring SystemDefaultCaption() {
    static std::wstring caption;
    if (!caption.empty()) return caption;
    DWORD threadId = 0;
    HANDLE thread = ::CreateThread(nullptr, 0, &ReferenceBoxThread, nullptr, 0, &threadId);
    if (!thread) return caption;
    HWND box = nullptr;
    PumpUntil([&] { return (box = FindThreadDialog(threadId)) != nullptr; });
    if (box) {
        caption = ReadBox(box).caption;
        PressOk(box);
    }
    ::WaitForSingleObject(thread, kPatience);
    ::CloseHandle(thread);
    return caption;
}

static const wchar_t kRecordingClass[] = L"TorvanRecordingWindow";

RecordingWindow::RecordingWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kRecordingClass;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    ::RegisterClassW(&wc);  // fails harmlessly when already registered
    HWND hWnd = ::CreateWindowExW(0, kRecordingClass, L"Torvan test main window",
                                  WS_OVERLAPPEDWINDOW, 312, 234, 400, 300, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    SubclassWindow(hWnd);
    ::ShowWindow(hWnd, SW_SHOW);
    ::SetForegroundWindow(hWnd);
}

RecordingWindow::~RecordingWindow() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

bool RecordingWindow::Ended() const {
    for (const Entry& e : log)
        if (e.code == torvan::OPN_FINISHED || e.code == torvan::OPN_FAILED) return true;
    return false;
}

LRESULT RecordingWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_OPERATION_PROGRESS) {
        log.push_back({static_cast<int>(wParam), static_cast<int>(lParam), {}});
        if (onNotify) onNotify(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// A worker's box paints on the worker's thread, which puts its pixels on
// the screen only when its own message loop is idle; give it a moment so the
// picture shows the finished box. Cosmetic: nothing is asserted on it.
static void SaveBoxScreenshot(HWND box, const std::string& name) {
    DWORD_PTR ignored = 0;
    ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    ::SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_BLOCK, kPatience, &ignored);
    DWORD start = ::GetTickCount();
    PumpUntil([&] { return ::GetTickCount() - start >= 300; });
    testing_win::SaveWindowScreenshot(box, name);
}

bool RunWorkerToEnd(RecordingWindow& window, DWORD threadId, const std::string& screenshot) {
    return PumpUntil([&] {
        if (HWND box = FindThreadDialog(threadId)) {
            window.log.push_back({0, 0, ReadBox(box)});
            if (!screenshot.empty()) SaveBoxScreenshot(box, screenshot);
            PressOk(box);
            // Wait for this box to go, so it is not read twice.
            PumpUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); });
        }
        return window.Ended();
    });
}

TempFolder::TempFolder(const std::string& tag) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    std::string base = temp;
    if (!base.empty() && base.back() == '\\') base.pop_back();
    for (unsigned n = ::GetTickCount() % 100000;; ++n) {
        m_path = base + "\\torvan-" + tag + "-" + std::to_string(n);
        if (::CreateDirectoryA(m_path.c_str(), nullptr)) break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}

TempFolder::~TempFolder() {
    // The shell wants a double-terminated list and no current directory
    // inside the folder (an unpack makes the destination current).
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    ::SetCurrentDirectoryA(temp);
    std::string from = m_path + std::string(1, '\0');
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ::SHFileOperationA(&op);
}

void TempFolder::AddFile(const std::string& name, const std::string& content) {
    std::string path = Join(name);
    size_t slash = path.rfind('\\');
    ::CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);
}

void TempFolder::AddFiles(const std::string& subfolder, int count) {
    ::CreateDirectoryA(Join(subfolder).c_str(), nullptr);
    for (int i = 0; i < count; ++i)
        AddFile(subfolder + "\\file" + std::to_string(i) + ".txt", "content of file " + std::to_string(i));
}

std::string AnsiFromUtf8(const std::string& utf8) {
    std::wstring wide = WideFromUtf8(utf8);
    int length = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(length > 0 ? length : 1), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &ansi[0], length, nullptr, nullptr);
    ansi.resize(ansi.size() - 1);
    return ansi;
}

}  // namespace harness
