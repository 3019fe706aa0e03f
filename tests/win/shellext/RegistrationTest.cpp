// regsvr32 on TorvanExt.dll, the way the integration dialog runs it, and
// what it leaves in the registry.
#include <gtest/gtest.h>

#include <algorithm>

#include "PackMenuClsid.h"
#include "ShellExtHarness.h"
#include "TorvanExt_h.h"

using namespace shellext_test;

namespace {

const std::wstring kClsid = Wide(PACKMENU_CLSID_TEXT);
const std::wstring kClassKey = L"CLSID\\" + kClsid;
const std::wstring kLibid = L"{8A3F6C21-9B7E-4D05-B2C4-71E9A05D3F68}";
#ifdef _WIN64
const wchar_t kPlatform[] = L"win64";
#else
const wchar_t kPlatform[] = L"win32";
#endif

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring Default(const std::wstring& key) {
    std::wstring text;
    EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, key, nullptr, text)) << key.c_str();
    return text;
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) == 0; }

void ExpectTheScriptsKeys() {
    EXPECT_EQ(Default(L"TorvanExt.PackMenu.1"), L"PackMenu Class");
    EXPECT_EQ(Default(L"TorvanExt.PackMenu.1\\CLSID"), kClsid);
    EXPECT_EQ(Sorted(Subkeys(HKEY_CLASSES_ROOT, L"TorvanExt.PackMenu.1")), (std::vector<std::wstring>{L"CLSID"}));
    EXPECT_EQ(Default(L"TorvanExt.PackMenu"), L"PackMenu Class");
    EXPECT_EQ(Default(L"TorvanExt.PackMenu\\CLSID"), kClsid);
    EXPECT_EQ(Default(L"TorvanExt.PackMenu\\CurVer"), L"TorvanExt.PackMenu.1");
    EXPECT_EQ(Sorted(Subkeys(HKEY_CLASSES_ROOT, L"TorvanExt.PackMenu")),
              (std::vector<std::wstring>{L"CLSID", L"CurVer"}));

    EXPECT_EQ(Default(kClassKey), L"PackMenu Class");
    EXPECT_EQ(Sorted(Subkeys(HKEY_CLASSES_ROOT, kClassKey)),
              (std::vector<std::wstring>{L"InprocServer32", L"ProgID", L"Programmable", L"TypeLib",
                                         L"VersionIndependentProgID"}));
    EXPECT_EQ(Default(kClassKey + L"\\ProgID"), L"TorvanExt.PackMenu.1");
    EXPECT_EQ(Default(kClassKey + L"\\VersionIndependentProgID"), L"TorvanExt.PackMenu");
    EXPECT_TRUE(ValueNames(HKEY_CLASSES_ROOT, kClassKey + L"\\Programmable").empty());
    EXPECT_TRUE(Subkeys(HKEY_CLASSES_ROOT, kClassKey + L"\\Programmable").empty());
    EXPECT_EQ(Default(kClassKey + L"\\TypeLib"), kLibid);
    const std::wstring server = kClassKey + L"\\InprocServer32";
    EXPECT_TRUE(SamePath(Default(server), BuiltDll())) << Default(server).c_str();
    std::wstring threading;
    EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, server, L"ThreadingModel", threading));
    EXPECT_EQ(threading, L"Apartment");
    EXPECT_EQ(ValueNames(HKEY_CLASSES_ROOT, server).size(), 2u);

    // The type library, registered by the system for this architecture.
    std::wstring library;
    EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, L"TypeLib\\" + kLibid + L"\\1.0\\0\\" + kPlatform, nullptr, library));
    EXPECT_TRUE(SamePath(library, BuiltDll())) << library.c_str();
}

void ExpectNoneOfTheKeys() {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TorvanExt.PackMenu.1"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TorvanExt.PackMenu"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + kLibid));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
}

}  // namespace

TEST(Registration, Regsvr32WritesTheScriptsKeysOnceAndRemovesThemAgain) {
    ASSERT_FALSE(BuiltDll().empty()) << "TORVANEXT_DLL is not set";
    ASSERT_EQ(Regsvr32(BuiltDll(), false), 0);
    ExpectTheScriptsKeys();

    // A second registration rewrites the class key from scratch: whatever
    // was left below it goes, and one set of keys remains.
    HKEY stray = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, (kClassKey + L"\\Stray").c_str(), 0, nullptr, 0, KEY_WRITE,
                                nullptr, &stray, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(stray);
    ASSERT_EQ(Regsvr32(BuiltDll(), false), 0);
    ExpectTheScriptsKeys();

    ASSERT_EQ(Regsvr32(BuiltDll(), true), 0);
    ExpectNoneOfTheKeys();
}

TEST(Registration, UnregisteringKeepsKeysThatOthersAddedBelowAProgId) {
    ASSERT_EQ(Regsvr32(BuiltDll(), false), 0);
    HKEY other = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, L"TorvanExt.PackMenu\\Other", 0, nullptr, 0, KEY_WRITE, nullptr,
                                &other, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(other);
    ASSERT_EQ(Regsvr32(BuiltDll(), true), 0);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"TorvanExt.PackMenu\\Other"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TorvanExt.PackMenu\\CurVer"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    ::RegDeleteKeyW(HKEY_CLASSES_ROOT, L"TorvanExt.PackMenu\\Other");
    ::RegDeleteKeyW(HKEY_CLASSES_ROOT, L"TorvanExt.PackMenu");
}

TEST(Registration, TypeInformationNeedsTheRegisteredLibraryAndIsTriedAgainLater) {
    TempFolder folder("registration");
    DllCopy copy(folder.Path());
    ASSERT_TRUE(copy.Loaded());
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(copy.Create(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);

    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_TRUE(FAILED(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)));
    EXPECT_EQ(info, nullptr);

    // Registered now: the next request loads it.
    ASSERT_EQ(copy.Register(), S_OK);
    ASSERT_EQ(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    ASSERT_NE(info, nullptr);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_IPackMenu));
    info->ReleaseTypeAttr(attributes);
    info->Release();
    dispatch->Release();
    EXPECT_EQ(copy.Unregister(), S_OK);
    ExpectNoneOfTheKeys();
}
