#include "app/OptionsRules.h"

#include <algorithm>
#include <limits>

#include "base/NamedColours.h"
#include "base/Text.h"
#include "documents/Templates.h"

namespace veltrin {

std::int32_t ParseSizeText(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), kLimit + 1);
    if (negative) return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min(value, kLimit));
}

std::vector<std::string> FontFaceEntries(std::vector<std::string> installed, const std::string& current) {
    if (!current.empty() && std::find(installed.begin(), installed.end(), current) == installed.end())
        installed.push_back(current);
    std::stable_sort(installed.begin(), installed.end(),
                     [](const std::string& a, const std::string& b) { return CompareTextsNoCase(a, b) < 0; });
    return installed;
}

namespace {

FontControls FontFrom(const std::string& face, std::int32_t size, std::int32_t bold, std::int32_t italic,
                      std::int32_t underline, Colour text) {
    return {face, std::to_string(size), bold != 0, italic != 0, underline != 0, text};
}

void ApplyFont(const FontControls& f, std::string& face, std::int32_t& size, std::int32_t& bold,
               std::int32_t& italic, std::int32_t& underline, Colour& text) {
    face = f.face;
    size = ParseSizeText(f.sizeText);
    bold = f.bold ? 1 : 0;
    italic = f.italic ? 1 : 0;
    underline = f.underline ? 1 : 0;
    text = f.text;
}

Colour ListedColour(int index, Colour previous) {
    if (index < 0 || index >= kNamedColourCount) return previous;
    return NamedColours()[static_cast<std::size_t>(index)].value;
}

std::string SelectedTemplate(const std::vector<std::string>& templates, const std::string& name) {
    const int i = TemplateListIndex(templates, name, true);
    return i < 0 ? std::string() : templates[static_cast<std::size_t>(i)];
}

}  // namespace

OptionsControls OptionsControlsFrom(const AppSettings& s, const std::vector<std::string>& templates) {
    OptionsControls c;
    c.skinColourIndex = NamedColourIndex(s.skinColour);
    c.buttonColourIndex = NamedColourIndex(s.buttonColour);
    c.diaryTemplate = SelectedTemplate(templates, s.defaultDiaryTemplate);
    c.noteTemplate = SelectedTemplate(templates, s.defaultNoteTemplate);
    c.priority = s.priorityColour;
    c.toolbar = s.toolbarColour;
    c.buttonFont = FontFrom(s.buttonFontFace, s.buttonFontSize, s.buttonFontBold, s.buttonFontItalic,
                            s.buttonFontUnderline, s.buttonTextColour);
    c.dayInfoFont = FontFrom(s.dayInfoFontFace, s.dayInfoFontSize, s.dayInfoFontBold, s.dayInfoFontItalic,
                             s.dayInfoFontUnderline, s.dayInfoTextColour);
    c.headerFont = FontFrom(s.headerFontFace, s.headerFontSize, s.headerFontBold, s.headerFontItalic,
                            s.headerFontUnderline, s.headerTextColour);
    c.headerGradient1 = s.headerGradient1;
    c.headerGradient2 = s.headerGradient2;
    c.listBack = s.listBackColour;
    c.listText = s.listTextColour;
    c.listSelBack = s.listSelBackColour;
    c.listSelText = s.listSelTextColour;
    c.clockBack = s.clockBackColour;
    c.clockDigit = s.clockDigitColour;
    c.runOnStartup = s.runOnStartup != 0;
    c.minimizeOnAutorun = s.minimizeOnAutorun != 0;
    c.showSeconds = s.showSeconds != 0;
    c.minimizeToTray = s.minimizeToTray != 0;
    c.minimizeOnClose = s.minimizeOnClose != 0;
    c.askOnExit = s.askOnExit != 0;
    return c;
}

void ApplyOptionsControls(const OptionsControls& c, AppSettings& s) {
    // In the dialog's order: the colour lists, the colour buttons, faces and
    // sizes, the check boxes, the templates.
    s.skinColour = ListedColour(c.skinColourIndex, s.skinColour);
    s.buttonColour = ListedColour(c.buttonColourIndex, s.buttonColour);
    s.priorityColour = c.priority;
    s.toolbarColour = c.toolbar;
    ApplyFont(c.buttonFont, s.buttonFontFace, s.buttonFontSize, s.buttonFontBold, s.buttonFontItalic,
              s.buttonFontUnderline, s.buttonTextColour);
    ApplyFont(c.dayInfoFont, s.dayInfoFontFace, s.dayInfoFontSize, s.dayInfoFontBold, s.dayInfoFontItalic,
              s.dayInfoFontUnderline, s.dayInfoTextColour);
    ApplyFont(c.headerFont, s.headerFontFace, s.headerFontSize, s.headerFontBold, s.headerFontItalic,
              s.headerFontUnderline, s.headerTextColour);
    s.headerGradient1 = c.headerGradient1;
    s.headerGradient2 = c.headerGradient2;
    s.listBackColour = c.listBack;
    s.listTextColour = c.listText;
    s.listSelBackColour = c.listSelBack;
    s.listSelTextColour = c.listSelText;
    s.clockBackColour = c.clockBack;
    s.clockDigitColour = c.clockDigit;
    s.runOnStartup = c.runOnStartup ? 1 : 0;
    s.minimizeOnAutorun = c.minimizeOnAutorun ? 1 : 0;
    s.showSeconds = c.showSeconds ? 1 : 0;
    s.minimizeToTray = c.minimizeToTray ? 1 : 0;
    s.minimizeOnClose = c.minimizeOnClose ? 1 : 0;
    s.askOnExit = c.askOnExit ? 1 : 0;
    s.defaultDiaryTemplate = c.diaryTemplate;
    s.defaultNoteTemplate = c.noteTemplate;
}

}  // namespace veltrin
