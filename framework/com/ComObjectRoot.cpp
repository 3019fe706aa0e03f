#include "ComObjectRoot.h"

ComObjectRoot::ComObjectRoot(ComModule& module, IUnknown* outer)
    : m_module(module), m_outer(outer), m_inner(*this) {
    m_module.Lock();
}

ComObjectRoot::~ComObjectRoot() { m_module.Unlock(); }

HRESULT ComObjectRoot::HandOut(ComObjectRoot* object, REFIID iid, void** out) {
    if (!object) return E_OUTOFMEMORY;
    HRESULT hr = object->m_outer ? object->m_inner.QueryInterface(iid, out)
                                 : object->InternalQueryInterface(iid, out);
    if (FAILED(hr)) delete object;
    return hr;
}

HRESULT ComObjectRoot::InternalQueryInterface(REFIID iid, void** out) {
    size_t count = 0;
    const InterfaceEntry* entries = Interfaces(count);
    return QueryInterfaceFromTable(TableBase(), entries, count, iid, out);
}

ULONG ComObjectRoot::InternalRelease() {
    ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
}

HRESULT ComObjectRoot::OuterQueryInterface(REFIID iid, void** out) {
    return m_outer ? m_outer->QueryInterface(iid, out) : InternalQueryInterface(iid, out);
}

ULONG ComObjectRoot::OuterAddRef() { return m_outer ? m_outer->AddRef() : InternalAddRef(); }

ULONG ComObjectRoot::OuterRelease() { return m_outer ? m_outer->Release() : InternalRelease(); }

STDMETHODIMP ComObjectRoot::NonDelegatingUnknown::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown)) {
        *out = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    return m_owner.InternalQueryInterface(iid, out);
}
