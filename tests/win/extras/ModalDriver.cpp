#include "ModalDriver.h"

#include "Screenshot.h"

namespace {

struct ScriptCall {
    ModalDriver* driver;
    const ModalDriver::Script* script;
};

DWORD WINAPI ScriptThread(LPVOID parameter) {
    auto* call = static_cast<ScriptCall*>(parameter);
    (*call->script)(*call->driver);
    return 0;
}

bool IsDialogClass(HWND hWnd) {
    wchar_t name[16] = {};
    ::GetClassNameW(hWnd, name, 16);
    return std::wstring(name) == L"#32770";
}

std::wstring Caption(HWND hWnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hWnd, text, 256);
    return text;
}

struct Search {
    const std::function<bool(HWND)>* wanted;
    HWND found;
};

BOOL CALLBACK Visit(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    if (::IsWindowVisible(hWnd) && IsDialogClass(hWnd) && (*search->wanted)(hWnd)) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return done();
        ::Sleep(20);
    }
    return true;
}

INT_PTR ModalDriver::Run(CDialog& dialog, const Script& script) {
    m_uiThread = ::GetCurrentThreadId();
    ScriptCall call = {this, &script};
    HANDLE thread = ::CreateThread(nullptr, 0, &ScriptThread, &call, 0, nullptr);
    if (!thread) {
        Fail("no script thread");
        return -1;
    }
    INT_PTR result = dialog.DoModal();
    // The script may still be reading the last box's aftermath.
    if (::WaitForSingleObject(thread, harness::kPatience) != WAIT_OBJECT_0) Fail("script did not end");
    ::CloseHandle(thread);
    return result;
}

HWND ModalDriver::FindOnUiThread(const std::function<bool(HWND)>& wanted) const {
    Search search = {&wanted, nullptr};
    ::EnumThreadWindows(m_uiThread, &Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ModalDriver::WaitForDialog(const std::wstring& caption) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindOnUiThread([&](HWND w) { return Caption(w) == caption; })) != nullptr; });
    if (!found) {
        Fail("no dialog appeared");
        CloseEverything();
    }
    return found;
}

harness::BoxReading ModalDriver::AnswerBox(HWND owner, const std::string& screenshot) {
    HWND box = nullptr;
    WaitUntil([&] {
        box = FindOnUiThread([&](HWND w) { return ::GetWindow(w, GW_OWNER) == owner && ::GetDlgItem(w, 0xFFFF); });
        return box != nullptr;
    });
    if (!box) {
        Fail("no message box appeared");
        CloseEverything();
        return {};
    }
    // The box paints in the test thread's loop; let it finish first.
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_BLOCK, harness::kPatience, &ignored);
    harness::BoxReading reading = harness::ReadBox(box);
    if (!screenshot.empty()) testing_win::SaveWindowScreenshot(box, screenshot);
    harness::PressOk(box);
    if (!WaitGone(box)) Fail("message box stayed");
    return reading;
}

bool ModalDriver::WaitGone(HWND hWnd) {
    return WaitUntil([&] { return !::IsWindow(hWnd) || !::IsWindowVisible(hWnd); });
}

void ModalDriver::CloseEverything() {
    // Boxes first, then the dialog: whatever still shows gets its Cancel.
    for (int round = 0; round < 8; ++round) {
        HWND open = FindOnUiThread([](HWND) { return true; });
        if (!open) return;
        ::PostMessageW(open, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        ::PostMessageW(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        WaitGone(open);
    }
}
