#include "Registrar.h"

#include <shlwapi.h>

#include "ModuleFileName.h"
#include "Text.h"

namespace {

HKEY HiveKey(const std::string& hive) {
    if (hive == "HKCR") return HKEY_CLASSES_ROOT;
    if (hive == "HKCU") return HKEY_CURRENT_USER;
    if (hive == "HKLM") return HKEY_LOCAL_MACHINE;
    return HKEY_USERS;
}

HRESULT FromStatus(LONG status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

bool Missing(LONG status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

HRESULT SetText(HKEY key, const wchar_t* name, const std::string& utf8) {
    std::wstring text = WideFromUtf8(utf8);
    DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return FromStatus(::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes));
}

// A key with everything below it; one that is not there is already gone.
HRESULT DeleteTree(HKEY parent, const std::wstring& name) {
    LONG status = static_cast<LONG>(::SHDeleteKeyW(parent, name.c_str()));
    return Missing(status) ? S_OK : FromStatus(status);
}

HRESULT RegisterKey(HKEY parent, const torvan::ScriptKey& entry) {
    std::wstring name = WideFromUtf8(entry.name);
    if (entry.forceRemove) {
        HRESULT hr = DeleteTree(parent, name);
        if (FAILED(hr)) return hr;
    }
    HKEY key = nullptr;
    HRESULT hr = FromStatus(::RegCreateKeyExW(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                              KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
    if (FAILED(hr)) return hr;
    if (entry.hasDefault) hr = SetText(key, nullptr, entry.defaultText);
    for (size_t i = 0; SUCCEEDED(hr) && i < entry.values.size(); ++i)
        hr = SetText(key, WideFromUtf8(entry.values[i].name).c_str(), entry.values[i].text);
    for (size_t i = 0; SUCCEEDED(hr) && i < entry.subkeys.size(); ++i) hr = RegisterKey(key, entry.subkeys[i]);
    ::RegCloseKey(key);
    return hr;
}

HRESULT UnregisterKey(HKEY parent, const torvan::ScriptKey& entry) {
    std::wstring name = WideFromUtf8(entry.name);
    if (entry.forceRemove && !entry.noRemove) return DeleteTree(parent, name);
    HKEY key = nullptr;
    LONG status = ::RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    if (Missing(status)) return S_OK;
    HRESULT hr = FromStatus(status);
    if (FAILED(hr)) return hr;
    for (size_t i = 0; SUCCEEDED(hr) && i < entry.subkeys.size(); ++i) hr = UnregisterKey(key, entry.subkeys[i]);
    if (SUCCEEDED(hr) && !entry.noRemove) {
        for (const auto& value : entry.values) ::RegDeleteValueW(key, WideFromUtf8(value.name).c_str());
        // A key that others have put subkeys into stays for them.
        DWORD subkeys = 0;
        hr = FromStatus(::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                                           nullptr, nullptr, nullptr, nullptr));
        if (SUCCEEDED(hr) && subkeys == 0) {
            ::RegCloseKey(key);
            key = nullptr;
            status = ::RegDeleteKeyW(parent, name.c_str());
            hr = Missing(status) ? S_OK : FromStatus(status);
        }
    }
    if (key) ::RegCloseKey(key);
    return hr;
}

bool LoadScript(HINSTANCE module, UINT id, std::string& script) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(module, found);
    const char* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (!bytes) return false;
    script.assign(bytes, ::SizeofResource(module, found));
    return true;
}

}  // namespace

HRESULT UpdateRegistryFromResource(HINSTANCE module, UINT id, bool registering,
                                   const torvan::ScriptReplacements& replacements) {
    std::string script;
    if (!LoadScript(module, id, script)) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
    std::wstring modulePath = ModuleFileNameW(module);
    if (modulePath.empty()) return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
    torvan::ScriptReplacements names = replacements;
    names["MODULE"] = Utf8FromWide(modulePath);
    std::vector<torvan::ScriptRoot> roots;
    std::string why;
    if (!torvan::ParseRegistryScript(script, names, roots, why)) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    HRESULT hr = S_OK;
    for (const auto& root : roots)
        for (size_t i = 0; SUCCEEDED(hr) && i < root.keys.size(); ++i)
            hr = registering ? RegisterKey(HiveKey(root.hive), root.keys[i])
                             : UnregisterKey(HiveKey(root.hive), root.keys[i]);
    return hr;
}
