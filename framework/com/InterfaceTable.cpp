#include "InterfaceTable.h"

HRESULT QueryInterfaceFromTable(void* object, const InterfaceEntry* entries, size_t count, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (count == 0) return E_NOINTERFACE;
    const InterfaceEntry* match = IsEqualIID(iid, IID_IUnknown) ? &entries[0] : nullptr;
    for (size_t i = 0; !match && i < count; ++i)
        if (IsEqualIID(iid, *entries[i].iid)) match = &entries[i];
    if (!match) return E_NOINTERFACE;
    IUnknown* found = reinterpret_cast<IUnknown*>(static_cast<char*>(object) + match->offset);
    found->AddRef();
    *out = found;
    return S_OK;
}
