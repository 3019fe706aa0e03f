#include "MainWindowRules.h"

#include <gtest/gtest.h>

#include "OperationProgress.h"

using namespace torvan;

namespace {

// A reaction as the letters of what it does: P position, C close the
// progress window, F failure box, E end the dialog, O operation over.
std::string Letters(const NotificationReaction& r) {
    std::string s;
    if (r.setPosition) s += 'P';
    if (r.closeProgress) s += 'C';
    if (r.reportFailure) s += 'F';
    if (r.endDialog) s += 'E';
    if (r.operationOver) s += 'O';
    return s;
}

}  // namespace

TEST(NotificationReaction, ByWindowMode) {
    EXPECT_EQ(Letters(ReactToNotification(OPN_PROGRESS, 40, false)), "P");
    EXPECT_EQ(Letters(ReactToNotification(OPN_PROGRESS, 100, false)), "PC");
    EXPECT_EQ(Letters(ReactToNotification(OPN_PROGRESS, 150, false)), "PC");
    EXPECT_EQ(Letters(ReactToNotification(OPN_COMPLETE, 0, false)), "C");
    EXPECT_EQ(Letters(ReactToNotification(OPN_FINISHED, 0, false)), "CO");
    EXPECT_EQ(Letters(ReactToNotification(OPN_FAILED, 0, false)), "CFO");
    EXPECT_EQ(Letters(ReactToNotification(0, 0, false)), "");
    EXPECT_EQ(Letters(ReactToNotification(5, 100, false)), "");
}

TEST(NotificationReaction, CommandLineModeEndsTheDialogOnlyAtTheEnd) {
    EXPECT_EQ(Letters(ReactToNotification(OPN_PROGRESS, 100, true)), "PC");
    EXPECT_EQ(Letters(ReactToNotification(OPN_COMPLETE, 0, true)), "C");
    EXPECT_EQ(Letters(ReactToNotification(OPN_FINISHED, 0, true)), "CEO");
    EXPECT_EQ(Letters(ReactToNotification(OPN_FAILED, 0, true)), "CFEO");
}

TEST(OperationGuard, BusyFromTheStartUntilTheLastNotification) {
    OperationGuard guard;
    EXPECT_FALSE(guard.IsBusy());
    guard.Started();
    for (int code : {OPN_PROGRESS, OPN_COMPLETE}) {
        guard.Notified(ReactToNotification(code, 100, false));
        EXPECT_TRUE(guard.IsBusy()) << code;  // the result box is still to come
    }
    guard.Notified(ReactToNotification(OPN_FINISHED, 0, false));
    EXPECT_FALSE(guard.IsBusy());

    guard.Started();
    guard.Notified(ReactToNotification(OPN_FAILED, 0, false));
    EXPECT_FALSE(guard.IsBusy());
}
