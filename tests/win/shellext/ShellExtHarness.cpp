#include "ShellExtHarness.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "TorvanExt_h.h"

namespace shellext_test {

std::wstring BuiltDll() {
    const char* path = std::getenv("TORVANEXT_DLL");
    return path ? Wide(path) : std::wstring();
}

std::string AnsiFromUtf8(const std::string& utf8) {
    int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], length);
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &ansi[0], bytes, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0));
    return ansi;
}

std::wstring Wide(const std::string& ansi) {
    int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length > 0 ? length - 1 : 0));
    return wide;
}

int Regsvr32(const std::wstring& dll, bool unregister) {
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" /s " + (unregister ? L"/u " : L"") +
                           L"\"" + dll + L"\"";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(process.hProcess, kPatience) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(process.hProcess, &code);
    } else {
        ::TerminateProcess(process.hProcess, 1);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

bool PumpUntil(const std::function<bool()>& done) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > kPatience) return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

bool ReadString(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring& text) {
    text.clear();
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    wchar_t buffer[1024] = {};
    DWORD type = 0, bytes = sizeof buffer - sizeof(wchar_t);
    LONG status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return false;
    text = buffer;
    return true;
}

std::vector<std::wstring> Subkeys(HKEY root, const std::wstring& path) {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    ::RegCloseKey(key);
    return names;
}

std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path) {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (::RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    ::RegCloseKey(key);
    return names;
}

TempFolder::TempFolder(const std::string& utf8Tag) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    std::string base = std::string(temp) + "torvanext-" + std::to_string(::GetCurrentProcessId()) + "-";
    for (int i = 0;; ++i) {
        m_path = base + std::to_string(i) + AnsiFromUtf8(utf8Tag);
        if (::CreateDirectoryA(m_path.c_str(), nullptr)) break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}

TempFolder::~TempFolder() {
    // SHFileOperation wants a list ending in two NULs.
    std::wstring from = Wide(m_path) + L'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ::SHFileOperationW(&operation);
}

std::string TempFolder::Join(const std::string& utf8Name) const { return m_path + "\\" + AnsiFromUtf8(utf8Name); }

std::string TempFolder::AddFolder(const std::string& utf8Name) {
    std::string path = Join(utf8Name);
    ::CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

std::string TempFolder::AddFile(const std::string& utf8Name) {
    std::string path = Join(utf8Name);
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    return path;
}

DllCopy::DllCopy(const std::string& folder) {
    m_path = folder + "\\TorvanExt.dll";
    if (::CopyFileW(BuiltDll().c_str(), Wide(m_path).c_str(), FALSE)) m_module = ::LoadLibraryW(Wide(m_path).c_str());
}

DllCopy::~DllCopy() {
    if (m_module) ::FreeLibrary(m_module);
}

HRESULT DllCopy::GetClassObject(REFIID iid, void** out) { return GetClassObject(CLSID_PackMenu, iid, out); }

HRESULT DllCopy::GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    using Export = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<Export>(::GetProcAddress(m_module, "DllGetClassObject"));
    return get ? get(clsid, iid, out) : E_FAIL;
}

static HRESULT CallExport(HMODULE module, const char* name) {
    using Export = HRESULT(STDAPICALLTYPE*)();
    auto call = reinterpret_cast<Export>(::GetProcAddress(module, name));
    return call ? call() : E_FAIL;
}

HRESULT DllCopy::CanUnloadNow() { return CallExport(m_module, "DllCanUnloadNow"); }
HRESULT DllCopy::Register() { return CallExport(m_module, "DllRegisterServer"); }
HRESULT DllCopy::Unregister() { return CallExport(m_module, "DllUnregisterServer"); }

HRESULT DllCopy::Create(REFIID iid, void** out) { return Create(CLSID_PackMenu, iid, out); }

HRESULT DllCopy::Create(REFCLSID clsid, REFIID iid, void** out) {
    IClassFactory* factory = nullptr;
    HRESULT hr = GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(nullptr, iid, out);
    factory->Release();
    return hr;
}

std::wstring LongPath(const std::string& ansiPath) { return L"\\\\?\\" + Wide(ansiPath); }

// Nested folders below `base` that make a folder exactly `bytes` long.
static std::string DeepFolder(const std::string& base, std::size_t bytes) {
    std::string path = base;
    while (path.size() < bytes) {
        std::size_t remaining = bytes - path.size();
        std::size_t segment = std::min<std::size_t>(remaining - 1, 100);
        if (remaining - 1 - segment == 1) --segment;  // leave room for one more name
        path += "\\" + std::string(segment, 'd');
        ::CreateDirectoryW(LongPath(path).c_str(), nullptr);
    }
    return path;
}

Installation::Installation(const std::string& program, std::size_t depth)
    : m_folder("工具乗"), m_path(depth ? DeepFolder(m_folder.Path(), depth) : m_folder.Path()) {
    if (!program.empty())
        m_hasProgram = ::CopyFileW(Wide(program).c_str(), Wide(Join("Torvan.exe")).c_str(), FALSE);
    m_dll.reset(new DllCopy(m_path));
}

Installation::~Installation() {
    m_dll.reset();
    for (const char* name : {"Torvan.exe", "TorvanExt.dll", "launches.txt"})
        ::DeleteFileW(LongPath(Join(name)).c_str());
    for (std::string path = m_path; path.size() > m_folder.Path().size(); path.erase(path.rfind('\\')))
        ::RemoveDirectoryW(LongPath(path).c_str());
}

std::string Installation::Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::vector<std::string> Installation::Launches() const {
    std::vector<std::string> lines;
    std::FILE* in = ::_wfopen(Wide(Join("launches.txt")).c_str(), L"rb");
    if (!in) return lines;
    std::string line;
    for (int c; (c = std::fgetc(in)) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
        } else {
            lines.push_back(line);
            line.clear();
        }
    }
    std::fclose(in);
    return lines;
}

std::string Installation::ExpectedLaunch(const std::string& path) const {
    return "\"" + m_path + "\\Torvan.exe\" \"" + path + "\"|" + std::to_string(SW_SHOW);
}

// Absolute item lists of the paths, all or none; the caller frees them.
static std::vector<LPITEMIDLIST> ParsePaths(const std::vector<std::string>& ansiPaths) {
    std::vector<LPITEMIDLIST> absolute;
    IShellFolder* desktop = nullptr;
    if (FAILED(::SHGetDesktopFolder(&desktop))) return absolute;
    for (const auto& path : ansiPaths) {
        std::wstring name = Wide(path);
        LPITEMIDLIST item = nullptr;
        if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &item, nullptr)))
            absolute.push_back(item);
    }
    desktop->Release();
    if (absolute.size() != ansiPaths.size()) {
        for (LPITEMIDLIST item : absolute) ::CoTaskMemFree(item);
        absolute.clear();
    }
    return absolute;
}

IShellItemArray* ShellItems(const std::vector<std::string>& ansiPaths) {
    std::vector<LPITEMIDLIST> absolute = ParsePaths(ansiPaths);
    if (absolute.empty()) return nullptr;
    // Looked up, because the build declares the Windows XP interface only.
    using Create = HRESULT(WINAPI*)(UINT, PCIDLIST_ABSOLUTE_ARRAY, IShellItemArray**);
    auto create = reinterpret_cast<Create>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"shell32.dll"), "SHCreateShellItemArrayFromIDLists")));
    IShellItemArray* items = nullptr;
    std::vector<LPCITEMIDLIST> lists(absolute.begin(), absolute.end());
    if (!create || FAILED(create(static_cast<UINT>(lists.size()), lists.data(), &items))) items = nullptr;
    for (LPITEMIDLIST item : absolute) ::CoTaskMemFree(item);
    return items;
}

IDataObject* ShellDataObject(const std::vector<std::string>& ansiPaths) {
    std::vector<LPITEMIDLIST> absolute = ParsePaths(ansiPaths);
    if (absolute.empty()) return nullptr;
    IDataObject* data = nullptr;
    IShellFolder* parent = nullptr;
    if (SUCCEEDED(::SHBindToParent(absolute[0], IID_IShellFolder, reinterpret_cast<void**>(&parent), nullptr))) {
        std::vector<LPCITEMIDLIST> children;
        for (LPITEMIDLIST item : absolute) children.push_back(::ILFindLastID(item));
        parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(), IID_IDataObject,
                              nullptr, reinterpret_cast<void**>(&data));
        parent->Release();
    }
    for (LPITEMIDLIST item : absolute) ::CoTaskMemFree(item);
    return data;
}

}  // namespace shellext_test
