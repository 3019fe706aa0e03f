// QueryInterface from a table: each entry names an interface and where its
// pointer sits inside the object, so one function answers for every class
// and the identities COM demands (one IUnknown, the same pointer for the
// same interface every time) hold by construction.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>

struct InterfaceEntry {
    const IID* iid;
    std::ptrdiff_t offset;  // of the interface's pointer from the object's start
};

// The offset of Interface inside Class, for a table entry.
template <class Class, class Interface>
std::ptrdiff_t InterfaceOffset() {
    // Any non-null address will do: only the difference is kept.
    Class* object = reinterpret_cast<Class*>(0x1000);
    return reinterpret_cast<char*>(static_cast<Interface*>(object)) - reinterpret_cast<char*>(object);
}

// Answers `iid` from the `count` entries; IUnknown is the first entry's
// pointer. A found interface is handed out with one reference added; any
// other gives E_NOINTERFACE and a null *out.
HRESULT QueryInterfaceFromTable(void* object, const InterfaceEntry* entries, size_t count, REFIID iid, void** out);
