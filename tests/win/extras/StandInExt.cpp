// A stand-in for TorvanExt.dll beside the test program: its registration
// writes and removes HKEY_CLASSES_ROOT\CLSID\<class id>, so a test can see
// that the registration tool ran on the library the dialog pointed it to.
#include <windows.h>

#include <cstring>

#include "PackMenuClsid.h"

static const char kClassKey[] = "CLSID\\" PACKMENU_CLSID_TEXT;

extern "C" HRESULT __stdcall DllRegisterServer() {
    const char value[] = "Torvan test stand-in";
    return ::RegSetValueA(HKEY_CLASSES_ROOT, kClassKey, REG_SZ, value, static_cast<DWORD>(std::strlen(value))) ==
                   ERROR_SUCCESS
               ? S_OK
               : E_FAIL;
}

extern "C" HRESULT __stdcall DllUnregisterServer() {
    return ::RegDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey) == ERROR_SUCCESS ? S_OK : S_FALSE;
}
