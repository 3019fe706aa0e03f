// What the tests of the Windows torvan.exe share: plain file I/O through
// the ANSI API, and running the tool to its end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace {

inline std::string Native(std::string path)
{
    // The build knows the tool by its Linux path; Wine sees it on drive Z:.
    for (char& c : path)
        if (c == '/') c = '\\';
    return path.size() > 1 && path[1] == ':' ? path : "Z:" + path;
}

inline bool Write(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    return CloseHandle(file) && ok;
}

inline std::string Read(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr) + 1, '\0');
    DWORD got = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

// Names in the folder and the size of the largest scratch file among them.
inline std::vector<std::string> List(const std::string& folder, ULONGLONG* largestScratch = nullptr)
{
    std::vector<std::string> names;
    if (largestScratch) *largestScratch = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        names.push_back(name);
        const ULONGLONG size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        if (largestScratch && name.compare(0, 3, "TVN") == 0 && size > *largestScratch) *largestScratch = size;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

inline void RemoveTree(const std::string& folder)
{
    for (const std::string& name : List(folder)) {
        const std::string path = folder + "\\" + name;
        if (!DeleteFileA(path.c_str())) RemoveTree(path);
    }
    RemoveDirectoryA(folder.c_str());
}

// Runs torvan.exe to its end; its exit code, or -1 when it did not end.
inline int RunToEnd(const std::string& arguments)
{
    std::string command = "\"" + Native(TORVAN_TOOL_PATH) + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    DWORD code = 0;
    const bool ended = WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(process.hProcess, &code);
    if (!ended) TerminateProcess(process.hProcess, 9);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended ? static_cast<int>(code) : -1;
}

}  // namespace
