#include "IntegrationDlg.h"

#include <cstring>

#include "DataExchange.h"
#include "IntegrationRules.h"
#include "PackMenuClsid.h"
#include "Text.h"
#include "resource.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kHotText = RGB(245, 0, 0);

UINT IconStyle(torvan::ResultIcon icon) {
    return icon == torvan::ResultIcon::Information ? MB_ICONINFORMATION : MB_ICONSTOP;
}

// The registry hands its reason back as a return value; the messages read
// it as the thread's last error, so it is put there.
BOOL Failed(LONG status) {
    ::SetLastError(static_cast<DWORD>(status));
    return FALSE;
}

// Creates (or opens) HKEY_CLASSES_ROOT\name and makes the class identifier
// its default value.
BOOL WriteHandlerKey(const std::string& name) {
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return Failed(status);
    const char clsid[] = PACKMENU_CLSID_TEXT;
    status = ::RegSetValueA(key, nullptr, REG_SZ, clsid, static_cast<DWORD>(std::strlen(clsid)));
    LONG closed = ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) return Failed(status);
    if (closed != ERROR_SUCCESS) return Failed(closed);
    return TRUE;
}

}  // namespace

CIntegrationDlg::CIntegrationDlg(CWnd* parent) : CDialog(IDD_INTEGRATION, parent) {}

void CIntegrationDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_UNINTEGRATE, m_btnUnintegrate);
    DDX_Control(pDX, IDC_INTEGRATE, m_btnIntegrate);
    DDX_Control(pDX, IDOK, m_btnOK);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
}

BOOL CIntegrationDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (CFlatBitmapButton* button : {&m_btnIntegrate, &m_btnUnintegrate, &m_btnOK}) {
        button->SetColorSlot(CFlatBitmapButton::ColorHotText, kHotText, TRUE);
        button->LoadImagePair(IDB_TICK_HOT, kWhite, IDB_TICK_REST, kWhite);
    }
    m_btnCancel.SetColorSlot(CFlatBitmapButton::ColorHotText, kHotText, TRUE);
    m_btnCancel.LoadImagePair(IDB_CROSS_HOT, kWhite, IDB_CROSS_REST, kWhite);
    return TRUE;  // the focus goes to the first tab stop, OK
}

BOOL CIntegrationDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_INTEGRATE:
            OnIntegrate();
            return TRUE;
        case IDC_UNINTEGRATE:
            OnUnintegrate();
            return TRUE;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CIntegrationDlg::OnIntegrate() {
    const bool ok = RegisterIntegration() != FALSE;
    torvan::ResultMessage message = torvan::IntegrationMessage(ok, ok ? std::string() : SystemErrorText());
    MessageBox(message.text.c_str(), nullptr, IconStyle(message.icon));
    CDialog::OnOK();
}

void CIntegrationDlg::OnUnintegrate() {
    const bool ok = RemoveIntegration() != FALSE;
    torvan::ResultMessage message = torvan::RemovalMessage(ok, ok ? std::string() : SystemErrorText());
    MessageBox(message.text.c_str(), nullptr, IconStyle(message.icon));
    CDialog::OnOK();
}

BOOL CIntegrationDlg::RegisterIntegration() {
    char modulePath[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, modulePath, MAX_PATH - 1);
    if (length == 0) return FALSE;
    // A path that filled the buffer may have been cut short.
    if (length >= MAX_PATH - 1) return Failed(ERROR_FILENAME_EXCED_RANGE);

    std::string directory, command;
    if (!torvan::ProgramDirectory(modulePath, torvan::NativePathStyle(), directory))
        return Failed(ERROR_BAD_PATHNAME);
    if (!torvan::RegistrationCommand(directory, command)) return Failed(ERROR_FILENAME_EXCED_RANGE);

    const std::string library = torvan::LibraryPath(directory);
    DWORD attributes = ::GetFileAttributesA(library.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DWORD reason = attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : ERROR_FILE_NOT_FOUND;
        torvan::ResultMessage missing = torvan::MissingLibraryMessage();
        MessageBox(missing.text.c_str(), nullptr, IconStyle(missing.icon));
        // The failure box that follows explains why: not what the box did.
        return Failed(static_cast<LONG>(reason));
    }

    // The tool reports its own outcome in its own window; nobody waits.
    ::WinExec(command.c_str(), SW_SHOW);

    if (!WriteHandlerKey(torvan::kFileObjectHandlerKey)) return FALSE;
    return WriteHandlerKey(torvan::FolderHandlerKey());
}

BOOL CIntegrationDlg::RemoveIntegration() {
    LONG status = ::RegDeleteKeyA(HKEY_CLASSES_ROOT, torvan::FolderHandlerKey().c_str());
    if (status != ERROR_SUCCESS) return Failed(status);
    status = ::RegDeleteKeyA(HKEY_CLASSES_ROOT, torvan::kFileObjectHandlerKey);
    if (status != ERROR_SUCCESS) return Failed(status);
    return TRUE;
}

std::string CIntegrationDlg::SystemErrorText() {
    const DWORD code = ::GetLastError();
    wchar_t* buffer = nullptr;
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                        FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                    reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = (length && buffer) ? Utf8FromWide(std::wstring(buffer, length)) : std::string();
    if (buffer) ::LocalFree(buffer);
    return text;
}
