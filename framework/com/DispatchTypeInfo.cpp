#include "DispatchTypeInfo.h"

#include <oleauto.h>

DispatchTypeInfo::DispatchTypeInfo(ComModule& module, const GUID& libid, WORD majorVersion, WORD minorVersion,
                                   const IID& iid)
    : m_module(module), m_libid(libid), m_major(majorVersion), m_minor(minorVersion), m_iid(iid) {}

HRESULT DispatchTypeInfo::Loaded(LCID locale, ITypeInfo** info) {
    *info = m_info;
    if (*info) return S_OK;
    HRESULT hr = S_OK;
    ::EnterCriticalSection(&m_module.ModuleLock());
    if (!m_info) {
        ITypeLib* library = nullptr;
        hr = ::LoadRegTypeLib(m_libid, m_major, m_minor, locale, &library);
        if (SUCCEEDED(hr)) {
            ITypeInfo* loaded = nullptr;
            hr = library->GetTypeInfoOfGuid(m_iid, &loaded);
            library->Release();
            if (SUCCEEDED(hr)) m_info = loaded;
        }
    }
    *info = m_info;
    ::LeaveCriticalSection(&m_module.ModuleLock());
    return hr;
}

HRESULT DispatchTypeInfo::GetTypeInfo(LCID locale, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ITypeInfo* info = nullptr;
    HRESULT hr = Loaded(locale, &info);
    if (FAILED(hr)) return hr;
    info->AddRef();
    *out = info;
    return S_OK;
}

HRESULT DispatchTypeInfo::GetIDsOfNames(LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
    ITypeInfo* info = nullptr;
    HRESULT hr = Loaded(locale, &info);
    if (FAILED(hr)) return hr;
    return info->GetIDsOfNames(names, count, ids);
}

HRESULT DispatchTypeInfo::Invoke(IDispatch* self, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* exception, UINT* argumentError) {
    ITypeInfo* info = nullptr;
    HRESULT hr = Loaded(LOCALE_USER_DEFAULT, &info);
    if (FAILED(hr)) return hr;
    return info->Invoke(self, member, flags, params, result, exception, argumentError);
}

void DispatchTypeInfo::Clear() {
    ::EnterCriticalSection(&m_module.ModuleLock());
    ITypeInfo* info = m_info;
    m_info = nullptr;
    ::LeaveCriticalSection(&m_module.ModuleLock());
    if (info) info->Release();
}
