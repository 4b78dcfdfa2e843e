#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/AppSettings.h"

namespace veltrin {

// The rules of the Options dialog: what its controls start with and what OK
// makes of them. The dialog itself only shows these values and reads them back.

// The heights a size box offers, in pixels.
inline constexpr std::array<std::int32_t, 15> kFontSizeEntries{8,  9,  10, 12, 14, 16, 18, 20,
                                                               22, 24, 26, 28, 36, 48, 72};

// A size box's text as a number: optional blanks and sign, then decimal
// digits; no leading digits gives 0. Too many digits saturate instead of
// overflowing.
std::int32_t ParseSizeText(const std::string& text);

// The entries of a font face list: the installed faces, plus the face the
// settings name when it is not installed (so it stays chosen), sorted
// ignoring letter case.
std::vector<std::string> FontFaceEntries(std::vector<std::string> installed, const std::string& current);

// What the controls of one font row hold.
struct FontControls {
    std::string face;      // as stored
    std::string sizeText;  // as shown in the size box
    bool bold = false, italic = false, underline = false;
    Colour text = 0;
};

// What every control of the dialog holds.
struct OptionsControls {
    // Named-colour lists: the selected entry, or -1 for none (the setting's
    // colour has no name).
    int skinColourIndex = -1, buttonColourIndex = -1;
    // The selected template, or empty when the list is empty.
    std::string diaryTemplate, noteTemplate;
    Colour priority = 0, toolbar = 0;
    FontControls buttonFont, dayInfoFont, headerFont;
    Colour headerGradient1 = 0, headerGradient2 = 0;
    Colour listBack = 0, listText = 0, listSelBack = 0, listSelText = 0;
    Colour clockBack = 0, clockDigit = 0;
    bool runOnStartup = false, minimizeOnAutorun = false, showSeconds = false;
    bool minimizeToTray = false, minimizeOnClose = false, askOnExit = false;
};

// The controls as the dialog opens on these settings; templates is the
// sorted template list both template lists offer.
OptionsControls OptionsControlsFrom(const AppSettings& s, const std::vector<std::string>& templates);

// OK: every control into the settings. A colour list without a selection
// keeps the setting's colour (it was one without a name).
void ApplyOptionsControls(const OptionsControls& c, AppSettings& s);

}  // namespace veltrin
