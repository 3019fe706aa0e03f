// The one place where the engine's text meets the wide Win32 API. Inside
// the engine, and between it and its callers, paths on Windows are UTF-8;
// the back end hands them to the system as UTF-16.
#pragma once
#ifdef _WIN32

#include <string>

namespace torvan {

// Strict both ways: bytes that are no text in `codePage`, or a character
// without a form in it, fail; nothing turns into "?" or a look-alike.
bool WideFromBytes(unsigned codePage, const std::string& bytes, std::wstring& wide);
bool BytesFromWide(unsigned codePage, const std::wstring& wide, std::string& bytes);

// Lenient, for text that is shown rather than used as a name: what cannot
// be converted becomes U+FFFD.
std::wstring Utf16FromUtf8(const std::string& utf8);
std::string Utf8FromUtf16(const std::wstring& wide);

// A path as the wide API takes it. An absolute one (drive or UNC) is first
// made whole by the system's own rules (separators, "." and "..", trailing
// dots and spaces dropped) and then given the "\\?\" prefix, which lifts
// the limit of 260 characters and switches those rules off; so it lands
// exactly where the plain path would. A relative path stays as it is.
std::wstring ApiPath(const std::string& path);

}  // namespace torvan

#endif
