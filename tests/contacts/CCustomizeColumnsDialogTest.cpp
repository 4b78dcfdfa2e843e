#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "contacts/CCustomizeColumnsDialog.h"

using namespace veltrin;

namespace {

QStringList texts(const QListWidget* l) {
    QStringList t;
    for (int i = 0; i < l->count(); ++i) t << l->item(i)->text();
    return t;
}

void select(QListWidget* l, const QStringList& names) {
    for (int i = 0; i < l->count(); ++i) l->item(i)->setSelected(names.contains(l->item(i)->text()));
}

}  // namespace

TEST(CustomizeColumnsDialog, OpensWithEverythingDisabledAndListsFilled) {
    ContactColumns table = DefaultContactColumns();
    table[23].shown = 0;  // "Pager"
    table[12].shown = 0;  // "Home Fax"
    CCustomizeColumnsDialog d(table);
    EXPECT_EQ(d.windowTitle(), "Customize columns");
    EXPECT_EQ(texts(d.freeList()), (QStringList{"Home Fax", "Pager"}));
    EXPECT_EQ(d.shownList()->count(), 27);
    for (QPushButton* b : {d.addButton(), d.removeButton(), d.upButton(), d.downButton(), d.okButton()})
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    EXPECT_EQ(d.addButton()->text(), "&Add ->");
    EXPECT_EQ(d.removeButton()->text(), "<- &Remove");
}

TEST(CustomizeColumnsDialog, ButtonsFollowTheSelectionAndActionsEnableOk) {
    CCustomizeColumnsDialog d(DefaultContactColumns());
    select(d.shownList(), {"Company"});
    EXPECT_TRUE(d.removeButton()->isEnabled());
    EXPECT_TRUE(d.upButton()->isEnabled());
    EXPECT_TRUE(d.downButton()->isEnabled());
    select(d.shownList(), {"Company", "Pager"});
    EXPECT_FALSE(d.upButton()->isEnabled());
    d.removeButton()->click();
    EXPECT_EQ(texts(d.freeList()), (QStringList{"Company", "Pager"}));
    EXPECT_TRUE(d.okButton()->isEnabled());
    EXPECT_FALSE(d.removeButton()->isEnabled());

    select(d.freeList(), {"Pager"});
    EXPECT_TRUE(d.addButton()->isEnabled());
    d.addButton()->click();
    EXPECT_EQ(texts(d.shownList()).last(), "Pager");

    select(d.shownList(), {"Pager"});
    d.upButton()->click();
    EXPECT_EQ(texts(d.shownList())[26], "Pager");
    EXPECT_TRUE(d.shownList()->item(26)->isSelected());
    EXPECT_TRUE(d.downButton()->isEnabled());
}

TEST(CustomizeColumnsDialog, DoubleClickMovesBetweenTheListsAndOkGivesTheTable) {
    CCustomizeColumnsDialog d(DefaultContactColumns());
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    QListWidget* shown = d.shownList();
    const QRect r = shown->visualItemRect(shown->item(0));
    QTest::mouseClick(shown->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(shown->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(texts(d.freeList()), QStringList{"Name"});
    QListWidget* free = d.freeList();
    const QRect f = free->visualItemRect(free->item(0));
    QTest::mouseClick(free->viewport(), Qt::LeftButton, {}, f.center());
    QTest::mouseDClick(free->viewport(), Qt::LeftButton, {}, f.center());
    EXPECT_TRUE(texts(d.freeList()).isEmpty());
    EXPECT_EQ(texts(shown).last(), "Name");
    const ContactColumns result = d.result();
    EXPECT_EQ(result[0].name, "First Name");
    EXPECT_EQ(result[28].name, "Name");
    EXPECT_EQ(result[28].shown, 1);
}
