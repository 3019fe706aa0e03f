#include "TestTree.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <vector>

namespace driver {

TestFolder::TestFolder(const std::string& tag) {
    for (unsigned n = ::GetTickCount() % 100000;; ++n) {
        m_path = "C:\\torvan-" + tag + "-" + std::to_string(n);
        if (::CreateDirectoryA(m_path.c_str(), nullptr) || ::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}

TestFolder::~TestFolder() {
    std::string from = m_path + std::string(1, '\0');
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ::SHFileOperationA(&op);
}

void TestFolder::AddFolder(const std::string& name) const { ::CreateDirectoryA(Join(name).c_str(), nullptr); }

static void WriteWholeFile(const std::string& path, const char* data, size_t size) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    ::CloseHandle(file);
}

void TestFolder::AddFile(const std::string& name, const std::string& content) const {
    WriteWholeFile(Join(name), content.data(), content.size());
}

void TestFolder::AddFiles(const std::string& folder, int count) const {
    AddFolder(folder);
    for (int i = 0; i < count; ++i)
        AddFile(folder + "\\file" + std::to_string(i) + ".txt", "content of file " + std::to_string(i) + "\n");
}

void TestFolder::AddRandomFiles(const std::string& folder, int count, size_t bytes) const {
    AddFolder(folder);
    std::vector<char> data(bytes);
    unsigned long long state = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < count; ++i) {
        for (size_t b = 0; b + 8 <= data.size(); b += 8) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            std::memcpy(&data[b], &state, 8);
        }
        WriteWholeFile(Join(folder + "\\blob" + std::to_string(i) + ".bin"), data.data(), data.size());
    }
}

std::string ReadWholeFile(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string content;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
    ::CloseHandle(file);
    return content;
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace driver
