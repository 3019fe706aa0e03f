#include "ExtrasSupport.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "Harness.h"
#include "ModalDriver.h"

namespace extras {

namespace {
const char kStandInClass[] = "TorvanTestOpener";
}

std::string DefaultValue(const std::string& subKey) {
    char value[1024] = {};
    LONG size = sizeof value;
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, subKey.c_str(), value, &size) != ERROR_SUCCESS) return "<missing>";
    return value;
}

bool KeyExists(const std::string& subKey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

bool SetDefaultValue(const std::string& subKey, const std::string& value) {
    return ::RegSetValueA(HKEY_CLASSES_ROOT, subKey.c_str(), REG_SZ, value.c_str(),
                          static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

void DeleteTree(const std::string& subKey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    std::vector<std::string> children;
    char name[256];
    for (DWORD i = 0; ::RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) children.push_back(name);
    ::RegCloseKey(key);
    for (const std::string& child : children) DeleteTree(subKey + "\\" + child);
    ::RegDeleteKeyA(HKEY_CLASSES_ROOT, subKey.c_str());
}

std::wstring SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                        FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                    reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = (length && buffer) ? std::wstring(buffer, length) : std::wstring();
    if (buffer) ::LocalFree(buffer);
    return text;
}

static std::vector<DWORD> RegistrationToolProcesses() {
    std::vector<DWORD> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, L"regsvr32.exe") == 0) found.push_back(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return found;
}

static BOOL CALLBACK AnswerToolWindow(HWND hWnd, LPARAM lParam) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(hWnd, &process);
    if (process == static_cast<DWORD>(lParam) && ::IsWindowVisible(hWnd))
        ::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
}

bool FinishRegistrationTools() {
    bool allEnded = true;
    for (DWORD id : RegistrationToolProcesses()) {
        HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
        if (!process) continue;
        bool ended = WaitUntil([&] {
            ::EnumWindows(&AnswerToolWindow, static_cast<LPARAM>(id));
            return ::WaitForSingleObject(process, 50) == WAIT_OBJECT_0;
        });
        if (!ended) {
            ::TerminateProcess(process, 1);
            allEnded = false;
        }
        ::CloseHandle(process);
    }
    return allEnded;
}

RecordingOpener::RecordingOpener(const std::string& extension) : m_extension(extension) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    m_record = std::string(temp) + "torvan-opened" + extension + ".txt";
    ::DeleteFileA(m_record.c_str());
    m_hadClass = KeyExists(extension);
    if (m_hadClass) m_oldClass = DefaultValue(extension);
    const std::string command = "cmd.exe /c >>\"" + m_record + "\" echo \"%1\"";
    m_ready = SetDefaultValue(extension, kStandInClass) &&
              SetDefaultValue(std::string(kStandInClass) + "\\shell\\open\\command", command);
}

RecordingOpener::~RecordingOpener() {
    DeleteTree(kStandInClass);
    if (m_hadClass)
        SetDefaultValue(m_extension, m_oldClass);
    else
        DeleteTree(m_extension);
    ::DeleteFileA(m_record.c_str());
}

std::string RecordingOpener::Record() const {
    std::string text;
    if (FILE* in = std::fopen(m_record.c_str(), "rb")) {
        char buffer[4096];
        size_t n = std::fread(buffer, 1, sizeof buffer, in);
        text.assign(buffer, n);
        std::fclose(in);
    }
    return text;
}

bool RecordingOpener::WaitForLines(int count) const {
    return WaitUntil([&] {
        std::string text = Record();
        return std::count(text.begin(), text.end(), '\n') >= count;
    });
}

}  // namespace extras
