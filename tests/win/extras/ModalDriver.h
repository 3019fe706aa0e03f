// Drives a modal dialog of this test program from a second thread: the
// test's own thread sits in the dialog's message loop, the script finds
// the dialog and its message boxes, reads them and presses their buttons.
// Every wait is bounded; a script that runs out of patience closes whatever
// is open, so the modal loop always returns.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Dialog.h"
#include "Harness.h"

class ModalDriver {
public:
    using Script = std::function<void(ModalDriver&)>;

    // Runs `dialog` modally on this thread while `script` runs on another;
    // returns DoModal's result.
    INT_PTR Run(CDialog& dialog, const Script& script);

    // From the script: the visible dialog window of the test thread with
    // this caption, or null after the patience ran out.
    HWND WaitForDialog(const std::wstring& caption);
    // From the script: the next message box owned by `owner`, read, with
    // OK pressed; and waits until it is gone.
    harness::BoxReading AnswerBox(HWND owner, const std::string& screenshot = "");
    // From the script: until `hWnd` is no longer a window.
    bool WaitGone(HWND hWnd);
    // Records a failure; the test asserts on failures() afterwards.
    void Fail(const std::string& why) { m_failures.push_back(why); }
    const std::vector<std::string>& failures() const { return m_failures; }

private:
    HWND FindOnUiThread(const std::function<bool(HWND)>& wanted) const;
    void CloseEverything();

    DWORD m_uiThread = 0;
    std::vector<std::string> m_failures;
};

// Waits on the calling thread, without pumping, until done() holds.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = harness::kPatience);
