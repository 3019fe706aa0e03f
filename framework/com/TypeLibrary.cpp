#include "TypeLibrary.h"

#include <oleauto.h>

#include "ModuleFileName.h"

namespace {

// A module's path names its first TYPELIB resource.
HRESULT LoadModuleTypeLib(HINSTANCE module, std::wstring& path, ITypeLib** library) {
    *library = nullptr;
    path = ModuleFileNameW(module);
    if (path.empty()) return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
    return ::LoadTypeLib(path.c_str(), library);
}

}  // namespace

HRESULT RegisterModuleTypeLib(HINSTANCE module) {
    std::wstring path;
    ITypeLib* library = nullptr;
    HRESULT hr = LoadModuleTypeLib(module, path, &library);
    if (FAILED(hr)) return hr;
    hr = ::RegisterTypeLib(library, const_cast<OLECHAR*>(path.c_str()), nullptr);
    library->Release();
    return hr;
}

HRESULT UnregisterModuleTypeLib(HINSTANCE module) {
    std::wstring path;
    ITypeLib* library = nullptr;
    HRESULT hr = LoadModuleTypeLib(module, path, &library);
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (SUCCEEDED(hr)) {
        hr = ::UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                 attributes->lcid, attributes->syskind);
        library->ReleaseTLibAttr(attributes);
    }
    library->Release();
    return hr;
}
