// CPackMenu: the PackMenu class, Explorer's context-menu handler for files
// and folders. Explorer hands it the selection (IShellExtInit), lets it add
// its one item (IContextMenu), and calls it back when the item is picked,
// whereupon it starts Torvan.exe from the DLL's own folder on the first
// selected path. IPackMenu is a dual interface with no members of its own.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "ComObjectRoot.h"
#include "DispatchTypeInfo.h"
#include "TorvanExt_h.h"

class CPackMenu : public IPackMenu, public IShellExtInit, public IContextMenu, public ComObjectRoot {
public:
    // The class factory's maker (see ComModule.h).
    static HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out);
    // IPackMenu's type information, shared by all objects.
    static DispatchTypeInfo& TypeInfo();

    // IUnknown, shared by all three interfaces
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return OuterQueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return OuterAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return OuterRelease(); }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** out) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // IShellExtInit: keeps the data object and the first selected path.
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject, HKEY classKey) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT position, UINT idCmdFirst, UINT idCmdLast, UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR offset, UINT type, UINT* reserved, CHAR* buffer, UINT size) override;

private:
    explicit CPackMenu(IUnknown* outer);
    ~CPackMenu() override;

    const InterfaceEntry* Interfaces(size_t& count) const override;
    void* TableBase() override { return this; }

    void ReadFirstPath(IDataObject* dataObject);
    // The bodies of QueryContextMenu and GetCommandString; they may throw.
    HRESULT AddMenuItem(HMENU menu, UINT position, UINT idCmdFirst, UINT idCmdLast, UINT flags);
    HRESULT CopyCommandString(UINT_PTR offset, UINT type, CHAR* buffer, UINT size);

    IDataObject* m_pDataObject = nullptr;  // one counted reference
    char m_szPath[MAX_PATH] = {};          // ANSI, code page of the system
    HBITMAP m_hMenuBitmap = nullptr;
};
