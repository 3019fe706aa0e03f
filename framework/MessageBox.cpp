#include "MessageBox.h"

#include "Text.h"

std::wstring ProgramName() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    std::wstring name(path, length);
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name;
}

int ShowOwnedMessageBox(HWND owner, const char* utf8Text, const char* utf8Caption, UINT type) {
    std::wstring text = WideFromUtf8(utf8Text ? utf8Text : "");
    std::wstring caption = utf8Caption ? WideFromUtf8(utf8Caption) : ProgramName();
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

int ShowWorkerMessageBox(const char* utf8Text, UINT type) {
    std::wstring text = WideFromUtf8(utf8Text ? utf8Text : "");
    return ::MessageBoxW(::GetForegroundWindow(), text.c_str(), nullptr, MB_OK | type);
}
