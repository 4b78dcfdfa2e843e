#include <gtest/gtest.h>

#include <climits>

#include "app/OptionsRules.h"
#include "base/NamedColours.h"
#include "settings/AppliedSettings.h"

using namespace veltrin;

TEST(SizeText, ParsesLikeAtoiButSaturates) {
    EXPECT_EQ(ParseSizeText("18"), 18);
    EXPECT_EQ(ParseSizeText("  +15px"), 15);
    EXPECT_EQ(ParseSizeText("-4"), -4);
    EXPECT_EQ(ParseSizeText("abc"), 0);
    EXPECT_EQ(ParseSizeText(""), 0);
    EXPECT_EQ(ParseSizeText(" - 3"), 0);
    EXPECT_EQ(ParseSizeText("2147483647"), INT_MAX);
    EXPECT_EQ(ParseSizeText("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseSizeText("-99999999999999999999"), INT_MIN);
}

TEST(SizeText, AnyStoredSizeGivesAUsableFont) {
    EXPECT_EQ(UsableFontPixels(0), 1);
    EXPECT_EQ(UsableFontPixels(-20), 1);
    EXPECT_EQ(UsableFontPixels(INT_MAX), kMaxFontPixels);
    EXPECT_EQ(UsableFontPixels(18), 18);
}

TEST(FontFaces, AFaceNotInstalledIsKeptInTheList) {
    const auto entries = FontFaceEntries({"DejaVu Sans", "Liberation Sans"}, "Arial");
    EXPECT_EQ(entries, (std::vector<std::string>{"Arial", "DejaVu Sans", "Liberation Sans"}));
    EXPECT_EQ(FontFaceEntries({"b", "C"}, "b"), (std::vector<std::string>{"b", "C"}));
    EXPECT_EQ(FontFaceEntries({"b"}, ""), (std::vector<std::string>{"b"}));
}

namespace {
AppSettings Custom() {
    AppSettings s;
    s.skinColour = 0x00123456;  // no name
    s.buttonColour = ColourFromWebRgb(0x00FFFF);
    s.buttonFontFace = "Not Installed Sans";
    s.buttonFontSize = 15;
    s.dayInfoFontSize = -3;
    s.headerFontSize = 72;
    s.headerFontItalic = 1;
    s.runOnStartup = 0;
    return s;
}
}  // namespace

TEST(OptionsOk, WithoutChangesEveryFieldStaysAsItWas) {
    const AppSettings before = Custom();
    AppSettings s = before;
    const OptionsControls c = OptionsControlsFrom(s, {"Diary Blue", "Note Blue"});
    EXPECT_EQ(c.skinColourIndex, -1);
    EXPECT_EQ(c.buttonFont.sizeText, "15");
    ApplyOptionsControls(c, s);
    EXPECT_EQ(s.skinColour, 0x00123456u) << "an unnamed skin colour turned into another";
    EXPECT_EQ(s.buttonColour, before.buttonColour);
    EXPECT_EQ(s.buttonFontFace, "Not Installed Sans");
    EXPECT_EQ(s.buttonFontSize, 15);
    EXPECT_EQ(s.dayInfoFontSize, -3);
    EXPECT_EQ(s.headerFontSize, 72);
    EXPECT_EQ(s.headerFontItalic, 1);
    EXPECT_EQ(s.runOnStartup, 0);
    EXPECT_EQ(s.defaultDiaryTemplate, "Diary Blue");
    EXPECT_EQ(s.defaultNoteTemplate, "Note Blue");
}

TEST(OptionsOk, ControlsReplaceTheFields) {
    AppSettings s = Custom();
    OptionsControls c = OptionsControlsFrom(s, {});
    c.skinColourIndex = NamedColourIndex(0x00000000);
    c.headerFont.sizeText = "letters";
    c.buttonFont.bold = true;
    c.listBack = 0x00ABCDEF;
    c.askOnExit = false;
    c.showSeconds = true;
    ApplyOptionsControls(c, s);
    EXPECT_EQ(s.skinColour, 0u);
    EXPECT_EQ(s.headerFontSize, 0);
    EXPECT_EQ(s.buttonFontBold, 1);
    EXPECT_EQ(s.listBackColour, 0x00ABCDEFu);
    EXPECT_EQ(s.askOnExit, 0);
    EXPECT_EQ(s.showSeconds, 1);
}

TEST(OptionsOk, TemplatesFallBackToTheFirstOrToNone) {
    AppSettings s;
    s.defaultDiaryTemplate = "Diary Blue";
    s.defaultNoteTemplate = "Beta";
    OptionsControls c = OptionsControlsFrom(s, {"Alpha", "Beta"});
    EXPECT_EQ(c.diaryTemplate, "Alpha");
    EXPECT_EQ(c.noteTemplate, "Beta");
    c = OptionsControlsFrom(s, {});
    ApplyOptionsControls(c, s);
    EXPECT_EQ(s.defaultDiaryTemplate, "");
    EXPECT_EQ(s.defaultNoteTemplate, "");
}
