// The main window's decisions, apart from its window: what each worker
// notification makes it do, and when it refuses to start an operation.
#pragma once

namespace torvan {

// What the main window does on one WM_OPERATION_PROGRESS, in this order:
// feed the bar, close the progress window, show "操作失败!" and wait for it,
// end the dialog.
struct NotificationReaction {
    bool setPosition = false;
    bool closeProgress = false;
    bool reportFailure = false;
    bool endDialog = false;
    bool operationOver = false;  // the worker's last word: no longer busy
};

// commandLineMode: the program was started with an argument string; then
// the end of an operation, or its failure, also ends the program.
NotificationReaction ReactToNotification(int code, int value, bool commandLineMode);

// At most one operation at a time: a second one would orphan the first
// one's progress window, and two unpacks would race on the process's
// current directory. Busy from the worker's start until its last
// notification (FINISHED or FAILED).
class OperationGuard {
public:
    bool IsBusy() const { return m_busy; }
    void Started() { m_busy = true; }
    void Notified(const NotificationReaction& reaction) {
        if (reaction.operationOver) m_busy = false;
    }

private:
    bool m_busy = false;
};

}  // namespace torvan
