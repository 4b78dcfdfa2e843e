#include <QAbstractButton>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "controls/QtDialogButtons.h"

namespace veltrin {
namespace {

QAbstractButton* button(QDialog& d, const char* name) {
    return d.findChild<QAbstractButton*>(QString::fromLatin1(name));
}

TEST(DialogButtons, OkAndCancelSitRightOfWhatTheRowHeldAndEndTheDialog) {
    QDialog d;
    auto* row = new QHBoxLayout(&d);
    auto* help = new QLabel(QStringLiteral("help"), &d);
    row->addWidget(help);
    AddOkCancelRow(&d, row);
    ASSERT_TRUE(button(d, "ok"));
    ASSERT_TRUE(button(d, "cancel"));
    EXPECT_EQ(button(d, "ok")->toolTip(), "OK");
    EXPECT_EQ(button(d, "cancel")->toolTip(), "Cancel");
    EXPECT_EQ(row->indexOf(help), 0);
    EXPECT_LT(row->indexOf(button(d, "ok")), row->indexOf(button(d, "cancel")));

    QTimer::singleShot(0, [&d] { QTest::mouseClick(button(d, "ok"), Qt::LeftButton); });
    EXPECT_EQ(d.exec(), QDialog::Accepted);
    QTimer::singleShot(0, [&d] { QTest::mouseClick(button(d, "cancel"), Qt::LeftButton); });
    EXPECT_EQ(d.exec(), QDialog::Rejected);
}

// Both buttons of the row show a picture, OK as well as Cancel.
TEST(DialogButtons, OkAndCancelBothShowAnIcon) {
    QDialog d;
    auto* row = new QHBoxLayout(&d);
    AddOkCancelRow(&d, row);
    for (const char* name : {"ok", "cancel"}) {
        ASSERT_TRUE(button(d, name));
        const QImage icon = button(d, name)->icon().pixmap(16, 16).toImage();
        ASSERT_FALSE(icon.isNull()) << name;
        int drawn = 0;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x) drawn += qAlpha(icon.pixel(x, y)) > 0;
        EXPECT_GT(drawn, 16) << name << ": an empty picture";
    }
}

}  // namespace
}  // namespace veltrin
