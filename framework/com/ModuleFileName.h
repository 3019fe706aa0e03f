// The full path of a loaded module, in UTF-16 so that no character of the
// folder a server was installed to is lost on its way into the registry.
#pragma once

#include <windows.h>

#include <string>

// Empty when the system cannot tell.
std::wstring ModuleFileNameW(HINSTANCE module);
