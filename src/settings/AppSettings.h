#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings/ContactColumns.h"
#include "settings/ViewIndex.h"
#include "storage/Archive.h"

namespace veltrin {

// The program's settings, in the order Settings.dat stores them.
struct AppSettings {
    Colour skinColour = 0x00FFFFFF;
    Colour buttonColour = 0x00FFFFFF;
    std::string defaultDiaryTemplate = "Diary Blue";
    std::string defaultNoteTemplate = "Note Blue";
    Colour priorityColour = 0x000000FF;
    Colour toolbarColour = 0x00FFFFFF;
    std::string buttonFontFace = "Arial";
    std::int32_t buttonFontSize = 18;
    std::int32_t buttonFontBold = 0;
    std::int32_t buttonFontItalic = 0;
    std::int32_t buttonFontUnderline = 0;
    Colour buttonTextColour = 0x00000000;
    std::string dayInfoFontFace = "Arial";
    std::int32_t dayInfoFontSize = 18;
    std::int32_t dayInfoFontBold = 0;
    std::int32_t dayInfoFontItalic = 0;
    std::int32_t dayInfoFontUnderline = 0;
    Colour dayInfoTextColour = 0x00000000;
    std::string headerFontFace = "Arial";
    std::int32_t headerFontSize = 18;
    std::int32_t headerFontBold = 0;
    std::int32_t headerFontItalic = 0;
    std::int32_t headerFontUnderline = 0;
    Colour headerTextColour = 0x00000000;
    Colour headerGradient1 = 0x00000000;
    Colour headerGradient2 = 0x00FFFFFF;
    Colour listBackColour = 0x00FFFFFF;
    Colour listTextColour = 0x00000000;
    Colour listSelBackColour = 0x00000000;
    Colour listSelTextColour = 0x00FFFFFF;
    Colour clockBackColour = 0x00FFFFFF;
    Colour clockDigitColour = 0x00000000;
    std::int32_t comingEventsPeriod = 0;  // 0 day, 1 week, 2 month, 3 year
    std::int32_t runOnStartup = 1;
    std::int32_t minimizeOnAutorun = 1;
    std::int32_t showSeconds = 0;
    std::int32_t minimizeToTray = 1;
    std::int32_t minimizeOnClose = 1;
    std::int32_t askOnExit = 1;
    std::int32_t showTipsAtStartup = 0;
    std::int32_t currentView = kTodayView;  // a ViewIndex
    std::int32_t townIndex = 79;            // New York, N.Y.
    // Never interpreted; held so that the file keeps its layout.
    std::int32_t reservedTime = 0;
    std::int32_t reservedNumber = 0;
    std::string reservedText;
    std::array<ContactColumn, kContactColumnCount> contactColumns;

    // Every field in stored order, one transfer each.
    void Transfer(Archive& ar);
};

// Sets every field to its default, the shared file version to 1.1 and
// reservedTime to the clock's present time.
void ApplySettingsDefaults(AppSettings& s);

// Loads (storing == false) or stores Settings.dat. Both directions first bring
// the start-at-login entry in line with runOnStartup.
bool SerializeSettings(AppSettings& s, bool storing);

}  // namespace veltrin
