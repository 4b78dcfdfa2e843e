// Writes one valid file of each kind, with varied records, as the fuzzers'
// seed corpus: make_seeds DIR gives DIR/<kind>/seed.dat.
#include <cstdio>
#include <filesystem>
#include <string>

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "settings/AppSettings.h"
#include "storage/DataFile.h"

using namespace veltrin;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    auto store = [&dir](const char* kind, const DataFileKind& file, const ArchiveBody& body) {
        std::filesystem::create_directories(dir / kind);
        std::string why;
        if (!StoreArchiveFile((dir / kind / "seed.dat").string(), file.signature, kDefaultVersionBits, body,
                              &why)) {
            std::fprintf(stderr, "make_seeds: %s: %s\n", kind, why.c_str());
            std::exit(1);
        }
    };

    AppSettings settings;
    settings.contactColumns = DefaultContactColumns();
    settings.reservedText = "r";
    store("settings", kSettingsFile, [&](Archive& ar) { settings.Transfer(ar); });

    DiaryTable diary = {{"2026, March 01", "<p>Spring</p>", 1'772'323'200, 0},
                        {"2026, March 02", std::string(300, 'x'), 1'772'409'600, 1}};
    store("diary", kDiaryFile, [&](Archive& ar) { TransferRecords(ar, diary); });

    NoteTable notes(5);
    const int steps[] = {0, 1, 0, 1, -2};
    for (int i = 0; i < 5; ++i) {
        notes[i].levelStep = steps[i];
        notes[i].name = "note " + std::to_string(i);
        notes[i].collapsed = i % 2;
        notes[i].html = "<b>" + std::to_string(i) + "</b>";
    }
    store("notes", kNotesFile, [&](Archive& ar) { TransferRecords(ar, notes); });

    EventStore events;
    events.groups = {{0, "Home", 1, 0, 1, 10}, {1, "Bins", 2, 1, 0, 20}, {-1, "Work", 0, 0, 0, 30}};
    for (int i = 0; i < 4; ++i) {
        EventItem e;
        e.actual = 1;
        e.name = "event " + std::to_string(i);
        e.priority = 1 + i * 3;
        e.details.groupId = i % 2 ? 20 : 10;
        e.details.schedule.kind = i;
        e.details.schedule.customDays = "246";
        events.events.push_back(e);
    }
    store("events", kEventsFile, [&](Archive& ar) { TransferEventStore(ar, events); });

    ContactStore contacts;
    contacts.groups = {{0, "Friends", 1, 0, 1, 0, 7}, {1, "Chess", 0, 1, 0, 1, 8}};
    ContactItem c;
    c.groupId = 7;
    c.fields.set(3, "Ann Lee");
    c.fields.set(28, "notes");
    contacts.contacts = {c, c};
    store("contacts", kContactsFile, [&](Archive& ar) { TransferContactStore(ar, contacts); });
    return 0;
}
