// Drives the real Torvan.exe from outside, as a user would: it starts the
// program, finds its windows by process id, types into fields, presses
// buttons, reads message boxes, and answers the system's save dialog and
// folder browser. Every wait is bounded; a hang fails the test.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace driver {

// Upper bound of any wait; a hang fails instead of stalling the run. Not a
// performance limit: the big pack of the busy test stays well inside it.
constexpr DWORD kPatience = 120000;

// Polls until done() or the patience runs out; returns done().
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kPatience);

std::wstring Wide(const std::string& utf8);
std::wstring WideFromAnsi(const std::string& ansi);
std::wstring WindowText(HWND hWnd);
std::wstring ClassName(HWND hWnd);

// One run of Torvan.exe; killed at the end of the test if still running.
class TorvanProcess {
public:
    // `arguments` follow the quoted program path; `folder` is the current
    // folder of the new process ("" for the harness's own).
    explicit TorvanProcess(const std::string& arguments = "", const std::string& folder = "");
    ~TorvanProcess();

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }
    bool HasExited() const;
    bool WaitForExit(DWORD timeoutMs = kPatience) const;

    // The main window ("Torvan", with the folder field), once it shows.
    HWND MainWindow(DWORD timeoutMs = kPatience) const;
    // A visible top-level dialog of this process titled `title`.
    HWND WaitForDialog(const std::wstring& title, DWORD timeoutMs = kPatience) const;
    // A file dialog (file-name box 1148) of this process, whatever its title.
    HWND WaitForFileDialog(DWORD timeoutMs = kPatience) const;
    // The folder browser: a dialog with the browser's tree view. Found by
    // its tree, not its caption, which Wine words differently by style.
    HWND WaitForFolderBrowser(DWORD timeoutMs = kPatience) const;
    // A visible message box (text in static 0xFFFF) of this process.
    HWND WaitForMessageBox(DWORD timeoutMs = kPatience) const;
    HWND FindMessageBox() const;
    // Threads of this process now (a worker adds one while it runs).
    size_t ThreadCount() const;
    // The progress window (bar 1017), or null.
    HWND FindProgressWindow() const;

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

// The program under test, from TORVAN_EXE.
std::string TorvanExePath();

// An icon handle means nothing in another process under Wine, so a box's
// icon is not read here; the in-process tests check the icons.
struct BoxReading {
    HWND owner = nullptr;
    std::wstring caption;
    std::wstring text;
};
BoxReading ReadBox(HWND box);
// Presses OK and waits for the box to go.
void CloseBox(HWND box);
// Waits for a box, reads it and closes it.
BoxReading AnswerBox(const TorvanProcess& process);
// The same for a worker's result box; returns once the worker has ended
// (after the box it still sends its last notification, and until then the
// main window refuses a new operation).
BoxReading AnswerWorkerBox(const TorvanProcess& process);

// Presses a button the way a click does (posted, so a modal loop that the
// click opens does not hold the harness).
void Click(HWND dialog, int id);
void SetText(HWND dialog, int id, const std::string& ansiText);
std::string GetText(HWND dialog, int id);  // ANSI
std::string AnsiText(HWND hWnd);

// The save dialog's file-name box (1148, an Edit inside a ComboBoxEx).
HWND SaveDialogNameEdit(HWND saveDialog);
// Types a full path into the save dialog and confirms it.
void ConfirmSaveDialog(HWND saveDialog, const std::string& ansiPath);
void CancelDialog(HWND dialog);

// The folder browser: selects `ansiFolder` in its tree itself (the
// preselection from the callback does not always finish under Wine) and
// confirms. False when the folder is not found in the tree.
bool ConfirmFolderBrowser(HWND browser, const std::string& ansiFolder);
// The text the browser shows above its tree.
std::wstring FolderBrowserTitle(HWND browser);
bool IsFolderBrowser(HWND dialog);

}  // namespace driver
