#include "RegisteredServer.h"

#include "ShellExtHarness.h"
#include "TorvanExt_h.h"

using namespace shellext_test;

HMODULE RegisteredServer::s_module = nullptr;

void RegisteredServer::SetUpTestSuite() {
    ASSERT_EQ(Regsvr32(BuiltDll(), false), 0);
    s_module = ::LoadLibraryW(BuiltDll().c_str());
    ASSERT_NE(s_module, nullptr);
}

void RegisteredServer::TearDownTestSuite() {
    if (s_module) ::FreeLibrary(s_module);
    s_module = nullptr;
    ::CoFreeUnusedLibraries();
    EXPECT_EQ(Regsvr32(BuiltDll(), true), 0);
}

HRESULT RegisteredServer::CanUnloadNow() {
    using Export = HRESULT(STDAPICALLTYPE*)();
    auto call = reinterpret_cast<Export>(::GetProcAddress(s_module, "DllCanUnloadNow"));
    return call ? call() : E_FAIL;
}

HRESULT RegisteredServer::GetClassObject(REFIID iid, void** out) {
    using Export = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<Export>(::GetProcAddress(s_module, "DllGetClassObject"));
    return get ? get(CLSID_PackMenu, iid, out) : E_FAIL;
}

HRESULT RegisteredServer::Create(REFIID iid, void** out) {
    return ::CoCreateInstance(CLSID_PackMenu, nullptr, CLSCTX_INPROC_SERVER, iid, out);
}
