#include "ClassFactory.h"

#include <new>

#include "InterfaceTable.h"

CClassFactory* CClassFactory::Create(ComModule& module, CreateInstanceFunction create) {
    return new (std::nothrow) CClassFactory(module, create);
}

CClassFactory::CClassFactory(ComModule& module, CreateInstanceFunction create)
    : m_module(module), m_create(create) {
    ::InitializeCriticalSection(&m_lock);
}

CClassFactory::~CClassFactory() { ::DeleteCriticalSection(&m_lock); }

STDMETHODIMP CClassFactory::QueryInterface(REFIID iid, void** out) {
    static const InterfaceEntry kInterfaces[] = {
        {&IID_IClassFactory, InterfaceOffset<CClassFactory, IClassFactory>()},
    };
    return QueryInterfaceFromTable(this, kInterfaces, 1, iid, out);
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() {
    ::EnterCriticalSection(&m_lock);
    ULONG refs = ++m_refs;
    if (refs > 1) m_module.Lock();
    ::LeaveCriticalSection(&m_lock);
    return refs;
}

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    ::EnterCriticalSection(&m_lock);
    ULONG refs = --m_refs;
    if (refs >= 1) m_module.Unlock();
    ::LeaveCriticalSection(&m_lock);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return m_create(outer, iid, out);
}

STDMETHODIMP CClassFactory::LockServer(BOOL lock) {
    if (lock) {
        m_module.Lock();
    } else {
        m_module.Unlock();
    }
    return S_OK;
}
