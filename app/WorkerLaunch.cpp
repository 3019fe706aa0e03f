#include "WorkerLaunch.h"

#include "ResumeRule.h"

BOOL ResumeUntilRunning(HANDLE thread) {
    std::uint32_t previous = torvan::kResumeFailed;
    torvan::ResumeWhileHeld([&] { return previous = static_cast<std::uint32_t>(::ResumeThread(thread)); });
    return torvan::RunsAfterResume(previous);
}
