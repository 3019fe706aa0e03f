#include "PackMenu.h"

#include <new>
#include <string>

#include "AnsiLeadByte.h"
#include "LaunchTorvan.h"
#include "Module.h"
#include "NoThrow.h"
#include "PackMenuRules.h"
#include "Text.h"
#include "TorvanExt/resource.h"

namespace {

static_assert(torvan::kOutOfMemoryResult == E_OUTOFMEMORY && torvan::kFailedResult == E_FAIL,
              "the guard's results are COM's");

// The lstrcpyn family cuts to size - 1 characters and always terminates.
HRESULT CopyText(CHAR* buffer, UINT size, const char* text) {
    if (!buffer || size == 0) return E_INVALIDARG;
    ::lstrcpynA(buffer, text, static_cast<int>(size));
    return S_OK;
}

HRESULT CopyText(CHAR* buffer, UINT size, const wchar_t* text) {
    if (!buffer || size == 0) return E_INVALIDARG;
    ::lstrcpynW(reinterpret_cast<LPWSTR>(buffer), text, static_cast<int>(size));
    return S_OK;
}

}  // namespace

DispatchTypeInfo& CPackMenu::TypeInfo() {
    static DispatchTypeInfo typeInfo(g_Module, LIBID_TORVANEXTLib, 1, 0, IID_IPackMenu);
    return typeInfo;
}

HRESULT CPackMenu::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    return HandOut(new (std::nothrow) CPackMenu(outer), iid, out);
}

CPackMenu::CPackMenu(IUnknown* outer) : ComObjectRoot(g_Module, outer) {
    // Null when the picture cannot be loaded: the item then goes in without it.
    m_hMenuBitmap = ::LoadBitmapW(g_Module.Instance(), MAKEINTRESOURCEW(IDB_MENU_ITEM));
}

CPackMenu::~CPackMenu() {
    if (m_hMenuBitmap) ::DeleteObject(m_hMenuBitmap);
    if (m_pDataObject) m_pDataObject->Release();
}

const InterfaceEntry* CPackMenu::Interfaces(size_t& count) const {
    static const InterfaceEntry kInterfaces[] = {
        {&IID_IPackMenu, InterfaceOffset<CPackMenu, IPackMenu>()},
        {&IID_IDispatch, InterfaceOffset<CPackMenu, IPackMenu>()},
        {&IID_IShellExtInit, InterfaceOffset<CPackMenu, IShellExtInit>()},
        {&IID_IContextMenu, InterfaceOffset<CPackMenu, IContextMenu>()},
    };
    count = sizeof kInterfaces / sizeof kInterfaces[0];
    return kInterfaces;
}

// IDispatch

STDMETHODIMP CPackMenu::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CPackMenu::GetTypeInfo(UINT index, LCID locale, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return TypeInfo().GetTypeInfo(locale, out);
}

STDMETHODIMP CPackMenu::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids) return E_POINTER;
    return TypeInfo().GetIDsOfNames(names, count, locale, ids);
}

STDMETHODIMP CPackMenu::Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* exception, UINT* argumentError) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return TypeInfo().Invoke(static_cast<IPackMenu*>(this), member, flags, params, result, exception,
                             argumentError);
}

// IShellExtInit

STDMETHODIMP CPackMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject* dataObject, HKEY) {
    if (m_pDataObject) {
        m_pDataObject->Release();
        m_pDataObject = nullptr;
    }
    if (!dataObject) return S_OK;
    m_pDataObject = dataObject;
    m_pDataObject->AddRef();
    ReadFirstPath(dataObject);
    return S_OK;
}

// Without a file list the path stays as it was. Only the first item counts.
void CPackMenu::ReadFirstPath(IDataObject* dataObject) {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(dataObject->GetData(&format, &medium))) return;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        HDROP drop = static_cast<HDROP>(medium.hGlobal);
        if (::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) != 0) {
            // A path that does not fit would be cut into another path: the
            // selection then offers nothing rather than the wrong item.
            UINT length = ::DragQueryFileA(drop, 0, nullptr, 0);
            if (length < sizeof m_szPath) {
                ::DragQueryFileA(drop, 0, m_szPath, sizeof m_szPath);
            } else {
                m_szPath[0] = '\0';
            }
        }
    }
    ::ReleaseStgMedium(&medium);
}

// IContextMenu

STDMETHODIMP CPackMenu::QueryContextMenu(HMENU menu, UINT position, UINT idCmdFirst, UINT idCmdLast, UINT flags) {
    return torvan::CallWithoutThrowing([&] { return AddMenuItem(menu, position, idCmdFirst, idCmdLast, flags); });
}

HRESULT CPackMenu::AddMenuItem(HMENU menu, UINT position, UINT idCmdFirst, UINT idCmdLast, UINT flags) {
    const HRESULT noItem = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    if (flags & CMF_DEFAULTONLY) return noItem;
    if (!torvan::FitsCommandRange(idCmdFirst, idCmdLast)) return noItem;
    DWORD attributes = ::GetFileAttributesA(m_szPath);
    torvan::PathAttributes read = {attributes != INVALID_FILE_ATTRIBUTES,
                                   (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
    torvan::MenuItem item = torvan::ChooseMenuItem(m_szPath, read, IsAnsiLeadByte);
    if (item == torvan::MenuItem::None) return noItem;
    UINT id = idCmdFirst + torvan::kCommandOffset;
    std::wstring text = WideFromUtf8(torvan::MenuItemText(item));
    if (!::InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING, id, text.c_str())) return noItem;
    ::SetMenuItemBitmaps(menu, id, MF_BYCOMMAND, m_hMenuBitmap, m_hMenuBitmap);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, torvan::kOffsetsUsed);
}

STDMETHODIMP CPackMenu::GetCommandString(UINT_PTR offset, UINT type, UINT*, CHAR* buffer, UINT size) {
    return torvan::CallWithoutThrowing([&] { return CopyCommandString(offset, type, buffer, size); });
}

HRESULT CPackMenu::CopyCommandString(UINT_PTR offset, UINT type, CHAR* buffer, UINT size) {
    if (offset != torvan::kCommandOffset) return E_INVALIDARG;
    switch (type) {
    case GCS_VERBA:
        return CopyText(buffer, size, torvan::kVerb);
    case GCS_VERBW:
        return CopyText(buffer, size, WideFromUtf8(torvan::kVerb).c_str());
    case GCS_HELPTEXTA: {
        char help[MAX_PATH] = {};
        ::LoadStringA(g_Module.Instance(), IDS_HELP_TEXT, help, sizeof help);
        return CopyText(buffer, size, help);
    }
    case GCS_HELPTEXTW: {
        wchar_t help[MAX_PATH] = {};
        ::LoadStringW(g_Module.Instance(), IDS_HELP_TEXT, help, MAX_PATH);
        return CopyText(buffer, size, help);
    }
    default:
        return S_OK;  // validation requests: the command exists
    }
}

STDMETHODIMP CPackMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    if (!info) return E_INVALIDARG;
    const char* verb = IS_INTRESOURCE(info->lpVerb) ? nullptr : info->lpVerb;
    unsigned offset = verb ? 0 : LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb));
    return torvan::CallWithoutThrowing([&]() -> HRESULT {
        if (!torvan::IsOwnCommand(offset, verb)) return E_FAIL;
        if (!m_szPath[0]) return E_FAIL;  // nothing was selected
        return LaunchTorvan(g_Module.Instance(), m_szPath);
    });
}
