// The save of the whole program and the main window's rules, without a window.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/AppData.h"
#include "app/WindowRules.h"
#include "settings/ViewIndex.h"
#include "support/Fakes.h"

using namespace veltrin;
using veltrin::test::ProgramFolder;

namespace {

AppData Filled() {
    AppData data;
    ApplySettingsDefaults(data.settings);
    data.diary.push_back({"2026, December 07", "<p>hi</p>", 1'796'601'600, 1});
    data.events.groups.push_back({0, "Home", 0, 0, 1, 5});
    EventItem e;
    e.name = "Dentist";
    e.details.groupId = 5;
    data.events.events.push_back(e);
    ContactItem c;
    c.fields.set(3, "Ann");
    data.contacts.contacts.push_back(c);
    return data;
}

}  // namespace

TEST(SaveAll, AStoreThatFailsLeavesTheOthersWrittenAndIsReported) {
    ProgramFolder folder;
    AppData data = Filled();
    // A folder where Diary.dat should be: that file cannot be replaced.
    std::filesystem::create_directory(folder.file("Diary.dat"));
    EXPECT_FALSE(SaveAll(data, ViewStates{}));
    EXPECT_EQ(folder.messages.texts(), (std::vector<std::string>{"Unable to write configuration file!"}));
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("Diary.dat")));

    AppData back;
    LoadAll(back);
    ASSERT_EQ(back.events.events.size(), 1u);
    EXPECT_EQ(back.events.events[0].name, "Dentist");
    ASSERT_EQ(back.contacts.contacts.size(), 1u);
    EXPECT_EQ(back.contacts.contacts[0].fields[3], "Ann");
    EXPECT_EQ(back.settings.townIndex, data.settings.townIndex);
    EXPECT_TRUE(std::filesystem::exists(folder.file("Notes.dat"))) << "the store after the failed one";
}

TEST(SaveAll, EveryFileIsWrittenWhateverViewIsCurrent) {
    for (int view = 0; view < kViewCount; ++view) {
        ProgramFolder folder;
        AppData data = Filled();
        data.settings.currentView = view;
        EXPECT_TRUE(SaveAll(data, ViewStates{})) << view;
        AppData back;
        LoadAll(back);
        EXPECT_TRUE(folder.messages.shown.empty()) << view;
        EXPECT_EQ(back.settings.currentView, view);
        EXPECT_EQ(back.diary.size(), 1u) << view;
        EXPECT_EQ(back.events.events.size(), 1u) << view;
        EXPECT_EQ(back.contacts.contacts.size(), 1u) << view;
    }
}

// The search sees the records through GatherAll: what the views hold now,
// edits included, exactly as the next save writes them, and nothing written.
TEST(SaveAll, GatherAllSeesWhatTheNextSaveWritesAndWritesNothing) {
    ProgramFolder folder;
    AppData data = Filled();
    data.contacts.groups.push_back({0, "Friends", 0, 0, 1, 1, 9});
    data.contacts.contacts[0].groupId = 9;
    data.notes.push_back({0, "Plans", 0, 0, 1, 1, "<p>old</p>", 5});

    // The views as the program builds them, each with an edit not yet saved.
    GroupTreeModel eventGroups, eventsList, diaryList, notesTree, contactGroups, contactList;
    eventGroups.InsertColumn(0, "Groups", ColumnAlign::Left, 200);
    for (const char* c : {"Event Name", "Time", "Left", "Priority"})
        eventsList.InsertColumn(eventsList.ColumnCount(), c, ColumnAlign::Left, 100);
    diaryList.InsertColumn(0, "Pages", ColumnAlign::Left, 100);
    notesTree.InsertColumn(0, "Notes", ColumnAlign::Left, 100);
    contactGroups.InsertColumn(0, "Groups", ColumnAlign::Left, 100);
    contactList.InsertColumn(0, "Name", ColumnAlign::Left, 100);
    eventGroups.SelectItem(BuildEventGroupTree(eventGroups, data.events.groups), 0);
    ASSERT_EQ(TakeEventsIntoList(
                  data.events, eventsList, [](const EventItem&) { return true; }, 0, 0),
              1);
    const NodeHandle eventRow = eventsList.GetNextItem(kRootNode, kFirstChild);
    EventItem renamed = EventItemFromRow(eventsList, eventRow, false);
    renamed.name = "Dentist at nine";
    SetEventRow(eventsList, eventRow, renamed);
    const NodeHandle page = BuildDiaryList(diaryList, data.diary);
    diaryList.SetPagePayload(page, TextPayload{"<p>edited</p>", data.diary[0].date});
    const NodeHandle note = BuildNotesTree(notesTree, data.notes);
    notesTree.SetNotePayload(note, TextPayload{"<p>new plans</p>", 5});
    contactGroups.SelectItem(BuildContactGroupTree(contactGroups, data.contacts.groups), 0);
    ASSERT_EQ(TakeContactsIntoList(data.contacts, contactList, 9, 0), 1);
    ContactItem edited =
        contactList.GetContactRecord<ContactItem>(contactList.GetNextItem(kRootNode, kFirstChild));
    edited.fields.set(3, "Ann Lee");
    contactList.SetContactRecord(contactList.GetNextItem(kRootNode, kFirstChild), edited);
    ASSERT_TRUE(data.events.events.empty());
    ASSERT_TRUE(data.contacts.contacts.empty());

    ViewStates views;
    views.events = {nullptr, &eventsList, &eventGroups};
    views.diary = {&diaryList, page};
    views.notes = {&notesTree, note};
    views.contacts = {&contactGroups, &contactList};
    const AppData now = GatherAll(data, views);
    EXPECT_TRUE(std::filesystem::is_empty(folder.data()));
    ASSERT_EQ(now.events.events.size(), 1u);
    EXPECT_EQ(now.events.events[0].name, "Dentist at nine");
    EXPECT_EQ(now.diary.at(0).html, "<p>edited</p>");
    EXPECT_EQ(now.notes.at(0).html, "<p>new plans</p>");
    ASSERT_EQ(now.contacts.contacts.size(), 1u);
    EXPECT_EQ(now.contacts.contacts[0].fields[3], "Ann Lee");
    // The rows stay with the views and the stores as they were.
    EXPECT_TRUE(data.events.events.empty());
    EXPECT_TRUE(data.contacts.contacts.empty());
    EXPECT_EQ(data.notes.at(0).html, "<p>old</p>");
    EXPECT_NE(eventsList.GetNextItem(kRootNode, kFirstChild), kNoNode);
    EXPECT_NE(contactList.GetNextItem(kRootNode, kFirstChild), kNoNode);

    ASSERT_TRUE(SaveAll(data, views));
    AppData back;
    LoadAll(back);
    ASSERT_EQ(back.events.events.size(), 1u);
    EXPECT_EQ(back.events.events[0].name, now.events.events[0].name);
    EXPECT_EQ(back.diary.at(0).html, now.diary.at(0).html);
    EXPECT_EQ(back.notes.at(0).html, now.notes.at(0).html);
    ASSERT_EQ(back.contacts.contacts.size(), 1u);
    EXPECT_EQ(back.contacts.contacts[0].fields, now.contacts.contacts[0].fields);
}

TEST(WindowRules, AutorunIsASwitchNotAPartOfAFolderName) {
    EXPECT_TRUE(IsAutorunStart({"veltrin", "--data", "/srv/x", "/autorun"}));
    EXPECT_TRUE(IsAutorunStart({"veltrin", "x/autorunx"}));
    EXPECT_FALSE(IsAutorunStart({"/opt/autorun/bin/veltrin"}));
    EXPECT_FALSE(IsAutorunStart({"veltrin", "--data", "/home/u/autorun"}));
    EXPECT_FALSE(IsAutorunStart({"veltrin", "--data=/home/u/autorun"}));
    EXPECT_FALSE(IsAutorunStart({"veltrin", "/AUTORUN"}));
}

TEST(WindowRules, OnlyTheTwoEventListsHandRowsToEachOtherAndTick) {
    AppSettings s;
    ApplySettingsDefaults(s);
    s.showSeconds = 0;
    for (int view = 0; view < kViewCount; ++view) {
        const bool eventList = view == kTodayView || view == kEventsView;
        EXPECT_EQ(ListToCommitBefore(view), eventList ? kTodayView + kEventsView - view : -1) << view;
        EXPECT_EQ(TickPeriodMs(view, s), eventList ? 60000 : 0) << view;
    }
    s.showSeconds = 1;
    EXPECT_EQ(TickPeriodMs(kEventsView, s), 1000);
}

TEST(WindowRules, ClosingAndMinimizingFollowTheSettingsAndTheTray) {
    AppSettings s;
    ApplySettingsDefaults(s);
    s.minimizeOnClose = 1;
    EXPECT_EQ(CloseActionFor(s), CloseAction::HideToTray);
    s.minimizeOnClose = 0;
    EXPECT_EQ(CloseActionFor(s), CloseAction::Exit);
    s.askOnExit = 0;
    EXPECT_FALSE(AsksBeforeExit(s));

    s.minimizeToTray = 1;
    EXPECT_EQ(MinimizeActionFor(s, true), MinimizeAction::HideToTray);
    EXPECT_EQ(MinimizeActionFor(s, false), MinimizeAction::SaveOnly) << "no tray: the window stays reachable";
    s.minimizeToTray = 0;
    EXPECT_EQ(MinimizeActionFor(s, true), MinimizeAction::Nothing);
}

TEST(SaveAll, AFirstStartInAFreshFolderMissesNoFileButOtherFaultsStillShow) {
    ProgramFolder folder;
    AppData data;
    LoadAll(data, true);
    EXPECT_TRUE(folder.messages.shown.empty()) << folder.messages.texts().front();
    EXPECT_EQ(data.settings.townIndex, 79);  // the defaults, as on any first start

    // The quiet load ends with the first start: a later load misses the files.
    AppData later;
    LoadAll(later);
    ASSERT_EQ(folder.messages.texts().size(), 5u);
    EXPECT_EQ(folder.messages.texts().front(), "Cannot find Settings.dat");

    // Saved, all five files are there for the next start.
    folder.messages.shown.clear();
    ASSERT_TRUE(SaveAll(later, ViewStates{}));
    for (const char* name : {"Settings.dat", "Diary.dat", "Notes.dat", "Events.dat", "Contacts.dat"})
        EXPECT_TRUE(std::filesystem::exists(folder.file(name))) << name;

    // A file there but not readable as ours is reported even on a first start.
    test::writeAll(folder.file("Notes.dat"), "not a data file at all");
    AppData again;
    LoadAll(again, true);
    ASSERT_FALSE(folder.messages.shown.empty());
    EXPECT_EQ(folder.messages.texts().front().rfind("Notes.dat is damaged", 0), 0u)
        << folder.messages.texts().front();
}
