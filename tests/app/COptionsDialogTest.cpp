#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/COptionsDialog.h"
#include "base/NamedColours.h"
#include "controls/CColourPicker.h"
#include "controls/CHeaderStrip.h"
#include "support/Fakes.h"

using namespace veltrin;

namespace {

template <class T>
T* Child(const QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

}  // namespace

TEST(COptionsDialog, OpensOnTheSettingsAndOkWithoutChangeKeepsThem) {
    test::ProgramFolder folder;
    AppSettings s;
    ApplySettingsDefaults(s);
    s.skinColour = 0x00123456;  // no name
    s.buttonFontFace = "Not Installed Sans";
    s.dayInfoFontSize = 15;
    s.headerFontSize = -2;
    COptionsDialog dlg(s);
    EXPECT_EQ(dlg.windowTitle(), "Options");
    EXPECT_EQ(Child<QComboBox>(dlg, "skinColour")->currentIndex(), -1);
    EXPECT_EQ(Child<QComboBox>(dlg, "buttonColour")->currentText(), "White");
    EXPECT_EQ(Child<QComboBox>(dlg, "buttonFontFace")->currentText(), "Not Installed Sans");
    EXPECT_EQ(Child<QComboBox>(dlg, "dayInfoFontSize")->currentIndex(), -1);
    EXPECT_EQ(Child<QComboBox>(dlg, "dayInfoFontSize")->currentText(), "15");
    EXPECT_EQ(Child<QComboBox>(dlg, "buttonFontSize")->currentText(), "18");
    EXPECT_EQ(Child<QCheckBox>(dlg, "runOnStartup")->text(), "Run on startup");
    EXPECT_TRUE(Child<QCheckBox>(dlg, "buttonFontBold")->font().bold());
    EXPECT_TRUE(Child<QCheckBox>(dlg, "buttonFontItalic")->font().italic());
    EXPECT_TRUE(Child<QCheckBox>(dlg, "buttonFontUnderline")->font().underline());
    EXPECT_EQ(dlg.preview()->caption(), "Sample text");

    dlg.accept();
    AppSettings after = s;
    ApplyOptionsControls(dlg.chosen(), after);
    EXPECT_EQ(after.skinColour, 0x00123456u);
    EXPECT_EQ(after.buttonFontFace, "Not Installed Sans");
    EXPECT_EQ(after.dayInfoFontSize, 15);
    EXPECT_EQ(after.headerFontSize, -2);
    EXPECT_EQ(after.buttonFontSize, 18);
}

TEST(COptionsDialog, ThePreviewFollowsTheHeaderControls) {
    test::ProgramFolder folder;
    AppSettings s;
    ApplySettingsDefaults(s);
    COptionsDialog dlg(s);
    Child<QComboBox>(dlg, "headerFontSize")->setCurrentText(QStringLiteral("36"));
    Child<QCheckBox>(dlg, "headerFontBold")->setChecked(true);
    Child<CColourPicker>(dlg, "headerGradient1")->setColour(0x000000FF);
    Child<CColourPicker>(dlg, "headerFontText")->setColour(0x00FF0000);
    EXPECT_EQ(dlg.preview()->font().pixelSize(), 36);
    EXPECT_TRUE(dlg.preview()->font().bold());
    EXPECT_EQ(dlg.preview()->gradientLeft(), QColor(255, 0, 0));
    EXPECT_EQ(dlg.preview()->textColour(), QColor(0, 0, 255));
}

TEST(COptionsDialog, HelpOpensTheOptionsPage) {
    test::ProgramFolder folder;
    test::RecordingHelp help;
    test::ScopedHelp installed(help);
    AppSettings s;
    COptionsDialog dlg(s);
    QTest::mouseClick(Child<QToolButton>(dlg, "help"), Qt::LeftButton);
    EXPECT_EQ(help.topics, std::vector<std::string>{"/Working/options.htm"});
}

TEST(CColourPicker, PaletteAutomaticAndDismissal) {
    CColourPicker picker;
    picker.setColour(0x00010203);
    picker.setAutomaticColour(0x000000FF);
    picker.show();
    picker.openPopup();
    ASSERT_NE(picker.popup(), nullptr);
    auto* orange = picker.popup()->findChild<QToolButton*>(QStringLiteral("palette9"));
    ASSERT_NE(orange, nullptr);
    EXPECT_EQ(orange->toolTip(), "Orange");
    QTest::mouseClick(orange, Qt::LeftButton);
    EXPECT_EQ(picker.colour(), PaletteColours()[9].value);
    QTRY_COMPARE(picker.popup(), nullptr);

    picker.openPopup();
    QTest::mouseClick(picker.popup()->findChild<QToolButton*>(QStringLiteral("automatic")), Qt::LeftButton);
    EXPECT_EQ(picker.colour(), 0x000000FFu);

    // Closed without a choice: the colour stays.
    picker.openPopup();
    picker.popup()->close();
    EXPECT_EQ(picker.colour(), 0x000000FFu);
}
