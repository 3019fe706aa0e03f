// The IDispatch half of a dual interface, answered from the interface's
// registered type information. It is loaded on first need, once across
// threads (under the module's lock, tested again inside it), and kept until
// the module ends; while the type library is not registered every request
// fails with the loading error and the next one tries again.
#pragma once

#include <oaidl.h>

#include "ComModule.h"

class DispatchTypeInfo {
public:
    DispatchTypeInfo(ComModule& module, const GUID& libid, WORD majorVersion, WORD minorVersion, const IID& iid);
    DispatchTypeInfo(const DispatchTypeInfo&) = delete;
    DispatchTypeInfo& operator=(const DispatchTypeInfo&) = delete;

    HRESULT GetTypeInfo(LCID locale, ITypeInfo** out);  // *out gets a reference
    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, LCID locale, DISPID* ids);
    HRESULT Invoke(IDispatch* self, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError);

    // At the module's end, unless the process is exiting: the system's
    // libraries may be gone by then.
    void Clear();

private:
    HRESULT Loaded(LCID locale, ITypeInfo** info);

    ComModule& m_module;
    GUID m_libid;
    WORD m_major;
    WORD m_minor;
    IID m_iid;
    ITypeInfo* volatile m_info = nullptr;
};
