#include "ComModule.h"

#include "ClassFactory.h"

ComModule::ComModule() { ::InitializeCriticalSection(&m_moduleLock); }

ComModule::~ComModule() { ::DeleteCriticalSection(&m_moduleLock); }

void ComModule::Init(HINSTANCE instance, const ComClass* classes, size_t count) {
    m_instance = instance;
    m_classes = classes;
    m_classCount = count < kMaxClasses ? count : kMaxClasses;
    m_lockCount = 0;
}

void ComModule::Term() {
    CClassFactory* factories[kMaxClasses] = {};
    ::EnterCriticalSection(&m_moduleLock);
    for (size_t i = 0; i < kMaxClasses; ++i) {
        factories[i] = m_factories[i];
        m_factories[i] = nullptr;
    }
    ::LeaveCriticalSection(&m_moduleLock);
    for (CClassFactory* factory : factories)
        if (factory) factory->Release();
}

HRESULT ComModule::GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    size_t index = 0;
    while (index < m_classCount && !IsEqualCLSID(clsid, *m_classes[index].clsid)) ++index;
    if (index == m_classCount || !m_classes[index].create) return CLASS_E_CLASSNOTAVAILABLE;
    ::EnterCriticalSection(&m_moduleLock);
    CClassFactory*& factory = m_factories[index];
    if (!factory) factory = CClassFactory::Create(*this, m_classes[index].create);
    HRESULT hr = factory ? factory->QueryInterface(iid, out) : E_OUTOFMEMORY;
    ::LeaveCriticalSection(&m_moduleLock);
    return hr;
}
