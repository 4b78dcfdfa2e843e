#include <gtest/gtest.h>

#include "contacts/ContactTrees.h"
#include "documents/DocumentTrees.h"
#include "events/EventTrees.h"
#include "search/SearchTargets.h"

using namespace veltrin;

// A result names its record by the place a save gives it; opening it must
// find the node that holds that record, whatever the tree's shape.
TEST(SearchTargets, RecordsLeadBackToTheirNodes) {
    GroupTreeModel notes;
    notes.InsertColumn(0, "Notes", ColumnAlign::Left, 100);
    NoteTable table = {{0, "A", 0, 0, 0, 1, "", 0},
                       {1, "A1", 0, 0, 0, 1, "", 0},
                       {1, "A1a", 0, 0, 0, 1, "", 0},
                       {-2, "B", 0, 0, 0, 1, "", 0}};
    BuildNotesTree(notes, table);
    for (std::size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(notes.GetItemText(NodeOfRecord(notes, i), 0), table[i].name) << i;
    EXPECT_EQ(NodeOfRecord(notes, table.size()), kNoNode);
    // The order FillNoteTable writes is the order searched.
    NoteTable back;
    FillNoteTable(notes, kNoNode, back);
    EXPECT_EQ(notes.GetItemText(NodeOfRecord(notes, 2), 0), back[2].name);

    GroupTreeModel diary;
    diary.InsertColumn(0, "Pages", ColumnAlign::Left, 100);
    BuildDiaryList(diary, {{"p0", "", 0, 0}, {"p1", "", 1, 0}});
    EXPECT_EQ(diary.GetItemText(NodeOfRecord(diary, 1), 0), "p1");
}

TEST(SearchTargets, GroupsAndRowsAreFoundByIdAndFields) {
    GroupTreeModel eventGroups, eventList;
    eventGroups.InsertColumn(0, "Groups", ColumnAlign::Left, 100);
    for (const char* c : {"Event Name", "Time", "Left", "Priority"})
        eventList.InsertColumn(eventList.ColumnCount(), c, ColumnAlign::Left, 100);
    EventStore events;
    events.groups = {{0, "Home", 0, 0, 0, 10}, {1, "Deep", 0, 0, 0, 20}};
    for (std::int32_t id : {7, 8}) {
        EventItem e;
        e.name = "e" + std::to_string(id);
        e.details.groupId = 20;
        e.details.eventId = id;
        events.events.push_back(e);
    }
    BuildEventGroupTree(eventGroups, events.groups);
    EXPECT_EQ(eventGroups.GetItemText(EventGroupNode(eventGroups, 20), 0), "Deep");
    EXPECT_EQ(EventGroupNode(eventGroups, 99), kNoNode);
    TakeEventsIntoList(
        events, eventList, [](const EventItem&) { return true; }, 0, 0);
    EXPECT_EQ(eventList.GetItemText(EventRowOf(eventList, 8), 0), "e8");
    EXPECT_EQ(EventRowOf(eventList, 9), kNoNode);

    GroupTreeModel contactGroups, contactList;
    contactGroups.InsertColumn(0, "Groups", ColumnAlign::Left, 100);
    contactList.InsertColumn(0, "Name", ColumnAlign::Left, 100);
    ContactStore contacts;
    contacts.groups = {{0, "Friends", 0, 0, 0, 1, 5}, {1, "Chess", 0, 0, 0, 1, 6}};
    ContactItem ann, bo;
    ann.groupId = bo.groupId = 6;
    ann.fields.set(3, "Ann");
    bo.fields.set(3, "Bo");
    contacts.contacts = {ann, bo};
    BuildContactGroupTree(contactGroups, contacts.groups);
    EXPECT_EQ(contactGroups.GetItemText(ContactGroupNode(contactGroups, 6), 0), "Chess");
    TakeContactsIntoList(contacts, contactList, 6, 0);
    EXPECT_EQ(contactList.GetContactRecord<ContactItem>(ContactRowOf(contactList, bo.fields)).fields[3],
              "Bo");
    ContactItem other;
    other.fields.set(3, "Cy");
    EXPECT_EQ(ContactRowOf(contactList, other.fields), kNoNode);
}
