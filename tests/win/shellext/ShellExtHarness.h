// What the TorvanExt tests under Wine share: where the DLL is, running the
// registration tool, reading the registry, private copies of the DLL in
// temporary folders, and shell data objects for real files and folders.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace shellext_test {

// Upper bound for every wait on another process or on the menu: a hang
// fails the test instead of stalling the run. Not a performance limit.
constexpr DWORD kPatience = 60000;

// TorvanExt.dll as the build wrote it (TORVANEXT_DLL).
std::wstring BuiltDll();

// The ANSI (code page) spelling of a UTF-8 text, for paths with Chinese names.
std::string AnsiFromUtf8(const std::string& utf8);
std::wstring Wide(const std::string& ansi);

// Runs the system's regsvr32 silently on `dll`; its exit code, or -1 when
// it could not be started or did not end in time.
int Regsvr32(const std::wstring& dll, bool unregister);

// Pumps messages until done() or the patience runs out. Returns done().
bool PumpUntil(const std::function<bool()>& done);

// The registry as this process sees it (the 32-bit view in a 32-bit build).
bool KeyExists(HKEY root, const std::wstring& path);
// The value `name` (null: the default value) if it is a string.
bool ReadString(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring& text);
std::vector<std::wstring> Subkeys(HKEY root, const std::wstring& path);
std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path);

// A folder under the temporary folder, removed with everything in it. Paths
// are ANSI; `tag` is UTF-8 and may be Chinese.
class TempFolder {
public:
    explicit TempFolder(const std::string& utf8Tag);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return m_path; }
    std::string Join(const std::string& utf8Name) const;
    std::string AddFolder(const std::string& utf8Name);
    std::string AddFile(const std::string& utf8Name);

private:
    std::string m_path;
};

// A private copy of TorvanExt.dll loaded from `folder`: a module of its own,
// with its own lock count and no cached type information, reached through
// its exports without the registry.
class DllCopy {
public:
    explicit DllCopy(const std::string& folder);
    ~DllCopy();
    DllCopy(const DllCopy&) = delete;
    DllCopy& operator=(const DllCopy&) = delete;
    bool Loaded() const { return m_module != nullptr; }
    const std::string& Path() const { return m_path; }
    HRESULT GetClassObject(REFIID iid, void** out);  // PackMenu's
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);
    HRESULT CanUnloadNow();
    HRESULT Register();
    HRESULT Unregister();
    // A new PackMenu object from the copy's class factory.
    HRESULT Create(REFIID iid, void** out);
    HRESULT Create(REFCLSID clsid, REFIID iid, void** out);

private:
    std::string m_path;
    HMODULE m_module = nullptr;
};

// The spelling that lifts MAX_PATH from the wide file API.
std::wstring LongPath(const std::string& ansiPath);

// A folder whose name ends in a character with the trail byte 0x5C (or a
// folder `depth` bytes long below it), holding a private TorvanExt.dll and,
// unless told otherwise, the stand-in as Torvan.exe (TORVAN_STANDIN), which
// records each start as a line of launches.txt.
class Installation {
public:
    explicit Installation(const std::string& program = StandIn(), std::size_t depth = 0);
    // The shell's removal stops at MAX_PATH: a deep folder goes here.
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;
    const std::string& Path() const { return m_path; }
    DllCopy& Dll() { return *m_dll; }
    bool HasProgram() const { return m_hasProgram; }
    std::vector<std::string> Launches() const;
    // The line the stand-in records when started on `path`.
    std::string ExpectedLaunch(const std::string& path) const;

    static std::string Environment(const char* name);
    static std::string StandIn() { return Environment("TORVAN_STANDIN"); }

private:
    std::string Join(const char* name) const { return m_path + "\\" + name; }

    TempFolder m_folder;
    std::string m_path;
    std::unique_ptr<DllCopy> m_dll;
    bool m_hasProgram = false;
};

// The shell's own data object for items of one folder, as Explorer hands it
// to a handler: it offers the paths as CF_HDROP. Null on failure.
IDataObject* ShellDataObject(const std::vector<std::string>& ansiPaths);

// The shell's item array for the same paths, as Windows 11's menu hands it
// to a command. Null on failure.
IShellItemArray* ShellItems(const std::vector<std::string>& ansiPaths);

}  // namespace shellext_test
