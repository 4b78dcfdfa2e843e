// When the program may put what a sync brought down into its data files:
// only when the views still hold what was stored before the network part.
#include <gtest/gtest.h>

#include "app/AppData.h"
#include "app/SyncRounds.h"
#include "events/EventList.h"
#include "support/Fakes.h"

using namespace veltrin;
using veltrin::test::ProgramFolder;

namespace {

constexpr std::int64_t kNow = 1'796'601'600;

class SyncRoundsTest : public ::testing::Test {
protected:
    SyncRoundsTest() {
        ApplySettingsDefaults(data.settings);
        data.diary.push_back({"2026, December 07", "<p>hi</p>", static_cast<std::int32_t>(kNow), 1});
        data.notes.push_back({0, "Plans", 0, 0, 1, 1, "<p>old</p>", 5});
        data.events.groups.push_back({0, "Home", 0, 0, 1, 5});
        for (const char* name : {"Dentist", "Haircut"}) {
            EventItem e;
            e.name = name;
            e.actual = 1;
            e.details.groupId = 5;
            e.details.schedule.eventTime = static_cast<std::int32_t>(kNow + 3600);
            e.details.schedule.nextDue = e.details.schedule.eventTime;
            data.events.events.push_back(e);
        }
        data.contacts.groups.push_back({0, "Friends", 0, 0, 1, 1, 9});
        ContactItem c;
        c.groupId = 9;
        c.fields.set(3, "Ann");
        data.contacts.contacts.push_back(c);

        // The Events view shows its group: the events are rows of its list.
        eventGroups.InsertColumn(0, "Groups", ColumnAlign::Left, 200);
        for (const char* col : {"Event Name", "Time", "Left", "Priority"})
            eventsList.InsertColumn(eventsList.ColumnCount(), col, ColumnAlign::Left, 100);
        eventGroups.SelectItem(BuildEventGroupTree(eventGroups, data.events.groups), 0);
        TakeEventsIntoList(
            data.events, eventsList, [](const EventItem&) { return true; }, 0, 0);
        views.events = {nullptr, &eventsList, &eventGroups};
    }

    DataDigests Now() {
        AppData gathered = GatherAll(data, views);
        return DigestRecords(gathered);
    }
    NodeHandle FirstRow() const { return eventsList.GetNextItem(kRootNode, kFirstChild); }

    ProgramFolder folder;
    AppData data;
    GroupTreeModel eventGroups, eventsList;
    ViewStates views;
};

}  // namespace

TEST_F(SyncRoundsTest, WhatIsTakenAfterTheStoreDescribesTheFilesTheSyncReads) {
    ASSERT_TRUE(SaveAll(data, views));
    const DataDigests stored = Now();
    AppData back;
    LoadAll(back);
    EXPECT_EQ(DigestRecords(back), stored);
    EXPECT_EQ(StepAfterFetch(stored, Now(), 1), SyncStep::Apply);
}

TEST_F(SyncRoundsTest, RowsTickingAndBeingReadAreNoChange) {
    ASSERT_TRUE(SaveAll(data, views));
    const DataDigests stored = Now();
    EventTickContext context;
    for (NodeHandle row = FirstRow(); row != kNoNode; row = eventsList.GetNextItem(row, kNextSibling))
        UpdateEventRow(eventsList, row, context, kNow + 600);
    EXPECT_EQ(StepAfterFetch(stored, Now(), 1), SyncStep::Apply);
}

TEST_F(SyncRoundsTest, AnyEditMeanwhileIsSeenAndSyncsAgainUntilItGivesUp) {
    ASSERT_TRUE(SaveAll(data, views));
    const DataDigests stored = Now();
    const std::function<void()> edits[] = {
        // a comment typed into a row the list holds, not yet in the store
        [&] {
            EventItem e = EventItemFromRow(eventsList, FirstRow(), false);
            e.details.comment = "bring the card";
            SetEventRow(eventsList, FirstRow(), e);
        },
        [&] { data.diary[0].html = "<p>hi there</p>"; },
        [&] { data.notes[0].name = "Plans!"; },
        [&] { data.contacts.contacts[0].fields.set(3, "Anne"); },
        // a group renamed in the tree, which the events' file takes its groups from
        [&] { eventGroups.SetItemText(eventGroups.GetNextItem(kRootNode, kFirstChild), 0, "House"); },
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(&edit - edits);
        const AppData before = data;
        const NodeHandle group = eventGroups.GetNextItem(kRootNode, kFirstChild);
        const std::string groupName = eventGroups.GetItemText(group, 0);
        const EventItem row = EventItemFromRow(eventsList, FirstRow(), false);
        edit();
        const DataDigests now = Now();
        EXPECT_EQ(StepAfterFetch(stored, now, 1), SyncStep::SyncAgain);
        EXPECT_EQ(StepAfterFetch(stored, now, kSyncRoundsAtMost - 1), SyncStep::SyncAgain);
        EXPECT_EQ(StepAfterFetch(stored, now, kSyncRoundsAtMost), SyncStep::GiveUp);
        data = before;
        SetEventRow(eventsList, FirstRow(), row);
        eventGroups.SetItemText(group, 0, groupName);
        EXPECT_EQ(StepAfterFetch(stored, Now(), 1), SyncStep::Apply) << "undone";
    }
}

TEST(SyncStateText, SaysWhenItLastSyncedOrWhatWentWrong) {
    SyncState s;
    EXPECT_EQ(SyncStateText(s, kNow), "Not synced yet");
    s.syncedAt = kNow - 30;
    EXPECT_EQ(SyncStateText(s, kNow), "Synced just now");
    s.syncedAt = kNow - 60;
    EXPECT_EQ(SyncStateText(s, kNow), "Synced 1 minute ago");
    s.syncedAt = kNow - 150;
    EXPECT_EQ(SyncStateText(s, kNow), "Synced 2 minutes ago");
    s.syncedAt = kNow - 3 * 3600;
    EXPECT_EQ(SyncStateText(s, kNow), "Synced 3 hours ago");
    s.syncedAt = kNow - 26 * 3600;
    EXPECT_EQ(SyncStateText(s, kNow), "Synced 1 day ago");
    s.error = "The server did not accept the user name and password (401).";
    EXPECT_EQ(SyncStateText(s, kNow),
              "Not synced: The server did not accept the user name and password (401).");
    s.running = true;
    EXPECT_EQ(SyncStateText(s, kNow), "Syncing...");
}
