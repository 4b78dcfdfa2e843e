// Diary pages and notes against a calendar in memory: every rule of sync
// for journals, and a calendar shared with events.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "base/LocalTime.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "support/ScopedZone.h"
#include "sync/Dav.h"
#include "sync/EventSyncKind.h"
#include "sync/FakeCalendar.h"
#include "sync/JournalSyncKind.h"
#include "sync/SyncEngine.h"

using namespace veltrin;
using veltrin::test::FakeCalendar;

namespace {

constexpr std::int64_t kNow = 1'796'601'600;  // 2026-12-07 00:00 UT
const std::string kMark = "Also on the server for this day (kept by sync):";

std::int32_t Day(int day) { return static_cast<std::int32_t>(*MakeLocalTime(2026, 12, day, 0, 0, 0)); }

DiaryPage Page(int day, const std::string& title, const std::string& text) {
    return DiaryPage{title, "<BODY><P>" + text + "</P></BODY>", Day(day), 0};
}

NoteItem Note(std::int32_t levelStep, const std::string& name, const std::string& text,
              std::int32_t created) {
    NoteItem n;
    n.levelStep = levelStep;
    n.name = name;
    n.html = "<BODY><P>" + text + "</P></BODY>";
    n.created = created;
    return n;
}

// A journal as another client writes it.
std::string Foreign(const std::string& uid, const std::string& dtstart, const std::string& summary,
                    const std::string& description) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VJOURNAL\r\nUID:" + uid +
           "\r\nDTSTAMP:20261207T080000Z\r\n" +
           (dtstart.empty() ? "" : "DTSTART;VALUE=DATE:" + dtstart + "\r\n") + "SUMMARY:" + summary +
           "\r\nDESCRIPTION:" + description + "\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n";
}

// One data folder's pages and notes with their status, synced as the command
// does: the network part, then the staged changes, then the status.
struct Folder {
    DiaryTable diary;
    NoteTable notes;
    std::map<std::string, SyncEntry> status;

    CollectionSync Sync(FakeCalendar& server, bool allowMassDelete = false) {
        DavClient dav(server);
        JournalSyncKind kind(diary, notes, status, kNow);
        CollectionSync done = SyncCollection(dav, FakeCalendar::kUrl, kind, status, {}, allowMassDelete);
        if (done.ok) {
            kind.Apply();
            CommitPending(done.pending, status);
        }
        return done;
    }
    NoteItem* NoteNamed(const std::string& name) {
        for (NoteItem& n : notes)
            if (n.name == name) return &n;
        return nullptr;
    }
};

int Moved(const CollectionSync& s) {
    const SyncCounts& c = s.counts;
    return c.sentUp + c.broughtDown + c.deletedHere + c.deletedThere + c.conflicts + c.restored + c.failed;
}

std::string ItemOf(const FakeCalendar& server, const std::string& needle) {
    for (const auto& [href, item] : server.items)
        if (item.text.find(needle) != std::string::npos) return href;
    return {};
}

class JournalSync : public ::testing::Test {
protected:
    test::ScopedZone zone{"Europe/Berlin"};
    FakeCalendar server;
    Folder a, b;

    // Two pages (one title in Windows-1252) and a tree:
    // Plans > Garden > Seeds, Books, and two notes made in the same second.
    void SetUp() override {
        a.diary = {Page(3, "Caf\xE9 day", "coffee"), Page(5, "2026, December 05", "rain")};
        a.notes = {Note(0, "Plans", "p", 1000),  Note(1, "Garden", "g", 2000), Note(1, "Seeds", "s", 3000),
                   Note(-2, "Books", "b", 4000), Note(0, "Twin A", "x", 5000), Note(0, "Twin B", "y", 5000)};
    }
    void InStep() {
        ASSERT_TRUE(a.Sync(server).ok);
        ASSERT_TRUE(b.Sync(server).ok);
    }
};

}  // namespace

TEST_F(JournalSync, PagesAndNotesGoUpAndComeDownWholeAndANoOpSyncDoesNothing) {
    const CollectionSync up = a.Sync(server);
    ASSERT_TRUE(up.ok) << up.error;
    EXPECT_EQ(up.counts.sentUp, 8);
    EXPECT_EQ(up.parts.at("diary pages").sentUp, 2);
    EXPECT_EQ(up.parts.at("notes").sentUp, 6);
    EXPECT_EQ(server.items.size(), 8u);
    EXPECT_FALSE(ItemOf(server, "DTSTART;VALUE=DATE:20261203").empty());
    // The tree travels as each note's parent.
    const std::string seeds = server.items.at(ItemOf(server, "SUMMARY:Seeds")).text;
    EXPECT_NE(seeds.find("RELATED-TO;RELTYPE=PARENT:veltrin-note-2000@veltrin"), std::string::npos) << seeds;

    const CollectionSync down = b.Sync(server);
    ASSERT_TRUE(down.ok) << down.error;
    EXPECT_EQ(down.counts.broughtDown, 8);
    ASSERT_EQ(b.diary.size(), 2u);
    EXPECT_EQ(b.diary[0].date, Day(3));
    EXPECT_EQ(b.diary[0].title, "Caf\xC3\xA9 day");
    EXPECT_EQ(b.diary[1].html, a.diary[1].html);
    ASSERT_EQ(b.notes.size(), a.notes.size());
    for (std::size_t i = 0; i < a.notes.size(); ++i) {
        EXPECT_EQ(b.notes[i].name, a.notes[i].name);
        EXPECT_EQ(b.notes[i].html, a.notes[i].html);
        EXPECT_EQ(b.notes[i].created, a.notes[i].created);
        EXPECT_EQ(b.notes[i].levelStep, a.notes[i].levelStep) << b.notes[i].name;
    }

    // Nothing to do on either side: nothing sent, nothing changed here.
    const int puts = server.puts;
    const DiaryTable diary = a.diary;
    EXPECT_EQ(Moved(a.Sync(server)), 0);
    EXPECT_EQ(Moved(b.Sync(server)), 0);
    EXPECT_EQ(server.puts, puts);
    EXPECT_EQ(a.diary[0].title, "Caf\xE9 day");
}

// The hash of a page or note is kept in the status; a status written by
// the versions that hashed each record's calendar text must still say
// "unchanged" of the same records, or every page changed on the server too
// would become a conflict. These are the hashes those versions kept.
TEST_F(JournalSync, AStatusOfEarlierVersionsSeesTheSameRecordsUnchanged) {
    a.diary.push_back(DiaryPage{"  Tab\there\r\n",
                                "\r\n<html><body>\r\n<p>Two\r\nlines \f</p>\r\n</body></html>  ", Day(7), 0});
    a.diary.push_back(DiaryPage{"", "", Day(8), 0});
    a.notes.push_back(Note(0, " Caf\xE9\r\n", "a &amp; b<br>\r\nc\v", 6000));
    const std::map<std::string, std::string> earlier = {
        {"diary:20261203", "f27ef10847b64fe81042be5db0814215"},
        {"diary:20261205", "709d6cc8d9bfcb2c9550ecedeb542b7d"},
        {"diary:20261207", "7ffaa1ae72a0e705aad683af1225dda9"},
        {"diary:20261208", "f61213e140e4fe1584c9b86465d876b0"},
        {"note:1000", "09c2590bcc6d64fe77782d2ea5716042.3e3d93c53232ab4a.34a57efe4d4edd77"},
        {"note:2000", "4f0a2e2da04c50ab078eafb7cf38c4c8.353c2e9be620d309.0adba14d7fe1f243"},
        {"note:3000", "2b0514b62df4e0c617478e6aaf2f6888.9ef2a6491e82205f.77ca47d6eb3db073"},
        {"note:4000", "74c495ab4ca260f6efa33edd33454782.12a7794120085d10.e5513d0f997cfc3d"},
        {"note:5000-1", "d6f6a37a43b931d9a15a49d3001748ed.d1549a1f0536a1ea.d69d9f56f658e6e3"},
        {"note:5000", "e0db210fbb1cca57f3bbacc48f7a243c.c794643cfecf3a35.908c357c1f452b68"},
        {"note:6000", "99fbfe8049b65307f3033d41f57965f7.cbdce6cf2d50fa8e.ffe355f23306dbdd"},
    };
    ASSERT_TRUE(a.Sync(server).ok);
    ASSERT_EQ(a.status.size(), earlier.size());
    for (const auto& [href, e] : a.status) EXPECT_EQ(e.hash, earlier.at(e.key)) << e.key;

    // Nothing to do; a page changed on the server comes down without a conflict.
    const int puts = server.puts;
    EXPECT_EQ(Moved(a.Sync(server)), 0);
    EXPECT_EQ(server.puts, puts);
    ASSERT_TRUE(b.Sync(server).ok);
    b.diary[2].html = "<p>changed elsewhere</p>";
    ASSERT_EQ(b.Sync(server).counts.sentUp, 1);
    const CollectionSync came = a.Sync(server);
    EXPECT_EQ(came.counts.broughtDown, 1);
    EXPECT_EQ(came.counts.conflicts, 0);
    EXPECT_EQ(a.diary[2].html, "<p>changed elsewhere</p>");
}

TEST_F(JournalSync, AChangeOnOneSideCrossesAndUnchangedTextsKeepTheirBytes) {
    InStep();
    b.diary[0].html = "<BODY><P>coffee and cake</P></BODY>";
    b.NoteNamed("Books")->name = "Books to read";
    const CollectionSync sent = b.Sync(server);
    EXPECT_EQ(sent.parts.at("diary pages").sentUp, 1);
    EXPECT_EQ(sent.parts.at("notes").sentUp, 1);

    const CollectionSync came = a.Sync(server);
    EXPECT_EQ(came.counts.broughtDown, 2);
    EXPECT_EQ(came.counts.conflicts, 0);
    EXPECT_EQ(a.diary[0].html, "<BODY><P>coffee and cake</P></BODY>");
    EXPECT_EQ(a.diary[0].title, "Caf\xE9 day");  // as stored, not as the item carried it
    ASSERT_NE(a.NoteNamed("Books to read"), nullptr);
    EXPECT_EQ(a.notes.size(), 6u);

    // Deleted on one side, unchanged on the other: deleted there too.
    a.notes.pop_back();  // Twin B
    a.diary.erase(a.diary.begin() + 1);
    const CollectionSync deleted = a.Sync(server);
    EXPECT_EQ(deleted.counts.deletedThere, 2);
    EXPECT_EQ(b.Sync(server).counts.deletedHere, 2);
    EXPECT_EQ(b.NoteNamed("Twin B"), nullptr);
    EXPECT_EQ(b.diary.size(), 1u);
    EXPECT_EQ(server.items.size(), 6u);
}

// A day has one page: both versions stay on it, the local one first.
TEST_F(JournalSync, APageChangedOnBothSidesHoldsBothVersionsAndGoesUpSo) {
    InStep();
    a.diary[1].html = "<BODY><P>rain, then sun</P></BODY>";
    b.diary[1].html = "<BODY><P>rain all day</P></BODY>";
    ASSERT_EQ(b.Sync(server).counts.sentUp, 1);
    const CollectionSync both = a.Sync(server);
    ASSERT_TRUE(both.ok) << both.error;
    EXPECT_EQ(both.counts.conflicts, 1);
    EXPECT_EQ(both.parts.at("diary pages").conflicts, 1);
    ASSERT_EQ(a.diary.size(), 2u);
    const std::string& page = a.diary[1].html;
    EXPECT_LT(page.find("rain, then sun"), page.find(kMark));
    EXPECT_LT(page.find(kMark), page.find("rain all day"));
    EXPECT_EQ(page.substr(page.size() - 7), "</BODY>");
    EXPECT_NE(both.counts.notes.at(0).find("holds the server's version below its own"), std::string::npos);
    // The joined page is what the server holds now, in the page's own item.
    EXPECT_EQ(server.items.size(), 8u);
    EXPECT_NE(server.items.at(ItemOf(server, "20261205")).text.find("rain all day"), std::string::npos);

    EXPECT_EQ(b.Sync(server).counts.broughtDown, 1);
    EXPECT_EQ(b.diary[1].html, page);
    EXPECT_EQ(Moved(a.Sync(server)), 0);
    EXPECT_EQ(Moved(b.Sync(server)), 0);
}

// A phone may keep several journals for one day; the Diary has one page a
// day. The others are another device's items: never joined, rewritten or deleted.
TEST_F(JournalSync, ASecondItemForADayIsLeftOnTheServerAsItIs) {
    InStep();
    const std::string lake = Foreign("phone-1", "20261203", "Lake", "Walked to the lake");
    server.Write("/cal/phone-1.ics", lake);
    server.Write("/cal/phone-2.ics", Foreign("phone-2", "20261209", "Snow", "First snow"));
    const std::string page3 = a.diary[0].html;
    const int puts = server.puts, deletes = server.deletes;
    const CollectionSync s = a.Sync(server);
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(s.counts.broughtDown, 1);  // the 9th, a day without a page
    EXPECT_EQ(s.counts.conflicts + s.counts.failed, 0);
    ASSERT_EQ(a.diary.size(), 3u);
    EXPECT_EQ(a.diary[2].title, "Snow");
    EXPECT_EQ(a.diary[0].html, page3);
    EXPECT_EQ(server.items.at("/cal/phone-1.ics").text, lake);
    EXPECT_EQ(server.puts, puts);
    EXPECT_EQ(server.deletes, deletes);
    ASSERT_EQ(s.counts.notes.size(), 1u);
    EXPECT_NE(s.counts.notes[0].find("/cal/phone-1.ics is a second item for diary:20261203"),
              std::string::npos);
    EXPECT_EQ(Moved(a.Sync(server)), 0);  // not fetched again until it changes

    // A folder that never synced meets two items for one day: the first is its page.
    server.Write("/cal/phone-3.ics", Foreign("phone-3", "20261209", "Snow", "Built a snowman"));
    Folder c;
    const CollectionSync first = c.Sync(server);
    ASSERT_TRUE(first.ok) << first.error;
    ASSERT_EQ(c.diary.size(), 3u);
    EXPECT_NE(c.diary[2].html.find("First snow"), std::string::npos);
    EXPECT_EQ(server.items.count("/cal/phone-2.ics") + server.items.count("/cal/phone-3.ics"), 2u);
    EXPECT_EQ(server.deletes, deletes);
    EXPECT_EQ(Moved(c.Sync(server)), 0);
}

TEST_F(JournalSync, ANoteChangedOnBothSidesIsKeptTwiceAndAnEditWinsOverADelete) {
    InStep();
    a.NoteNamed("Garden")->html = "<BODY><P>roses</P></BODY>";
    b.NoteNamed("Garden")->html = "<BODY><P>tulips</P></BODY>";
    b.Sync(server);
    const CollectionSync both = a.Sync(server);
    EXPECT_EQ(both.counts.conflicts, 1);
    EXPECT_EQ(both.parts.at("notes").conflicts, 1);
    // The server's version (B's) stays as it is; A's becomes the conflict copy.
    ASSERT_NE(a.NoteNamed("Garden (conflict copy)"), nullptr);
    EXPECT_EQ(a.NoteNamed("Garden (conflict copy)")->html, "<BODY><P>roses</P></BODY>");
    EXPECT_EQ(a.NoteNamed("Garden")->html, "<BODY><P>tulips</P></BODY>");
    b.Sync(server);
    EXPECT_EQ(b.NoteNamed("Garden")->html, "<BODY><P>tulips</P></BODY>");
    ASSERT_NE(b.NoteNamed("Garden (conflict copy)"), nullptr);
    EXPECT_EQ(b.notes.size(), 7u);

    // Deleted on one side, changed on the other: the change wins, both ways.
    b.notes.erase(std::find_if(b.notes.begin(), b.notes.end(), [](auto& n) { return n.name == "Books"; }));
    a.NoteNamed("Books")->html = "<BODY><P>more books</P></BODY>";
    a.diary.erase(a.diary.begin());
    b.diary[0].html = "<BODY><P>coffee, later tea</P></BODY>";
    b.Sync(server);
    const CollectionSync restored = a.Sync(server);
    EXPECT_EQ(restored.counts.restored, 2);
    ASSERT_EQ(a.diary.size(), 2u);
    EXPECT_EQ(a.diary[0].html, "<BODY><P>coffee, later tea</P></BODY>");
    b.Sync(server);
    ASSERT_NE(b.NoteNamed("Books"), nullptr);
    EXPECT_EQ(b.NoteNamed("Books")->html, "<BODY><P>more books</P></BODY>");
}

// Notes have no ids in their file: a note moved in the tree and edited must
// go up in place, never as a new item with the old one deleted.
TEST_F(JournalSync, ANoteMovedAndEditedKeepsItsItemAndTheTreeFollows) {
    InStep();
    const std::string seedsItem = ItemOf(server, "SUMMARY:Seeds");
    // Books first, then Plans > Garden, Seeds moved up beside Garden and edited.
    a.notes = {Note(0, "Books", "b", 4000),  Note(0, "Plans", "p", 1000),   Note(1, "Garden", "g", 2000),
               Note(0, "Seeds", "s2", 3000), Note(-1, "Twin B", "y", 5000), Note(0, "Twin A", "x", 5000)};
    const CollectionSync moved = a.Sync(server);
    ASSERT_TRUE(moved.ok) << moved.error;
    EXPECT_EQ(moved.counts.sentUp, 1);
    EXPECT_EQ(moved.counts.deletedThere, 0);
    EXPECT_EQ(server.items.size(), 8u);
    const std::string seeds = server.items.at(seedsItem).text;
    EXPECT_NE(seeds.find("RELATED-TO;RELTYPE=PARENT:veltrin-note-1000@veltrin"), std::string::npos) << seeds;
    EXPECT_NE(seeds.find("s2"), std::string::npos);

    b.Sync(server);
    // Plans > Garden, Seeds; Books; Twin A; Twin B (b keeps its own order).
    ASSERT_EQ(b.notes.size(), 6u);
    EXPECT_EQ(b.notes[2].name, "Seeds");
    EXPECT_EQ(b.notes[2].levelStep, 0);
    EXPECT_EQ(b.notes[2].html, "<BODY><P>s2</P></BODY>");
    EXPECT_EQ(Moved(a.Sync(server)), 0);
    EXPECT_EQ(Moved(b.Sync(server)), 0);
}

TEST_F(JournalSync, ANoteFromAnotherClientComesUnderItsParentAndAParentDeletedThereLeavesItsChildren) {
    InStep();
    std::string tomatoes = Foreign("phone-n", {}, "Tomatoes", "plant in May");
    tomatoes.insert(tomatoes.find("END:VJOURNAL"), "RELATED-TO;RELTYPE=PARENT:veltrin-note-2000@veltrin\r\n");
    server.Write("/cal/phone-n.ics", tomatoes);
    a.Sync(server);
    // Plans > Garden > Seeds, Tomatoes
    ASSERT_EQ(a.notes.size(), 7u);
    EXPECT_EQ(a.notes[3].name, "Tomatoes");
    EXPECT_EQ(a.notes[3].levelStep, 0);
    EXPECT_EQ(a.notes[3].html, "<p>plant in May</p>");
    EXPECT_EQ(Moved(a.Sync(server)), 0);

    // Garden deleted by the other client: its children stay, one level up.
    server.items.erase(ItemOf(server, "SUMMARY:Garden"));
    a.Sync(server);
    ASSERT_EQ(a.notes.size(), 6u);
    EXPECT_EQ(a.notes[1].name, "Seeds");
    EXPECT_EQ(a.notes[1].levelStep, 1);
    EXPECT_EQ(a.notes[2].name, "Tomatoes");
    EXPECT_EQ(a.notes[2].levelStep, 0);
}

// Events and journals in one calendar: each kind keeps to its own items.
TEST(SharedCalendar, EventsAndJournalsLeaveEachOthersItemsAlone) {
    test::ScopedZone zone{"Europe/Berlin"};
    FakeCalendar server;
    EventStore events;
    for (int i = 0; i < 8; ++i) {
        EventItem e;
        e.name = "Event " + std::to_string(i);
        e.details.eventId = 100 + i;
        e.details.schedule.eventTime = static_cast<std::int32_t>(kNow + 3600 * (i + 1));
        events.events.push_back(e);
    }
    std::map<std::string, SyncEntry> eventStatus;
    Folder journals;
    journals.diary = {Page(3, "Mon", "a"), Page(4, "Tue", "b")};
    journals.notes = {Note(0, "N1", "x", 1000), Note(0, "N2", "y", 2000)};
    const auto syncEvents = [&](bool allowMassDelete = false) {
        DavClient dav(server);
        EventSyncKind kind(events, kNow);
        CollectionSync done = SyncCollection(dav, FakeCalendar::kUrl, kind, eventStatus, {}, allowMassDelete);
        if (done.ok) {
            kind.Apply();
            CommitPending(done.pending, eventStatus);
        }
        return done;
    };
    ASSERT_TRUE(syncEvents().ok);
    const CollectionSync first = journals.Sync(server);
    ASSERT_TRUE(first.ok) << first.error;
    EXPECT_EQ(first.counts.sentUp, 4);
    EXPECT_EQ(first.counts.failed, 0);
    EXPECT_EQ(first.counts.broughtDown, 0);  // the events are not journals

    int fetches = 0;
    server.before = [&](const HttpRequest& r) {
        fetches += r.body.find("calendar-multiget") != std::string::npos;
    };
    const CollectionSync again = syncEvents();
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(Moved(again), 0);  // the journals are neither new events nor unreadable ones
    EXPECT_EQ(Moved(journals.Sync(server)), 0);
    EXPECT_EQ(fetches, 1);  // the events sync fetched the journals once; after that neither kind asks
    EXPECT_EQ(events.events.size(), 8u);
    EXPECT_EQ(server.items.size(), 12u);

    // Another client adds one of each: each kind takes its own.
    server.Write("/cal/phone-j.ics", Foreign("phone-j", "20261210", "Quiet", "nothing"));
    std::string event = server.items.at(ItemOf(server, "BEGIN:VEVENT")).text;
    event.replace(event.find("UID:"), event.find("\r\n", event.find("UID:")) - event.find("UID:"),
                  "UID:phone-e");
    event.replace(event.find("SUMMARY:"), event.find("\r\n", event.find("SUMMARY:")) - event.find("SUMMARY:"),
                  "SUMMARY:From the phone");
    server.Write("/cal/phone-e.ics", event);
    const CollectionSync eventsIn = syncEvents();
    EXPECT_EQ(eventsIn.counts.broughtDown, 1);
    EXPECT_EQ(eventsIn.counts.failed, 0);
    const CollectionSync journalsIn = journals.Sync(server);
    EXPECT_EQ(journalsIn.counts.broughtDown, 1);
    EXPECT_EQ(journalsIn.counts.failed, 0);
    EXPECT_EQ(events.events.size(), 9u);
    EXPECT_EQ(journals.diary.size(), 3u);

    // Deleting events deletes only events; the journals do not hide a mass delete.
    events.events.erase(events.events.begin(), events.events.begin() + 6);
    const CollectionSync stopped = syncEvents();
    EXPECT_TRUE(stopped.massDelete);
    EXPECT_EQ(stopped.error,
              "Sync stopped before changing any events: it would delete 6 of 9 events on the server");
    EXPECT_EQ(server.items.size(), 14u);
    const CollectionSync deleted = syncEvents(true);
    EXPECT_EQ(deleted.counts.deletedThere, 6);
    EXPECT_EQ(server.items.size(), 8u);
    EXPECT_EQ(Moved(journals.Sync(server)), 0);
    EXPECT_EQ(journals.diary.size(), 3u);
    EXPECT_EQ(journals.notes.size(), 2u);
}

// Travel: the same pages seen from another zone fall on the day beside
// theirs. They keep their days on the server; nothing is deleted or made again.
TEST_F(JournalSync, AZoneChangeMovesNoPageOnTheServer) {
    ASSERT_TRUE(a.Sync(server).ok);
    const std::map<std::string, FakeCalendar::Item> before = server.items;
    test::ScopedZone travel{"America/New_York"};
    const CollectionSync s = a.Sync(server);
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(Moved(s), 0);
    EXPECT_EQ(server.items.size(), before.size());

    // An edit there goes to the page's own item, still on its day.
    a.diary[0].html = "<BODY><P>coffee in New York</P></BODY>";
    const CollectionSync edited = a.Sync(server);
    ASSERT_TRUE(edited.ok) << edited.error;
    EXPECT_EQ(edited.counts.sentUp, 1);
    EXPECT_EQ(edited.counts.deletedThere, 0);
    const std::string& item = server.items.at("/cal/veltrin-diary-20261203.ics").text;
    EXPECT_NE(item.find("coffee in New York"), std::string::npos);
    EXPECT_NE(item.find("DTSTART;VALUE=DATE:20261203"), std::string::npos) << item;
    EXPECT_EQ(server.items.size(), before.size());
}

// The other side moves a page to another day: the page follows under its
// item, which is neither deleted nor made again.
TEST_F(JournalSync, APageMovedToAnotherDayThereMovesHereAndKeepsItsItem) {
    InStep();
    const std::string href = "/cal/veltrin-diary-20261203.ics";
    std::string item = server.items.at(href).text;
    const std::size_t at = item.find("DTSTART;VALUE=DATE:20261203");
    ASSERT_NE(at, std::string::npos) << item;
    item.replace(at, 27, "DTSTART;VALUE=DATE:20261207");
    server.Write(href, item);
    const int deletes = server.deletes, puts = server.puts;
    const CollectionSync s = a.Sync(server);
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(s.counts.broughtDown, 1);
    EXPECT_EQ(server.deletes, deletes);
    EXPECT_EQ(server.puts, puts);
    ASSERT_EQ(a.diary.size(), 2u);
    EXPECT_EQ(a.diary[1].date, Day(7));
    EXPECT_EQ(a.diary[1].html, "<BODY><P>coffee</P></BODY>");
    EXPECT_EQ(Moved(a.Sync(server)), 0);
    EXPECT_EQ(server.items.count(href), 1u);

    // An edit here goes to the same item, now on its new day.
    a.diary[1].html = "<BODY><P>coffee, later</P></BODY>";
    EXPECT_EQ(a.Sync(server).counts.sentUp, 1);
    EXPECT_NE(server.items.at(href).text.find("coffee\\, later"), std::string::npos)
        << server.items.at(href).text;
    EXPECT_NE(server.items.at(href).text.find("DTSTART;VALUE=DATE:20261207"), std::string::npos);
    EXPECT_EQ(server.deletes, deletes);
}

// A program that ends stops its sync before the next item, however many
// the server brought and however long each takes to read.
TEST(SyncCancel, AStoppedSyncEndsBeforeTheNextItemAndChangesNothing) {
    test::ScopedZone zone{"Europe/Berlin"};
    FakeCalendar server;
    for (int i = 0; i < 50; ++i)
        server.Write(
            "/cal/phone-" + std::to_string(i) + ".ics",
            Foreign("phone-" + std::to_string(i), "202612" + std::to_string(10 + i % 18), "Day", "text"));
    std::atomic<bool> stop{false};
    server.before = [&](const HttpRequest& r) {
        if (r.body.find("calendar-multiget") != std::string::npos) stop = true;
    };
    DiaryTable diary;
    NoteTable notes;
    std::map<std::string, SyncEntry> status;
    DavClient dav(server);
    JournalSyncKind kind(diary, notes, status, kNow);
    const CollectionSync done = SyncCollection(dav, FakeCalendar::kUrl, kind, status, {}, false, &stop);
    EXPECT_FALSE(done.ok);
    EXPECT_EQ(done.error, "the sync was stopped");
    EXPECT_FALSE(kind.HasStaged());
    EXPECT_TRUE(done.pending.empty());
}
