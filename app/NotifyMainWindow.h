// How a worker talks to the main window: a synchronous WM_OPERATION_PROGRESS,
// so the worker waits until each notification has been handled.
#pragma once

#include <string>

#include "WorkerJobs.h"

// Sends WM_OPERATION_PROGRESS(code, value) to the main window whose handle
// the calling thread took when it was created, and waits for it to be
// handled. Nothing happens without one, or once that window is gone.
void NotifyMainWindow(int code, int value);

// The report of a worker running in a CWinThread: notifications go to its
// main window, result boxes belong to the foreground window and have the
// system's caption. Paths reach it in UTF-8, as the engine takes them.
class MainWindowReport : public torvan::WorkerReport {
public:
    void Notify(int code, int value) override;
    void ShowResult(const torvan::ResultMessage& message) override;
};
