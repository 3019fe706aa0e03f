#include "LocalPaths.h"

#include <io.h>
#include <stdio.h>

#include <windows.h>

#include <vector>

namespace torvan::cli {

namespace {

// Walks the ANSI text character by character, so that a double-byte
// character whose second byte equals '\\' is never taken for a separator.
size_t LastSeparator(const std::string& path)
{
    size_t last = std::string::npos;
    const char* begin = path.c_str();
    for (const char* p = begin; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/') last = static_cast<size_t>(p - begin);
    }
    return last;
}

bool IsRoot(const std::string& path)
{
    // "C:\" and "\\server\share\" keep their final separator.
    if (path.size() == 3 && path[1] == ':') return true;
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        size_t slashes = 0;
        const char* begin = path.c_str();
        for (const char* p = begin + 2; *p; p = CharNextA(p))
            if (*p == '\\') ++slashes;
        return slashes <= 2 && path.back() == '\\';
    }
    return false;
}

}  // namespace

std::string AbsoluteFolder(const std::string& path)
{
    DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<char> buffer(needed + 1);
    DWORD length = GetFullPathNameA(path.c_str(), needed + 1, buffer.data(), nullptr);
    if (length == 0 || length > needed) return path;
    std::string full(buffer.data(), length);

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
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsRegularFile(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

}  // namespace torvan::cli
