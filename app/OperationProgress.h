// The private message a worker sends its main window, and its codes. The
// numbers are fixed: the main window's handler and the workers agree on them.
#pragma once

namespace torvan {

// WM_USER + 1001. wParam is one of the codes below, lParam its value.
constexpr unsigned kOperationProgressMessage = 0x0400 + 1001;

enum OperationNotification : int {
    OPN_PROGRESS = 1,  // lParam: percentage of files done
    OPN_COMPLETE = 2,  // the job is over; its result box comes next
    OPN_FINISHED = 3,  // the result box has been closed; the last word
    OPN_FAILED = 4,    // a pack failed; nothing else follows
};

}  // namespace torvan

#define WM_OPERATION_PROGRESS (torvan::kOperationProgressMessage)
