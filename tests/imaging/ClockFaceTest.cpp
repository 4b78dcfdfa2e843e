#include <gtest/gtest.h>

#include "imaging/ClockFace.h"

namespace veltrin {
namespace {

TEST(ClockDigits, MomentInBothDateOrders) {
    // 09:05:07 on 3 February 2026.
    const ClockDigits dayFirst{0, 9, 0, 5, 0, 7, 0, 3, 0, 2, 2, 0, 2, 6};
    const ClockDigits monthFirst{0, 9, 0, 5, 0, 7, 0, 2, 0, 3, 2, 0, 2, 6};
    EXPECT_EQ(ClockDigitsAt(2026, 2, 3, 9, 5, 7, 0), dayFirst);
    EXPECT_EQ(ClockDigitsAt(2026, 2, 3, 9, 5, 7, kMonthDayYear), monthFirst);
    // Only 1 puts the month first.
    EXPECT_EQ(ClockDigitsAt(2026, 2, 3, 9, 5, 7, 2), dayFirst);
    EXPECT_EQ(ClockDigitsAt(2026, 2, 3, 9, 5, 7, -1), dayFirst);
}

TEST(ClockDigits, EveryFieldAtItsLargest) {
    EXPECT_EQ(ClockDigitsAt(1999, 12, 31, 23, 59, 59, 0),
              (ClockDigits{2, 3, 5, 9, 5, 9, 3, 1, 1, 2, 1, 9, 9, 9}));
    // A leap second still shows as two digits.
    EXPECT_EQ(ClockDigitsAt(2016, 12, 31, 23, 59, 60, kMonthDayYear),
              (ClockDigits{2, 3, 5, 9, 6, 0, 1, 2, 3, 1, 2, 0, 1, 6}));
}

TEST(ClockDigits, YearsBeyondFourDigitsStayWithinTheStrips) {
    EXPECT_EQ(ClockDigitsAt(12026, 2, 3, 9, 5, 7, 0), ClockDigitsAt(2026, 2, 3, 9, 5, 7, 0));
    const ClockDigits before = ClockDigitsAt(-1, 1, 1, 0, 0, 0, 0);
    for (std::uint8_t d : before) EXPECT_LE(d, 9);
    EXPECT_EQ(before[10], 9);  // year −1 is shown as 9999
}

TEST(ClockCells, DigitSourcesFillTheStripsCellByCell) {
    const PixelRect seven = ClockDigitSource(ClockStrip::Large, 7);
    EXPECT_EQ(seven.x, 168);
    EXPECT_EQ(seven.width, kLargeDigitWidth);
    EXPECT_EQ(seven.height, kLargeDigitHeight);
    // The last cell ends at the strips' right edges (240 and 120 pixels).
    EXPECT_EQ(ClockDigitSource(ClockStrip::Large, 9).x + kLargeDigitWidth, 240);
    const PixelRect nine = ClockDigitSource(ClockStrip::Small, 9);
    EXPECT_EQ(nine.x + nine.width, 120);
    EXPECT_EQ(nine.height, kSmallDigitHeight);
}

TEST(ClockCells, CellsLieOnTheFaceWithoutOverlapping) {
    for (std::size_t i = 0; i < kClockCells.size(); ++i) {
        const ClockCell& a = kClockCells[i];
        const PixelRect ra = ClockDigitSource(a.strip, 0);
        EXPECT_GE(a.x, 0);
        EXPECT_LE(a.x + ra.width, kClockFaceWidth) << "cell " << i;
        EXPECT_LE(a.y + ra.height, kClockFaceHeight) << "cell " << i;
        for (std::size_t j = i + 1; j < kClockCells.size(); ++j) {
            const ClockCell& b = kClockCells[j];
            const PixelRect rb = ClockDigitSource(b.strip, 0);
            const bool apart = a.x + ra.width <= b.x || b.x + rb.width <= a.x ||
                               a.y + ra.height <= b.y || b.y + rb.height <= a.y;
            EXPECT_TRUE(apart) << "cells " << i << " and " << j;
        }
    }
    // Hours and minutes are large, everything else small.
    for (std::size_t i = 0; i < kClockCells.size(); ++i)
        EXPECT_EQ(kClockCells[i].strip == ClockStrip::Large, i < 4) << "cell " << i;
}

}  // namespace
}  // namespace veltrin
