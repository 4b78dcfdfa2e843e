// Data sets for the benchmarks: realistic events, contacts and diary pages
// made from a fixed seed, and a program folder to store them in.
#pragma once

#include <sys/statfs.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "platform/ModuleFolder.h"

namespace veltrin::bench {

// ---- the program's data folder --------------------------------------------

inline constexpr long kTmpfsMagic = 0x01021994;

// A program folder with its data folder, on tmpfs (/dev/shm) when asked and
// possible, else under /tmp; the program's data paths point into it.
struct BenchFolder {
    std::filesystem::path root;
    bool onTmpfs = false;

    explicit BenchFolder(bool preferTmpfs) {
        std::string tmpl = "/dev/shm/veltrin-bench-XXXXXX";
        if (!preferTmpfs || !::mkdtemp(tmpl.data())) {
            tmpl = "/tmp/veltrin-bench-XXXXXX";
            if (!::mkdtemp(tmpl.data())) {
                std::perror("mkdtemp");
                std::exit(1);
            }
        }
        root = tmpl;
        std::filesystem::create_directories(root / "data");
        struct statfs sf {};
        onTmpfs = ::statfs(root.c_str(), &sf) == 0 && static_cast<long>(sf.f_type) == kTmpfsMagic;
        SetExecutablePathForTesting((root / "veltrin").string());
    }
    ~BenchFolder() {
        SetExecutablePathForTesting("");
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    std::string plainPath() const { return (root / "plain.dat").string(); }
};

// ---- realistic records ----------------------------------------------------

inline const char* pick(std::mt19937& rng, const std::vector<const char*>& from) {
    return from[rng() % from.size()];
}

inline const std::vector<const char*> kFirstNames = {
    "Anna",   "Robin",  "Marek", "Sofia",  "Jonas", "Elena", "Tomasz", "Hannah", "Lukas",  "Maria",
    "Pieter", "Ingrid", "Oskar", "Chiara", "Mateo", "Aoife", "Nils",   "Zofia",  "Henrik", "Leonie"};
inline const std::vector<const char*> kLastNames = {
    "Kowalski", "Lindqvist", "Moreau", "Fernandes",  "van der Berg", "Novak", "O'Brien", "Schneider",
    "Rossi",    "Haugen",    "Dubois", "Nowakowska", "Bergström",    "Costa", "Meyer"};
inline const std::vector<const char*> kStreets = {"Elm",    "Station",  "Church",   "Mill",   "Harbour",
                                                  "Linden", "Victoria", "Chestnut", "Market", "Orchard"};
inline const std::vector<const char*> kCities = {"Leeds",  "Utrecht", "Gdańsk", "Porto", "Lyon",
                                                 "Bergen", "Graz",    "Cork",   "Malmö", "Bologna"};
inline const std::vector<const char*> kCountries = {"United Kingdom", "Netherlands", "Poland",  "Portugal",
                                                    "France",         "Norway",      "Austria", "Ireland"};
inline const std::vector<const char*> kCompanies = {"Northwind Traders", "Harbour Logistics Ltd",
                                                    "Blue Fern Design",  "Kestrel Engineering",
                                                    "City Library",      "St. Mary's Hospital"};
inline const std::vector<const char*> kJobs = {"Accountant", "Project Manager",    "Nurse",
                                               "Librarian",  "Software Developer", "Sales Representative"};
inline const std::vector<const char*> kEventNames = {"Dentist appointment",
                                                     "Pay the electricity bill",
                                                     "Call mum",
                                                     "Team meeting",
                                                     "Renew passport",
                                                     "Water the plants",
                                                     "Car service at the garage",
                                                     "Take out the recycling",
                                                     "Piano lesson",
                                                     "Submit the quarterly report",
                                                     "Book club",
                                                     "Back up the laptop"};
inline const std::vector<const char*> kSentences = {"Bring the papers from last time. ",
                                                    "Ask about the new timetable. ",
                                                    "Remember the parking is round the back. ",
                                                    "Twenty minutes by bike. ",
                                                    "Check the account number twice before paying. ",
                                                    "Ring first if running late. "};

inline std::string sentences(std::mt19937& rng, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += pick(rng, kSentences);
    return s;
}

inline std::string digits(std::mt19937& rng, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + rng() % 10);
    return s;
}

inline constexpr std::int32_t kBaseTime = 1780000000;  // June 2026

// Top-level groups, each with `inside` groups one level down.
template <class Group>
std::vector<Group> makeGroups(std::mt19937& rng, int count, int inside, const std::vector<const char*>& names,
                              std::int32_t firstId) {
    std::vector<Group> groups(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Group& g = groups[static_cast<std::size_t>(i)];
        const int k = i % (inside + 1);
        g.levelStep = k == 0 ? (i == 0 ? 0 : -1) : (k == 1 ? 1 : 0);
        g.name = std::string(pick(rng, names)) + " " + std::to_string(i);
        g.iconIndex = i % 8;
        g.bold = i % 7 == 0;
        g.isCurrent = i == 3;
        g.groupId = firstId + i;
    }
    return groups;
}

inline EventStore makeEvents(int count, int groups = 400) {
    std::mt19937 rng(1);
    EventStore store;
    store.groups = makeGroups<EventGroup>(rng, groups, 4, {"Home", "Work", "Health", "Family", "Club"}, 1000);
    store.events.reserve(count);
    for (int i = 0; i < count; ++i) {
        EventItem e;
        e.actual = i % 9 != 0;
        e.name = pick(rng, kEventNames);
        if (i % 3 == 0) e.name += std::string(" with ") + pick(rng, kFirstNames);
        e.iconIndex = static_cast<std::int32_t>(rng() % 12);
        e.bold = i % 11 == 0;
        e.priority = static_cast<std::int32_t>(rng() % 3);
        e.isCurrent = i == 42;
        EventDetails& d = e.details;
        d.groupId = 1000 + static_cast<std::int32_t>(rng() % groups);
        d.eventId = 5000000 + i * 13;
        d.comment = sentences(rng, static_cast<int>(rng() % 4));
        d.playSound = i % 3 == 0;
        d.showMessage = i % 4 != 0;
        d.runFile = i % 5 == 0;
        if (d.runFile) d.filePath = "/home/robin/Music/alarm-" + std::to_string(i % 40) + ".ogg";
        EventSchedule& s = d.schedule;
        s.kind = i % 6;
        s.eventTime = kBaseTime + i * 3593;
        s.minutesAfterHour = i % 60;
        s.dayOfMonth = 1 + i % 28;
        s.annualDay = 1 + i % 30;
        s.annualMonth = i % 12;
        s.whichDays = i % 4;
        if (s.whichDays == CustomDays) s.customDays = "246";
        s.weekday = 1 + i % 7;
        s.nextDue = s.eventTime + 86400;
        s.lastCheck = s.eventTime - 3600;
        store.events.push_back(std::move(e));
    }
    return store;
}

inline ContactStore makeContacts(int count, int groups = 60) {
    std::mt19937 rng(2);
    ContactStore store;
    store.groups = makeGroups<ContactGroup>(
        rng, groups, 2, {"Friends", "Colleagues", "Suppliers", "School", "Neighbours"}, 200);
    for (std::size_t i = 0; i < store.groups.size(); ++i) store.groups[i].collapsed = i % 2;
    store.contacts.reserve(count);
    for (int i = 0; i < count; ++i) {
        ContactItem c;
        c.groupId = 200 + static_cast<std::int32_t>(rng() % groups);
        c.isCurrent = i == 7;
        auto& f = c.fields;
        auto set = [&f](const char* name, std::string value) {
            f.set(static_cast<std::size_t>(ContactFieldRecordIndex(name)), value);
        };
        const std::string first = pick(rng, kFirstNames);
        const std::string last = pick(rng, kLastNames);
        set("First Name", first);
        set("Last Name", last);
        if (i % 4 == 0) set("Middle Name", std::string(1, static_cast<char>('A' + rng() % 26)) + ".");
        set("Name", first + " " + last);
        if (i % 6 == 0) set("Nickname", first.substr(0, 3));
        set("E-mail Address", first + "." + std::to_string(i) + "@example.org");
        set("Home Street", std::to_string(1 + rng() % 200) + " " + pick(rng, kStreets) + " Street");
        set("Home City", pick(rng, kCities));
        set("Home Postal Code", digits(rng, 5));
        if (i % 3 == 0) set("Home State", "North");
        set("Home Country", pick(rng, kCountries));
        set("Home Phone", "+44 20 7946 " + digits(rng, 4));
        if (i % 20 == 0) set("Home Fax", "+44 20 7946 " + digits(rng, 4));
        set("Cellular", "+44 7700 " + digits(rng, 6));
        if (i % 10 == 0)
            set("Personal Web Page", "https://www." + first + std::to_string(i) + ".example.net/");
        if (i % 2 == 0) {  // half of them with their work address
            set("Business Street", std::to_string(1 + rng() % 90) + " " + pick(rng, kStreets) + " Road");
            set("Business City", pick(rng, kCities));
            set("Business Postal Code", digits(rng, 5));
            set("Business Country", pick(rng, kCountries));
            set("Business Phone", "+44 161 496 " + digits(rng, 4));
            set("Company", pick(rng, kCompanies));
            set("Job Title", pick(rng, kJobs));
            if (i % 4 == 0) set("Department", "Finance");
            if (i % 8 == 0) set("Office Location", "Building " + std::to_string(rng() % 9));
            if (i % 12 == 0)
                set("Business Web Page", "https://intranet.example.com/people/" + std::to_string(i));
        }
        if (i % 50 == 0) set("Pager", digits(rng, 7));
        if (i % 5 == 0) set("Notes", sentences(rng, 1 + static_cast<int>(rng() % 3)));
        store.contacts.push_back(std::move(c));
    }
    return store;
}

// Notes in a tree of a few levels, each a paragraph of `sentencesEach` sentences.
inline NoteTable makeNotes(int count, int sentencesEach) {
    std::mt19937 rng(4);
    NoteTable notes;
    for (int i = 0; i < count; ++i) {
        NoteItem n;
        n.levelStep = i == 0 ? 0 : (i % 5 == 1 ? 1 : (i % 5 == 0 ? -1 : 0));
        n.name = "Note " + std::to_string(i);
        n.html = "<p>" + sentences(rng, sentencesEach) + "</p>";
        n.created = kBaseTime + i * 600;
        notes.push_back(std::move(n));
    }
    return notes;
}

inline DiaryTable makeDiary(int pages, std::size_t pageBytes) {
    std::mt19937 rng(3);
    // One page's worth of varied markup, cut to exactly 20 KB per page.
    std::string body = "<html><head><meta charset=\"utf-8\"></head><body>";
    while (body.size() < pageBytes + 64) body += "<p>" + sentences(rng, 4) + "</p>\n";
    DiaryTable table;
    table.reserve(pages);
    const std::int32_t start = 1262304000;  // 2010-01-01: 5 000 days stay before 2038
    for (int i = 0; i < pages; ++i) {
        DiaryPage p;
        p.date = start + i * 86400;
        const std::time_t t = p.date;
        std::tm tm{};
        ::gmtime_r(&t, &tm);
        char title[64];
        std::strftime(title, sizeof title, "%Y, %B %d", &tm);
        p.title = title;
        p.html = body.substr(static_cast<std::size_t>(i % 64), pageBytes);
        p.isCurrent = i == pages - 1;
        table.push_back(std::move(p));
    }
    return table;
}

}  // namespace veltrin::bench
