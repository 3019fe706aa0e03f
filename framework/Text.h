// The one place where text changes encoding. UI texts are written in UTF-8
// and shown through the wide API; paths are ANSI bytes (code page 936 on the
// target systems) because the archive format and its server peer use those
// exact bytes, and are widened only to be shown.
#pragma once

#include <string>

std::wstring WideFromUtf8(const std::string& utf8);
std::wstring WideFromAnsi(const std::string& ansi);
std::string Utf8FromWide(const std::wstring& wide);
std::string Utf8FromAnsi(const std::string& ansi);
// For the ANSI API of the platform's dialogs, whose titles are UI texts.
std::string AnsiFromUtf8(const std::string& utf8);
