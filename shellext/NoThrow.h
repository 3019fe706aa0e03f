// Explorer and the registration tool call TorvanExt through COM, whose
// callers are not C++: an exception that left one of our methods would
// unwind through their frames and end their process (Explorer, for the
// whole desktop). Every COM method and export therefore runs its body
// through CallWithoutThrowing, which turns what escapes into a result code.
// Kept free of <windows.h> so the rule is tested natively.
#pragma once

#include <cstdint>
#include <new>

namespace torvan {

// The values of E_OUTOFMEMORY and E_FAIL.
constexpr std::int32_t kOutOfMemoryResult = static_cast<std::int32_t>(0x8007000Eu);
constexpr std::int32_t kFailedResult = static_cast<std::int32_t>(0x80004005u);

// call()'s own result, or kOutOfMemoryResult for a failed allocation and
// kFailedResult for any other exception.
template <typename Call>
std::int32_t CallWithoutThrowing(Call&& call) noexcept {
    try {
        return static_cast<std::int32_t>(call());
    } catch (const std::bad_alloc&) {
        return kOutOfMemoryResult;
    } catch (...) {
        return kFailedResult;
    }
}

}  // namespace torvan
