// CTorvanCommand: the item of Windows 11's first-level context menu. Explorer
// there shows only commands of packaged apps, found through the sparse
// package's manifest, which names this class; it asks the command for its
// title, icon and state for the selection and invokes it when picked. The
// item and its launch follow the same rules as PackMenu's, which serves
// "Show more options" and older Windows.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "ComObjectRoot.h"
#include "GuidText.h"
#include "TorvanCommandClsid.h"

constexpr CLSID CLSID_TorvanCommand = GuidFromText(TORVANCOMMAND_CLSID_TEXT);

class CTorvanCommand : public IExplorerCommand, public IObjectWithSite, public ComObjectRoot {
public:
    // The class factory's maker (see ComModule.h).
    static HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out);

    // IUnknown, shared by both interfaces
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return OuterQueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return OuterAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return OuterRelease(); }

    // IExplorerCommand
    STDMETHODIMP GetTitle(IShellItemArray* items, LPWSTR* name) override;
    STDMETHODIMP GetIcon(IShellItemArray* items, LPWSTR* icon) override;
    STDMETHODIMP GetToolTip(IShellItemArray* items, LPWSTR* tip) override;
    STDMETHODIMP GetCanonicalName(GUID* name) override;
    STDMETHODIMP GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) override;
    STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx* context) override;
    STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) override;
    STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** commands) override;

    // IObjectWithSite: Explorer hands the command its site; it is only kept.
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID iid, void** out) override;

private:
    explicit CTorvanCommand(IUnknown* outer);
    ~CTorvanCommand() override;

    const InterfaceEntry* Interfaces(size_t& count) const override;
    void* TableBase() override { return this; }

    IUnknown* m_pSite = nullptr;  // one counted reference
};
