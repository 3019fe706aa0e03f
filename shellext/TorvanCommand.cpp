#include "TorvanCommand.h"

#include <shlwapi.h>

#include <new>
#include <string>

#include "LaunchTorvan.h"
#include "ModuleFileName.h"
#include "Module.h"
#include "NoThrow.h"
#include "SelectedItem.h"
#include "Text.h"
#include "TorvanExt/resource.h"

namespace {

// Hands `text` to the shell in memory it frees with CoTaskMemFree.
HRESULT ShellString(const std::wstring& text, LPWSTR* out) { return ::SHStrDupW(text.c_str(), out); }

}  // namespace

HRESULT CTorvanCommand::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    return HandOut(new (std::nothrow) CTorvanCommand(outer), iid, out);
}

CTorvanCommand::CTorvanCommand(IUnknown* outer) : ComObjectRoot(g_Module, outer) {}

CTorvanCommand::~CTorvanCommand() {
    if (m_pSite) m_pSite->Release();
}

const InterfaceEntry* CTorvanCommand::Interfaces(size_t& count) const {
    static const InterfaceEntry kInterfaces[] = {
        {&IID_IExplorerCommand, InterfaceOffset<CTorvanCommand, IExplorerCommand>()},
        {&IID_IObjectWithSite, InterfaceOffset<CTorvanCommand, IObjectWithSite>()},
    };
    count = sizeof kInterfaces / sizeof kInterfaces[0];
    return kInterfaces;
}

// IExplorerCommand

STDMETHODIMP CTorvanCommand::GetTitle(IShellItemArray* items, LPWSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    return torvan::CallWithoutThrowing([&]() -> HRESULT {
        torvan::MenuItem item = ChooseForSelection(items);
        // Without a selection Explorer may still ask, e.g. to list the command.
        if (item == torvan::MenuItem::None) item = torvan::MenuItem::Pack;
        return ShellString(WideFromUtf8(torvan::MenuItemTitle(item)), name);
    });
}

// "<DLL path>,-<id>": the shell loads the icon from the DLL's resources.
STDMETHODIMP CTorvanCommand::GetIcon(IShellItemArray*, LPWSTR* icon) {
    if (!icon) return E_POINTER;
    *icon = nullptr;
    return torvan::CallWithoutThrowing([&]() -> HRESULT {
        std::wstring module = ModuleFileNameW(g_Module.Instance());
        if (module.empty()) return E_FAIL;
        return ShellString(module + L",-" + std::to_wstring(IDI_COMMAND), icon);
    });
}

STDMETHODIMP CTorvanCommand::GetToolTip(IShellItemArray*, LPWSTR* tip) {
    if (tip) *tip = nullptr;
    return E_NOTIMPL;  // the shell then shows none
}

STDMETHODIMP CTorvanCommand::GetCanonicalName(GUID* name) {
    if (!name) return E_POINTER;
    *name = CLSID_TorvanCommand;
    return S_OK;
}

// Never disabled and never E_PENDING: the decision needs no disk access, so
// it is as quick when okToBeSlow is FALSE as when it is TRUE.
STDMETHODIMP CTorvanCommand::GetState(IShellItemArray* items, BOOL, EXPCMDSTATE* state) {
    if (!state) return E_POINTER;
    *state = ECS_HIDDEN;
    return torvan::CallWithoutThrowing([&]() -> HRESULT {
        if (ChooseForSelection(items) != torvan::MenuItem::None) *state = ECS_ENABLED;
        return S_OK;
    });
}

STDMETHODIMP CTorvanCommand::Invoke(IShellItemArray* items, IBindCtx*) {
    return torvan::CallWithoutThrowing([&]() -> HRESULT {
        std::string path;
        bool folder = false;
        if (!ReadFirstSelected(items, path, folder)) return E_FAIL;
        return LaunchTorvan(g_Module.Instance(), path.c_str());
    });
}

STDMETHODIMP CTorvanCommand::GetFlags(EXPCMDFLAGS* flags) {
    if (!flags) return E_POINTER;
    *flags = ECF_DEFAULT;
    return S_OK;
}

STDMETHODIMP CTorvanCommand::EnumSubCommands(IEnumExplorerCommand** commands) {
    if (commands) *commands = nullptr;
    return E_NOTIMPL;
}

// IObjectWithSite

STDMETHODIMP CTorvanCommand::SetSite(IUnknown* site) {
    if (site) site->AddRef();
    if (m_pSite) m_pSite->Release();
    m_pSite = site;
    return S_OK;
}

STDMETHODIMP CTorvanCommand::GetSite(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return m_pSite ? m_pSite->QueryInterface(iid, out) : E_FAIL;
}
