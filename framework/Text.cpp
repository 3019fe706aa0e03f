#include "Text.h"

#include <windows.h>

static std::wstring Widen(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::wstring WideFromUtf8(const std::string& utf8) { return Widen(CP_UTF8, utf8); }

std::wstring WideFromAnsi(const std::string& ansi) { return Widen(CP_ACP, ansi); }

static std::string Narrow(UINT codePage, const std::wstring& wide) {
    if (wide.empty()) return std::string();
    int length = ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &narrow[0], length,
                          nullptr, nullptr);
    return narrow;
}

std::string Utf8FromWide(const std::wstring& wide) { return Narrow(CP_UTF8, wide); }

std::string Utf8FromAnsi(const std::string& ansi) { return Utf8FromWide(WideFromAnsi(ansi)); }

std::string AnsiFromUtf8(const std::string& utf8) { return Narrow(CP_ACP, WideFromUtf8(utf8)); }
