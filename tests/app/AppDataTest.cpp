#include <gtest/gtest.h>

#include "app/AppData.h"
#include "app/CMainDialog.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"
#include "support/ShippedTemplates.h"

using namespace veltrin;
using veltrin::test::ProgramFolder;

TEST(StartUp, FirstStartReportsEachMissingFileInLoadOrderAndRunsOnDefaults) {
    ProgramFolder folder;
    AppData data;
    LoadAll(data);
    EXPECT_EQ(folder.messages.texts(),
              (std::vector<std::string>{"Cannot find Settings.dat", "Cannot find Diary.dat",
                                        "Cannot find Notes.dat", "Cannot find Events.dat",
                                        "Cannot find Contacts.dat"}));
    EXPECT_EQ(data.settings.townIndex, 79);
    EXPECT_TRUE(data.events.events.empty());
}

TEST(StartUp, SaveAllWritesAllFiveFilesAndTheyLoadBackWhole) {
    ProgramFolder folder;
    test::CopyShippedTemplates(folder.root);
    AppData data;
    ApplySettingsDefaults(data.settings);
    data.diary.push_back({"2026, December 07", "<p>hi</p>", 1'796'601'600, 1});
    data.notes.push_back(NoteItem{});
    EventItem e;
    e.details.groupId = 5;
    data.events.groups.push_back({0, "Home", 0, 0, 1, 5});
    data.events.events.push_back(e);
    ContactItem c;
    c.fields.set(3, "Ann");
    data.contacts.contacts.push_back(c);
    for (int view : {0, 1, 3}) {  // Today, another view, Events: no event is ever dropped
        data.settings.currentView = view;
        {
            CMainDialog dlg(data, {"veltrin"});
            dlg.SaveAll();
        }
        AppData back;
        LoadAll(back);
        EXPECT_TRUE(folder.messages.shown.empty()) << folder.messages.texts().front();
        EXPECT_EQ(back.settings.currentView, view);
        EXPECT_EQ(back.diary.size(), 1u);
        EXPECT_EQ(back.notes.size(), 1u);
        ASSERT_EQ(back.events.events.size(), 1u) << view;
        EXPECT_EQ(back.events.groups.size(), 1u);
        ASSERT_EQ(back.contacts.contacts.size(), 1u);
        EXPECT_EQ(back.contacts.contacts[0].fields[3], "Ann");
    }
}
