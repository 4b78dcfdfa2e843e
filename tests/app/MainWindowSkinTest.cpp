#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>
#include <QTimer>

#include "app/AppData.h"
#include "app/CDigitalClock.h"
#include "app/CMainDialog.h"
#include "controls/CHeaderStrip.h"
#include "controls/CSkinButton.h"
#include "controls/CViewBase.h"
#include "imaging/Picture.h"
#include "support/Fakes.h"
#include "support/ModalAnswer.h"
#include "support/ShippedTemplates.h"

using namespace veltrin;

namespace {

class MainWindowSkinTest : public ::testing::Test {
protected:
    MainWindowSkinTest() {
        ApplySettingsDefaults(data.settings);
        test::CopyShippedTemplates(folder.root);
    }
    test::ProgramFolder folder;
    AppData data;
};

}  // namespace

TEST(MainWindowLayout, ClockGoesRightOrDirectlyAfterInfo) {
    EXPECT_EQ(CMainDialog::ClockLeft(700), 630);  // cut off at the right
    EXPECT_EQ(CMainDialog::ClockLeft(781), 630);  // 630 + 151 is not less than 781
    EXPECT_EQ(CMainDialog::ClockLeft(782), 631);
    EXPECT_EQ(CMainDialog::ClockLeft(1024), 873);
}

TEST_F(MainWindowSkinTest, ButtonsFillTheTopRowAndTheViewTheRest) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.resize(1024, 700);
    dlg.show();
    QApplication::processEvents();
    for (int i = 0; i < CMainDialog::kMainButtonCount; ++i)
        EXPECT_EQ(dlg.button(i)->geometry(), QRect(i * 90, 0, 90, 72)) << i;
    EXPECT_EQ(dlg.view(0)->geometry(), QRect(0, 72, dlg.width(), dlg.height() - 72));
    ASSERT_NE(dlg.digitalClock(), nullptr);
    EXPECT_EQ(dlg.digitalClock()->geometry(), QRect(dlg.width() - 151, 0, 151, 72));
    EXPECT_TRUE(dlg.view(0)->isVisible());
    EXPECT_FALSE(dlg.view(1)->isVisible());
}

TEST_F(MainWindowSkinTest, ViewButtonsAreRadioButtonsAndSwitchTheView) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    EXPECT_TRUE(dlg.button(0)->isChecked());
    QTest::mouseClick(dlg.button(3), Qt::LeftButton);
    EXPECT_EQ(dlg.shownView(), 3);
    EXPECT_EQ(data.settings.currentView, 3);
    EXPECT_TRUE(dlg.view(3)->isVisible());
    EXPECT_FALSE(dlg.view(0)->isVisible());
    int checked = 0;
    for (int i = 0; i < 5; ++i) checked += dlg.button(i)->isChecked();
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(dlg.button(3)->isChecked());
    // The Today view's period buttons are radio buttons of their own group.
    QTest::mouseClick(dlg.button(0), Qt::LeftButton);
    EXPECT_FALSE(dlg.button(3)->isChecked());
    EXPECT_TRUE(dlg.button(0)->isChecked());
    QTest::mouseClick(dlg.button(3), Qt::LeftButton);
    // Options and Info are not part of the radio group (Options opens its dialog).
    test::WhenModalOpens<QWidget>([](QWidget* options) { options->close(); });
    QTest::mouseClick(dlg.button(CMainDialog::kOptionsButton), Qt::LeftButton);
    EXPECT_TRUE(dlg.button(3)->isChecked());
}

TEST_F(MainWindowSkinTest, ClickingTheShownViewsButtonDoesNothing) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    QTest::mouseClick(dlg.button(2), Qt::LeftButton);
    const QRect before = dlg.view(2)->geometry();
    dlg.view(2)->setGeometry(1, 2, 3, 4);  // a re-show would lay it out again
    QTest::mouseClick(dlg.button(2), Qt::LeftButton);
    EXPECT_EQ(dlg.view(2)->geometry(), QRect(1, 2, 3, 4));
    EXPECT_NE(before, QRect(1, 2, 3, 4));
}

TEST_F(MainWindowSkinTest, ApplySettingsRedoesOnlyWhatChanged) {
    CMainDialog dlg(data, {"veltrin"});
    EXPECT_EQ(dlg.lastAppliedGroups(), kAllSettingsGroups);
    dlg.ApplySettings();
    EXPECT_EQ(dlg.lastAppliedGroups(), 0u);

    // A list colour alone decodes and tints nothing.
    const PictureWorkCounts before = PictureWork();
    data.settings.listTextColour = 0x00336699;
    dlg.ApplySettings();
    EXPECT_EQ(dlg.lastAppliedGroups(), static_cast<unsigned>(kListColoursGroup));
    EXPECT_EQ(PictureWork().decodes, before.decodes);
    EXPECT_EQ(PictureWork().blends, before.blends);

    const QPointer<CDigitalClock> clockBefore = dlg.digitalClock();
    data.settings.clockDigitColour = 0x000000FF;
    dlg.ApplySettings();
    EXPECT_EQ(dlg.lastAppliedGroups(), static_cast<unsigned>(kClockGroup));
    EXPECT_TRUE(clockBefore.isNull());  // recreated with the new colours
    EXPECT_TRUE(dlg.digitalClock()->isRunning());

    // The button colour retints the faces the buttons show.
    const QImage oldFace = dlg.button(0)->bitmap(CSkinButton::Look::Normal).toImage();
    data.settings.buttonColour = 0x00000000;
    dlg.ApplySettings();
    EXPECT_EQ(dlg.lastAppliedGroups(), static_cast<unsigned>(kButtonColourGroup));
    EXPECT_GT(PictureWork().blends, before.blends);
    const QImage newFace = dlg.button(0)->bitmap(CSkinButton::Look::Normal).toImage();
    ASSERT_FALSE(newFace.isNull());
    EXPECT_LT(qGray(newFace.pixel(newFace.width() / 2, newFace.height() / 2)),
              qGray(oldFace.pixel(oldFace.width() / 2, oldFace.height() / 2)));
}

TEST_F(MainWindowSkinTest, HeaderSettingsReachEveryView) {
    CMainDialog dlg(data, {"veltrin"});
    data.settings.headerGradient1 = 0x000000FF;  // red
    data.settings.headerFontSize = 24;
    dlg.ApplySettings();
    EXPECT_EQ(dlg.lastAppliedGroups(), static_cast<unsigned>(kHeaderFontGroup | kHeaderColoursGroup));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(dlg.view(i)->header()->gradientLeft(), QColor(255, 0, 0));
        EXPECT_EQ(dlg.view(i)->header()->font().pixelSize(), 24);
    }
}

TEST_F(MainWindowSkinTest, DarkSkinGivesADarkStrip) {
    CMainDialog light(data, {"veltrin"});
    data.settings.skinColour = 0x00302010;
    CMainDialog dark(data, {"veltrin"});
    EXPECT_LT(qGray(dark.stripColour().rgb()), qGray(light.stripColour().rgb()));
}
