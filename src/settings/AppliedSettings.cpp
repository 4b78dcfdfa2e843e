#include "settings/AppliedSettings.h"

#include <algorithm>

namespace veltrin {

int UsableFontPixels(std::int32_t size) { return std::clamp<std::int32_t>(size, 1, kMaxFontPixels); }

AppliedSettings AppliedSettings::From(const AppSettings& s) {
    AppliedSettings a;
    a.skinColour = s.skinColour;
    a.buttonColour = s.buttonColour;
    a.toolbarColour = s.toolbarColour;
    a.buttonFont = {s.buttonFontFace, s.buttonFontSize, s.buttonFontBold, s.buttonFontItalic,
                    s.buttonFontUnderline};
    a.dayInfoFont = {s.dayInfoFontFace, s.dayInfoFontSize, s.dayInfoFontBold, s.dayInfoFontItalic,
                     s.dayInfoFontUnderline};
    a.headerFont = {s.headerFontFace, s.headerFontSize, s.headerFontBold, s.headerFontItalic,
                    s.headerFontUnderline};
    a.buttonTextColour = s.buttonTextColour;
    a.dayInfoTextColour = s.dayInfoTextColour;
    a.headerTextColour = s.headerTextColour;
    a.headerGradient1 = s.headerGradient1;
    a.headerGradient2 = s.headerGradient2;
    a.listBackColour = s.listBackColour;
    a.listTextColour = s.listTextColour;
    a.listSelBackColour = s.listSelBackColour;
    a.listSelTextColour = s.listSelTextColour;
    a.clockBackColour = s.clockBackColour;
    a.clockDigitColour = s.clockDigitColour;
    a.showSeconds = s.showSeconds;
    return a;
}

unsigned ChangedSettingsGroups(const std::optional<AppliedSettings>& last, const AppSettings& now) {
    if (!last) return kAllSettingsGroups;
    const AppliedSettings& o = *last;
    const AppliedSettings n = AppliedSettings::From(now);
    unsigned g = 0;
    if (!(o.buttonFont == n.buttonFont)) g |= kButtonFontGroup;
    if (o.buttonTextColour != n.buttonTextColour) g |= kButtonTextGroup;
    if (!(o.dayInfoFont == n.dayInfoFont)) g |= kDayInfoFontGroup;
    if (o.dayInfoTextColour != n.dayInfoTextColour) g |= kDayInfoTextGroup;
    if (!(o.headerFont == n.headerFont)) g |= kHeaderFontGroup;
    if (o.headerTextColour != n.headerTextColour || o.headerGradient1 != n.headerGradient1 ||
        o.headerGradient2 != n.headerGradient2)
        g |= kHeaderColoursGroup;
    if (o.buttonColour != n.buttonColour) g |= kButtonColourGroup;
    if (o.skinColour != n.skinColour) g |= kSkinColourGroup | kListColoursGroup;
    if (o.toolbarColour != n.toolbarColour) g |= kToolbarGroup;
    if (o.listBackColour != n.listBackColour || o.listTextColour != n.listTextColour ||
        o.listSelBackColour != n.listSelBackColour || o.listSelTextColour != n.listSelTextColour)
        g |= kListColoursGroup;
    if (o.clockBackColour != n.clockBackColour || o.clockDigitColour != n.clockDigitColour) g |= kClockGroup;
    if (o.showSeconds != n.showSeconds) g |= kShowSecondsGroup;
    return g;
}

EventColumnColours ComputeEventColumnColours(Colour skin, Colour listBack) {
    auto ch = [](Colour c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    const int bS = (ch(skin, 0) + ch(skin, 8) + ch(skin, 16)) / 3;
    const int bL = (ch(listBack, 0) + ch(listBack, 8) + ch(listBack, 16)) / 3;
    const int k1 = bL < bS ? 5 : 8;
    const int k2 = bS < bL ? 5 : 8;
    auto mid = [&](int shift) { return (ch(skin, shift) + ch(listBack, shift)) / 2; };
    auto toward = [](int m, int k) { return 255 - (255 - m) * k / 10; };
    auto colour = [](int r, int g, int b) { return static_cast<Colour>(r | (g << 8) | (b << 16)); };
    const int r = mid(0), g = mid(8), b = mid(16);
    return {colour(toward(r, k1), toward(g, k2), toward(b, k1)),
            colour(toward(r, 9), toward(g, 9), toward(b, 9))};
}

}  // namespace veltrin
