// Registration of the type library a server carries as TYPELIB resource 1,
// through the system's own type-library registration.
#pragma once

#include <windows.h>

HRESULT RegisterModuleTypeLib(HINSTANCE module);
HRESULT UnregisterModuleTypeLib(HINSTANCE module);
