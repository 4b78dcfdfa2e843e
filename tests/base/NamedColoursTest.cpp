#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/NamedColours.h"
#include "base/Text.h"

using namespace veltrin;

TEST(NamedColours, WebValuesAreStoredBlueGreenRed) {
    const auto& t = NamedColours();
    EXPECT_STREQ(t.front().name, "AliceBlue");
    EXPECT_EQ(t.front().value, 0x00FFF8F0u);  // #F0F8FF
    EXPECT_STREQ(t.back().name, "YellowGreen");
    EXPECT_EQ(t.back().value, 0x0032CD9Au);  // #9ACD32
    EXPECT_EQ(t[static_cast<std::size_t>(NamedColourIndex(0x000000FF))].name, std::string("Red"));
    EXPECT_EQ(ColourFromWebRgb(0x123456), 0x00563412u);
}

TEST(NamedColours, AllNamesAlphabeticalAndDistinct) {
    std::set<std::string> names;
    const auto& t = NamedColours();
    for (std::size_t i = 0; i < t.size(); ++i) {
        names.insert(t[i].name);
        if (i > 0) {
            EXPECT_LT(CompareTextsNoCase(t[i - 1].name, t[i].name), 0) << t[i].name;
        }
        EXPECT_EQ(t[i].value >> 24, 0u) << t[i].name;
    }
    EXPECT_EQ(names.size(), 140u);
}

TEST(NamedColours, SharedValuesSelectTheFirstName) {
    const auto& t = NamedColours();
    auto nameOf = [&](Colour c) {
        const int i = NamedColourIndex(c);
        return i < 0 ? std::string() : std::string(t[static_cast<std::size_t>(i)].name);
    };
    EXPECT_EQ(nameOf(ColourFromWebRgb(0x00FFFF)), "Aqua");     // also Cyan
    EXPECT_EQ(nameOf(ColourFromWebRgb(0xFF00FF)), "Fuchsia");  // also Magenta
    EXPECT_EQ(nameOf(0x00FFFFFF), "White");
    EXPECT_EQ(nameOf(0x00000000), "Black");
    EXPECT_EQ(NamedColourIndex(0x00010203), -1);
}

TEST(NamedColours, PaletteIsEightByFiveInTableOrder) {
    const auto& p = PaletteColours();
    ASSERT_EQ(p.size(), 40u);
    EXPECT_STREQ(p[0].name, "Black");
    EXPECT_STREQ(p[9].name, "Orange");
    EXPECT_EQ(p[9].value, 0x2068FFu);
    EXPECT_STREQ(p[35].name, "Pale green ");  // the trailing blank is the palette's own
    EXPECT_STREQ(p[39].name, "White");
}
