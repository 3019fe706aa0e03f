// Paths here are UTF-8, as the engine takes them; the system sees UTF-16.
#include "LocalPaths.h"

#include <io.h>
#include <stdio.h>

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "WideText.h"

namespace torvan::cli {

namespace {

// UTF-8 holds no byte equal to a separator inside a character.
size_t LastSeparator(const std::string& path)
{
    return path.find_last_of("\\/");
}

bool IsRoot(const std::string& path)
{
    // "C:\" and "\\server\share\" keep their final separator.
    if (path.size() == 3 && path[1] == ':') return true;
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        size_t slashes = 0;
        for (size_t i = 2; i < path.size(); ++i)
            if (path[i] == '\\') ++slashes;
        return slashes <= 2 && path.back() == '\\';
    }
    return false;
}

DWORD AttributesOf(const std::string& path)
{
    return GetFileAttributesW(torvan::ApiPath(path).c_str());
}

}  // namespace

std::string AbsoluteFolder(const std::string& path)
{
    const std::wstring wide = torvan::Utf16FromUtf8(path);
    DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<wchar_t> buffer(needed + 1);
    DWORD length = GetFullPathNameW(wide.c_str(), needed + 1, buffer.data(), nullptr);
    if (length == 0 || length > needed) return path;
    std::string full = torvan::Utf8FromUtf16(std::wstring(buffer.data(), length));

    while (!IsRoot(full)) {
        size_t last = LastSeparator(full);
        if (last == std::string::npos || last + 1 != full.size()) break;
        full.erase(last);
    }
    return full;
}

std::string LastComponent(const std::string& absolutePath)
{
    if (IsRoot(absolutePath)) return "";
    size_t last = LastSeparator(absolutePath);
    return last == std::string::npos ? absolutePath : absolutePath.substr(last + 1);
}

std::string FolderOf(const std::string& path)
{
    size_t last = LastSeparator(path);
    if (last == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
    return IsRoot(path.substr(0, last + 1)) ? path.substr(0, last + 1) : path.substr(0, last);
}

std::string DefaultArchivePath(const std::string& absoluteFolder, bool plain)
{
    return absoluteFolder + (plain ? ".dat" : ".dat.gz");
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsRegularFile(const std::string& path)
{
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path)
{
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsLinkOrSpecial(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::intptr_t StandardOutputHandle() { return reinterpret_cast<std::intptr_t>(GetStdHandle(STD_OUTPUT_HANDLE)); }

bool StandardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

std::string WhyNotWritable(const std::string& folder)
{
    // Attributes alone do not tell (a read-only folder flag means nothing
    // to Windows); the engine's own message must do here.
    (void)folder;
    return "";
}

std::string LastErrorText()
{
    DWORD code = GetLastError();
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT),
                                  reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length ? std::string(text, length) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.'))
        result.pop_back();
    return result;
}

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(torvan::Utf8FromUtf16(wide[i]));
    LocalFree(wide);
    return args;
}

void WriteText(std::FILE* stream, const std::string& text)
{
    std::wstring wide;
    // An archive's name kept as bytes is no UTF-8: it goes out unchanged.
    if (!torvan::WideFromBytes(CP_UTF8, text, wide)) {
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    std::fflush(stream);
    HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    // Redirected: what programs reading a pipe here expect, "?" where the
    // page has no character.
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string ansi(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &ansi[0], length, nullptr,
                            nullptr);
    std::fwrite(ansi.data(), 1, ansi.size(), stream);
}

}  // namespace torvan::cli
