// Every data file cut short at every byte: the load reports failure, keeps
// whole records only, and never crashes or reads out of bounds (the sanitizer
// build runs this too).
#include <gtest/gtest.h>

#include <functional>

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"

using namespace veltrin;

namespace {

struct Kind {
    const char* file;
    std::function<bool(bool storing)> serialize;
    std::function<std::size_t()> records;  // records in memory now
    std::function<void()> fill;            // two records
};

}  // namespace

TEST(EveryTruncation, EachFileKindFailsCleanlyAtEveryLength) {
    test::ProgramFolder folder;
    DiaryTable diary;
    NoteTable notes;
    EventStore events;
    ContactStore contacts;
    const std::vector<Kind> kinds = {
        {"Diary.dat", [&](bool s) { return SerializeDiaryFile(diary, s); }, [&] { return diary.size(); },
         [&] {
             diary = {{"a", "<p>x</p>", 1, 0}, {"b", "", 2, 1}};
         }},
        {"Notes.dat", [&](bool s) { return SerializeNotesFile(notes, s); }, [&] { return notes.size(); },
         [&] {
             notes = NoteTable(2);
             notes[1].levelStep = 1;
         }},
        {"Events.dat", [&](bool s) { return SerializeEventsFile(events, s); },
         [&] { return events.groups.size() + events.events.size(); },
         [&] {
             events = EventStore{{EventGroup{}}, {EventItem{}}};
         }},
        {"Contacts.dat", [&](bool s) { return SerializeContactsFile(contacts, s); },
         [&] { return contacts.groups.size() + contacts.contacts.size(); },
         [&] {
             contacts = ContactStore{{ContactGroup{}}, {ContactItem{}}};
         }},
    };
    auto emptyAll = [&] { diary.clear(), notes.clear(), events = {}, contacts = {}; };
    for (const Kind& k : kinds) {
        k.fill();
        ASSERT_TRUE(k.serialize(true)) << k.file;
        const std::string good = test::readAll(folder.file(k.file));
        for (std::size_t n = 0; n < good.size(); ++n) {
            test::writeAll(folder.file(k.file), good.substr(0, n));
            emptyAll();
            EXPECT_FALSE(k.serialize(false)) << k.file << " cut at " << n;
            EXPECT_LT(k.records(), 2u) << k.file << " cut at " << n;
            for (const auto& e : std::filesystem::directory_iterator(folder.data()))
                if (e.path().filename() != k.file) std::filesystem::remove(e.path());
        }
        test::writeAll(folder.file(k.file), good);
        emptyAll();
        EXPECT_TRUE(k.serialize(false)) << k.file;
        EXPECT_EQ(k.records(), 2u) << k.file;
    }
}
