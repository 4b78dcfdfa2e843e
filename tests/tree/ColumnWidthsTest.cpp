#include <gtest/gtest.h>

#include "tree/ColumnWidths.h"

namespace veltrin {
namespace {

using Widths = std::vector<int>;

TEST(FitColumnsToTexts, ColumnsThatFitKeepTheirWidths) {
    EXPECT_EQ(FitColumnsToTexts({200, 150, 150, 80}, {100, 150, 90, 0}), (Widths{200, 150, 150, 80}));
    EXPECT_EQ(FitColumnsToTexts({200, 150}, {}), (Widths{200, 150}));  // no needs given
}

TEST(FitColumnsToTexts, AColumnThatWouldCutGrowsAtTheCostOfTheFirstWithRoomToSpare) {
    // "Time" needs 40 more and "Priority" 16: "Event Name" gives all 56.
    EXPECT_EQ(FitColumnsToTexts({213, 213, 213, 74}, {116, 253, 200, 90}), (Widths{157, 253, 213, 90}));
    // The first gives down to its own need, the next gives the rest.
    EXPECT_EQ(FitColumnsToTexts({120, 100, 200}, {100, 150, 150}), (Widths{100, 150, 170}));
    // A column never gives from below its need, nor goes below 0.
    EXPECT_EQ(FitColumnsToTexts({0, 100}, {20, 50}), (Widths{20, 80}));
}

TEST(FitColumnsToTexts, WhenNothingIsSpareTheRowGrows) {
    const Widths w = FitColumnsToTexts({100, 100, 100}, {100, 160, 120});
    EXPECT_EQ(w, (Widths{100, 160, 120}));
}

}  // namespace
}  // namespace veltrin
