#include <gtest/gtest.h>

#include "contacts/ContactTrees.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"

using namespace veltrin;

namespace {

ContactItem contact(std::int32_t group, const std::string& display, int current = 0) {
    ContactItem c;
    c.groupId = group;
    c.fields.set(ContactFieldRecordIndex("Name"), display);
    c.fields.set(ContactFieldRecordIndex("Company"), display + " Ltd");
    c.isCurrent = current;
    return c;
}

class ContactViewsTest : public ::testing::Test {
protected:
    ContactViewsTest() {
        SharedVersion() = kDefaultVersionBits;
        groups.InsertColumn(0, "Groups", ColumnAlign::Left, 200);
        list.InsertColumn(0, "Company", ColumnAlign::Left, 100);
        list.InsertColumn(1, "Name", ColumnAlign::Left, 100);
        store.groups = {
            {0, "Friends", 1, 0, 0, 1, 10}, {1, "Chess", 2, 1, 1, 1, 20}, {-1, "Work", 0, 0, 0, 1, 30}};
        store.contacts = {contact(10, "Ann"), contact(20, "Bo"), contact(10, "Cy", 1), contact(77, "Orphan")};
    }
    test::ProgramFolder folder;
    GroupTreeModel groups, list;
    ContactStore store;
    ContactColumns columns = DefaultContactColumns();
};

}  // namespace

TEST_F(ContactViewsTest, GroupTreeRoundTripsWithCollapseAndSelection) {
    const NodeHandle current = BuildContactGroupTree(groups, store.groups);
    EXPECT_EQ(groups.GetItemText(current, 0), "Chess");
    groups.SelectItem(current, 0);
    std::vector<ContactGroup> back;
    FillContactGroups(groups, back);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].collapsed, 1);
    EXPECT_EQ(back[1].levelStep, 1);
    EXPECT_EQ(back[1].isCurrent, 1);
    EXPECT_EQ(back[1].bold, 1);
    EXPECT_EQ(back[1].iconIndex, 2);
    EXPECT_EQ(back[2].levelStep, -1);
    EXPECT_EQ(back[2].groupId, 30);
}

TEST_F(ContactViewsTest, RowsShowFieldsByHeadingAndGoBackWithTheirGroup) {
    EXPECT_EQ(TakeContactsIntoList(store, list, 10, 0), 2);
    ASSERT_EQ(store.contacts.size(), 2u);  // Bo and the orphan stay
    const NodeHandle first = list.GetNextItem(kRootNode, kFirstChild);
    EXPECT_EQ(list.GetItemText(first, 0), "Ann Ltd");
    EXPECT_EQ(list.GetItemText(first, 1), "Ann");
    // The contact stored as current is selected.
    EXPECT_EQ(list.GetItemText(list.GetSelectedItem(), 1), "Cy");

    list.SelectItem(first, -1);
    HandBackContactRows(store, list, 10, true);
    EXPECT_EQ(list.GetNextItem(kRootNode, kFirstChild), kNoNode);
    ASSERT_EQ(store.contacts.size(), 4u);
    EXPECT_EQ(store.contacts[2].fields[3], "Ann");
    EXPECT_EQ(store.contacts[2].isCurrent, 1);
    EXPECT_EQ(store.contacts[3].isCurrent, 0);
}

TEST_F(ContactViewsTest, SaveWritesEveryContactAndLeavesTheStoreAsItWas) {
    BuildContactGroupTree(groups, store.groups);
    const NodeHandle friends = groups.GetNextItem(kRootNode, kFirstChild);
    groups.SelectItem(friends, 0);
    TakeContactsIntoList(store, list, 10, 0);
    list.SetColumnWidth(0, 230);
    const auto before = store.contacts.size();

    ASSERT_TRUE(SaveContacts(store, columns, {&groups, &list}));
    EXPECT_EQ(store.contacts.size(), before);
    EXPECT_EQ(list.GetChildCount(kRootNode), 2);
    EXPECT_EQ(columns[24].name, "Company");
    EXPECT_EQ(columns[24].width, 230);

    ContactStore back;
    ASSERT_TRUE(SerializeContactsFile(back, false));
    ASSERT_EQ(back.contacts.size(), 4u);  // the orphan included
    EXPECT_EQ(back.groups[0].isCurrent, 1);
    int inFriends = 0;
    for (const ContactItem& c : back.contacts) inFriends += c.groupId == 10;
    EXPECT_EQ(inFriends, 2);
}

TEST_F(ContactViewsTest, RepeatedGroupIdShowsTheContactsOfBoth) {
    store.contacts = {contact(10, "Ann"), contact(10, "Bo")};
    EXPECT_EQ(TakeContactsIntoList(store, list, 10, 0), 2);
}
