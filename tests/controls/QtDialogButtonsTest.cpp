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

}  // namespace
}  // namespace veltrin
