#include "WorkerLaunch.h"

#include "ResumeRule.h"

void ResumeUntilRunning(HANDLE thread) {
    torvan::ResumeWhileHeld([thread] { return static_cast<std::uint32_t>(::ResumeThread(thread)); });
}
