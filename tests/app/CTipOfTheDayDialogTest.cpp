#include <gtest/gtest.h>

#include <QCheckBox>

#include "app/CTipOfTheDayDialog.h"
#include "app/TipOfTheDay.h"

using namespace veltrin;

TEST(CTipOfTheDayDialog, WrapsBothWaysAndBindsTheStartUpFlag) {
    AppSettings s;
    s.showTipsAtStartup = 1;
    CTipOfTheDayDialog dlg(s, kTipCount - 1);
    EXPECT_EQ(dlg.windowTitle(), "Tip of the Day");
    EXPECT_EQ(dlg.tip(), 0);  // after the last comes the first
    EXPECT_EQ(dlg.tipText(), QString::fromLatin1(Tips()[0]));
    dlg.showPrevious();
    EXPECT_EQ(dlg.tip(), kTipCount - 1);
    dlg.showNext();
    EXPECT_EQ(dlg.tip(), 0);

    EXPECT_TRUE(dlg.startUpBox()->isChecked());
    dlg.startUpBox()->setChecked(false);
    EXPECT_EQ(s.showTipsAtStartup, 0);
}
