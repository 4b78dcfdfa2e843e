#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>

#include "cli/RunCommand.h"
#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "platform/InstanceLock.h"
#include "settings/AppSettings.h"
#include "storage/DataFile.h"
#include "storage/SafeFile.h"
#include "support/Fakes.h"
#include "support/Faults.h"
#include "support/ScopedZone.h"

using namespace veltrin;
using json = nlohmann::ordered_json;
using veltrin::test::Outcome;
using veltrin::test::readAll;
using veltrin::test::RunCommand;
using veltrin::test::Split;
using veltrin::test::writeAll;

namespace {

constexpr std::uint32_t kVersion2 = 0x40000000;  // 2.0f

// File bytes put together by hand, field by field.
struct Bytes {
    std::string s;
    Bytes& i32(std::uint32_t v) {
        for (int k = 0; k < 4; ++k) s += static_cast<char>((v >> (8 * k)) & 0xFF);
        return *this;
    }
    Bytes& str(const std::string& t) {
        s += Archive::lengthPrefix(t.size()) + t;
        return *this;
    }
};

std::vector<std::string> Keys(const json& j) {
    std::vector<std::string> keys;
    for (auto it = j.begin(); it != j.end(); ++it) keys.push_back(it.key());
    return keys;
}

class DataCommandsTest : public ::testing::Test {
protected:
    DataCommandsTest() { SharedVersion() = kDefaultVersionBits; }
    ~DataCommandsTest() override { SharedVersion() = kDefaultVersionBits; }

    std::string path(const std::string& name) const { return folder.file(name).string(); }
    json Dump(const std::string& name) {
        const Outcome r = RunCommand({"dump", path(name)});
        EXPECT_EQ(r.status, 0) << r.err;
        return json::parse(r.out);
    }

    static EventStore SampleEvents() {
        EventStore store;
        store.groups = {{0, "Home", 1, 0, 0, 10}, {1, "Birthdays", 2, 1, 1, 20}, {-1, "Work", 3, 0, 0, 30}};
        EventItem e;
        e.actual = 1;
        e.name = "Dentist";
        e.iconIndex = 0;
        e.bold = 1;
        e.priority = 7;
        e.isCurrent = 1;
        e.details = {20, 4242, "bring card", 1, 0, 1, "/usr/bin/true", {}};
        e.details.schedule = {Daily, 1'790'000'000, 15, 31, 29, 1, CustomDays, "246", 3, 1'790'086'400, -5};
        store.events = {e};
        e.name = "Bins";
        e.actual = 0;
        e.isCurrent = 0;
        e.priority = 10;
        store.events.push_back(e);
        return store;
    }
    static ContactStore SampleContacts() {
        ContactStore store;
        store.groups = {{0, "Friends", 4, 1, 1, 0, 77}};
        ContactItem c;
        c.groupId = 77;
        for (int i = 0; i < kContactFieldCount; ++i) c.fields.set(i, "field " + std::to_string(i));
        c.isCurrent = 1;
        store.contacts = {c};
        c.groupId = 999;  // a group that does not exist
        c.fields = {};
        store.contacts.push_back(c);
        return store;
    }

    // One file of each kind, through the program's own stores.
    void StoreEveryKind(std::uint32_t version) {
        AppSettings settings;
        ApplySettingsDefaults(settings);
        SharedVersion() = version;
        settings.contactColumns[3] = {"Company", 240, 0};
        settings.reservedText = "kept \xE9";
        settings.townIndex = 137;
        ASSERT_TRUE(SerializeSettings(settings, true));
        EventStore events = SampleEvents();
        ASSERT_TRUE(SerializeEventsFile(events, true));
        ContactStore contacts = SampleContacts();
        contacts.contacts[0].fields.set(28, std::string(70000, 'n'));  // the long length prefix
        ASSERT_TRUE(SerializeContactsFile(contacts, true));
        DiaryTable diary = {{"2026, December 07", std::string(300, 'd'), 1'796'601'600, 1}};
        ASSERT_TRUE(SerializeDiaryFile(diary, true));
        NoteTable notes = {{0, "A", 1, 0, 0, 0, "a", 5}, {1, "A1", 2, 1, 1, 1, "", 6}};
        ASSERT_TRUE(SerializeNotesFile(notes, true));
    }

    test::ProgramFolder folder;
};

// Settings.dat written field by field in the documented order, each field
// with a value of its own: the dump must name each one where it belongs.
TEST_F(DataCommandsTest, DumpOfSettingsNamesEveryFieldInStoredOrder) {
    struct Field {
        const char* name;
        bool text;
    };
    const Field fields[] = {
        {"skinColour", false},         {"buttonColour", false},         {"defaultDiaryTemplate", true},
        {"defaultNoteTemplate", true}, {"priorityColour", false},       {"toolbarColour", false},
        {"buttonFontFace", true},      {"buttonFontSize", false},       {"buttonFontBold", false},
        {"buttonFontItalic", false},   {"buttonFontUnderline", false},  {"buttonTextColour", false},
        {"dayInfoFontFace", true},     {"dayInfoFontSize", false},      {"dayInfoFontBold", false},
        {"dayInfoFontItalic", false},  {"dayInfoFontUnderline", false}, {"dayInfoTextColour", false},
        {"headerFontFace", true},      {"headerFontSize", false},       {"headerFontBold", false},
        {"headerFontItalic", false},   {"headerFontUnderline", false},  {"headerTextColour", false},
        {"headerGradient1", false},    {"headerGradient2", false},      {"listBackColour", false},
        {"listTextColour", false},     {"listSelBackColour", false},    {"listSelTextColour", false},
        {"clockBackColour", false},    {"clockDigitColour", false},     {"comingEventsPeriod", false},
        {"runOnStartup", false},       {"minimizeOnAutorun", false},    {"showSeconds", false},
        {"minimizeToTray", false},     {"minimizeOnClose", false},      {"askOnExit", false},
        {"showTipsAtStartup", false},  {"currentView", false},          {"townIndex", false},
        {"reservedTime", false},       {"reservedNumber", false},       {"reservedText", true},
    };
    Bytes b;
    b.i32(kDefaultVersionBits).str("Settings");
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        if (fields[i].text)
            b.str(std::string("text ") + fields[i].name);
        else
            b.i32(static_cast<std::uint32_t>(1000 + i));
    }
    for (int i = 0; i < kContactColumnCount; ++i)
        b.str(ContactFields()[kContactColumnCount - 1 - i].name).i32(50 + i).i32(i % 2);
    writeAll(folder.file("Settings.dat"), b.s);

    const json j = Dump("Settings.dat");
    std::vector<std::string> expectedKeys{"version", "signature"};
    for (const Field& f : fields) expectedKeys.push_back(f.name);
    expectedKeys.push_back("contactColumns");
    EXPECT_EQ(Keys(j), expectedKeys);
    EXPECT_EQ(j["version"], 1.1);
    EXPECT_EQ(j["signature"], "Settings");
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        if (fields[i].text)
            EXPECT_EQ(j[fields[i].name], std::string("text ") + fields[i].name);
        else
            EXPECT_EQ(j[fields[i].name], 1000 + i) << fields[i].name;
    }
    ASSERT_EQ(j["contactColumns"].size(), 29u);
    EXPECT_EQ(j["contactColumns"][0], (json{{"name", "Notes"}, {"width", 50}, {"shown", 0}}));
    EXPECT_EQ(j["contactColumns"][28], (json{{"name", "Name"}, {"width", 78}, {"shown", 0}}));
    EXPECT_EQ(Keys(j["contactColumns"][1]), (std::vector<std::string>{"name", "width", "shown"}));
}

TEST_F(DataCommandsTest, DumpOfEventsNestsDetailsAndSchedule) {
    SharedVersion() = kVersion2;
    EventStore store = SampleEvents();
    ASSERT_TRUE(SerializeEventsFile(store, true));
    const json j = Dump("Events.dat");
    EXPECT_EQ(Keys(j), (std::vector<std::string>{"version", "signature", "groups", "events"}));
    EXPECT_EQ(j["version"], 2);
    ASSERT_EQ(j["groups"].size(), 3u);
    EXPECT_EQ(j["groups"][1], (json{{"levelStep", 1},
                                    {"name", "Birthdays"},
                                    {"iconIndex", 2},
                                    {"bold", 1},
                                    {"isCurrent", 1},
                                    {"groupId", 20}}));
    EXPECT_EQ(j["groups"][2]["levelStep"], -1);
    ASSERT_EQ(j["events"].size(), 2u);
    const json& e = j["events"][0];
    EXPECT_EQ(Keys(e), (std::vector<std::string>{"actual", "name", "iconIndex", "bold", "priority",
                                                 "isCurrent", "details"}));
    EXPECT_EQ(e["priority"], 7);
    EXPECT_EQ(e["isCurrent"], 1);
    EXPECT_EQ(e["details"], (json{{"groupId", 20},
                                  {"eventId", 4242},
                                  {"comment", "bring card"},
                                  {"playSound", 1},
                                  {"showMessage", 0},
                                  {"runFile", 1},
                                  {"filePath", "/usr/bin/true"},
                                  {"schedule",
                                   {{"kind", 2},
                                    {"eventTime", 1790000000},
                                    {"minutesAfterHour", 15},
                                    {"dayOfMonth", 31},
                                    {"annualDay", 29},
                                    {"annualMonth", 1},
                                    {"whichDays", 3},
                                    {"customDays", "246"},
                                    {"weekday", 3},
                                    {"nextDue", 1790086400},
                                    {"lastCheck", -5}}}}));
    EXPECT_EQ(Keys(e["details"]["schedule"]).front(), "kind");
    EXPECT_EQ(j["events"][1]["name"], "Bins");
    EXPECT_EQ(j["events"][1]["priority"], 10);
}

TEST_F(DataCommandsTest, DumpOfContactsKeysTheFieldsByName) {
    ContactStore store = SampleContacts();
    ASSERT_TRUE(SerializeContactsFile(store, true));
    const json j = Dump("Contacts.dat");
    EXPECT_EQ(Keys(j), (std::vector<std::string>{"version", "signature", "groups", "contacts"}));
    EXPECT_EQ(j["groups"][0], (json{{"levelStep", 0},
                                    {"name", "Friends"},
                                    {"iconIndex", 4},
                                    {"bold", 1},
                                    {"isCurrent", 1},
                                    {"collapsed", 0},
                                    {"groupId", 77}}));
    ASSERT_EQ(j["contacts"].size(), 2u);
    const json& c = j["contacts"][0];
    EXPECT_EQ(Keys(c), (std::vector<std::string>{"groupId", "fields", "isCurrent"}));
    std::vector<std::string> names;
    for (const ContactField& f : ContactFields()) names.push_back(f.name);
    EXPECT_EQ(Keys(c["fields"]), names);
    // The display name is the record's fourth string.
    EXPECT_EQ(c["fields"]["Name"], "field 3");
    EXPECT_EQ(c["fields"]["First Name"], "field 0");
    EXPECT_EQ(c["fields"]["Middle Name"], "field 2");
    EXPECT_EQ(c["fields"]["Nickname"], "field 4");
    EXPECT_EQ(c["fields"]["Notes"], "field 28");
    EXPECT_EQ(j["contacts"][1]["groupId"], 999);
    EXPECT_EQ(j["contacts"][1]["fields"]["Company"], "");
}

TEST_F(DataCommandsTest, DumpOfDiaryAndNotesAndTheirTexts) {
    DiaryTable diary = {{"2026, December 07", "<p>Snow</p>", 1'796'601'600, 1},
                        {"2026, December 08", "", 1'796'688'000, 0}};
    ASSERT_TRUE(SerializeDiaryFile(diary, true));
    // A name from Windows (é and € in Windows-1252), a UTF-8 one, and one that mixes both.
    NoteTable notes = {{0,
                        "Caf\xE9 \x80"
                        "5",
                        7, 1, 0, 0, "<b>x</b>", 1'700'000'000},
                       {1,
                        "Gr\xC3\xBC\xC3\x9F"
                        "e",
                        0, 0, 1, 1, "", -1},
                       {-1, "na\xC3\xAFve \xE9t\xE9", 45, 0, 0, 1, "\x93q\x94", 0}};
    ASSERT_TRUE(SerializeNotesFile(notes, true));

    const json d = Dump("Diary.dat");
    EXPECT_EQ(Keys(d), (std::vector<std::string>{"version", "signature", "pages"}));
    EXPECT_EQ(d["pages"][0], (json{{"title", "2026, December 07"},
                                   {"html", "<p>Snow</p>"},
                                   {"date", 1796601600},
                                   {"isCurrent", 1}}));
    EXPECT_EQ(d["pages"][1]["html"], "");

    const json n = Dump("Notes.dat");
    EXPECT_EQ(Keys(n), (std::vector<std::string>{"version", "signature", "notes"}));
    EXPECT_EQ(n["notes"][0], (json{{"levelStep", 0},
                                   {"name", "Café €5"},
                                   {"iconIndex", 7},
                                   {"bold", 1},
                                   {"isCurrent", 0},
                                   {"collapsed", 0},
                                   {"html", "<b>x</b>"},
                                   {"created", 1700000000}}));
    EXPECT_EQ(n["notes"][1]["name"], "Grüße");
    EXPECT_EQ(n["notes"][1]["created"], -1);
    EXPECT_EQ(n["notes"][2]["name"], "naïve été");
    EXPECT_EQ(n["notes"][2]["html"], "\u201Cq\u201D");
    EXPECT_EQ(n["notes"][2]["levelStep"], -1);
}

TEST_F(DataCommandsTest, CheckPassesWholeFilesOfEveryKind) {
    StoreEveryKind(kDefaultVersionBits);
    EXPECT_EQ(RunCommand({"check", path("Settings.dat")}).out,
              "Settings.dat loads whole: Settings file, version 1.1, settings.\n");
    EXPECT_EQ(RunCommand({"check", path("Events.dat")}).out,
              "Events.dat loads whole: Events file, version 1.1, 3 groups, 2 events.\n");
    EXPECT_EQ(RunCommand({"check", path("Contacts.dat")}).out,
              "Contacts.dat loads whole: Contacts file, version 1.1, 1 group, 2 contacts.\n");
    EXPECT_EQ(RunCommand({"check", path("Diary.dat")}).out,
              "Diary.dat loads whole: Diary file, version 1.1, 1 page.\n");
    const Outcome n = RunCommand({"check", path("Notes.dat")});
    EXPECT_EQ(n.status, 0);
    EXPECT_EQ(n.out, "Notes.dat loads whole: Notes file, version 1.1, 2 notes.\n");
    EXPECT_EQ(n.err, "");

    // Bytes after the last record are ignored by loading, and said so.
    writeAll(folder.file("Notes.dat"), readAll(folder.file("Notes.dat")) + "xyz");
    const Outcome extra = RunCommand({"check", path("Notes.dat")});
    EXPECT_EQ(extra.status, 0);
    EXPECT_EQ(extra.out,
              "Notes.dat loads whole: Notes file, version 1.1, 2 notes; the 3 bytes after its end "
              "are ignored.\n");
    EXPECT_TRUE(folder.messages.shown.empty());
}

TEST_F(DataCommandsTest, CheckNamesTheDamageAndItsOffset) {
    EventStore store = SampleEvents();
    ASSERT_TRUE(SerializeEventsFile(store, true));
    const std::string whole = readAll(folder.file("Events.dat"));
    const std::string damaged = path("Damaged.dat");
    auto check = [&](const std::string& bytes) {
        writeAll(damaged, bytes);
        return RunCommand({"check", damaged});
    };

    // Cut inside the group count: the count's first byte is where it fails.
    Outcome r = check(whole.substr(0, 13));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Damaged.dat is damaged: the file ends too early (at byte 11).\n");

    // Every cut short of the whole file fails, each at an offset inside it.
    for (std::size_t n = 0; n < whole.size(); ++n) {
        r = check(whole.substr(0, n));
        EXPECT_EQ(r.status, 1) << n;
        const std::size_t at = r.err.find("(at byte ");
        ASSERT_NE(at, std::string::npos) << n << ": " << r.err;
        EXPECT_LE(std::stoul(r.err.substr(at + 9)), n);
    }

    // A huge count and a huge text length are caught before anything is read.
    std::string huge = whole;
    huge.replace(11, 4, std::string("\xFF\xFF\xFF\x7F", 4));
    EXPECT_EQ(check(huge).err,
              "Damaged.dat is damaged: a count is larger than the rest of the file can hold (at "
              "byte 15).\n");
    huge = whole;
    huge.replace(19, 1, std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 7));  // first group's name
    r = check(huge);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("(at byte 26)"), std::string::npos) << r.err;
}

TEST_F(DataCommandsTest, MissingAndForeignFilesAreSaidInTheProgramsWords) {
    Outcome r = RunCommand({"check", path("Events.dat")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot find Events.dat\n");

    writeAll(folder.file("Settings.dat"), Bytes().i32(kDefaultVersionBits).str("settings").i32(0).s);
    for (const char* command : {"check", "dump", "resave"}) {
        r = RunCommand({command, path("Settings.dat")});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(Split(r.err, '\n').front(), "Wrong file format!") << command;
        EXPECT_NE(r.err.find("none of \"Settings\", \"Diary\", \"Notes\", \"Events\", \"Contacts\""),
                  std::string::npos)
            << r.err;
    }
    EXPECT_TRUE(folder.messages.shown.empty());
}

TEST_F(DataCommandsTest, ResaveWritesEveryKindBackByteForByte) {
    StoreEveryKind(kVersion2);
    for (const char* name : {"Settings.dat", "Events.dat", "Contacts.dat", "Diary.dat", "Notes.dat"}) {
        const std::string before = readAll(folder.file(name));
        ASSERT_EQ(before.substr(0, 4), std::string("\0\0\0\x40", 4)) << name;
        ::chmod(path(name).c_str(), 0640);
        const Outcome r = RunCommand({"resave", path(name)});
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_EQ(readAll(folder.file(name)), before) << name;
        struct stat st {};
        ::stat(path(name).c_str(), &st);
        EXPECT_EQ(st.st_mode & 0777, 0640u) << name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.data()), {}), 5);
}

TEST_F(DataCommandsTest, ResaveRefusesAFileThatDoesNotLoadWhole) {
    ContactStore store = SampleContacts();
    ASSERT_TRUE(SerializeContactsFile(store, true));
    const std::string cut = readAll(folder.file("Contacts.dat")).substr(0, 60);
    writeAll(folder.file("Contacts.dat"), cut);
    const Outcome r = RunCommand({"resave", path("Contacts.dat")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "Contacts.dat is damaged: a count is larger than the rest of the file can hold (at "
              "byte 53).\n"
              "Contacts.dat was left as it was.\n");
    EXPECT_EQ(readAll(folder.file("Contacts.dat")), cut);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.data()), {}), 1);
    EXPECT_EQ(RunCommand({"resave", path("Nothing.dat")}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(folder.file("Nothing.dat")));
}

// ----------------------------------------------------- the running program

TEST_F(DataCommandsTest, WritingCommandsAreRefusedWhileAProgramHoldsTheFolder) {
    StoreEveryKind(kDefaultVersionBits);
    std::filesystem::create_directories(folder.data() / "backup" / "2024-03-01");
    std::filesystem::copy_file(folder.file("Events.dat"),
                               folder.data() / "backup" / "2024-03-01" / "Events.dat");
    const std::string before = readAll(folder.file("Events.dat"));
    const auto state = StateOfFile(path("Events.dat"));

    InstanceLock program;
    ASSERT_TRUE(program.acquire(folder.data().string()));
    const std::string refusal = "veltrin-data: Veltrin is running with the data folder \"" +
                                folder.data().string() +
                                "\" and would write over this change at its next save; end it first.\n";
    Outcome r = RunCommand({"resave", path("Events.dat")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, refusal);
    r = RunCommand({"restore", "--data", folder.data().string(), "--date", "2024-03-01"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, refusal);
    EXPECT_EQ(r.out, "");
    // The same from a process of its own.
    const std::string command =
        std::string(VELTRIN_DATA_EXE) + " resave '" + path("Events.dat") + "' 2>/dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
    EXPECT_EQ(StateOfFile(path("Events.dat")), state) << "written while refused";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.data()), {}), 6);

    // Reading goes on.
    EXPECT_EQ(RunCommand({"check", path("Events.dat")}).status, 0);
    EXPECT_EQ(RunCommand({"dump", path("Events.dat")}).status, 0);
    EXPECT_EQ(RunCommand({"backups", "--data", folder.data().string()}).status, 0);
    EXPECT_EQ(RunCommand({"agenda", "--data", folder.data().string()}).status, 0);

    program.release();
    r = RunCommand({"resave", path("Events.dat")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(StateOfFile(path("Events.dat"))->inode, state->inode);
    EXPECT_EQ(readAll(folder.file("Events.dat")), before);
    // The command let go of the folder when it ended.
    EXPECT_TRUE(program.acquire(folder.data().string()));
}

// ---------------------------------------------------------------- backups

namespace {

class BackupCommandsTest : public DataCommandsTest {
protected:
    // Events.dat and Notes.dat replaced on three days running, from 2024-03-01.
    void SaveOnThreeDays() {
        for (int day = 0; day < 3; ++day) {
            folder.clock.t = 1'709'294'400 + day * 86400;
            EventStore events = SampleEvents();
            events.events[0].name = "version " + std::to_string(day);
            ASSERT_TRUE(SerializeEventsFile(events, true));
            NoteTable notes = {{0, "note " + std::to_string(day), 1, 0, 0, 0, "", 5}};
            ASSERT_TRUE(SerializeNotesFile(notes, true));
            eventsOfDay.push_back(readAll(folder.file("Events.dat")));
            notesOfDay.push_back(readAll(folder.file("Notes.dat")));
        }
    }
    Outcome Run(std::vector<std::string> args) {
        args.insert(args.begin() + 1, {"--data", folder.data().string()});
        return RunCommand(args);
    }
    std::filesystem::path day(const std::string& name) const { return folder.data() / "backup" / name; }

    test::ScopedZone zone{"UTC"};
    std::vector<std::string> eventsOfDay, notesOfDay;
};

}  // namespace

TEST_F(BackupCommandsTest, BackupsListEveryCopyWithItsSizeAndWhetherItLoads) {
    SaveOnThreeDays();
    writeAll(day("2024-03-03") / "Notes.dat", notesOfDay[1].substr(0, 20));
    writeAll(day("2024-03-03") / "Contacts.dat", notesOfDay[1]);
    writeAll(day("2024-03-03") / "notes.txt", "not listed");
    const Outcome r = Run({"backups"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const auto size = [](const std::string& s) { return std::to_string(s.size()); };
    // Oldest day first; in a day, in the order Settings, Diary, Notes, Events, Contacts.
    EXPECT_EQ(r.out, "2024-03-02\tNotes.dat\t" + size(notesOfDay[0]) + "\tloads whole\n" +
                         "2024-03-02\tEvents.dat\t" + size(eventsOfDay[0]) + "\tloads whole\n" +
                         "2024-03-03\tNotes.dat\t20\tdamaged: a count is larger than the rest of the file "
                         "can hold (at byte 14)\n" +
                         "2024-03-03\tEvents.dat\t" + size(eventsOfDay[1]) + "\tloads whole\n" +
                         "2024-03-03\tContacts.dat\t" + size(notesOfDay[1]) +
                         "\twrong file format: a Notes file\n");

    std::filesystem::remove_all(folder.data() / "backup");
    const Outcome none = Run({"backups"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "veltrin-data: no backups in " + folder.data().string() + "/backup\n");
}

TEST_F(BackupCommandsTest, ABackupFolderThatCannotBeReadIsAFailureNotAnEmptyList) {
    SaveOnThreeDays();
    // Only its owner may look inside; the command runs as someone else.
    test::MakeReadOnlyForOthers(folder.data(), folder.root);
    std::filesystem::permissions(folder.data() / "backup", std::filesystem::perms::owner_all);
    const std::string report = test::RunInChild([&] {
        if (!test::DropRoot()) return std::string("could not drop root");
        const Outcome r = Run({"backups"});
        return std::to_string(r.status) + "|" + r.out + "|" + r.err;
    });
    EXPECT_EQ(report, "1||veltrin-data: cannot read " + folder.data().string() +
                          "/backup: " + std::strerror(EACCES) + "\n");
}

TEST_F(BackupCommandsTest, RestorePutsADayBackAndKeepsWhatItReplaced) {
    SaveOnThreeDays();
    // One file first: the rest stays as it is.
    Outcome r = Run({"restore", "--date", "2024-03-02", "--file", "Events.dat"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string aside = path("Events.dat") + ".before-restore";
    EXPECT_EQ(r.out,
              "Events.dat restored from the backup of 2024-03-02; the file it replaced was kept as \"" +
                  aside + "\".\n");
    EXPECT_EQ(readAll(folder.file("Events.dat")), eventsOfDay[0]);
    EXPECT_EQ(readAll(aside), eventsOfDay[2]);
    EXPECT_EQ(readAll(folder.file("Notes.dat")), notesOfDay[2]);

    // A whole day, even over a missing file.
    std::filesystem::remove(folder.file("Notes.dat"));
    r = Run({"restore", "--date", "2024-03-03"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "Notes.dat restored from the backup of 2024-03-03.\n"
              "Events.dat restored from the backup of 2024-03-03; the file it replaced was kept as \"" +
                  aside + "-2\".\n");
    EXPECT_EQ(readAll(folder.file("Events.dat")), eventsOfDay[1]);
    EXPECT_EQ(readAll(folder.file("Notes.dat")), notesOfDay[1]);
    EXPECT_EQ(readAll(aside + "-2"), eventsOfDay[0]);

    // What was restored loads as the program loads it.
    EventStore back;
    ASSERT_TRUE(SerializeEventsFile(back, false));
    EXPECT_EQ(back.events[0].name, "version 1");
    EXPECT_TRUE(folder.messages.shown.empty());
    EXPECT_TRUE(test::TemporariesUnder(folder.data()).empty());
}

TEST_F(BackupCommandsTest, RestoreReplacesNothingUnlessEveryCopyLoadsWhole) {
    SaveOnThreeDays();
    writeAll(day("2024-03-03") / "Notes.dat", notesOfDay[1].substr(0, 20));
    Outcome r = Run({"restore", "--date", "2024-03-03"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "veltrin-data: the backup copy 2024-03-03/Notes.dat is not whole (damaged: a count is larger "
              "than the rest of the file can hold (at byte 14)); nothing was restored.\n");
    EXPECT_EQ(readAll(folder.file("Events.dat")), eventsOfDay[2]);
    EXPECT_EQ(readAll(folder.file("Notes.dat")), notesOfDay[2]);

    r = Run({"restore", "--date", "2024-02-29"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "veltrin-data: there is no backup of 2024-02-29 in " + folder.data().string() + "/backup.\n");
    r = Run({"restore", "--date", "2024-03-02", "--file", "Contacts.dat"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "veltrin-data: the backup of 2024-03-02 holds no Contacts.dat.\n");
    EXPECT_EQ(Run({"restore", "--date", "2024-02-30"}).status, cli::kBadArguments);
    EXPECT_EQ(Run({"restore", "--date", "2024-03-02", "--file", "Other.dat"}).status, cli::kBadArguments);
    EXPECT_EQ(RunCommand({"restore", "--date", "2024-03-02"}).status, cli::kBadArguments);
    EXPECT_FALSE(std::filesystem::exists(path("Events.dat") + ".before-restore"));
}

// ---------------------------------------------------------------- agenda

class AgendaTest : public DataCommandsTest {
protected:
    // Events due at the given local times (Once), with a name and priority.
    void Store(const std::vector<std::tuple<std::string, std::string, int, int>>& rows) {
        EventStore store;
        for (const auto& [name, when, priority, actual] : rows) {
            EventItem e;
            e.name = name;
            e.priority = priority;
            e.actual = actual;
            e.details.schedule.kind = Once;
            e.details.schedule.eventTime = static_cast<std::int32_t>(*cli::ParseLocalDateTime(when));
            store.events.push_back(e);
        }
        ASSERT_TRUE(SerializeEventsFile(store, true));
    }
    Outcome Agenda(std::vector<std::string> args) {
        args.insert(args.begin(), {"agenda", "--data", folder.data().string()});
        return RunCommand(args);
    }
    std::vector<std::string> Names(const Outcome& r) {
        std::vector<std::string> names;
        for (const std::string& line : Split(r.out, '\n')) names.push_back(Split(line, '\t').front());
        return names;
    }
    test::ScopedZone zone{"Europe/Berlin"};
};

TEST_F(AgendaTest, ListsTheDaysEventsSortedByNameWithTheFourColumns) {
    Store({{"dentist", "2026-12-07 15:30:00", 3, 1},
           {"Bins", "2026-12-07 07:00:00", 10, 1},
           {"apple", "2026-12-07 09:00:00", 1, 0},
           {"Tomorrow", "2026-12-08 09:00:00", 5, 1},
           {"Apple", "2026-12-07 08:00:00", 2, 1},
           {"Past year", "2025-12-07 09:00:00", 5, 1}});
    const Outcome r = Agenda({"--at", "2026-12-07 08:00:00"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Letter case is ignored and equal names keep the file's order.
    EXPECT_EQ(r.out,
              "apple\tNot actual\tNot actual\t1 of 10\n"
              "Apple\tMonday, December 07, 2026, 08:00:00\tExpired\t2 of 10\n"
              "Bins\tMonday, December 07, 2026, 07:00:00\tExpired\t10 of 10\n"
              "dentist\tMonday, December 07, 2026, 15:30:00\t0 days, 07 hours, 30 minutes\t3 of 10\n");
    const Outcome seconds = Agenda({"--at", "2026-12-07 08:00:01", "--seconds"});
    EXPECT_EQ(Split(seconds.out, '\n').back(),
              "dentist\tMonday, December 07, 2026, 15:30:00\t0 days, 07 hours, 29 minutes, 59 "
              "seconds\t3 of 10");
}

TEST_F(AgendaTest, PeriodAndDateChooseWhatIsListed) {
    // 1 January 2026 is a Thursday: its week runs from Monday 29 December to Sunday 4 January.
    Store({{"a Dec 29", "2025-12-29 10:00:00", 1, 1},
           {"b Jan 1", "2026-01-01 10:00:00", 1, 1},
           {"c Jan 4", "2026-01-04 23:59:59", 1, 1},
           {"d Jan 5", "2026-01-05 00:00:00", 1, 1},
           {"e Feb 1", "2026-02-01 10:00:00", 1, 1},
           {"f Dec 31", "2026-12-31 10:00:00", 1, 1}});
    const std::string at = "2025-12-20 12:00:00";
    using List = std::vector<std::string>;
    EXPECT_EQ(Names(Agenda({"--at", at, "--date", "2026-01-04", "--period", "week"})),
              (List{"a Dec 29", "b Jan 1", "c Jan 4"}));
    EXPECT_EQ(Names(Agenda({"--at", at, "--date", "2026-01-05", "--period", "week"})), (List{"d Jan 5"}));
    EXPECT_EQ(Names(Agenda({"--at", at, "--date", "2025-12-31", "--period", "week"})),
              (List{"a Dec 29", "b Jan 1", "c Jan 4"}));
    EXPECT_EQ(Names(Agenda({"--at", at, "--date", "2026-01-31", "--period", "month"})),
              (List{"b Jan 1", "c Jan 4", "d Jan 5"}));
    EXPECT_EQ(Names(Agenda({"--at", at, "--date", "2026-06-15", "--period", "year"})),
              (List{"b Jan 1", "c Jan 4", "d Jan 5", "e Feb 1", "f Dec 31"}));
    EXPECT_EQ(Names(Agenda({"--at", at, "--date", "2026-01-04"})), (List{"c Jan 4"}));
    // Without --date the day is the one of --at.
    EXPECT_EQ(Names(Agenda({"--at", "2026-02-01 00:00:00"})), (List{"e Feb 1"}));
    EXPECT_EQ(Agenda({"--at", at, "--date", "2027-01-01", "--period", "year"}).out, "");
}

TEST_F(AgendaTest, RepeatingEventsAreListedByTheirNextOccurrence) {
    EventStore store;
    EventItem annual;
    annual.name = "Birthday";
    annual.actual = 1;
    annual.details.schedule.kind = Annually;
    annual.details.schedule.annualMonth = 0;  // January
    annual.details.schedule.annualDay = 2;
    annual.details.schedule.eventTime =
        static_cast<std::int32_t>(*cli::ParseLocalDateTime("2020-01-01 09:00:00"));
    EventItem hourly = annual;
    hourly.name = "Stretch";
    hourly.details.schedule.kind = Hourly;
    hourly.details.schedule.minutesAfterHour = 45;
    store.events = {annual, hourly};
    ASSERT_TRUE(SerializeEventsFile(store, true));

    // 2 January 2026 (a Friday) is past: the next birthday is on Saturday
    // 2 January 2027, a year after the week of the selected date.
    Outcome r = Agenda({"--at", "2026-01-03 10:00:00", "--period", "week"});
    EXPECT_EQ(Names(r), (std::vector<std::string>{"Stretch"}));
    r = Agenda({"--at", "2026-01-03 10:00:00", "--date", "2027-01-02"});
    EXPECT_EQ(r.out,
              "Birthday\tSaturday, January 02, 2027, 09:00:00\t363 days, 23 hours, 00 "
              "minutes\t1 of 10\n");
    r = Agenda({"--at", "2026-01-03 23:50:00"});
    EXPECT_EQ(r.out, "");  // the next stretch is tomorrow
}

TEST_F(AgendaTest, WritesNothingAndReportsMissingOrForeignFiles) {
    Outcome r = Agenda({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot find Events.dat\n");
    EXPECT_FALSE(std::filesystem::exists(folder.file("Events.dat")));

    Store({{"x", "2026-12-07 15:30:00", 3, 1}});
    const auto stamp = std::filesystem::last_write_time(folder.file("Events.dat"));
    const std::string bytes = readAll(folder.file("Events.dat"));
    EXPECT_EQ(Agenda({"--at", "2026-12-07 16:00:00"}).status, 0);
    EXPECT_EQ(readAll(folder.file("Events.dat")), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(folder.file("Events.dat")), stamp);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.data()), {}), 1);

    writeAll(folder.file("Events.dat"), Bytes().i32(kDefaultVersionBits).str("Notes").i32(0).s);
    r = Agenda({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "Wrong file format!\nEvents.dat is not a file Veltrin can read: its "
              "signature is not \"Events\".\n");
    EXPECT_TRUE(folder.messages.shown.empty());
}

class SearchCommandTest : public DataCommandsTest {
protected:
    // One record of each kind holding "tea", and a contact in Windows-1252.
    void StoreSearchable() {
        EventStore events;
        EventItem e;
        e.name = "Tea with Ann";
        e.details.comment = "at the\tcorner";
        events.events = {e};
        ASSERT_TRUE(SerializeEventsFile(events, true));
        DiaryTable diary = {{"2026, December 06", "<p class=\"tea\">Walk</p>", 1'796'515'200, 0},
                            {"2026, December 07", "<p>Green tea and cake</p>", 1'796'601'600, 1}};
        ASSERT_TRUE(SerializeDiaryFile(diary, true));
        NoteTable notes = {{0, "Kitchen", 1, 0, 0, 0, "", 5},
                           {1, "Recipes", 2, 0, 1, 1, "<b>Ice tea</b>", 6}};
        ASSERT_TRUE(SerializeNotesFile(notes, true));
        ContactStore contacts;
        ContactItem c;
        c.fields.set(static_cast<std::size_t>(ContactFieldRecordIndex("Name")), "Ren\xE9 Tea");
        c.fields.set(static_cast<std::size_t>(ContactFieldRecordIndex("Home City")),
                     "Orl\xE9"
                     "ans");
        contacts.contacts = {c};
        ASSERT_TRUE(SerializeContactsFile(contacts, true));
    }
    Outcome Search(std::vector<std::string> args) {
        args.insert(args.begin(), {"search", "--data", folder.data().string()});
        return RunCommand(args);
    }
};

TEST_F(SearchCommandTest, PrintsKindTitleAndMarkedSnippetTitleHitsFirst) {
    StoreSearchable();
    const Outcome r = Search({"TEA"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "events\tTea with Ann\tat the corner\n"
              "contacts\tRené Tea\tOrléans\n"
              "diary\t2026, December 07\tGreen [tea] and cake\n"
              "notes\tKitchen / Recipes\tIce [tea]\n");
    EXPECT_EQ(Search({"--kind", "notes", "tea"}).out, "notes\tKitchen / Recipes\tIce [tea]\n");
    // Accents aside, in a Windows-1252 field; an argument with a blank is a phrase.
    EXPECT_EQ(Search({"orleans", "rene"}).out, "contacts\tRené Tea\t[Orléans]\n");
    EXPECT_EQ(Search({"green cake"}).status, 1);
    EXPECT_EQ(Search({"cake", "green"}).status, 0);
}

TEST_F(SearchCommandTest, NoResultBadKindAndBrokenFilesAreTold) {
    StoreSearchable();
    Outcome r = Search({"walk", "zebra"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Search({"--kind", "diary", "class"}).status, 1);  // an attribute is not text
    r = Search({"--kind", "letters", "tea"});
    EXPECT_EQ(r.status, cli::kBadArguments);
    EXPECT_NE(r.err.find("unknown kind 'letters'"), std::string::npos);
    EXPECT_EQ(Search({"\"\""}).status, cli::kBadArguments);

    // A file that does not load is said, not taken for an empty one.
    std::filesystem::remove(folder.file("Notes.dat"));
    r = Search({"tea"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Cannot find Notes.dat\n");
    EXPECT_EQ(Search({"--kind", "events", "tea"}).status, 0);  // only the file searched is read
    writeAll(folder.file("Diary.dat"), Bytes().i32(kDefaultVersionBits).str("Diary").i32(5).s);
    r = Search({"--kind", "diary", "tea"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Diary.dat is damaged"), std::string::npos) << r.err;
}

}  // namespace

// ---------------------------------------------------------------- due

class DueTest : public DataCommandsTest {
protected:
    static EventItem Pending(const std::string& name, const std::string& due, const std::string& checked) {
        EventItem e;
        e.name = name;
        e.actual = 1;
        e.details.comment = "about\t" + name;
        e.details.schedule.kind = Once;
        e.details.schedule.eventTime = static_cast<std::int32_t>(*cli::ParseLocalDateTime(due));
        e.details.schedule.nextDue = e.details.schedule.eventTime;
        e.details.schedule.lastCheck = static_cast<std::int32_t>(*cli::ParseLocalDateTime(checked));
        return e;
    }
    Outcome Due(std::vector<std::string> args) {
        args.insert(args.begin(), {"due", "--data", folder.data().string()});
        return RunCommand(args);
    }
    test::ScopedZone zone{"Europe/Berlin"};
};

TEST_F(DueTest, ListsWhatFiresAndWhatWasMissedAtTheMomentAndWritesNothing) {
    EventStore store;
    store.events = {Pending("Now", "2026-12-07 10:00:00", "2026-12-07 09:00:00"),
                    Pending("Earlier", "2026-12-07 08:00:00", "2026-12-06 20:00:00"),
                    Pending("Done", "2026-12-07 08:30:00", "2026-12-07 08:30:00"),
                    Pending("Coming", "2026-12-07 10:00:01", "2026-12-07 09:00:00"),
                    Pending("Off", "2026-12-07 09:00:00", "2026-12-07 08:00:00")};
    store.events[2].details.schedule.lastCheck += 1;  // fired: nothing pending
    store.events[4].actual = 0;
    for (std::size_t i = 0; i < store.events.size(); ++i)
        store.events[i].details.eventId = static_cast<std::int32_t>(i + 1);
    ASSERT_TRUE(SerializeEventsFile(store, true));
    const std::string bytes = readAll(folder.file("Events.dat"));

    const Outcome r = Due({"--at", "2026-12-07 10:00:00"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "missed\tEarlier\tMonday, December 07, 2026, 08:00:00\tabout Earlier\n"
              "fires\tNow\tMonday, December 07, 2026, 10:00:00\tabout Now\n");
    // Run again at the same moment it says the same: nothing was moved on.
    EXPECT_EQ(Due({"--at", "2026-12-07 10:00:00"}).out, r.out);
    EXPECT_EQ(readAll(folder.file("Events.dat")), bytes);
    EXPECT_EQ(Due({"--at", "2026-12-07 07:59:59"}).out, "");
    EXPECT_EQ(Due({"--at", "2026-12-07 10:00:01"}).out.substr(0, 7), "missed\t");

    // A snooze of "Done" ends at ten: it fires again then; a bad line is said.
    writeAll(folder.file("Snoozes.txt"),
             "3 " + std::to_string(*cli::ParseLocalDateTime("2026-12-07 10:00:00")) + "\nbad\n");
    const Outcome snoozed = Due({"--at", "2026-12-07 10:00:00"});
    EXPECT_EQ(snoozed.status, 0);
    EXPECT_EQ(snoozed.out, r.out + "fires\tDone\tMonday, December 07, 2026, 10:00:00\tabout Done\n");
    EXPECT_NE(snoozed.err.find("line 2 is not a snooze"), std::string::npos) << snoozed.err;
}

TEST_F(DueTest, ReportsAMissingFileAndAMalformedMoment) {
    Outcome r = Due({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot find Events.dat\n");
    r = Due({"--at", "2026-12-07T10:00:00"});
    EXPECT_EQ(r.status, cli::kBadArguments);
}
