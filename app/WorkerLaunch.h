// Setting a suspended worker running (see ResumeRule.h).
#pragma once

#include <windows.h>

// Works on the handle value, never on the thread object: an auto-deleting
// worker may be gone as soon as it runs.
// TRUE once the thread runs; FALSE when a resume failed or the thread is
// still held after the system's ceiling of resumes.
BOOL ResumeUntilRunning(HANDLE thread);
