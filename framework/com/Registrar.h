// The registrar: applies a registry script (see RegistryScript.h) kept as a
// REGISTRY resource of the server's module, so the keys a server writes are
// read from one script and removed by the same script.
#pragma once

#include <windows.h>

#include "RegistryScript.h"

// Writes the keys of REGISTRY resource `id` of `module` when `registering`,
// removes them otherwise. %MODULE% is the module's full path; `replacements`
// adds the server's own names. Stops at and returns the first failure; a
// script that does not parse writes nothing.
HRESULT UpdateRegistryFromResource(HINSTANCE module, UINT id, bool registering,
                                   const torvan::ScriptReplacements& replacements);
