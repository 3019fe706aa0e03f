// How a worker created suspended is set running: resume again for as long as
// the previous suspend count says the thread is still held (someone else may
// have suspended it too). A failure ends the repetition, and so does the
// system's ceiling on suspend counts, so a resume that never makes progress
// cannot hang the caller.
#pragma once

#include <cstdint>

namespace torvan {

constexpr std::uint32_t kResumeFailed = 0xFFFFFFFFu;  // what ResumeThread returns on failure
constexpr int kMaxSuspendCount = 127;                 // MAXIMUM_SUSPEND_COUNT

// `resume` performs one resume and returns the previous suspend count (or
// kResumeFailed). Returns how many times it was called.
template <class ResumeOnce>
int ResumeWhileHeld(ResumeOnce resume) {
    int calls = 0;
    while (calls <= kMaxSuspendCount) {
        std::uint32_t previous = static_cast<std::uint32_t>(resume());
        ++calls;
        if (previous == kResumeFailed || previous <= 1) break;
    }
    return calls;
}

// Whether the last resume, which returned `previous`, left the thread running.
constexpr bool RunsAfterResume(std::uint32_t previous) { return previous != kResumeFailed && previous <= 1; }

}  // namespace torvan
