#pragma once

#include <optional>
#include <string>

#include "settings/AppSettings.h"

namespace veltrin {

// The groups of settings that reach the screen together; applying redoes
// only the groups whose settings changed since they were last applied.
enum SettingsGroup : unsigned {
    kButtonFontGroup = 1u << 0,
    kButtonTextGroup = 1u << 1,
    kDayInfoFontGroup = 1u << 2,
    kDayInfoTextGroup = 1u << 3,
    kHeaderFontGroup = 1u << 4,
    kHeaderColoursGroup = 1u << 5,
    kButtonColourGroup = 1u << 6,
    kSkinColourGroup = 1u << 7,
    kToolbarGroup = 1u << 8,
    kListColoursGroup = 1u << 9,  // also when the skin colour changed
    kClockGroup = 1u << 10,
    kShowSecondsGroup = 1u << 11,
    kAllSettingsGroups = (1u << 12) - 1,
};

struct FontSetting {
    std::string face;
    std::int32_t size = 0, bold = 0, italic = 0, underline = 0;
    bool operator==(const FontSetting& o) const {
        return face == o.face && size == o.size && bold == o.bold && italic == o.italic &&
               underline == o.underline;
    }
};

// A stored font height made usable: at least 1 pixel, at most a screenful,
// whatever a file or a size box held.
inline constexpr int kMaxFontPixels = 500;
int UsableFontPixels(std::int32_t size);

// The settings as last applied to the window.
struct AppliedSettings {
    Colour skinColour = 0, buttonColour = 0, toolbarColour = 0;
    FontSetting buttonFont, dayInfoFont, headerFont;
    Colour buttonTextColour = 0, dayInfoTextColour = 0, headerTextColour = 0;
    Colour headerGradient1 = 0, headerGradient2 = 0;
    Colour listBackColour = 0, listTextColour = 0, listSelBackColour = 0, listSelTextColour = 0;
    Colour clockBackColour = 0, clockDigitColour = 0;
    std::int32_t showSeconds = 0;

    static AppliedSettings From(const AppSettings& s);
};

// Every group when nothing was applied yet.
unsigned ChangedSettingsGroups(const std::optional<AppliedSettings>& last, const AppSettings& now);

// Background colours of the "Time" and "Priority" columns of the event lists,
// mixed from the skin colour and the list background.
struct EventColumnColours {
    Colour time;
    Colour priority;
};
EventColumnColours ComputeEventColumnColours(Colour skin, Colour listBack);

}  // namespace veltrin
