#include <gtest/gtest.h>

#include "settings/AppliedSettings.h"

using namespace veltrin;

namespace {
AppSettings defaults() {
    AppSettings s;
    s.contactColumns = DefaultContactColumns();
    return s;
}
}  // namespace

TEST(AppliedSettings, EverythingRunsTheFirstTimeAndNothingWhenUnchanged) {
    const AppSettings s = defaults();
    EXPECT_EQ(ChangedSettingsGroups(std::nullopt, s), kAllSettingsGroups);
    EXPECT_EQ(ChangedSettingsGroups(AppliedSettings::From(s), s), 0u);
}

TEST(AppliedSettings, EachSettingTouchesOnlyItsGroup) {
    const AppSettings base = defaults();
    const auto last = AppliedSettings::From(base);
    struct Case {
        void (*change)(AppSettings&);
        unsigned groups;
    };
    const Case cases[] = {
        {[](AppSettings& s) { s.listTextColour = 0x123456; }, kListColoursGroup},
        {[](AppSettings& s) { s.listSelBackColour = 0x10; }, kListColoursGroup},
        {[](AppSettings& s) { s.skinColour = 0x202020; }, kSkinColourGroup | kListColoursGroup},
        {[](AppSettings& s) { s.buttonColour = 0; }, kButtonColourGroup},
        {[](AppSettings& s) { s.buttonFontItalic = 1; }, kButtonFontGroup},
        {[](AppSettings& s) { s.buttonTextColour = 0xFF; }, kButtonTextGroup},
        {[](AppSettings& s) { s.dayInfoFontFace = "DejaVu Sans"; }, kDayInfoFontGroup},
        {[](AppSettings& s) { s.dayInfoTextColour = 0xFF; }, kDayInfoTextGroup},
        {[](AppSettings& s) { s.headerFontSize = 20; }, kHeaderFontGroup},
        {[](AppSettings& s) { s.headerGradient2 = 0; }, kHeaderColoursGroup},
        {[](AppSettings& s) { s.toolbarColour = 0; }, kToolbarGroup},
        {[](AppSettings& s) { s.clockDigitColour = 0xFF; }, kClockGroup},
        {[](AppSettings& s) { s.showSeconds = 1; }, kShowSecondsGroup},
        {[](AppSettings& s) { s.townIndex = 3; }, 0u},
    };
    for (const Case& c : cases) {
        AppSettings s = base;
        c.change(s);
        EXPECT_EQ(ChangedSettingsGroups(last, s), c.groups);
    }
}

TEST(EventColumnColours, WhiteSkinOverBlackList) {
    const EventColumnColours c = ComputeEventColumnColours(0x00FFFFFF, 0x00000000);
    EXPECT_EQ(c.time, 0x00BF99BFu);      // red 191, green 153, blue 191
    EXPECT_EQ(c.priority, 0x008C8C8Cu);  // 140 each
}

TEST(EventColumnColours, DarkerListThanSkinSwapsTheFactors) {
    // Skin darker than the list: k1 = 8, k2 = 5.
    const EventColumnColours c = ComputeEventColumnColours(0x00000000, 0x00FFFFFF);
    EXPECT_EQ(c.time & 0xFF, 153u);
    EXPECT_EQ((c.time >> 8) & 0xFF, 191u);
}
