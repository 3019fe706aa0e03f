#include "ComModule.h"

#include "ClassFactory.h"

ComModule::ComModule() { ::InitializeCriticalSection(&m_moduleLock); }

ComModule::~ComModule() { ::DeleteCriticalSection(&m_moduleLock); }

void ComModule::Init(HINSTANCE instance, const CLSID& clsid, CreateInstanceFunction create) {
    m_instance = instance;
    m_clsid = clsid;
    m_create = create;
    m_lockCount = 0;
}

void ComModule::Term() {
    ::EnterCriticalSection(&m_moduleLock);
    CClassFactory* factory = m_factory;
    m_factory = nullptr;
    ::LeaveCriticalSection(&m_moduleLock);
    if (factory) factory->Release();
}

HRESULT ComModule::GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, m_clsid) || !m_create) return CLASS_E_CLASSNOTAVAILABLE;
    ::EnterCriticalSection(&m_moduleLock);
    if (!m_factory) m_factory = CClassFactory::Create(*this, m_create);
    HRESULT hr = m_factory ? m_factory->QueryInterface(iid, out) : E_OUTOFMEMORY;
    ::LeaveCriticalSection(&m_moduleLock);
    return hr;
}
