// The class factory of a server's one class. The module keeps the first
// reference for as long as it lives; only the references handed out beyond
// it hold the module, so an idle server can still be unloaded.
#pragma once

#include "ComModule.h"

class CClassFactory : public IClassFactory {
public:
    // A factory holding one reference (the module's), or null when out of memory.
    static CClassFactory* Create(ComModule& module, CreateInstanceFunction create);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IClassFactory. An outer IUnknown is accepted only together with
    // IID_IUnknown, as COM's aggregation rules require.
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    CClassFactory(ComModule& module, CreateInstanceFunction create);
    virtual ~CClassFactory();

    ComModule& m_module;
    CreateInstanceFunction m_create;
    ULONG m_refs = 1;
    // Callers on any thread may hold the factory.
    CRITICAL_SECTION m_lock;
};
