// Process numbers on Windows.
#ifdef _WIN32

#include <windows.h>

#include "StagingFolder.h"

namespace torvan {

unsigned long CurrentProcessNumber() { return GetCurrentProcessId(); }

// A process that has ended cannot be opened, or is signalled; one of
// another user may refuse to be opened while it runs.
bool ProcessMayBeRunning(unsigned long number) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, number);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

}  // namespace torvan

#endif
