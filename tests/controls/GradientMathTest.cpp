#include "GradientMath.h"

#include <gtest/gtest.h>

#include <climits>

namespace torvan {
namespace {

const Color kStart = MakeColor(120, 230, 255);
const Color kEnd = MakeColor(208, 15, 12);
const Color kText = MakeColor(230, 0, 214);

TEST(GradientFill, FilledColumnsFollowThePosition) {
    EXPECT_EQ(GradientFilledWidth(200, 0, 100), 0);
    EXPECT_EQ(GradientFilledWidth(200, 25, 100), 50);
    EXPECT_EQ(GradientFilledWidth(200, 50, 100), 100);
    EXPECT_EQ(GradientFilledWidth(200, 100, 100), 200);
    EXPECT_EQ(GradientFilledWidth(111, 33, 100), 36);  // 36.63, truncated
}

TEST(GradientFill, QuotientIsTakenFirstInDoublePrecision) {
    // 100 * (29 / 100.0) is 28.999999999999996 in doubles: the bar fills 28
    // columns, where integer arithmetic would give 29.
    EXPECT_EQ(GradientFilledWidth(100, 29, 100), 28);
}

TEST(GradientFill, OutOfRangeInputsStayWithinTheBar) {
    EXPECT_EQ(GradientFilledWidth(200, -5, 100), 0);
    EXPECT_EQ(GradientFilledWidth(200, INT_MIN, 1), 0);
    EXPECT_EQ(GradientFilledWidth(200, 150, 100), 200);
    EXPECT_EQ(GradientFilledWidth(0, 50, 100), 0);
    // No range yet: nothing filled, and no division by zero.
    EXPECT_EQ(GradientFilledWidth(200, 0, 0), 0);
    EXPECT_EQ(GradientFilledWidth(200, 5, 0), 0);
    EXPECT_EQ(GradientFilledWidth(200, -5, -10), 0);
}

TEST(GradientColumns, StartAtTheStartColourAndOnlyApproachTheEnd) {
    EXPECT_EQ(GradientColumnColor(kStart, kEnd, 200, 0), kStart);
    // Per channel: start + i * (end - start) / 200, truncated.
    EXPECT_EQ(GradientColumnColor(kStart, kEnd, 200, 100), MakeColor(164, 122, 133));
    EXPECT_EQ(GradientColumnColor(kStart, kEnd, 200, 199), MakeColor(207, 16, 13));
    EXPECT_NE(GradientColumnColor(kStart, kEnd, 200, 199), kEnd);
}

TEST(GradientColumns, DependOnTheWholeWidthNotOnTheFill) {
    // Same column, same colour, however much is filled: the colour is a
    // function of (column, width) only.
    EXPECT_EQ(GradientColumnColor(kStart, kEnd, 400, 200), GradientColumnColor(kStart, kEnd, 200, 100));
    EXPECT_NE(GradientColumnColor(kStart, kEnd, 300, 100), GradientColumnColor(kStart, kEnd, 200, 100));
}

TEST(GradientText, IsTheWholePercentage) {
    EXPECT_EQ(GradientPercentText(0, 100), "0%");
    EXPECT_EQ(GradientPercentText(100, 100), "100%");
    EXPECT_EQ(GradientPercentText(1, 3), "33%");
    EXPECT_EQ(GradientPercentText(2, 3), "66%");
    EXPECT_EQ(GradientPercentText(-5, 100), "-5%");
    EXPECT_EQ(GradientPercentText(75, 100), "75%");  // the lower bound never shifts it
}

TEST(GradientText, SurvivesExtremesAndAMissingRange) {
    EXPECT_EQ(GradientPercentText(5, 0), "0%");
    EXPECT_EQ(GradientPercentText(5, -1), "0%");
    EXPECT_EQ(GradientPercentText(INT_MIN, 1), "-214748364800%");
}

TEST(GradientText, ColourFlipsToItsInverseFromTheMiddle) {
    EXPECT_EQ(InverseColor(kText), MakeColor(25, 255, 41));
    EXPECT_EQ(GradientTextColor(kText, 0, 200), kText);
    EXPECT_EQ(GradientTextColor(kText, 99, 200), kText);
    EXPECT_EQ(GradientTextColor(kText, 100, 200), InverseColor(kText));
    EXPECT_EQ(GradientTextColor(kText, 200, 200), InverseColor(kText));
    // Odd width: the middle is truncated (201 / 2 = 100).
    EXPECT_EQ(GradientTextColor(kText, 100, 201), InverseColor(kText));
}

}  // namespace
}  // namespace torvan
