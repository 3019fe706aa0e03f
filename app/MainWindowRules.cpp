#include "MainWindowRules.h"

#include "OperationProgress.h"

namespace torvan {

NotificationReaction ReactToNotification(int code, int value, bool commandLineMode) {
    NotificationReaction reaction;
    switch (code) {
    case OPN_PROGRESS:
        reaction.setPosition = true;
        // A full bar ends the window at once; later progress of the same
        // operation finds none and changes nothing visible.
        reaction.closeProgress = value >= 100;
        break;
    case OPN_COMPLETE:
        reaction.closeProgress = true;
        break;
    case OPN_FINISHED:
        reaction.closeProgress = true;
        reaction.endDialog = commandLineMode;
        reaction.operationOver = true;
        break;
    case OPN_FAILED:
        reaction.closeProgress = true;
        reaction.reportFailure = true;
        reaction.endDialog = commandLineMode;
        reaction.operationOver = true;
        break;
    default:
        break;
    }
    return reaction;
}

}  // namespace torvan
