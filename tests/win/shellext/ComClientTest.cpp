// PackMenu as a COM client sees it: identities, the module's lock count,
// the class factory and aggregation, and the IDispatch half of IPackMenu.
#include <shlobj.h>

#include "PackMenuClsid.h"
#include "RegisteredServer.h"
#include "ShellExtHarness.h"
#include "TorvanExt_h.h"

using namespace shellext_test;

namespace {

class ComClient : public RegisteredServer {};

template <class Interface>
Interface* Query(IUnknown* object, REFIID iid) {
    void* out = nullptr;
    EXPECT_EQ(object->QueryInterface(iid, &out), S_OK);
    return static_cast<Interface*>(out);
}

IUnknown* IdentityOf(IUnknown* object) {
    IUnknown* identity = Query<IUnknown>(object, IID_IUnknown);
    if (identity) identity->Release();
    return identity;
}

// An outer object that aggregates PackMenu and counts its own references.
class Outer : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(iid, out) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    ULONG refs = 1;
    IUnknown* inner = nullptr;
};

}  // namespace

TEST_F(ComClient, TheClassIdentifierIsTheSharedOne) {
    wchar_t text[40] = {};
    ::StringFromGUID2(CLSID_PackMenu, text, 40);
    EXPECT_EQ(std::wstring(text), Wide(PACKMENU_CLSID_TEXT));
    CLSID fromProgId = {};
    EXPECT_EQ(::CLSIDFromProgID(L"TorvanExt.PackMenu", &fromProgId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(fromProgId, CLSID_PackMenu));
    EXPECT_EQ(::CLSIDFromProgID(L"TorvanExt.PackMenu.1", &fromProgId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(fromProgId, CLSID_PackMenu));
}

TEST_F(ComClient, EveryInterfaceLeadsBackToOneIdentity) {
    IUnknown* object = nullptr;
    ASSERT_EQ(Create(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
    IPackMenu* packMenu = Query<IPackMenu>(object, IID_IPackMenu);
    IDispatch* dispatch = Query<IDispatch>(object, IID_IDispatch);
    IShellExtInit* init = Query<IShellExtInit>(object, IID_IShellExtInit);
    IContextMenu* menu = Query<IContextMenu>(object, IID_IContextMenu);
    ASSERT_TRUE(packMenu && dispatch && init && menu);

    // IUnknown, IPackMenu and IDispatch are the first pointer; the shell's
    // two interfaces the second and the third.
    EXPECT_EQ(static_cast<void*>(packMenu), static_cast<void*>(object));
    EXPECT_EQ(static_cast<void*>(dispatch), static_cast<void*>(object));
    EXPECT_NE(static_cast<void*>(init), static_cast<void*>(object));
    EXPECT_NE(static_cast<void*>(menu), static_cast<void*>(object));
    EXPECT_NE(static_cast<void*>(menu), static_cast<void*>(init));
    EXPECT_EQ(IdentityOf(init), object);
    EXPECT_EQ(IdentityOf(menu), object);
    EXPECT_EQ(IdentityOf(dispatch), object);
    EXPECT_EQ(Query<IContextMenu>(init, IID_IContextMenu), menu);
    menu->Release();

    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(object->QueryInterface(IID_IContextMenu2, &other), E_NOINTERFACE);

    // One counter behind all of them: the last release is the last.
    menu->Release();
    init->Release();
    dispatch->Release();
    packMenu->Release();
    EXPECT_EQ(object->Release(), 0u);
}

TEST_F(ComClient, ObjectsHeldFactoriesAndServerLocksKeepTheDllLoaded) {
    ASSERT_EQ(CanUnloadNow(), S_OK);
    IUnknown* object = nullptr;
    ASSERT_EQ(Create(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    object->Release();
    EXPECT_EQ(CanUnloadNow(), S_OK);  // the module's own hold on its factory does not count

    IClassFactory* first = nullptr;
    IClassFactory* second = nullptr;
    ASSERT_EQ(GetClassObject(IID_IClassFactory, reinterpret_cast<void**>(&first)), S_OK);
    ASSERT_EQ(GetClassObject(IID_IUnknown, reinterpret_cast<void**>(&second)), S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(first), static_cast<IUnknown*>(second));
    IClassFactory* throughCom = nullptr;
    ASSERT_EQ(::CoGetClassObject(CLSID_PackMenu, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                 reinterpret_cast<void**>(&throughCom)),
              S_OK);
    EXPECT_EQ(throughCom, first);
    throughCom->Release();
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    second->Release();
    EXPECT_EQ(CanUnloadNow(), S_FALSE);

    EXPECT_EQ(first->LockServer(TRUE), S_OK);
    first->Release();
    EXPECT_EQ(CanUnloadNow(), S_FALSE);  // the lock outlives the reference

    ASSERT_EQ(GetClassObject(IID_IClassFactory, reinterpret_cast<void**>(&first)), S_OK);
    EXPECT_EQ(first->LockServer(FALSE), S_OK);
    first->Release();
    EXPECT_EQ(CanUnloadNow(), S_OK);

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(GetClassObject(IID_IContextMenu, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    using Export = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<Export>(::GetProcAddress(Module(), "DllGetClassObject"));
    EXPECT_EQ(get(IID_IPackMenu, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ComClient, AggregationOnlyWithIUnknownAndThenDelegated) {
    Outer outer;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(::CoCreateInstance(CLSID_PackMenu, &outer, CLSCTX_INPROC_SERVER, IID_IShellExtInit, &out),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(GetClassObject(IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IContextMenu, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, nullptr), E_POINTER);

    // Aggregated: the inner IUnknown is PackMenu's own; every interface it
    // hands out counts on, and answers for, the outer object.
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    factory->Release();
    EXPECT_EQ(outer.refs, 1u);
    IContextMenu* menu = Query<IContextMenu>(outer.inner, IID_IContextMenu);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(outer.refs, 2u);
    EXPECT_EQ(IdentityOf(menu), static_cast<IUnknown*>(&outer));
    IUnknown* innerAgain = Query<IUnknown>(outer.inner, IID_IUnknown);
    EXPECT_EQ(innerAgain, outer.inner);
    EXPECT_EQ(innerAgain->Release(), 1u);
    IShellExtInit* init = Query<IShellExtInit>(&outer, IID_IShellExtInit);  // through the outer object
    ASSERT_NE(init, nullptr);
    init->Release();
    menu->Release();
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    EXPECT_EQ(outer.inner->Release(), 0u);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ComClient, DispatchAnswersFromTheRegisteredTypeInformation) {
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(Create(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(dispatch->GetTypeInfoCount(nullptr), E_POINTER);

    ITypeInfo* info = nullptr;
    ASSERT_EQ(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_IPackMenu));
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(attributes);
    ITypeInfo* again = nullptr;
    ASSERT_EQ(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &again), S_OK);
    EXPECT_EQ(again, info);  // loaded once, kept
    again->Release();
    info->Release();
    info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &info), DISP_E_BADINDEX);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, nullptr), E_POINTER);

    wchar_t name[] = L"NoSuchMember";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_IPackMenu, names, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNINTERFACE);
    DISPPARAMS none = {};
    EXPECT_EQ(dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(dispatch->Release(), 0u);
}
