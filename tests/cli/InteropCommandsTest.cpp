#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "base/LocalTime.h"
#include "cli/RunCommand.h"
#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "platform/InstanceLock.h"
#include "storage/Backups.h"
#include "support/Fakes.h"
#include "support/ScopedZone.h"

using namespace veltrin;
using json = nlohmann::ordered_json;
using veltrin::test::Outcome;
using veltrin::test::RunCommand;

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kNow = 1'796'601'600;  // 2026-12-07 00:00 UT

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class InteropCommandsTest : public ::testing::Test {
protected:
    InteropCommandsTest() {
        folder.clock.t = kNow;
        fs::create_directories(other());
    }

    fs::path other() const { return folder.root / "other"; }
    std::string out(const char* name) const { return (folder.root / name).string(); }

    json Dump(const fs::path& file) {
        const Outcome r = RunCommand({"dump", file.string()});
        EXPECT_EQ(r.status, 0) << r.err;
        return r.status == 0 ? json::parse(r.out) : json();
    }

    // One file of each kind with a record of everything the export maps.
    void StoreSamples() {
        EventStore events;
        events.groups = {{0, "Home", 1, 0, 0, 10}, {1, "Caf\xE9 club", 2, 1, 1, 20}};
        const EventSchedule schedules[] = {
            {Once, 1'796'700'000, 0, 1, 1, 0, AllDays, "", 1, 1'796'700'000, 5},
            {Hourly, 1'796'700'000, 45, 1, 1, 0, AllDays, "", 1, 1'796'701'500, 6},
            {Daily, 1'796'700'000, 0, 1, 1, 0, CustomDays, "246", 1, 1'796'786'400, 7},
            {Weekly, 1'796'700'000, 0, 1, 1, 0, AllDays, "", 5, 1'796'786'400, 8},
            {Monthly, 1'796'700'000, 0, 31, 1, 0, AllDays, "", 1, 1'796'786'400, 9},
            {Annually, 1'796'700'000, 0, 1, 29, 1, AllDays, "", 1, 1'796'786'400, 10}};
        std::int32_t id = 100;
        for (const EventSchedule& s : schedules) {
            EventItem e;
            e.actual = id % 2;
            e.name = "Event \xE9 " + std::to_string(id);
            e.priority = 1 + id % 10;
            e.details = {20, id, "note, with; marks\nand a line", id % 2, 1, 1, "/tmp/a b.wav", s};
            events.events.push_back(e);
            ++id;
        }
        ASSERT_TRUE(SerializeEventsFile(events, true));
        ContactStore contacts;
        contacts.groups = {{0, "Friends", 4, 1, 1, 0, 77}};
        ContactItem c;
        c.groupId = 77;
        for (const ContactField& f : ContactFields())
            c.fields.set(f.recordIndex, std::string(f.name) + ", \xE9;");
        contacts.contacts = {c};
        ASSERT_TRUE(SerializeContactsFile(contacts, true));
        DiaryTable diary = {{"2026, December 07", "<p>Snow, <b>deep</b></p>", 1'796'598'000, 1}};
        ASSERT_TRUE(SerializeDiaryFile(diary, true));
        NoteTable notes = {{0, "A", 1, 0, 0, 0, "<p>a</p>", 5},
                           {1, "A1", 2, 1, 1, 1, "<p>a1</p>", 6},
                           {-1, "B", 1, 0, 0, 0, "", 7}};
        ASSERT_TRUE(SerializeNotesFile(notes, true));
    }

    // Puts each record's group path (below `under`) in place of its group id.
    static void GroupIdsToPaths(json& dump, const char* records, const std::string& under) {
        std::map<std::int64_t, std::string> paths;
        std::vector<std::string> stack;
        for (const json& g : dump["groups"]) {
            const std::int64_t step = g["levelStep"];
            const std::size_t depth = step == 1 ? stack.size() + 1 : stack.size() + step;
            stack.resize(std::max<std::size_t>(depth, 1) - 1);
            stack.push_back(g["name"]);
            std::string path;
            for (const std::string& part : stack) path += (path.empty() ? "" : "/") + part;
            paths[g["groupId"]] =
                path.compare(0, under.size(), under) == 0 ? path.substr(under.size()) : "?" + path;
        }
        for (json& r : dump[records]) {
            json& id = r.contains("details") ? r["details"]["groupId"] : r["groupId"];
            id = paths.count(id) ? paths[id] : "none";
        }
    }

    // Drops what the mapping does not carry from a dump's records.
    static void Forget(json& records, std::initializer_list<const char*> keys) {
        for (json& r : records)
            for (const char* k : keys) r.erase(k);
    }

    test::ScopedZone zone{"Europe/Berlin"};
    test::ProgramFolder folder;
};

}  // namespace

TEST_F(InteropCommandsTest, ExportThenImportIntoAnEmptyFolderKeepsEveryMappedField) {
    StoreSamples();
    const std::string data = folder.data().string();
    for (const char* kind : {"events", "diary", "notes", "contacts"}) {
        const Outcome r = RunCommand({"export", "--data", data, "--kind", kind, out(kind)});
        ASSERT_EQ(r.status, 0) << kind << r.err;
    }
    std::string report;
    for (const char* kind : {"events", "diary", "notes", "contacts"}) {
        const Outcome r = RunCommand({"import", "--data", other().string(), out(kind)});
        ASSERT_EQ(r.status, 0) << kind << r.err;
        report += r.out;
    }
    EXPECT_EQ(report,
              "Events: added 6, already there 0, changed kind 0, skipped 0.\n"
              "Diary pages: added 0, already there 0, changed kind 0, skipped 0.\n"
              "Notes: added 0, already there 0, changed kind 0, skipped 0.\n"
              "Events: added 0, already there 0, changed kind 0, skipped 0.\n"
              "Diary pages: added 1, already there 0, changed kind 0, skipped 0.\n"
              "Notes: added 0, already there 0, changed kind 0, skipped 0.\n"
              "Events: added 0, already there 0, changed kind 0, skipped 0.\n"
              "Diary pages: added 0, already there 0, changed kind 0, skipped 0.\n"
              "Notes: added 3, already there 0, changed kind 0, skipped 0.\n"
              "Contacts: added 1, already there 0, changed kind 0, skipped 0.\n");

    // Not carried: the row's icon, bold and selection. The group tree comes
    // back below the import's group ("Imported").
    json beforeFile = Dump(folder.file("Events.dat")), afterFile = Dump(other() / "Events.dat");
    GroupIdsToPaths(beforeFile, "events", "");
    GroupIdsToPaths(afterFile, "events", "Imported/");
    json before = beforeFile["events"], after = afterFile["events"];
    for (json* j : {&before, &after}) Forget(*j, {"iconIndex", "bold", "isCurrent"});
    EXPECT_EQ(before[0]["details"]["groupId"], "Home/Caf\xC3\xA9 club");
    EXPECT_EQ(before.dump(1), after.dump(1));

    before = Dump(folder.file("Diary.dat"))["pages"];
    after = Dump(other() / "Diary.dat")["pages"];
    Forget(before, {"isCurrent"});
    Forget(after, {"isCurrent"});
    EXPECT_EQ(before.dump(1), after.dump(1));

    before = Dump(folder.file("Notes.dat"))["notes"];
    after = Dump(other() / "Notes.dat")["notes"];
    for (json* j : {&before, &after}) Forget(*j, {"iconIndex", "bold", "isCurrent", "collapsed"});
    EXPECT_EQ(before.dump(1), after.dump(1));

    beforeFile = Dump(folder.file("Contacts.dat"));
    afterFile = Dump(other() / "Contacts.dat");
    GroupIdsToPaths(beforeFile, "contacts", "");
    GroupIdsToPaths(afterFile, "contacts", "Imported/");
    before = beforeFile["contacts"];
    after = afterFile["contacts"];
    for (json* j : {&before, &after}) Forget(*j, {"isCurrent"});
    EXPECT_EQ(before[0]["groupId"], "Friends");
    EXPECT_EQ(before.dump(1), after.dump(1));

    // A second import of the same files adds nothing and changes no file.
    const std::string events = ReadFile(other() / "Events.dat"),
                      contacts = ReadFile(other() / "Contacts.dat");
    EXPECT_EQ(RunCommand({"import", "--data", other().string(), out("events")}).out.substr(0, 61),
              "Events: added 0, already there 6, changed kind 0, skipped 0.\n");
    EXPECT_EQ(RunCommand({"import", "--data", other().string(), out("contacts")}).out,
              "Contacts: added 0, already there 1, changed kind 0, skipped 0.\n");
    EXPECT_EQ(ReadFile(other() / "Events.dat"), events);
    EXPECT_EQ(ReadFile(other() / "Contacts.dat"), contacts);
}

TEST_F(InteropCommandsTest, ExportedFilesAreReadByParsersWeDidNotWrite) {
    StoreSamples();
    const std::string data = folder.data().string();
    for (const char* kind : {"events", "diary", "notes", "contacts"})
        ASSERT_EQ(RunCommand({"export", "--data", data, "--kind", kind, out(kind)}).status, 0);
    const std::string script = out("read.py");
    std::ofstream(script)
        << "import sys, icalendar, vobject\n"
           "n = 0\n"
           "for name in sys.argv[1:4]:\n"
           "    cal = icalendar.Calendar.from_ical(open(name, 'rb').read())\n"
           "    n += len(cal.walk('VEVENT')) + len(cal.walk('VJOURNAL'))\n"
           "    for c in vobject.readComponents(open(name, encoding='utf-8').read()):\n"
           "        assert c.name == 'VCALENDAR', c.name\n"
           "for card in vobject.readComponents(open(sys.argv[4], encoding='utf-8').read()):\n"
           "    n += 1\n"
           "    assert card.fn.value.startswith('Name, '), card.fn.value\n"
           "    assert card.org.value[1].startswith('Department, '), card.org.value\n"
           "print(n)\n"
           "pages = open(sys.argv[2], encoding='utf-8').read()\n"
           "print([str(j['X-ALT-DESC']) for j in icalendar.Calendar.from_ical(pages).walk('VJOURNAL')])\n"
           "print([j.x_alt_desc.value for j in vobject.readOne(pages).vjournal_list])\n";
    const std::string command = "/usr/bin/python3 " + script + " " + out("events") + " " + out("diary") +
                                " " + out("notes") + " " + out("contacts") + " 2>&1";
    std::FILE* p = popen(command.c_str(), "r");
    ASSERT_TRUE(p);
    std::string said;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p)) said += buffer;
    EXPECT_EQ(pclose(p), 0) << said;
    // 6 events, 1 page, 3 notes, 1 card; the page's HTML whole in both readers
    // (one of them cuts a value at a bare comma).
    EXPECT_EQ(said, "11\n['<p>Snow, <b>deep</b></p>']\n['<p>Snow, <b>deep</b></p>']\n");
}

// What a command run through the shell wrote, with its exit status.
std::string RunShell(const std::string& command, int* status) {
    std::FILE* p = popen((command + " 2>&1").c_str(), "r");
    std::string said;
    if (!p) return said;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p)) said += buffer;
    *status = pclose(p);
    return said;
}

// "Tuesday, December 08, 2026, 15:00:00" as "2026-12-08 15:00".
std::string ShortTime(const std::string& text) {
    char weekday[16], month[16];
    int day = 0, year = 0, hour = 0, minute = 0;
    if (std::sscanf(text.c_str(), "%15[A-Za-z], %15[A-Za-z] %d, %d, %d:%d", weekday, month, &day, &year,
                    &hour, &minute) != 6)
        return "unreadable: " + text;
    int m = 1;
    while (m <= 12 && std::string(MonthName(m)) != month) ++m;
    char out[32];
    std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d", year, m, day, hour, minute);
    return out;
}

TEST_F(InteropCommandsTest, AnotherCalendarListsTheExportedEventsAtTheAgendasTimes) {
    // Every kind but Hourly, which the agenda lists once a day and a calendar each hour.
    EventStore store;
    store.groups = {{0, "Home", 0, 0, 0, 10}};
    const std::int32_t earlier = static_cast<std::int32_t>(*MakeLocalTime(2026, 11, 2, 9, 15, 0));
    const EventSchedule schedules[] = {
        {Once, static_cast<std::int32_t>(*MakeLocalTime(2026, 12, 20, 18, 30, 0)), 0, 1, 1, 0, AllDays, "", 1,
         0, 0},
        {Daily, earlier, 0, 1, 1, 0, CustomDays, "246", 1, 0, 0},
        {Daily, earlier + 3600, 0, 1, 1, 0, WeekendDays, "", 1, 0, 0},
        {Weekly, earlier + 7200, 0, 1, 1, 0, AllDays, "", 5, 0, 0},
        {Monthly, earlier, 0, 31, 1, 0, AllDays, "", 1, 0, 0},
        {Annually, earlier, 0, 1, 24, 11, AllDays, "", 1, 0, 0}};
    std::int32_t id = 1;
    for (const EventSchedule& s : schedules) {
        EventItem e;
        e.actual = 1;
        e.name = "Event " + std::to_string(id);
        e.details = {10, id++, "", 0, 1, 0, "", s};
        store.events.push_back(e);
    }
    ASSERT_TRUE(SerializeEventsFile(store, true));
    const std::string ics = out("events.ics");
    ASSERT_EQ(RunCommand({"export", "--data", folder.data().string(), "--kind", "events", ics}).status, 0);

    const fs::path khal = folder.root / "khal";
    fs::create_directories(khal / "calendar");
    std::ofstream(khal / "config") << "[calendars]\n[[veltrin]]\npath = " << (khal / "calendar").string()
                                   << "\ntype = calendar\n[locale]\nlocal_timezone = Europe/Berlin\n"
                                      "default_timezone = Europe/Berlin\ntimeformat = %H:%M\n"
                                      "dateformat = %Y-%m-%d\nlongdateformat = %Y-%m-%d\n"
                                      "datetimeformat = %Y-%m-%d %H:%M\nlongdatetimeformat = %Y-%m-%d %H:%M\n"
                                      "[default]\ndefault_calendar = veltrin\n";
    const std::string khalCommand = "XDG_DATA_HOME=" + (khal / "data").string() +
                                    " XDG_CACHE_HOME=" + (khal / "cache").string() + " /usr/bin/khal -c " +
                                    (khal / "config").string();
    int status = -1;
    std::string said = RunShell(khalCommand + " import --batch -a veltrin " + ics, &status);
    ASSERT_EQ(status, 0) << said;
    const std::string listed =
        RunShell(khalCommand + " list --format '{start} {title}' --day-format '' 2026-12-07 30d", &status);
    ASSERT_EQ(status, 0) << listed;

    // The agenda of each of the same 30 days, at the start of the day.
    std::string agenda;
    for (int i = 0; i < 30; ++i) {
        const CivilDate day = CivilFromDays(DaysFromCivil(2026, 12, 7 + i));
        char date[16];
        std::snprintf(date, sizeof date, "%04lld-%02d-%02d", static_cast<long long>(day.year), day.month,
                      day.day);
        const Outcome r = RunCommand({"agenda", "--data", folder.data().string(), "--date", date, "--at",
                                      std::string(date) + " 00:00:00"});
        ASSERT_EQ(r.status, 0) << r.err;
        std::vector<std::string> lines;
        for (const std::string& row : test::Split(r.out, '\n')) {
            const std::vector<std::string> cells = test::Split(row, '\t');
            if (cells.size() < 2) continue;
            const std::string when = ShortTime(cells[1]);
            if (when.compare(0, 10, date) == 0) lines.push_back(when + " " + cells[0]);
        }
        std::sort(lines.begin(), lines.end());
        for (const std::string& l : lines) agenda += l + "\n";
    }
    EXPECT_EQ(listed, agenda);
    EXPECT_NE(agenda.find("2026-12-31 09:15 Event 5"), std::string::npos) << agenda;
    EXPECT_NE(agenda.find("2026-12-24 09:15 Event 6"), std::string::npos) << agenda;
}

TEST_F(InteropCommandsTest, SamplesFromOtherProgramsGiveTheirExpectedReports) {
    const fs::path samples = VELTRIN_INTEROP_SAMPLES;
    int seen = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(samples)) {
        const fs::path file = entry.path();
        if (file.extension() != ".ics" && file.extension() != ".vcf") continue;
        ++seen;
        const fs::path data = folder.root / file.stem();
        fs::create_directories(data);
        Outcome r = RunCommand({"import", "--data", data.string(), file.string()});
        EXPECT_EQ(r.status, 0) << file << r.err;
        fs::path expected = file;
        expected.replace_extension(".report");
        EXPECT_EQ(r.out, ReadFile(expected)) << file;
        // The second time, nothing is new.
        r = RunCommand({"import", "--data", data.string(), file.string()});
        EXPECT_FALSE(std::regex_search(r.out, std::regex("added [1-9]"))) << file << r.out;
    }
    EXPECT_GE(seen, 4);
}

TEST_F(InteropCommandsTest, SampleTextsLandInTheirFieldsAndTimesInTheLocalZone) {
    const fs::path samples = VELTRIN_INTEROP_SAMPLES;
    const std::string data = folder.data().string();
    ASSERT_EQ(RunCommand({"import", "--data", data, (samples / "phone-2.1.vcf").string()}).status, 0);
    ASSERT_EQ(RunCommand({"import", "--data", data, (samples / "web-calendar.ics").string()}).status, 0);
    const json contacts = Dump(folder.file("Contacts.dat"))["contacts"];
    const json& jorg = contacts[0]["fields"];
    EXPECT_EQ(jorg["Name"], "J\xC3\xB6rg M\xC3\xBCller");
    EXPECT_EQ(jorg["Last Name"], "M\xC3\xBCller");
    EXPECT_EQ(jorg["Home Street"],
              "Stra\xC3\x9F"
              "e 1");                                // Latin-1 in the file
    EXPECT_EQ(jorg["Home Country"], "Deutschland");  // after a soft line break
    EXPECT_EQ(jorg["Cellular"], "+49 170 1234567");
    EXPECT_EQ(jorg["Business Fax"], "+49 30 999");
    EXPECT_EQ(jorg["Notes"], "Met at the fair\r\nlikes tea\nPhone: +49 171 7654321");
    EXPECT_EQ(contacts[1]["fields"]["Business Phone"], "+1 555 0100");

    const json events = Dump(folder.file("Events.dat"))["events"];
    ASSERT_EQ(events.size(), 4u);
    // 2027-04-12, local midnight: the next birthday, as a Once event with its rule kept.
    EXPECT_EQ(events[0]["details"]["schedule"]["kind"], 0);
    EXPECT_EQ(events[0]["details"]["schedule"]["eventTime"], 1'807'480'800);
    EXPECT_EQ(events[0]["details"]["comment"], "RRULE:FREQ=YEARLY");
    EXPECT_EQ(events[1]["details"]["schedule"]["eventTime"], 1'797'354'000);  // 17:00 UT
    // 08:00 in New York is 14:00 here, on work days.
    const json& standup = events[3]["details"]["schedule"];
    EXPECT_EQ(standup["kind"], 2);
    EXPECT_EQ(standup["customDays"], "23456");
    EXPECT_EQ(BreakDownLocal(standup["eventTime"].get<std::int64_t>()).hour, 14);
}

TEST_F(InteropCommandsTest, ImportIsRefusedWhileHeldKeepsABackupAndATrialRunWritesNothing) {
    StoreSamples();
    const std::string data = folder.data().string();
    ASSERT_EQ(RunCommand({"export", "--data", data, "--kind", "contacts", out("contacts.vcf")}).status, 0);
    std::ofstream(out("new.vcf")) << "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:New One\r\nEND:VCARD\r\n";
    const std::string contacts = ReadFile(folder.file("Contacts.dat"));
    const json kept = Dump(folder.file("Contacts.dat"))["contacts"][0];
    {
        InstanceLock program;
        ASSERT_TRUE(program.acquire(data));
        const Outcome r = RunCommand({"import", "--data", data, out("new.vcf")});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Veltrin is running with the data folder"), std::string::npos) << r.err;
    }
    Outcome r = RunCommand({"import", "--data", data, out("new.vcf"), "--dry-run"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "Contacts: added 1, already there 0, changed kind 0, skipped 0.\nA trial run: nothing was "
              "changed.\n");
    EXPECT_EQ(ReadFile(folder.file("Contacts.dat")), contacts);

    r = RunCommand({"import", "--data", data, out("new.vcf"), "--group", "Friends"});
    EXPECT_EQ(r.status, 0) << r.err;
    const fs::path backup = fs::path(BackupFolderOf(data)) / BackupDayOf(kNow) / "Contacts.dat";
    EXPECT_EQ(ReadFile(backup), contacts);
    const json after = Dump(folder.file("Contacts.dat"));
    ASSERT_EQ(after["contacts"].size(), 2u);
    EXPECT_EQ(after["contacts"][1]["groupId"], 77);  // the existing group took it
    EXPECT_EQ(after["contacts"][1]["fields"]["Name"], "New One");
    EXPECT_EQ(after["contacts"][0], kept);
}

TEST_F(InteropCommandsTest, BadRequestsAreSaidPlainly) {
    StoreSamples();
    const std::string data = folder.data().string();
    EXPECT_EQ(RunCommand({"export", "--data", data, "--kind", "tasks", out("x")}).status, 2);
    EXPECT_EQ(
        RunCommand({"export", "--data", data, "--kind", "contacts", "--format", "ics", out("x")}).status, 2);
    Outcome r = RunCommand({"export", "--data", data, "--kind", "events", "--group", "Nowhere", out("x")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "veltrin-data: there is no group named \"Nowhere\".\n");
    std::ofstream(out("plain.txt")) << "hello";
    r = RunCommand({"import", "--data", data, out("plain.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "veltrin-data: " + out("plain.txt") + " is neither an iCalendar nor a vCard file.\n");
    // A file that cannot be read says why, not what it holds.
    r = RunCommand({"import", "--data", data, out("absent.ics")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "veltrin-data: " + out("absent.ics") + " cannot be opened (No such file or directory).\n");
    r = RunCommand({"import", "--data", data, folder.root.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "veltrin-data: " + folder.root.string() + " cannot be opened (Is a directory).\n");
    r = RunCommand({"export", "--data", other().string(), "--kind", "events", out("x")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot find Events.dat\n");
}

TEST_F(InteropCommandsTest, NotesGoOutAsAFolderOfPagesMirroringTheTree) {
    StoreSamples();
    ASSERT_EQ(RunCommand({"export", "--data", folder.data().string(), "--kind", "notes", "--format", "html",
                          out("pages")})
                  .status,
              0);
    EXPECT_EQ(ReadFile(folder.root / "pages" / "A.html"), "<p>a</p>");
    EXPECT_EQ(ReadFile(folder.root / "pages" / "A" / "A1.html"), "<p>a1</p>");
    EXPECT_TRUE(fs::exists(folder.root / "pages" / "B.html"));
    EXPECT_FALSE(fs::exists(folder.root / "pages" / "B"));
}
