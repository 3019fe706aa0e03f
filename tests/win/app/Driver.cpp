#include "Driver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <vector>

namespace driver {

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    return true;
}

static std::wstring Widen(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::wstring Wide(const std::string& utf8) { return Widen(CP_UTF8, utf8); }
std::wstring WideFromAnsi(const std::string& ansi) { return Widen(CP_ACP, ansi); }

std::wstring WindowText(HWND hWnd) {
    // WM_GETTEXT, not GetWindowText: the window belongs to another process.
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(hWnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, kPatience, &copied);
    return text;
}

std::wstring ClassName(HWND hWnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hWnd, name, 64);
    return name;
}

std::string TorvanExePath() {
    const char* path = std::getenv("TORVAN_EXE");
    std::string result = path ? path : "";
    for (char& c : result)
        if (c == '/') c = '\\';
    return result;
}

TorvanProcess::TorvanProcess(const std::string& arguments, const std::string& folder) {
    std::string command = "\"" + TorvanExePath() + "\"";
    if (!arguments.empty()) command += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return;
    ::CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
}

TorvanProcess::~TorvanProcess() {
    if (!m_process) return;
    if (!HasExited()) {
        ::TerminateProcess(m_process, 1);
        ::WaitForSingleObject(m_process, kPatience);
    }
    ::CloseHandle(m_process);
}

bool TorvanProcess::HasExited() const {
    return !m_process || ::WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0;
}

bool TorvanProcess::WaitForExit(DWORD timeoutMs) const {
    return WaitUntil([&] { return HasExited(); }, timeoutMs);
}

namespace {

struct Search {
    DWORD processId;
    std::function<bool(HWND)> matches;
    HWND found = nullptr;
};

BOOL CALLBACK SearchProc(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    if (owner != search->processId || !::IsWindowVisible(hWnd) || ClassName(hWnd) != L"#32770") return TRUE;
    if (!search->matches(hWnd)) return TRUE;
    search->found = hWnd;
    return FALSE;
}

HWND FindDialog(DWORD processId, const std::function<bool(HWND)>& matches) {
    Search search{processId, matches};
    ::EnumWindows(&SearchProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialogWhere(DWORD processId, const std::function<bool(HWND)>& matches, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(processId, matches)) != nullptr; }, timeoutMs);
    return found;
}

// A box's text is static 0xFFFF, but so is every unnamed label (-1): the
// program's windows and the system's dialogs are told apart by what only
// they have (folder field, progress bar, file-name box, folder tree).
bool IsMessageBox(HWND hWnd) {
    HWND text = ::GetDlgItem(hWnd, 0xFFFF);
    if (!text || ClassName(text) != L"Static") return false;
    for (int id : {1002, 1017, 1148, 14145})
        if (::GetDlgItem(hWnd, id)) return false;
    return true;
}

}  // namespace

HWND TorvanProcess::MainWindow(DWORD timeoutMs) const {
    return WaitForDialogWhere(
        m_id, [](HWND h) { return ::GetDlgItem(h, 1002) && WindowText(h) == L"Torvan"; }, timeoutMs);
}

HWND TorvanProcess::WaitForDialog(const std::wstring& title, DWORD timeoutMs) const {
    return WaitForDialogWhere(m_id, [&](HWND h) { return WindowText(h) == title; }, timeoutMs);
}

HWND TorvanProcess::WaitForFileDialog(DWORD timeoutMs) const {
    return WaitForDialogWhere(m_id, [](HWND h) { return SaveDialogNameEdit(h) != nullptr; }, timeoutMs);
}

bool IsFolderBrowser(HWND dialog) { return ::GetDlgItem(dialog, 14145) != nullptr; }

HWND TorvanProcess::WaitForFolderBrowser(DWORD timeoutMs) const {
    return WaitForDialogWhere(m_id, &IsFolderBrowser, timeoutMs);
}

HWND TorvanProcess::WaitForMessageBox(DWORD timeoutMs) const {
    return WaitForDialogWhere(m_id, &IsMessageBox, timeoutMs);
}

HWND TorvanProcess::FindMessageBox() const { return FindDialog(m_id, &IsMessageBox); }

HWND TorvanProcess::FindProgressWindow() const {
    return FindDialog(m_id, [](HWND h) { return ::GetDlgItem(h, 1017) != nullptr; });
}

BoxReading ReadBox(HWND box) {
    BoxReading reading;
    reading.owner = ::GetWindow(box, GW_OWNER);
    reading.caption = WindowText(box);
    reading.text = WindowText(::GetDlgItem(box, 0xFFFF));
    return reading;
}

void CloseBox(HWND box) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); });
}

BoxReading AnswerBox(const TorvanProcess& process) {
    HWND box = process.WaitForMessageBox();
    if (!box) return BoxReading();
    BoxReading reading = ReadBox(box);
    CloseBox(box);
    return reading;
}

size_t TorvanProcess::ThreadCount() const {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    size_t count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == m_id) ++count;
    ::CloseHandle(snapshot);
    return count;
}

BoxReading AnswerWorkerBox(const TorvanProcess& process) {
    HWND box = process.WaitForMessageBox();
    if (!box) return BoxReading();
    size_t withWorker = process.ThreadCount();
    BoxReading reading = ReadBox(box);
    CloseBox(box);
    WaitUntil([&] { return process.HasExited() || process.ThreadCount() < withWorker; });
    return reading;
}

void Click(HWND dialog, int id) {
    ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void SetText(HWND dialog, int id, const std::string& ansiText) {
    std::wstring text = WideFromAnsi(ansiText);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_BLOCK, kPatience, &ignored);
}

std::string GetText(HWND dialog, int id) { return AnsiText(::GetDlgItem(dialog, id)); }

std::string AnsiText(HWND hWnd) {
    std::wstring wide = WindowText(hWnd);
    if (wide.empty()) return std::string();
    int length = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &ansi[0], length, nullptr, nullptr);
    ansi.resize(ansi.size() - 1);
    return ansi;
}

static BOOL CALLBACK FindEditProc(HWND child, LPARAM lParam) {
    if (ClassName(child) != L"Edit" || ::GetDlgCtrlID(child) != 1148) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = child;
    return FALSE;
}

HWND SaveDialogNameEdit(HWND saveDialog) {
    HWND edit = nullptr;
    ::EnumChildWindows(saveDialog, &FindEditProc, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

void ConfirmSaveDialog(HWND saveDialog, const std::string& ansiPath) {
    std::wstring text = WideFromAnsi(ansiPath);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(SaveDialogNameEdit(saveDialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_BLOCK, kPatience, &ignored);
    ::PostMessageW(saveDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void CancelDialog(HWND dialog) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

std::wstring FolderBrowserTitle(HWND browser) { return WindowText(::GetDlgItem(browser, 14146)); }

namespace {

// A tree item's text, read through memory in the browser's process: the
// tree view writes into the buffer the message points to, which must be
// the other process's.
class RemoteTree {
public:
    explicit RemoteTree(HWND tree) : m_tree(tree) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(tree, &processId);
        m_process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (m_process)
            m_memory = static_cast<char*>(
                ::VirtualAllocEx(m_process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteTree() {
        if (m_memory) ::VirtualFreeEx(m_process, m_memory, 0, MEM_RELEASE);
        if (m_process) ::CloseHandle(m_process);
    }
    bool Ready() const { return m_memory != nullptr; }

    HTREEITEM Next(HTREEITEM item, UINT relation) const {
        return reinterpret_cast<HTREEITEM>(
            Send(TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }
    void Expand(HTREEITEM item) const { Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item)); }
    void Select(HTREEITEM item) const { Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)); }

    std::wstring Text(HTREEITEM item) const {
        TVITEMW request = {};
        request.mask = TVIF_TEXT;
        request.hItem = item;
        request.pszText = reinterpret_cast<wchar_t*>(m_memory + 512);
        request.cchTextMax = 260;
        SIZE_T moved = 0;
        ::WriteProcessMemory(m_process, m_memory, &request, sizeof request, &moved);
        Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(m_memory));
        wchar_t text[261] = {};
        ::ReadProcessMemory(m_process, m_memory + 512, text, 260 * sizeof(wchar_t), &moved);
        return text;
    }

    // The child of `parent` (expanded first) whose text passes `matches`.
    HTREEITEM Child(HTREEITEM parent, const std::function<bool(const std::wstring&)>& matches) const {
        Expand(parent);
        for (HTREEITEM child = Next(parent, TVGN_CHILD); child; child = Next(child, TVGN_NEXT))
            if (matches(Text(child))) return child;
        return nullptr;
    }

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(m_tree, message, wParam, lParam, SMTO_BLOCK, kPatience, &result);
        return static_cast<LRESULT>(result);
    }

    HWND m_tree;
    HANDLE m_process = nullptr;
    char* m_memory = nullptr;
};

std::vector<std::wstring> Components(const std::wstring& path) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The drive's item: below the desktop, one level down ("My Computer").
HTREEITEM FindDrive(const RemoteTree& tree, const std::wstring& drive) {
    auto isDrive = [&](const std::wstring& text) { return text.find(L"(" + drive + L")") != std::wstring::npos; };
    for (HTREEITEM root = tree.Next(nullptr, TVGN_ROOT); root; root = tree.Next(root, TVGN_NEXT)) {
        if (isDrive(tree.Text(root))) return root;
        if (HTREEITEM found = tree.Child(root, isDrive)) return found;
        tree.Expand(root);
        for (HTREEITEM child = tree.Next(root, TVGN_CHILD); child; child = tree.Next(child, TVGN_NEXT))
            if (HTREEITEM found = tree.Child(child, isDrive)) return found;
    }
    return nullptr;
}

}  // namespace

bool ConfirmFolderBrowser(HWND browser, const std::string& ansiFolder) {
    HWND treeWindow = ::GetDlgItem(browser, 14145);
    if (!treeWindow) return false;
    RemoteTree tree(treeWindow);
    if (!tree.Ready()) return false;
    std::vector<std::wstring> parts = Components(WideFromAnsi(ansiFolder));
    if (parts.empty()) return false;
    HTREEITEM item = FindDrive(tree, parts[0]);
    for (size_t i = 1; item && i < parts.size(); ++i)
        item = tree.Child(item, [&](const std::wstring& text) { return ::lstrcmpiW(text.c_str(), parts[i].c_str()) == 0; });
    if (!item) return false;
    tree.Select(item);
    ::PostMessageW(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
}

}  // namespace driver
