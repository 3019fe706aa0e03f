// Process numbers on POSIX systems.
#ifndef _WIN32

#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include "StagingFolder.h"

namespace torvan {

unsigned long CurrentProcessNumber() { return static_cast<unsigned long>(getpid()); }

// Signal 0 only asks; a process of another user answers "not permitted".
bool ProcessMayBeRunning(unsigned long number) {
    if (number == 0) return true;
    return kill(static_cast<pid_t>(number), 0) == 0 || errno != ESRCH;
}

}  // namespace torvan

#endif
