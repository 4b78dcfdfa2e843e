#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <set>
#include <string>

#include "controls/CGroupDialog.h"
#include "controls/QtThemeIcons.h"
#include "tree/GroupIcons.h"

namespace veltrin {
namespace {

QToolButton* buttonNamed(QWidget& w, const char* name) {
    return w.findChild<QToolButton*>(QString::fromLatin1(name));
}

TEST(GroupIcons, EveryNameIsDistinctAndDrawnByTheTheme) {
    const auto& names = GroupIconNames();
    ASSERT_GE(names.size(), 10u);
    std::set<std::string> seen(names.begin(), names.end());
    EXPECT_EQ(seen.size(), names.size());
    const std::vector<QPixmap> pictures = GroupIconPixmaps();
    ASSERT_EQ(pictures.size(), names.size());
    for (std::size_t i = 0; i < pictures.size(); ++i) EXPECT_FALSE(pictures[i].isNull()) << names[i];
}

TEST(GroupDialog, ShowsItsTextsAndTheGivenValues) {
    CGroupDialog d("Work", 1, 2, GroupIconPixmaps());
    EXPECT_EQ(d.windowTitle(), "Group");
    QStringList labels;
    for (QLabel* l : d.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains("Group name:"));
    EXPECT_TRUE(labels.contains("Icon"));
    EXPECT_EQ(d.boldBox()->text(), "Bold");
    EXPECT_EQ(d.nameEdit()->text(), "Work");
    EXPECT_TRUE(d.boldBox()->isChecked());
    EXPECT_EQ(d.iconList()->count(), static_cast<int>(GroupIconNames().size()));
    EXPECT_EQ(d.iconList()->currentRow(), 2);
    ASSERT_TRUE(buttonNamed(d, "ok"));
    ASSERT_TRUE(buttonNamed(d, "cancel"));
    EXPECT_EQ(buttonNamed(d, "ok")->toolTip(), "OK");
    EXPECT_EQ(buttonNamed(d, "cancel")->toolTip(), "Cancel");
}

TEST(GroupDialog, OkGivesBackWhatWasChosenAndCancelRejects) {
    CGroupDialog d("Work", 0, 0, GroupIconPixmaps());
    d.nameEdit()->clear();
    QTest::keyClicks(d.nameEdit(), "Home");
    d.boldBox()->click();
    d.iconList()->setCurrentRow(3);
    QTest::mouseClick(buttonNamed(d, "ok"), Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.name(), "Home");
    EXPECT_EQ(d.bold(), 1);
    EXPECT_EQ(d.iconIndex(), 3);

    CGroupDialog c("Work", 0, 0, GroupIconPixmaps());
    QTest::mouseClick(buttonNamed(c, "cancel"), Qt::LeftButton);
    EXPECT_EQ(c.result(), QDialog::Rejected);

    CGroupDialog e("Work", 0, 0, GroupIconPixmaps());
    QTest::keyClick(e.nameEdit(), Qt::Key_Return);
    EXPECT_EQ(e.result(), QDialog::Accepted);
}

TEST(GroupDialog, AnUntouchedNameKeepsItsStoredBytesAndAForeignIconStays) {
    const std::string latin1 = "Caf\xE9";  // written by an older program in Windows-1252
    CGroupDialog d(latin1, 0, 999, GroupIconPixmaps());
    EXPECT_EQ(d.nameEdit()->text(), QString::fromUtf8("Caf\xC3\xA9"));
    EXPECT_EQ(d.name(), latin1);
    EXPECT_EQ(d.iconIndex(), 999);
    EXPECT_EQ(d.iconList()->currentRow(), -1);
    d.iconList()->setCurrentRow(1);
    EXPECT_EQ(d.iconIndex(), 1);
}

}  // namespace
}  // namespace veltrin
