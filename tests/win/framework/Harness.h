// What the in-process Win32 tests share: a bounded message pump, a top-level
// window that records what workers tell it, and readers for the message
// boxes that workers and windows show.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Wnd.h"

namespace harness {

// Upper bound for any wait on another thread or on a window: a hang fails
// the test instead of stalling the run. Not a performance limit.
constexpr DWORD kPatience = 60000;

// Pumps this thread's messages (sent ones included) until done() is true or
// the patience runs out. Returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = kPatience);

// What a message box showed.
struct BoxReading {
    HWND box = nullptr;
    HWND owner = nullptr;
    std::wstring caption;
    std::wstring text;
    HICON icon = nullptr;
};

// The first visible dialog-class window of the given thread, or null.
HWND FindThreadDialog(DWORD threadId);
BoxReading ReadBox(HWND box);
// Presses the box's OK button.
void PressOk(HWND box);

// The caption the system gives a box shown without one.
std::wstring SystemDefaultCaption();

// A plain top-level window standing in for the program's main window: it
// records every WM_OPERATION_PROGRESS as (code, value), and the harness adds
// "box" entries when it closes a worker's box, so the log is one sequence.
class RecordingWindow : public CWnd {
public:
    RecordingWindow();
    ~RecordingWindow() override;

    struct Entry {
        int code;      // 0 for a box
        int value;
        BoxReading box;
    };
    std::vector<Entry> log;
    std::function<void(int code, int value)> onNotify;  // optional extra reaction

    bool Ended() const;  // FINISHED or FAILED seen

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Waits for the worker thread `threadId` to notify `window` until it ends,
// pressing OK on every box it shows (recorded in the log, and saved as a
// screenshot when a name is given). False on timeout.
bool RunWorkerToEnd(RecordingWindow& window, DWORD threadId, const std::string& screenshot = "");

// A folder under the temporary folder, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag);
    ~TempFolder();
    const std::string& Path() const { return m_path; }
    std::string Join(const std::string& name) const { return m_path + "\\" + name; }
    // Writes `count` small files named file<i>.txt into subfolder (created).
    void AddFiles(const std::string& subfolder, int count);
    void AddFile(const std::string& name, const std::string& content);

private:
    std::string m_path;
};

// The ANSI (code page) spelling of a UTF-8 text, for paths with Chinese names.
std::string AnsiFromUtf8(const std::string& utf8);

}  // namespace harness
