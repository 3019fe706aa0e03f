// The module of an in-process server with a few classes: its instance
// handle (every resource is loaded from it), the lock count that decides when
// the DLL may be unloaded, and one class factory per class, made on first
// request and kept until the module ends.
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

// One class the module serves.
struct ComClass {
    const CLSID* clsid;
    CreateInstanceFunction create;
};

class ComModule {
public:
    ComModule();
    ~ComModule();
    ComModule(const ComModule&) = delete;
    ComModule& operator=(const ComModule&) = delete;

    // The most classes one module serves.
    static constexpr size_t kMaxClasses = 4;

    // From DllMain's process attach and detach. `classes` must outlive the
    // module; classes beyond kMaxClasses are not served.
    void Init(HINSTANCE instance, const ComClass* classes, size_t count);
    void Term();

    HINSTANCE Instance() const { return m_instance; }

    LONG Lock() { return ::InterlockedIncrement(&m_lockCount); }
    LONG Unlock() { return ::InterlockedDecrement(&m_lockCount); }
    LONG LockCount() const { return m_lockCount; }

    // DllGetClassObject: the kept factory for one of the module's classes,
    // asked for `iid`; CLASS_E_CLASSNOTAVAILABLE for any other CLSID.
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);
    // DllCanUnloadNow: S_OK once nothing holds the module, else S_FALSE.
    HRESULT CanUnloadNow() const { return m_lockCount == 0 ? S_OK : S_FALSE; }

    // For anything that must be set up once across threads (type information).
    CRITICAL_SECTION& ModuleLock() { return m_moduleLock; }

private:
    HINSTANCE m_instance = nullptr;
    const ComClass* m_classes = nullptr;
    size_t m_classCount = 0;
    volatile LONG m_lockCount = 0;
    CClassFactory* m_factories[kMaxClasses] = {};  // each holds the module's own reference
    CRITICAL_SECTION m_moduleLock;
};
