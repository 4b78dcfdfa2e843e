#include <gtest/gtest.h>

#include "base/ColourContrast.h"

namespace veltrin {
namespace {

constexpr Colour kBlack = 0x00000000, kWhite = 0x00FFFFFF;

TEST(ContrastRatio, RunsFromOneForEqualColoursToTwentyOneForBlackOnWhite) {
    EXPECT_DOUBLE_EQ(ContrastRatio(0x00336699, 0x00336699), 1.0);
    EXPECT_NEAR(ContrastRatio(kBlack, kWhite), 21.0, 1e-9);
    EXPECT_DOUBLE_EQ(ContrastRatio(kWhite, kBlack), ContrastRatio(kBlack, kWhite));
    // Green weighs most, blue least (0x00BBGGRR).
    EXPECT_GT(ContrastRatio(0x0000FF00, kBlack), ContrastRatio(0x000000FF, kBlack));
    EXPECT_GT(ContrastRatio(0x000000FF, kBlack), ContrastRatio(0x00FF0000, kBlack));
    EXPECT_NEAR(ContrastRatio(0x000000FF, kWhite), 4.0, 0.01);  // red on white
}

TEST(ReadableTextColour, KeepsAReadableChoiceAndReplacesAnUnreadableOne) {
    const Colour darkSkin = 0x004C3325;  // a dark blue panel
    EXPECT_EQ(ReadableTextColour(kBlack, kWhite), kBlack);
    EXPECT_EQ(ReadableTextColour(0x000000FF, kWhite), 0x000000FFu);  // red stays on white
    EXPECT_EQ(ReadableTextColour(0x00808080, kWhite), 0x00808080u);  // mid grey just reads
    EXPECT_EQ(ReadableTextColour(kBlack, darkSkin), kWhite);
    EXPECT_EQ(ReadableTextColour(0x0000FFFF, darkSkin), 0x0000FFFFu);  // yellow reads there
    EXPECT_EQ(ReadableTextColour(0x0000FFFF, kWhite), kBlack);         // but not on white
    EXPECT_EQ(ReadableTextColour(kWhite, 0x00C0C0C0), kBlack);         // nor white on light grey
}

}  // namespace
}  // namespace veltrin
