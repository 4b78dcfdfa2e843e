// A sync with nothing to do against one PROPFIND of the calendar's ETags, on
// a Radicale of its own with 10000 events. Also prints how long a first sync
// takes: up (1000 events: Radicale's PUT looks through the whole calendar, so
// 10000 one by one take the better part of an hour), of a folder against a
// calendar that already holds its 10000 events, and down into an empty folder;
// and 3000 diary pages and 500 notes down from a calendar of their own, and
// synced again with nothing to do.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <vector>

#include "SampleData.h"
#include "Target.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "interop/CalendarItems.h"
#include "interop/ICalendar.h"
#include "storage/DataFile.h"
#include "support/RadicaleServer.h"
#include "sync/Dav.h"
#include "sync/SyncConfig.h"
#include "sync/SyncRun.h"
#include "tree/LevelSteps.h"

using namespace veltrin;

namespace {

constexpr int kEvents = 10000;
constexpr int kPages = 3000, kNotes = 500;
constexpr std::int64_t kNow = 1'796'601'600;

double Seconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Fastest(int times, const std::function<void()>& run) {
    std::vector<double> t;
    for (int i = 0; i < times; ++i) t.push_back(Seconds(run));
    return bench::fastest(t);
}

SyncReport Sync(const std::string& data) {
    SyncRequest request;
    request.dataFolder = data;
    request.now = kNow;
    request.passwordGiven = true;
    request.password = test::RadicaleServer::kPassword;
    return SyncDataFolder(request);
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as soon as it is there
    bench::BenchFolder folder(false);
    test::RadicaleServer server(folder.root / "radicale");
    if (!server.up()) return 1;
    CurlTransport http(HttpOptions{test::RadicaleServer::kUser, test::RadicaleServer::kPassword});
    DavClient dav(http);
    const std::string calendar = server.userUrl() + "calendar/";
    const std::string a = (folder.root / "a").string(), b = (folder.root / "b").string(),
                      small = (folder.root / "small").string();
    EventStore events = bench::makeEvents(kEvents);
    // The calendar as the server keeps it once another client sent the events.
    const std::filesystem::path stored =
        folder.root / "radicale/collections/collection-root" / test::RadicaleServer::kUser / "calendar";
    std::filesystem::create_directories(stored);
    std::ofstream(stored / ".Radicale.props") << R"({"tag": "VCALENDAR"})";
    for (const EventItem& e : events.events)
        std::ofstream(stored / ("veltrin-event-" + std::to_string(e.details.eventId) + ".ics"),
                      std::ios::binary)
            << EventToICalendar(e, events.groups, {}, kNow);
    // Pages and notes as another client sent them, in a calendar of their own.
    const std::string journalsUrl = server.userUrl() + "journals/";
    const std::filesystem::path journals = stored.parent_path() / "journals";
    std::filesystem::create_directories(journals);
    std::ofstream(journals / ".Radicale.props") << R"({"tag": "VCALENDAR"})";
    // Each page a whole document, as the editor keeps it: a content line would
    // lose the blanks at the ends of a piece cut out of one.
    DiaryTable pages = bench::makeDiary(kPages, 2000);
    for (DiaryPage& p : pages) p.html = "<html><body>" + p.html + "</body></html>";
    const NoteTable notes = bench::makeNotes(kNotes, 3);
    for (std::size_t i = 0; i < pages.size(); ++i)
        std::ofstream(journals / ("page-" + std::to_string(i) + ".ics"), std::ios::binary)
            << DiaryPageToICalendar(pages[i], {}, kNow);
    std::vector<std::string> parents;  // parents[d - 1]: the last note's UID at depth d
    int depth = 0;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        depth = DepthAfterLevelStep(depth, notes[i].levelStep);
        parents.resize(static_cast<std::size_t>(depth - 1));
        const std::string uid = NoteUid(notes[i].created, 0);
        std::ofstream(journals / ("note-" + std::to_string(i) + ".ics"), std::ios::binary)
            << NoteToICalendar(notes[i], uid, parents.empty() ? std::string() : parents.back(), kNow);
        parents.push_back(uid);
    }
    const std::string c = (folder.root / "c").string();
    if (http.Send({"MKCALENDAR", server.userUrl() + "small/", {}, {}}).status != 201) return 1;
    for (const std::string& data : {a, b, small, c}) {
        std::filesystem::create_directories(data);
        SyncConfig config;
        config.url = server.url();
        config.user = test::RadicaleServer::kUser;
        config.eventsCollection = data == small ? server.userUrl() + "small/"
                                  : data == c   ? journalsUrl
                                                : calendar;
        // Journals beside the events, as in a calendar that takes every kind.
        config.journalsCollection = data == c ? journalsUrl : config.eventsCollection;
        std::string why;
        if (!SaveSyncConfig(data, config, why)) return 1;
    }
    EventStore few;
    few.groups = events.groups;
    few.events.assign(events.events.begin(), events.events.begin() + 1000);
    const auto store = [](const std::string& data, EventStore& s) {
        return StoreArchiveFile(data + "/" + kEventsFile.fileName, kEventsFile.signature, SharedVersion(),
                                [&](Archive& ar) { TransferEventStore(ar, s); });
    };
    if (!store(a, events) || !store(small, few)) return 1;

    // Radicale reads items it did not receive itself once, slowly, on the
    // first listing; that is the server's cost, not the sync's.
    HttpOptions patient{test::RadicaleServer::kUser, test::RadicaleServer::kPassword};
    patient.totalSeconds = 3600;
    CurlTransport warmHttp(patient);
    DavClient warm(warmHttp);
    std::map<std::string, std::string> seeded;
    std::printf("Radicale reading the %d stored events once: %.1f s\n", kEvents,
                Seconds([&] { warm.ListEtags(calendar, seeded); }));
    if (seeded.size() != kEvents) return 1;
    seeded.clear();
    warm.ListEtags(journalsUrl, seeded);
    if (seeded.size() != kPages + kNotes) return 1;

    SyncReport up, same, down;
    std::printf("first sync up of 1000 events: %.1f s\n", Seconds([&] { up = Sync(small); }));
    std::printf("first sync of %d events the calendar holds already: %.1f s\n", kEvents,
                Seconds([&] { same = Sync(a); }));
    std::printf("first sync down of %d events into an empty folder: %.1f s\n", kEvents,
                Seconds([&] { down = Sync(b); }));
    if (!up.ok || !same.ok || !down.ok || up.events.sentUp != 1000 || same.events.conflicts != 0 ||
        same.dataChanged || down.events.broughtDown != kEvents) {
        std::printf("sync failed: %s%s%s\n%s%s", up.error.c_str(), same.error.c_str(), down.error.c_str(),
                    same.Summary().c_str(), down.Summary().c_str());
        return 1;
    }
    SyncReport journalsDown;
    std::printf("first sync down of %d pages and %d notes into an empty folder: %.1f s\n", kPages, kNotes,
                Seconds([&] { journalsDown = Sync(c); }));
    DiaryTable pagesDown;
    NoteTable notesDown;
    std::uint32_t version = SharedVersion();
    LoadArchiveFile(c + "/" + kDiaryFile.fileName, kDiaryFile.signature, version,
                    [&](Archive& ar) { TransferRecords(ar, pagesDown); });
    LoadArchiveFile(c + "/" + kNotesFile.fileName, kNotesFile.signature, version,
                    [&](Archive& ar) { TransferRecords(ar, notesDown); });
    bool whole = journalsDown.ok && pagesDown.size() == pages.size() && notesDown.size() == notes.size();
    for (std::size_t i = 0; whole && i < pages.size(); ++i)
        whole = pagesDown[i].title == pages[i].title && pagesDown[i].html == pages[i].html;
    for (std::size_t i = 0; whole && i < notes.size(); ++i)
        whole = notesDown[i].name == notes[i].name && notesDown[i].html == notes[i].html &&
                notesDown[i].created == notes[i].created && notesDown[i].levelStep == notes[i].levelStep;
    if (!whole) {
        std::printf("pages and notes did not come down whole: %s\n%s", journalsDown.error.c_str(),
                    journalsDown.Summary().c_str());
        return 1;
    }
    bool ok = true;
    std::printf("a sync with nothing to do of %d pages and %d notes: %.2f s\n", kPages, kNotes,
                Fastest(3, [&] {
                    const SyncReport r = Sync(c);
                    ok = r.ok && !r.dataChanged && r.journals.sentUp == 0 && ok;
                }));
    const double propfind = Fastest(5, [&] {
        std::map<std::string, std::string> etags;
        ok = dav.ListEtags(calendar, etags).ok() && etags.size() == kEvents && ok;
    });
    const double idle = Fastest(5, [&] {
        const SyncReport r = Sync(a);
        ok = r.ok && !r.dataChanged && r.events.sentUp == 0 && ok;
    });
    std::printf("one PROPFIND: %.3f s, a sync with nothing to do: %.3f s\n", propfind, idle);
    ok = bench::reportTarget("sync nothing changed 10000 events vs one PROPFIND", idle / propfind, 3.0) && ok;
    return ok ? 0 : 1;
}
