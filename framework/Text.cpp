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

std::string Utf8FromWide(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], length,
                          nullptr, nullptr);
    return utf8;
}

std::string Utf8FromAnsi(const std::string& ansi) { return Utf8FromWide(WideFromAnsi(ansi)); }
