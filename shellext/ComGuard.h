// A COM method must not let a C++ exception reach its caller: Explorer would
// go down with it. Methods that allocate run their body through Guarded.
#pragma once

#include <windows.h>

#include <new>

template <class Body>
HRESULT Guarded(Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
