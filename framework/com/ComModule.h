// The module of an in-process server with one class: its instance handle
// (every resource is loaded from it), the lock count that decides when the
// DLL may be unloaded, and the one class factory, made on first request and
// kept until the module ends.
//
// The lock count counts live objects, outside references to the factory and
// outstanding IClassFactory::LockServer(TRUE) calls. Any thread may reach
// the exports, so it changes only interlocked.
#pragma once

#include <windows.h>
#include <unknwn.h>

// Makes a new object of the class: aggregated when `outer` is given, then
// asked for `iid`. The factory has checked the aggregation rules already.
using CreateInstanceFunction = HRESULT (*)(IUnknown* outer, REFIID iid, void** out);

class CClassFactory;

class ComModule {
public:
    ComModule();
    ~ComModule();
    ComModule(const ComModule&) = delete;
    ComModule& operator=(const ComModule&) = delete;

    // From DllMain's process attach and detach.
    void Init(HINSTANCE instance, const CLSID& clsid, CreateInstanceFunction create);
    void Term();

    HINSTANCE Instance() const { return m_instance; }

    LONG Lock() { return ::InterlockedIncrement(&m_lockCount); }
    LONG Unlock() { return ::InterlockedDecrement(&m_lockCount); }
    LONG LockCount() const { return m_lockCount; }

    // DllGetClassObject: the kept factory for the module's CLSID, asked for
    // `iid`; CLASS_E_CLASSNOTAVAILABLE for any other CLSID.
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);
    // DllCanUnloadNow: S_OK once nothing holds the module, else S_FALSE.
    HRESULT CanUnloadNow() const { return m_lockCount == 0 ? S_OK : S_FALSE; }

    // For anything that must be set up once across threads (type information).
    CRITICAL_SECTION& ModuleLock() { return m_moduleLock; }

private:
    HINSTANCE m_instance = nullptr;
    CLSID m_clsid = {};
    CreateInstanceFunction m_create = nullptr;
    volatile LONG m_lockCount = 0;
    CClassFactory* m_factory = nullptr;  // holds the module's own reference
    CRITICAL_SECTION m_moduleLock;
};
