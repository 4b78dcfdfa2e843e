// An import on the window's thread and a sync's network part on its worker
// use libical at the same moment.
#include <gtest/gtest.h>

#include <libical/ical.h>

#include <atomic>
#include <thread>

#include "events/EventRecords.h"
#include "interop/CalendarItems.h"
#include "interop/ICalendar.h"
#include "support/ScopedZone.h"
#include "sync/Dav.h"
#include "sync/EventSyncKind.h"
#include "sync/FakeCalendar.h"
#include "sync/SyncEngine.h"

using namespace veltrin;
using veltrin::test::FakeCalendar;

namespace {

constexpr std::int64_t kNow = 1'796'601'600;  // 2026-12-07 00:00 UT

// Events with reminders (a VALARM's trigger) at times a zone has to be
// worked out for, years apart.
EventStore Events(int count, std::int32_t firstId) {
    EventStore store;
    store.groups.resize(1);
    store.groups[0].name = "Work";
    store.groups[0].groupId = 1;
    for (int i = 0; i < count; ++i) {
        EventItem e;
        e.name = "Event " + std::to_string(i);
        e.actual = 1;
        e.priority = 1 + i % 10;
        e.details.groupId = 1;
        e.details.eventId = firstId + i;
        e.details.showMessage = 1;
        e.details.schedule.kind = Once;
        e.details.schedule.eventTime = static_cast<std::int32_t>(kNow + 86'400LL * 97 * (i - count / 2));
        store.events.push_back(e);
    }
    return store;
}

}  // namespace

TEST(ICalGuard, AnImportAndASyncsNetworkPartMayRunAtTheSameMoment) {
    test::ScopedZone zone("Europe/Berlin");
    const icalerrorstate before = icalerror_get_error_state(ICAL_MALFORMEDDATA_ERROR);
    const std::string file = EventsToICalendar(Events(20, 1000), std::string(), kNow);
    EventStore once;
    DiaryTable diary;
    NoteTable notes;
    ASSERT_EQ(ImportICalendar(file, once, diary, notes, "Imported", kNow).events.added, 20);

    FakeCalendar server;
    const EventStore theirs = Events(100, 5000);
    for (const EventItem& e : theirs.events)
        server.Write(std::string(FakeCalendar::kPath) + "e" + std::to_string(e.details.eventId) + ".ics",
                     EventToICalendar(e, theirs.groups, {}, kNow));

    bool importsWhole = true;
    std::atomic<bool> synced{false};
    int imports = 0;
    std::thread importer([&] {
        for (; !synced || imports < 10; ++imports) {
            EventStore store;
            DiaryTable d;
            NoteTable n;
            const CalendarImport r = ImportICalendar(file, store, d, n, "Imported", kNow);
            importsWhole = importsWhole && r.events.added == 20 && store.events.size() == once.events.size();
            for (std::size_t i = 0; importsWhole && i < store.events.size(); ++i)
                importsWhole = store.events[i].details.schedule == once.events[i].details.schedule &&
                               store.events[i].name == once.events[i].name;
        }
    });
    int broughtDown = 0;
    for (int round = 0; round < 4; ++round) {
        EventStore here;
        std::map<std::string, SyncEntry> status;
        DavClient dav(server);
        EventSyncKind kind(here, kNow);
        const CollectionSync done = SyncCollection(dav, FakeCalendar::kUrl, kind, status, {}, false);
        EXPECT_TRUE(done.ok) << done.error;  // the importer is joined below either way
        broughtDown += done.counts.broughtDown;
    }
    synced = true;
    importer.join();
    EXPECT_TRUE(importsWhole);
    EXPECT_EQ(broughtDown, 4 * 100);
    // Each parse changes libical's shared table of error states and puts it
    // back; two at once would leave it changed.
    EXPECT_EQ(icalerror_get_error_state(ICAL_MALFORMEDDATA_ERROR), before);
}
