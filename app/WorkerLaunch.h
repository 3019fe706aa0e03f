// Setting a suspended worker running (see ResumeRule.h).
#pragma once

#include <windows.h>

// Works on the handle value, never on the thread object: an auto-deleting
// worker may be gone as soon as it runs.
void ResumeUntilRunning(HANDLE thread);
