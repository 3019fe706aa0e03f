#include "ElapsedTime.h"

#include <gtest/gtest.h>

using torvan::FormatElapsed;

TEST(ElapsedTime, ShowsMinutesAndSecondsWithinTheHour) {
    EXPECT_EQ(FormatElapsed(0), "00:00");
    EXPECT_EQ(FormatElapsed(1), "00:01");
    EXPECT_EQ(FormatElapsed(59), "00:59");
    EXPECT_EQ(FormatElapsed(60), "01:00");
    EXPECT_EQ(FormatElapsed(3599), "59:59");
    // After a full hour the clock starts again: 1 h 2 min 5 s reads 02:05.
    EXPECT_EQ(FormatElapsed(3600), "00:00");
    EXPECT_EQ(FormatElapsed(3725), "02:05");
    EXPECT_EQ(FormatElapsed(100LL * 3600 + 61), "01:01");
}

TEST(ElapsedTime, ClockSetBackShowsZeroRatherThanGarbage) {
    EXPECT_EQ(FormatElapsed(-1), "00:00");
    EXPECT_EQ(FormatElapsed(-3725), "00:00");
}
