// DllMain and the four exports of TorvanExt.dll (see TorvanExt.def).
#include <windows.h>
#include <olectl.h>

#include <string>

#include "Module.h"
#include "NoThrow.h"
#include "PackMenu.h"
#include "PackMenuClsid.h"
#include "Registrar.h"
#include "Text.h"
#include "TorvanCommand.h"
#include "TypeLibrary.h"
#include "TorvanExt/resource.h"

ComModule g_Module;

// PackMenu for the classic menu; TorvanCommand for Windows 11's first level,
// which Explorer finds through the sparse package, never through the registry.
static const ComClass kClasses[] = {
    {&CLSID_PackMenu, CPackMenu::CreateInstance},
    {&CLSID_TorvanCommand, CTorvanCommand::CreateInstance},
};

namespace {

// The script's names for the identifiers, so the script repeats none.
torvan::ScriptReplacements Identifiers() {
    wchar_t libid[40] = {};
    ::StringFromGUID2(LIBID_TORVANEXTLib, libid, 40);
    return {{"CLSID", PACKMENU_CLSID_TEXT}, {"LIBID", Utf8FromWide(libid)}};
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_Module.Init(instance, kClasses, sizeof kClasses / sizeof kClasses[0]);
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded by FreeLibrary; at process exit the other DLLs may be gone.
        CPackMenu::TypeInfo().Clear();
        g_Module.Term();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return g_Module.CanUnloadNow(); }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) { return g_Module.GetClassObject(clsid, iid, out); }

// The registrar reads and parses the script into strings: a failed
// allocation must reach regsvr32 as a result, not as an exception.
STDAPI DllRegisterServer() {
    return torvan::CallWithoutThrowing([] {
        HRESULT hr = UpdateRegistryFromResource(g_Module.Instance(), IDR_PACKMENU, true, Identifiers());
        return SUCCEEDED(hr) ? RegisterModuleTypeLib(g_Module.Instance()) : hr;
    });
}

STDAPI DllUnregisterServer() {
    return torvan::CallWithoutThrowing([] {
        HRESULT hr = UpdateRegistryFromResource(g_Module.Instance(), IDR_PACKMENU, false, Identifiers());
        return SUCCEEDED(hr) ? UnregisterModuleTypeLib(g_Module.Instance()) : hr;
    });
}
