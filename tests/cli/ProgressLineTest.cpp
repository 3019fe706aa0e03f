#include <gtest/gtest.h>

#include "ConsoleProgress.h"

using torvan::cli::FormatProgressLine;

TEST(ProgressLine, ShowsBarPercentFilesAndElapsedTime)
{
    EXPECT_EQ(FormatProgressLine(0, 4, 0, 8), "[--------]   0%  0/4 files  00:00");
    EXPECT_EQ(FormatProgressLine(1, 4, 5, 8), "[##------]  25%  1/4 files  00:05");
    EXPECT_EQ(FormatProgressLine(4, 4, 75, 8), "[########] 100%  4/4 files  01:15");
    EXPECT_EQ(FormatProgressLine(1, 3, 3725, 8), "[##------]  33%  1/3 files  1:02:05");
}

TEST(ProgressLine, StaysWithinTheBarWhenCountsMisbehave)
{
    // The tree grew after it was counted: the bar stops full, the count is true.
    EXPECT_EQ(FormatProgressLine(6, 4, 0, 8), "[########] 100%  6/4 files  00:00");
    // No total (an archive whose count field is nonsense) never divides by zero.
    EXPECT_EQ(FormatProgressLine(0, 0, 0, 8), "[--------]   0%  0/1 files  00:00");
    // Large counts do not overflow on the way to a percentage.
    EXPECT_EQ(FormatProgressLine(2000000000, 2147483647, 0, 10),
              "[#########-]  93%  2000000000/2147483647 files  00:00");
}
