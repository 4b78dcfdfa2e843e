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
