#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <future>
#include <thread>

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

// The files are read on a thread of their own, but finished in start-up
// order: the version last read is the one every store writes, whichever
// file was read first, and a damaged file's version counts as it did.
TEST(StartUp, TheVersionHeldIsTheLastFilesReadInStartUpOrder) {
    ProgramFolder folder;
    const auto path = [&folder](const DataFileKind& kind) {
        return (folder.data() / kind.fileName).string();
    };
    // Files with no records: one count of none, or two with groups.
    const auto store = [&path](const DataFileKind& kind, std::uint32_t version, int counts) {
        ASSERT_TRUE(StoreArchiveFile(path(kind), kind.signature, version, [counts](Archive& ar) {
            std::int32_t none = 0;
            for (int i = 0; i < counts; ++i) ar.int32(none);
        }));
    };
    store(kDiaryFile, 0x3F800001, 1);
    store(kEventsFile, 0x3F800003, 2);
    store(kContactsFile, 0x3F800004, 2);
    AppData data;
    LoadAll(data);
    EXPECT_EQ(SharedVersion(), 0x3F800004u);

    // Contacts missing, Events cut after its head: the version is Events'.
    std::remove(path(kContactsFile).c_str());
    const std::string events = test::readAll(path(kEventsFile));
    test::writeAll(path(kEventsFile), events.substr(0, 6));
    AppData again;
    LoadAll(again);
    EXPECT_EQ(SharedVersion(), 0x3F800003u);
    const std::vector<std::string> texts = folder.messages.texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2].rfind("Events.dat is damaged", 0), 0u) << texts[texts.size() - 2];
    EXPECT_EQ(texts.back(), "Cannot find Contacts.dat");
}

// What runs after the reading (loading the GL driver at a start) never holds
// up the start: Finish has the records while it still runs.
// What the window's thread does while the files are read runs there, before
// the load is finished, and the load comes out whole all the same.
TEST(StartUp, WorkWhileTheFilesAreReadRunsOnTheWaitingThreadFirst) {
    ProgramFolder folder;
    AppData stored;
    ApplySettingsDefaults(stored.settings);
    stored.diary.push_back({"2026, December 08", "<p>snow</p>", 1'796'688'000, 1});
    ASSERT_TRUE(SerializeDiaryFile(stored.diary, true));
    ASSERT_TRUE(SerializeSettings(stored.settings, true));

    // The reading waits until the work has begun, so it is surely still going.
    std::promise<void> begun;
    std::shared_future<void> hasBegun = begun.get_future().share();
    AppData data;
    RecordsReadAhead reading(data, [hasBegun] { hasBegun.wait(); });
    const std::thread::id caller = std::this_thread::get_id();
    bool ranHere = false;
    std::size_t pagesMeanwhile = 1;
    reading.Finish(false, [&] {
        ranHere = std::this_thread::get_id() == caller;
        pagesMeanwhile = data.diary.size();
        begun.set_value();
    });
    EXPECT_TRUE(ranHere);
    EXPECT_EQ(pagesMeanwhile, 0u);
    ASSERT_EQ(data.diary.size(), 1u);
    EXPECT_EQ(data.diary[0].html, "<p>snow</p>");
    EXPECT_EQ(folder.messages.texts(),
              (std::vector<std::string>{"Cannot find Notes.dat", "Cannot find Events.dat",
                                        "Cannot find Contacts.dat"}));
}
