#ifdef _WIN32

#include "WideText.h"

#include <windows.h>

#include <vector>

namespace torvan {
namespace {

std::wstring Widen(UINT codePage, DWORD flags, const std::string& bytes, bool& ok) {
    ok = true;
    if (bytes.empty()) return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        ok = false;
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), size, &wide[0], length);
    return wide;
}

std::string Narrow(UINT codePage, DWORD flags, const std::wstring& wide, bool& ok) {
    ok = true;
    if (wide.empty()) return std::string();
    // UTF-8 takes no default character; the other pages report its use.
    BOOL usedDefault = FALSE;
    BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, used);
    if (length <= 0 || usedDefault) {
        ok = false;
        return std::string();
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, &bytes[0], length, nullptr, used);
    if (usedDefault) ok = false;
    return bytes;
}

UINT Resolved(unsigned codePage) { return codePage == CP_ACP ? GetACP() : codePage; }

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

bool WideFromBytes(unsigned codePage, const std::string& bytes, std::wstring& wide) {
    const UINT page = Resolved(codePage);
    bool ok = false;
    wide = Widen(page, MB_ERR_INVALID_CHARS, bytes, ok);
    if (!ok) return false;
    // A byte pair the page has no character for may still come through as
    // a default one: only a faithful round trip counts.
    std::string back;
    return BytesFromWide(page, wide, back) && back == bytes;
}

bool BytesFromWide(unsigned codePage, const std::wstring& wide, std::string& bytes) {
    const UINT page = Resolved(codePage);
    bool ok = false;
    bytes = Narrow(page, page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, ok);
    if (!ok) return false;
    if (page == CP_UTF8) return true;
    // No best fit: what comes back must be the very characters given.
    const std::wstring back = Widen(page, 0, bytes, ok);
    return ok && back == wide;
}

std::wstring Utf16FromUtf8(const std::string& utf8) {
    bool ok = false;
    return Widen(CP_UTF8, 0, utf8, ok);
}

std::string Utf8FromUtf16(const std::wstring& wide) {
    bool ok = false;
    return Narrow(CP_UTF8, 0, wide, ok);
}

std::wstring ApiPath(const std::string& path) {
    const std::wstring wide = Utf16FromUtf8(path);
    const bool drive = wide.size() >= 3 && wide[1] == L':' && IsSeparator(wide[2]);
    const bool unc = wide.size() >= 3 && IsSeparator(wide[0]) && IsSeparator(wide[1]) && wide[2] != L'?' &&
                     wide[2] != L'.';
    if (!drive && !unc) return wide;
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed + 1, buffer.data(), nullptr);
    if (length == 0 || length > needed) return wide;
    const std::wstring full(buffer.data(), length);
    // A device ("\\.\CON"): the engine refuses such names before they get here.
    if (full.compare(0, 4, L"\\\\.\\") == 0 || full.compare(0, 4, L"\\\\?\\") == 0) return full;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace torvan

#endif
