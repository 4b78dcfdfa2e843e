#include <vector>

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

TEST(ClockDigits, FieldsAtTheirEdges) {
    EXPECT_EQ(ClockDigitsAt(1999, 12, 31, 23, 59, 60, kMonthDayYear),  // a leap second too
              (ClockDigits{2, 3, 5, 9, 6, 0, 1, 2, 3, 1, 1, 9, 9, 9}));
    // Years beyond four digits keep their last four, so no digit leaves 0–9.
    EXPECT_EQ(ClockDigitsAt(12026, 2, 3, 9, 5, 7, 0), ClockDigitsAt(2026, 2, 3, 9, 5, 7, 0));
    const ClockDigits before = ClockDigitsAt(-1, 1, 1, 0, 0, 0, 0);
    EXPECT_EQ((std::vector<int>(before.begin() + 10, before.end())), (std::vector<int>{9, 9, 9, 9}));
}

TEST(ClockCells, DigitSourcesFillTheStripsCellByCell) {
    EXPECT_EQ(ClockDigitSource(ClockStrip::Large, 7).x, 168);
    // The last cells end at the strips' edges (240 × 34 and 120 × 17).
    const PixelRect large = ClockDigitSource(ClockStrip::Large, 9);
    const PixelRect small = ClockDigitSource(ClockStrip::Small, 9);
    EXPECT_EQ(large.x + large.width, 240);
    EXPECT_EQ(large.height, 34);
    EXPECT_EQ(small.x + small.width, 120);
    EXPECT_EQ(small.height, 17);
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
            const bool apart = a.x + ra.width <= b.x || b.x + rb.width <= a.x || a.y + ra.height <= b.y ||
                               b.y + rb.height <= a.y;
            EXPECT_TRUE(apart) << "cells " << i << " and " << j;
        }
    }
    // Hours and minutes are large, everything else small.
    for (std::size_t i = 0; i < kClockCells.size(); ++i)
        EXPECT_EQ(kClockCells[i].strip == ClockStrip::Large, i < 4) << "cell " << i;
}

}  // namespace
}  // namespace veltrin
