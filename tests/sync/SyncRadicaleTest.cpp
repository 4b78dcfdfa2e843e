// The sync rules against a real Radicale started by each test.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "base/LocalTime.h"
#include "cli/RunCommand.h"
#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "documents/DocumentRules.h"
#include "events/EventRecords.h"
#include "interop/CalendarItems.h"
#include "interop/GroupPaths.h"
#include "platform/InstanceLock.h"
#include "storage/Backups.h"
#include "storage/DataFile.h"
#include "storage/SafeFile.h"
#include "support/Fakes.h"
#include "support/RadicaleServer.h"
#include "support/ScopedZone.h"
#include "sync/Dav.h"
#include "sync/SyncConfig.h"
#include "sync/SyncRun.h"

using namespace veltrin;
using json = nlohmann::ordered_json;
using test::RadicaleServer;
using test::RunCommand;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kNow = 1'796'601'600;  // 2026-12-07 00:00 UT

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

EventStore LoadEvents(const fs::path& folder) {
    EventStore store;
    std::uint32_t version = SharedVersion();
    LoadArchiveFile((folder / kEventsFile.fileName).string(), kEventsFile.signature, version,
                    [&](Archive& ar) { TransferEventStore(ar, store); });
    return store;
}

void StoreEvents(const fs::path& folder, EventStore store) {
    ASSERT_TRUE(StoreArchiveFile((folder / kEventsFile.fileName).string(), kEventsFile.signature,
                                 SharedVersion(), [&](Archive& ar) { TransferEventStore(ar, store); }));
}

EventItem* Named(EventStore& store, const std::string& name) {
    for (EventItem& e : store.events)
        if (e.name == name) return &e;
    return nullptr;
}

// A transport that lets a test act just before a chosen request goes out.
class Interposer : public HttpTransport {
public:
    explicit Interposer(HttpTransport& inner) : inner_(inner) {}
    std::function<void(const HttpRequest&)> before;
    HttpResponse Send(const HttpRequest& r) override {
        if (before) before(r);
        return inner_.Send(r);
    }

private:
    HttpTransport& inner_;
};

class SyncRadicaleTest : public ::testing::Test {
protected:
    SyncRadicaleTest() : server(folder.root / "radicale") {
        folder.clock.t = kNow;
        fs::create_directories(b());
    }

    void SetUp() override {
        ASSERT_TRUE(server.up()) << server.log();
        // The account's calendar, as a phone or the server's web page would make it.
        const HttpResponse made = http.Send({"MKCALENDAR", server.userUrl() + "calendar/", {}, {}});
        ASSERT_EQ(made.status, 201) << made.error << made.body;
        for (const fs::path& data : {a(), b()})
            Configure(data, server.url(), std::string("echo '") + RadicaleServer::kPassword + "'");
    }

    static void Configure(const fs::path& data, const std::string& url, const std::string& passwordCommand) {
        SyncConfig config;
        config.url = url;
        config.user = RadicaleServer::kUser;
        config.passwordCommand = passwordCommand;
        std::string why;
        ASSERT_TRUE(SaveSyncConfig(data.string(), config, why)) << why;
    }

    fs::path a() const { return folder.data(); }
    fs::path b() const { return folder.root / "other"; }
    std::string calendar() const { return server.userUrl() + "calendar/"; }

    static SyncRequest Request(const fs::path& data) {
        SyncRequest request;
        request.dataFolder = data.string();
        request.now = kNow;
        request.passwordGiven = true;
        request.password = RadicaleServer::kPassword;
        return request;
    }
    SyncReport Sync(const fs::path& data, HttpTransport* transport = nullptr) {
        SyncRequest request = Request(data);
        if (transport) {
            request.transport = transport;
            request.passwordGiven = false;
        }
        return SyncDataFolder(request);
    }

    // Both folders synced, then "Event 1" given another comment in each.
    void ChangeOnBothSides(int count) {
        StoreEvents(a(), Samples(count));
        ASSERT_TRUE(Sync(a()).ok);
        ASSERT_TRUE(Sync(b()).ok);
        EventStore inA = LoadEvents(a()), inB = LoadEvents(b());
        Named(inA, "Event 1")->details.comment = "as A has it";
        Named(inB, "Event 1")->details.comment = "as B has it";
        StoreEvents(a(), inA);
        StoreEvents(b(), inB);
    }

    // Events in two groups, one nested, with every kind of schedule.
    static EventStore Samples(int count) {
        EventStore store;
        store.groups = {{0, "Home", 1, 0, 0, 10}, {0, "Work", 2, 0, 0, 20}, {1, "Projects", 3, 0, 0, 30}};
        for (int i = 0; i < count; ++i) {
            EventItem e;
            e.name = "Event " + std::to_string(i) + (i >= 10 && i % 7 == 0 ? " caf\xE9" : "");
            e.actual = i % 3 != 0;
            e.priority = 1 + i % 10;
            e.details.groupId = i % 3 == 0 ? 10 : i % 3 == 1 ? 20 : 30;
            e.details.eventId = 1000 + i;
            e.details.comment = i % 2 ? "line one\nline two; with, marks" : "";
            e.details.playSound = i % 2;
            e.details.showMessage = 1;
            EventSchedule& s = e.details.schedule;
            s.kind = i % 6;
            s.eventTime = static_cast<std::int32_t>(kNow + 3600 * (i + 1));
            s.minutesAfterHour = i % 60;
            s.dayOfMonth = 1 + i % 28;
            s.annualDay = 1 + i % 28;
            s.annualMonth = i % 12;
            s.whichDays = s.kind == Daily ? CustomDays : AllDays;
            s.customDays = s.kind == Daily ? "246" : "";
            s.weekday = 1 + i % 7;
            s.nextDue = s.eventTime;
            s.lastCheck = static_cast<std::int32_t>(kNow - 60);
            store.events.push_back(e);
        }
        return store;
    }

    // Each event of a folder's dump by id, with what the calendar carries:
    // the group as its path, without the row's icon, bold and selection.
    std::map<std::int64_t, json> Mapped(const fs::path& data) {
        const test::Outcome r = RunCommand({"dump", (data / kEventsFile.fileName).string()});
        EXPECT_EQ(r.status, 0) << r.err;
        const EventStore store = LoadEvents(data);
        const std::vector<std::string> paths = GroupPaths(store.groups);
        std::map<std::int64_t, std::string> pathOf;
        for (std::size_t i = 0; i < paths.size(); ++i) pathOf[store.groups[i].groupId] = paths[i];
        std::map<std::int64_t, json> out;
        const json dump = json::parse(r.out);
        for (json e : dump["events"]) {
            for (const char* k : {"iconIndex", "bold", "isCurrent"}) e.erase(k);
            e["details"]["groupId"] = pathOf[e["details"]["groupId"].get<std::int64_t>()];
            out[e["details"]["eventId"].get<std::int64_t>()] = e;
        }
        return out;
    }

    test::ScopedZone zone{"Europe/Berlin"};
    test::ProgramFolder folder;
    RadicaleServer server;
    CurlTransport http{HttpOptions{RadicaleServer::kUser, RadicaleServer::kPassword}};
    DavClient dav{http};
};

}  // namespace

TEST_F(SyncRadicaleTest, FirstSyncGoesUpAndAnEmptyFolderComesDownEqual) {
    StoreEvents(a(), Samples(60));
    const SyncReport up = Sync(a());
    ASSERT_TRUE(up.ok) << up.error;
    EXPECT_EQ(up.events.sentUp, 60);
    std::map<std::string, std::string> etags;
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    EXPECT_EQ(etags.size(), 60u);

    // Found from the base URL alone; the second folder has no Events.dat yet.
    const SyncReport down = Sync(b());
    ASSERT_TRUE(down.ok) << down.error;
    EXPECT_EQ(down.events.broughtDown, 60);
    EXPECT_EQ(down.events.conflicts, 0);
    const auto mappedA = Mapped(a()), mappedB = Mapped(b());
    ASSERT_EQ(mappedA.size(), 60u);
    for (const auto& [id, e] : mappedA) EXPECT_EQ(mappedB.at(id), e) << id;

    // Nothing to do: nothing goes either way and no file is written.
    const std::string before = ReadBytes(a() / kEventsFile.fileName);
    const auto written = StateOfFile((a() / kEventsFile.fileName).string());
    for (const fs::path& data : {a(), b()}) {
        const SyncReport again = Sync(data);
        ASSERT_TRUE(again.ok) << again.error;
        EXPECT_EQ(again.Summary(), Sync(data).Summary());
        EXPECT_EQ(again.events.sentUp + again.events.broughtDown + again.events.conflicts, 0)
            << again.Summary();
        EXPECT_FALSE(again.dataChanged);
    }
    EXPECT_EQ(ReadBytes(a() / kEventsFile.fileName), before);
    EXPECT_TRUE(StateOfFile((a() / kEventsFile.fileName).string()) == written);
}

// A server that sends .well-known on elsewhere, as most hosted ones do, and
// has nothing at its root.
const char* const kRedirector = R"(
import sys, http.server
port, target = int(sys.argv[1]), sys.argv[2]
class Handler(http.server.BaseHTTPRequestHandler):
    def answer(self):
        self.rfile.read(int(self.headers.get('Content-Length') or 0))
        moved = self.path.startswith('/.well-known/')
        self.send_response(301 if moved else 404)
        if moved:
            self.send_header('Location', target)
        self.send_header('Content-Length', '0')
        self.end_headers()
    def __getattr__(self, name):
        if name.startswith('do_'):
            return self.answer
        raise AttributeError(name)
http.server.ThreadingHTTPServer(('127.0.0.1', port), Handler).serve_forever()
)";

TEST_F(SyncRadicaleTest, TheCalendarIsFoundThroughAWellKnownRedirect) {
    std::ofstream(folder.root / "redirector.py") << kRedirector;
    test::LoopbackProcess redirector;
    const int port = test::LoopbackProcess::FreePort();
    ASSERT_TRUE(
        redirector.Start({(folder.root / "redirector.py").string(), std::to_string(port), server.url()}, port,
                         (folder.root / "redirector.log").string()));
    Configure(a(), "http://127.0.0.1:" + std::to_string(port) + "/", {});
    StoreEvents(a(), Samples(3));
    const SyncReport r = Sync(a());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.events.sentUp, 3);
    std::map<std::string, std::string> etags;
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    EXPECT_EQ(etags.size(), 3u);
}

TEST_F(SyncRadicaleTest, AChangeOnOneSideGoesToTheOtherAndKeepsTheDueBookkeeping) {
    StoreEvents(a(), Samples(6));
    ASSERT_TRUE(Sync(a()).ok);
    ASSERT_TRUE(Sync(b()).ok);

    EventStore inB = LoadEvents(b());
    Named(inB, "Event 2")->name = "Event 2, moved";
    Named(inB, "Event 2, moved")->details.schedule.lastCheck = 77;  // B's own bookkeeping
    StoreEvents(b(), inB);
    EventStore inA = LoadEvents(a());
    Named(inA, "Event 3")->details.comment = "bring the keys";
    const std::int32_t dueInA = Named(inA, "Event 2")->details.schedule.lastCheck;
    StoreEvents(a(), inA);

    const SyncReport fromB = Sync(b());
    ASSERT_TRUE(fromB.ok) << fromB.error;
    EXPECT_EQ(fromB.events.sentUp, 1);
    const SyncReport inToA = Sync(a());
    ASSERT_TRUE(inToA.ok) << inToA.error;
    EXPECT_EQ(inToA.events.sentUp, 1);
    EXPECT_EQ(inToA.events.broughtDown, 1);
    EXPECT_EQ(inToA.events.conflicts, 0);
    ASSERT_TRUE(Sync(b()).ok);

    inA = LoadEvents(a());
    inB = LoadEvents(b());
    ASSERT_NE(Named(inA, "Event 2, moved"), nullptr);
    EXPECT_EQ(Named(inA, "Event 2, moved")->details.schedule.lastCheck, dueInA);
    ASSERT_NE(Named(inB, "Event 3"), nullptr);
    EXPECT_EQ(Named(inB, "Event 3")->details.comment, "bring the keys");
    EXPECT_EQ(inA.events.size(), 6u);
    EXPECT_EQ(inB.events.size(), 6u);
    // The day's backup holds Events.dat as it was before the sync changed it.
    EXPECT_FALSE(BackupDays(a().string()).empty());
}

TEST_F(SyncRadicaleTest, TwoFoldersWithTheSameEventsMeetWithoutDoubles) {
    // Both folders hold the same events before either ever synced (a copy of
    // the data folder); one event differs.
    StoreEvents(a(), Samples(5));
    EventStore copy = Samples(5);
    Named(copy, "Event 4")->details.comment = "only in the copy";
    StoreEvents(b(), copy);
    ASSERT_TRUE(Sync(a()).ok);
    const SyncReport r = Sync(b());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.events.sentUp + r.events.broughtDown, 0) << r.Summary();
    EXPECT_EQ(r.events.conflicts, 1) << r.Summary();
    ASSERT_TRUE(Sync(a()).ok);
    for (const fs::path& data : {a(), b()}) {
        EventStore store = LoadEvents(data);
        EXPECT_EQ(store.events.size(), 6u) << data;
        // The server's version (A's, first up) stays; B's is the conflict copy.
        ASSERT_NE(Named(store, "Event 4"), nullptr);
        EXPECT_EQ(Named(store, "Event 4")->details.comment, "");
        ASSERT_NE(Named(store, "Event 4 (conflict copy)"), nullptr);
        EXPECT_EQ(Named(store, "Event 4 (conflict copy)")->details.comment, "only in the copy");
    }
    EXPECT_EQ(Mapped(a()), Mapped(b()));
}

TEST_F(SyncRadicaleTest, AfterTheFirstSyncOnlyWhatChangedIsAskedForAndABadTokenListsAll) {
    StoreEvents(a(), Samples(6));
    ASSERT_TRUE(Sync(a()).ok);
    ASSERT_TRUE(Sync(b()).ok);

    CurlTransport inner(HttpOptions{RadicaleServer::kUser, RadicaleServer::kPassword});
    Interposer counting(inner);
    std::vector<std::string> asked;
    counting.before = [&](const HttpRequest& r) {
        const bool changes = r.body.find("sync-collection") != std::string::npos;
        asked.push_back(r.method + (changes ? " changes" : "") + (r.method == "PROPFIND" ? " " + r.url : ""));
    };
    EventStore inB = LoadEvents(b());
    Named(inB, "Event 5")->name = "Event 5, renamed";
    inB.events.erase(inB.events.begin());
    StoreEvents(b(), inB);
    ASSERT_TRUE(Sync(b()).ok);
    const SyncReport r = Sync(a(), &counting);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.events.broughtDown, 1);
    EXPECT_EQ(r.events.deletedHere, 1);
    // One report of the changes for each kind the calendar holds (events, and
    // the journals beside them), one fetch of the renamed event; no listing of all.
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "REPORT changes"), 2) << testing::PrintToString(asked);
    for (const std::string& request : asked)
        EXPECT_EQ(request.find("PROPFIND " + calendar()), std::string::npos) << request;

    // A token the server no longer knows: everything is listed once more.
    const std::string statusPath = SyncStatusPath(a().string());
    std::string text = ReadBytes(statusPath);
    const std::size_t line = text.find("collection\t");
    const std::size_t token = text.find('\t', line + 11);
    ASSERT_NE(token, std::string::npos) << text;
    text.replace(token + 1, text.find('\n', token) - token - 1, "http://example.org/ns/sync/bogus");
    std::ofstream(statusPath, std::ios::binary) << text;
    Named(inB, "Event 3")->details.comment = "after the bad token";
    StoreEvents(b(), inB);
    ASSERT_TRUE(Sync(b()).ok);
    const SyncReport again = Sync(a());
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.events.broughtDown, 1);
    EXPECT_EQ(again.events.conflicts + again.events.sentUp, 0);
    EXPECT_EQ(Mapped(a()), Mapped(b()));
}

TEST_F(SyncRadicaleTest, ChangedOnBothSidesKeepsBothAndSaysSo) {
    ChangeOnBothSides(4);

    ASSERT_TRUE(Sync(b()).ok);
    const SyncReport r = Sync(a());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.events.conflicts, 1);
    EXPECT_NE(r.Summary().find("1 changed on both sides (both kept)"), std::string::npos) << r.Summary();
    ASSERT_TRUE(Sync(b()).ok);

    for (const fs::path& data : {a(), b()}) {
        EventStore store = LoadEvents(data);
        ASSERT_EQ(store.events.size(), 5u) << data;
        // The server's version (B's) stays as it is; A's becomes the conflict copy.
        ASSERT_NE(Named(store, "Event 1"), nullptr);
        EXPECT_EQ(Named(store, "Event 1")->details.comment, "as B has it");
        ASSERT_NE(Named(store, "Event 1 (conflict copy)"), nullptr);
        EXPECT_EQ(Named(store, "Event 1 (conflict copy)")->details.comment, "as A has it");
    }
    EXPECT_EQ(Mapped(a()), Mapped(b()));
}

// The program runs the network part beside the window and applies it only
// when the user changed nothing meanwhile; otherwise it drops what came down
// and syncs again. Dropping must lose nothing and double nothing.
TEST_F(SyncRadicaleTest, ASessionNeverAppliedLeavesTheFilesAndTheNextSyncCompletesIt) {
    StoreEvents(a(), Samples(4));
    ASSERT_TRUE(Sync(a()).ok);
    EventStore inB = Samples(0);
    EventItem mine = Samples(1).events[0];
    mine.name = "Typed in B";
    mine.details.eventId = 5001;
    inB.events.push_back(mine);
    StoreEvents(b(), inB);
    const std::string before = ReadBytes(b() / kEventsFile.fileName);

    {
        SyncSession session(Request(b()));
        ASSERT_TRUE(session.Load()) << session.report().error;
        session.Fetch();
        EXPECT_TRUE(session.report().error.empty()) << session.report().error;
        EXPECT_EQ(session.report().events.broughtDown, 4);
        EXPECT_EQ(session.report().events.sentUp, 1);
    }
    // Dropped: the file is as it was, the server has what went up.
    EXPECT_EQ(ReadBytes(b() / kEventsFile.fileName), before);
    std::map<std::string, std::string> etags;
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    EXPECT_EQ(etags.size(), 5u);

    // Meanwhile the user typed another event.
    mine.name = "Typed in B meanwhile";
    mine.details.eventId = 5002;
    inB.events.push_back(mine);
    StoreEvents(b(), inB);
    const SyncReport again = Sync(b());
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.events.broughtDown, 4);
    EXPECT_EQ(again.events.sentUp, 1);
    EXPECT_EQ(again.events.conflicts, 0);
    ASSERT_TRUE(Sync(a()).ok);
    EXPECT_EQ(LoadEvents(b()).events.size(), 6u);
    EXPECT_EQ(Mapped(a()), Mapped(b()));
}

TEST_F(SyncRadicaleTest, AConflictCopyOfADroppedSessionComesDownOnceAndTheServersVersionStays) {
    ChangeOnBothSides(3);
    ASSERT_TRUE(Sync(a()).ok);
    {
        SyncSession session(Request(b()));
        ASSERT_TRUE(session.Load());
        session.Fetch();
        EXPECT_EQ(session.report().events.conflicts, 1);
    }
    const SyncReport again = Sync(b());
    ASSERT_TRUE(again.ok) << again.error;
    ASSERT_TRUE(Sync(a()).ok);
    for (const fs::path& data : {a(), b()}) {
        EventStore store = LoadEvents(data);
        EXPECT_EQ(store.events.size(), 4u) << data;
        ASSERT_NE(Named(store, "Event 1"), nullptr);
        EXPECT_EQ(Named(store, "Event 1")->details.comment, "as A has it");
        ASSERT_NE(Named(store, "Event 1 (conflict copy)"), nullptr);
        EXPECT_EQ(Named(store, "Event 1 (conflict copy)")->details.comment, "as B has it");
    }
    EXPECT_EQ(Mapped(a()), Mapped(b()));
}

TEST_F(SyncRadicaleTest, ADeleteMeetsAnUnchangedItemAndAChangeWinsOverADelete) {
    StoreEvents(a(), Samples(6));
    ASSERT_TRUE(Sync(a()).ok);
    ASSERT_TRUE(Sync(b()).ok);
    EventStore inA = LoadEvents(a()), inB = LoadEvents(b());
    // Deleted in A: event 0 (unchanged in B) and event 1 (changed in B).
    inA.events.erase(inA.events.begin(), inA.events.begin() + 2);
    Named(inB, "Event 1")->details.comment = "still needed";
    // Deleted in B: event 4 (unchanged in A) and event 5 (changed in A).
    inB.events.erase(inB.events.begin() + 4, inB.events.end());
    Named(inA, "Event 5")->name = "Event 5, later";
    StoreEvents(a(), inA);
    StoreEvents(b(), inB);

    ASSERT_TRUE(Sync(a()).ok);
    const SyncReport r = Sync(b());
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_TRUE(Sync(a()).ok);
    for (const fs::path& data : {a(), b()}) {
        EventStore store = LoadEvents(data);
        EXPECT_EQ(Named(store, "Event 0"), nullptr) << data;
        EXPECT_EQ(Named(store, "Event 4"), nullptr) << data;
        ASSERT_NE(Named(store, "Event 1"), nullptr) << data;
        EXPECT_EQ(Named(store, "Event 1")->details.comment, "still needed");
        EXPECT_NE(Named(store, "Event 5, later"), nullptr) << data;
        EXPECT_EQ(store.events.size(), 4u) << data;
    }
    std::map<std::string, std::string> etags;
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    EXPECT_EQ(etags.size(), 4u);
}

TEST_F(SyncRadicaleTest, APutThatMeetsA412IsDecidedAgainAndLosesNothing) {
    StoreEvents(a(), Samples(4));
    ASSERT_TRUE(Sync(a()).ok);
    EventStore inA = LoadEvents(a());
    Named(inA, "Event 2")->details.comment = "from A";
    StoreEvents(a(), inA);

    // Between A's listing and its PUT, a phone changes the same item.
    CurlTransport inner(HttpOptions{RadicaleServer::kUser, RadicaleServer::kPassword});
    Interposer racing(inner);
    bool raced = false;
    racing.before = [&](const HttpRequest& r) {
        if (r.method != "PUT" || raced) return;
        raced = true;
        EventItem phone = *Named(inA, "Event 2");
        phone.details.comment = "from the phone";
        std::map<std::string, std::string> etags;
        ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
        const std::string href = PathOfUrl(r.url);
        const HttpResponse put = dav.Put(r.url, EventToICalendar(phone, inA.groups, {}, kNow),
                                         "text/calendar; charset=utf-8", etags.at(href));
        ASSERT_TRUE(put.ok()) << put.status;
    };
    const SyncReport r = Sync(a(), &racing);
    ASSERT_TRUE(raced);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.events.conflicts, 1);
    inA = LoadEvents(a());
    ASSERT_NE(Named(inA, "Event 2"), nullptr);
    EXPECT_EQ(Named(inA, "Event 2")->details.comment, "from the phone");
    ASSERT_NE(Named(inA, "Event 2 (conflict copy)"), nullptr);
    EXPECT_EQ(Named(inA, "Event 2 (conflict copy)")->details.comment, "from A");
    ASSERT_TRUE(Sync(b()).ok);
    EXPECT_EQ(Mapped(a()), Mapped(b()));
}

TEST_F(SyncRadicaleTest, AServerGoneMidSyncLeavesTheDataAsItWasAndTheNextSyncCompletes) {
    StoreEvents(a(), Samples(8));
    ASSERT_TRUE(Sync(a()).ok);
    ASSERT_TRUE(Sync(b()).ok);
    EventStore inA = LoadEvents(a()), inB = LoadEvents(b());
    for (const char* name : {"Event 0", "Event 1", "Event 2"}) Named(inA, name)->details.comment = "A's edit";
    for (const char* name : {"Event 6", "Event 7"}) Named(inB, name)->details.comment = "B's edit";
    StoreEvents(a(), inA);
    StoreEvents(b(), inB);
    ASSERT_TRUE(Sync(b()).ok);
    const std::string before = ReadBytes(a() / kEventsFile.fileName);

    // The server ends after A's second PUT.
    CurlTransport inner(HttpOptions{RadicaleServer::kUser, RadicaleServer::kPassword});
    Interposer dropping(inner);
    int puts = 0;
    dropping.before = [&](const HttpRequest& r) {
        if (r.method == "PUT" && ++puts == 3) server.Stop();
    };
    const SyncReport broken = Sync(a(), &dropping);
    EXPECT_FALSE(broken.ok);
    EXPECT_NE(broken.error.find("failed"), std::string::npos) << broken.error;
    EXPECT_FALSE(broken.dataChanged);
    EXPECT_EQ(ReadBytes(a() / kEventsFile.fileName), before);  // B's edits not half in

    server.Start();
    ASSERT_TRUE(server.up());
    const SyncReport next = Sync(a());
    ASSERT_TRUE(next.ok) << next.error;
    // The two PUTs that got through are not sent again; nothing conflicts.
    EXPECT_EQ(next.events.sentUp, 1) << next.Summary();
    EXPECT_EQ(next.events.broughtDown, 2) << next.Summary();
    EXPECT_EQ(next.events.conflicts, 0) << next.Summary();
    ASSERT_TRUE(Sync(b()).ok);
    EXPECT_EQ(Mapped(a()), Mapped(b()));
    inA = LoadEvents(a());
    EXPECT_EQ(Named(inA, "Event 2")->details.comment, "A's edit");
    EXPECT_EQ(Named(inA, "Event 7")->details.comment, "B's edit");
}

TEST_F(SyncRadicaleTest, TheCommandSaysAWrongPasswordPlainlyAndChangesNothing) {
    StoreEvents(a(), Samples(3));
    Configure(a(), server.url(), "echo not-the-s3cret");
    const std::string before = ReadBytes(a() / kEventsFile.fileName);

    const test::Outcome r = RunCommand({"sync", "--data", a().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("did not accept the user name and password (401)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No data file was changed."), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("not-the-s3cret"), std::string::npos);
    EXPECT_EQ(r.err.find("not-the-s3cret"), std::string::npos);
    EXPECT_EQ(ReadBytes(a() / kEventsFile.fileName), before);
    EXPECT_FALSE(fs::exists(a() / "sync" / "status"));
    EXPECT_TRUE(BackupDays(a().string()).empty());
}

TEST_F(SyncRadicaleTest, TheCommandStopsAMassDeleteUntilAllowedAndWaitsForTheProgram) {
    StoreEvents(a(), Samples(8));
    const test::Outcome first = RunCommand({"sync", "--data", a().string()});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(
        first.out,
        "Events: 8 sent, 0 brought down, 0 deleted here, 0 deleted on the server, 0 changed on both sides "
        "(both kept), 0 restored.\nContacts: not synced, the server has no address book.\n"
        "Diary pages: 0 sent, 0 brought down, 0 deleted here, 0 deleted on the server, 0 changed on both "
        "sides (both kept), 0 restored.\nNotes: 0 sent, 0 brought down, 0 deleted here, 0 deleted on the "
        "server, 0 changed on both sides (both kept), 0 restored.\n");
    EXPECT_EQ(first.out.find(RadicaleServer::kPassword), std::string::npos);
    ASSERT_EQ(RunCommand({"sync", "--data", b().string()}).status, 0);
    EventStore inB = LoadEvents(b());
    inB.events.resize(2);
    StoreEvents(b(), inB);

    test::Outcome r = RunCommand({"sync", "--data", b().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("it would delete 6 of 8 events on the server"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--allow-mass-delete"), std::string::npos);
    std::map<std::string, std::string> etags;
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    EXPECT_EQ(etags.size(), 8u);

    {
        InstanceLock program;
        ASSERT_TRUE(program.acquire(b().string()));
        r = RunCommand({"sync", "--data", b().string(), "--allow-mass-delete"});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Veltrin is running with the data folder"), std::string::npos) << r.err;
    }
    r = RunCommand({"sync", "--data", b().string(), "--allow-mass-delete"});
    ASSERT_EQ(r.status, 0) << r.err;
    etags.clear();
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    EXPECT_EQ(etags.size(), 2u);

    // The other side too: A would lose 6 of its 8 and stops.
    r = RunCommand({"sync", "--data", a().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("it would delete 6 of 8 events here"), std::string::npos) << r.err;
    EXPECT_EQ(LoadEvents(a()).events.size(), 8u);
}

namespace {

ContactStore LoadContacts(const fs::path& folder) {
    ContactStore store;
    std::uint32_t version = SharedVersion();
    LoadArchiveFile((folder / kContactsFile.fileName).string(), kContactsFile.signature, version,
                    [&](Archive& ar) { TransferContactStore(ar, store); });
    return store;
}

void StoreContacts(const fs::path& folder, ContactStore store) {
    ASSERT_TRUE(StoreArchiveFile((folder / kContactsFile.fileName).string(), kContactsFile.signature,
                                 SharedVersion(), [&](Archive& ar) { TransferContactStore(ar, store); }));
}

std::size_t FieldAt(const char* name) { return static_cast<std::size_t>(ContactFieldRecordIndex(name)); }

ContactItem* Called(ContactStore& store, const std::string& name) {
    for (ContactItem& c : store.contacts)
        if (c.fields[FieldAt("Name")] == name) return &c;
    return nullptr;
}

const char* const kMakeAddressBook =
    R"(<?xml version="1.0"?><d:mkcol xmlns:d="DAV:" xmlns:a="urn:ietf:params:xml:ns:carddav"><d:set>)"
    R"(<d:prop><d:resourcetype><d:collection/><a:addressbook/></d:resourcetype></d:prop></d:set></d:mkcol>)";

// The same account with an address book beside the calendar.
class ContactSyncRadicaleTest : public SyncRadicaleTest {
protected:
    void SetUp() override {
        SyncRadicaleTest::SetUp();
        const HttpResponse made =
            http.Send({"MKCOL", book(), {{"Content-Type", "application/xml"}}, kMakeAddressBook});
        ASSERT_EQ(made.status, 201) << made.error << made.body;
    }

    std::string book() const { return server.userUrl() + "contacts/"; }

    std::size_t OnServer() {
        std::map<std::string, std::string> etags;
        EXPECT_TRUE(dav.ListEtags(book(), etags).ok());
        return etags.size();
    }

    // Contacts in three groups, one nested; each field filled in some of them.
    static ContactStore People(int count) {
        ContactStore store;
        store.groups = {
            {0, "Friends", 0, 0, 0, 1, 10}, {0, "Work", 0, 0, 0, 1, 20}, {1, "Projects", 0, 0, 0, 1, 30}};
        for (int i = 0; i < count; ++i) {
            ContactItem c;
            c.groupId = i % 3 == 0 ? 10 : i % 3 == 1 ? 20 : 30;
            c.fields.set(FieldAt("Name"), "Person " + std::to_string(i) + (i % 4 == 3 ? " Caf\xE9" : ""));
            for (std::size_t f = 0; f < ContactFields().size(); ++f) {
                const ContactField& field = ContactFields()[f];
                if (std::string(field.name) == "Name" || (f + static_cast<std::size_t>(i)) % 3 == 0) continue;
                std::string text = std::string(field.name) + " " + std::to_string(i);
                if (std::string(field.name) == "Notes") text += "\nsecond line; with, marks";
                if (std::string(field.name).find("Web") != std::string::npos)
                    text = "https://example.org/" + text.substr(0, 3);
                c.fields.set(static_cast<std::size_t>(field.recordIndex), text);
            }
            store.contacts.push_back(c);
        }
        return store;
    }

    // Each contact of a folder's dump by name, with its group as its path
    // and without the selection.
    std::map<std::string, json> MappedContacts(const fs::path& data) {
        const test::Outcome r = RunCommand({"dump", (data / kContactsFile.fileName).string()});
        EXPECT_EQ(r.status, 0) << r.err;
        const ContactStore store = LoadContacts(data);
        const std::map<std::int32_t, std::string> pathOf = GroupPathsById(store.groups);
        std::map<std::string, json> out;
        const json dump = json::parse(r.out);
        for (json c : dump["contacts"]) {
            c.erase("isCurrent");
            c["groupId"] = pathOf.at(c["groupId"].get<std::int32_t>());
            out[c["fields"]["Name"].get<std::string>()] = c;
        }
        return out;
    }
};

}  // namespace

// The Sync dialog's "Find": a base URL is enough to list what to choose from.
TEST_F(ContactSyncRadicaleTest, FindingCollectionsListsTheCalendarsAndAddressBooksOrSaysWhyNot) {
    SyncConfig config;
    config.url = server.url();
    config.user = RadicaleServer::kUser;
    config.passwordCommand = "echo wrong-password";
    SyncCollections found;
    std::string why;
    EXPECT_FALSE(FindSyncCollections(config, nullptr, found, why));
    EXPECT_NE(why.find("401"), std::string::npos) << why;
    EXPECT_EQ(why.find("wrong-password"), std::string::npos);

    const std::string password = RadicaleServer::kPassword;
    ASSERT_TRUE(FindSyncCollections(config, &password, found, why)) << why;
    ASSERT_EQ(found.calendars.size(), 1u);
    EXPECT_EQ(found.calendars[0].url, calendar());
    ASSERT_EQ(found.addressBooks.size(), 1u);
    EXPECT_EQ(found.addressBooks[0].url, book());
}

TEST_F(ContactSyncRadicaleTest, FirstSyncGoesUpAndAnEmptyFolderComesDownEqual) {
    StoreContacts(a(), People(12));
    const SyncReport up = Sync(a());
    ASSERT_TRUE(up.ok) << up.error;
    ASSERT_TRUE(up.contactsSynced);
    EXPECT_EQ(up.contacts.sentUp, 12) << up.Summary();
    EXPECT_EQ(OnServer(), 12u);

    const SyncReport down = Sync(b());
    ASSERT_TRUE(down.ok) << down.error;
    EXPECT_EQ(down.contacts.broughtDown, 12) << down.Summary();
    EXPECT_EQ(down.contacts.conflicts, 0);
    const auto mappedA = MappedContacts(a()), mappedB = MappedContacts(b());
    ASSERT_EQ(mappedA.size(), 12u);
    EXPECT_EQ(mappedA, mappedB);

    // Nothing to do: nothing goes either way and no file is written.
    const std::string before = ReadBytes(a() / kContactsFile.fileName);
    for (const fs::path& data : {a(), b()}) {
        const SyncReport again = Sync(data);
        ASSERT_TRUE(again.ok) << again.error;
        EXPECT_EQ(again.contacts.sentUp + again.contacts.broughtDown + again.contacts.conflicts, 0)
            << again.Summary();
        EXPECT_FALSE(again.dataChanged);
    }
    EXPECT_EQ(ReadBytes(a() / kContactsFile.fileName), before);
}

TEST_F(ContactSyncRadicaleTest, BothSidesChangedKeepsBothAndAChangeWinsOverADelete) {
    StoreContacts(a(), People(6));
    ASSERT_TRUE(Sync(a()).ok);
    ASSERT_TRUE(Sync(b()).ok);
    ContactStore inA = LoadContacts(a()), inB = LoadContacts(b());
    Called(inA, "Person 1")->fields.set(FieldAt("Notes"), "as A has it");
    Called(inB, "Person 1")->fields.set(FieldAt("Notes"), "as B has it");
    Called(inB, "Person 4")->fields.set(FieldAt("Job Title"), "still needed");
    // A deletes Person 2 (unchanged in B) and Person 4 (changed in B).
    inA.contacts.erase(inA.contacts.begin() + 4);
    inA.contacts.erase(inA.contacts.begin() + 2);
    StoreContacts(a(), inA);
    StoreContacts(b(), inB);

    ASSERT_TRUE(Sync(b()).ok);
    const SyncReport r = Sync(a());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.contacts.conflicts, 1) << r.Summary();
    EXPECT_EQ(r.contacts.restored, 1) << r.Summary();
    EXPECT_EQ(r.contacts.deletedThere, 1) << r.Summary();
    EXPECT_NE(r.Summary().find("Contacts: 0 sent, 0 brought down, 0 deleted here, 1 deleted on the server, 1 "
                               "changed on both sides (both kept), 1 restored."),
              std::string::npos)
        << r.Summary();
    ASSERT_TRUE(Sync(b()).ok);

    for (const fs::path& data : {a(), b()}) {
        ContactStore store = LoadContacts(data);
        EXPECT_EQ(store.contacts.size(), 6u) << data;
        ASSERT_NE(Called(store, "Person 1"), nullptr) << data;
        // The server's version (B's) stays as it is; A's becomes the conflict copy.
        EXPECT_EQ(Called(store, "Person 1")->fields[FieldAt("Notes")], "as B has it");
        ASSERT_NE(Called(store, "Person 1 (conflict copy)"), nullptr) << data;
        EXPECT_EQ(Called(store, "Person 1 (conflict copy)")->fields[FieldAt("Notes")], "as A has it");
        EXPECT_EQ(Called(store, "Person 2"), nullptr) << data;
        ASSERT_NE(Called(store, "Person 4"), nullptr) << data;
        EXPECT_EQ(Called(store, "Person 4")->fields[FieldAt("Job Title")], "still needed");
    }
    EXPECT_EQ(MappedContacts(a()), MappedContacts(b()));
    EXPECT_EQ(OnServer(), 6u);
}

TEST_F(ContactSyncRadicaleTest, AContactMovedAndEditedHereIsMatchedNotDoubled) {
    StoreContacts(a(), People(5));
    ASSERT_TRUE(Sync(a()).ok);
    ASSERT_TRUE(Sync(b()).ok);
    // Person 0 goes from Friends to Work/Projects, at the end, with a new phone.
    ContactStore inA = LoadContacts(a());
    ContactItem moved = inA.contacts.front();
    inA.contacts.erase(inA.contacts.begin());
    moved.groupId = 30;
    moved.fields.set(FieldAt("Cellular"), "+49 170 555");
    inA.contacts.push_back(moved);
    StoreContacts(a(), inA);

    const SyncReport r = Sync(a());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.contacts.sentUp, 1) << r.Summary();
    EXPECT_EQ(r.contacts.deletedThere + r.contacts.deletedHere + r.contacts.conflicts, 0) << r.Summary();
    EXPECT_EQ(OnServer(), 5u);
    const SyncReport there = Sync(b());
    ASSERT_TRUE(there.ok) << there.error;
    EXPECT_EQ(there.contacts.broughtDown, 1) << there.Summary();
    const auto mappedB = MappedContacts(b());
    ASSERT_EQ(mappedB.size(), 5u);
    EXPECT_EQ(mappedB.at("Person 0")["groupId"], "Work/Projects");
    EXPECT_EQ(mappedB.at("Person 0")["fields"]["Cellular"], "+49 170 555");
    EXPECT_EQ(MappedContacts(a()), mappedB);
}

TEST_F(ContactSyncRadicaleTest, AServerGoneMidSyncLeavesTheContactsAsTheyWereAndTheNextSyncCompletes) {
    StoreContacts(a(), People(6));
    ASSERT_TRUE(Sync(a()).ok);
    ASSERT_TRUE(Sync(b()).ok);
    ContactStore inA = LoadContacts(a()), inB = LoadContacts(b());
    for (const char* name : {"Person 0", "Person 1"})
        Called(inA, name)->fields.set(FieldAt("Notes"), "A's edit");
    for (const char* name : {"Person 4", "Person 5"})
        Called(inB, name)->fields.set(FieldAt("Notes"), "B's edit");
    StoreContacts(a(), inA);
    StoreContacts(b(), inB);
    ASSERT_TRUE(Sync(b()).ok);
    const std::string before = ReadBytes(a() / kContactsFile.fileName);

    // The server ends at A's second PUT of a card, the events long done.
    CurlTransport inner(HttpOptions{RadicaleServer::kUser, RadicaleServer::kPassword});
    Interposer dropping(inner);
    int puts = 0;
    dropping.before = [&](const HttpRequest& r) {
        if (r.method == "PUT" && r.url.find(".vcf") != std::string::npos && ++puts == 2) server.Stop();
    };
    const SyncReport broken = Sync(a(), &dropping);
    EXPECT_FALSE(broken.ok);
    EXPECT_FALSE(broken.dataChanged);
    EXPECT_EQ(ReadBytes(a() / kContactsFile.fileName), before);  // B's edits not half in

    server.Start();
    ASSERT_TRUE(server.up());
    const SyncReport next = Sync(a());
    ASSERT_TRUE(next.ok) << next.error;
    EXPECT_EQ(next.contacts.sentUp, 1) << next.Summary();  // the first PUT got through
    EXPECT_EQ(next.contacts.broughtDown, 2) << next.Summary();
    EXPECT_EQ(next.contacts.conflicts, 0) << next.Summary();
    ASSERT_TRUE(Sync(b()).ok);
    EXPECT_EQ(MappedContacts(a()), MappedContacts(b()));
    inB = LoadContacts(b());
    EXPECT_EQ(Called(inB, "Person 0")->fields[FieldAt("Notes")], "A's edit");
}

TEST_F(ContactSyncRadicaleTest, TheCommandStopsAMassDeleteOfContactsUntilAllowed) {
    StoreContacts(a(), People(8));
    ASSERT_EQ(RunCommand({"sync", "--data", a().string()}).status, 0);
    ASSERT_EQ(RunCommand({"sync", "--data", b().string()}).status, 0);
    ContactStore inB = LoadContacts(b());
    inB.contacts.resize(2);
    StoreContacts(b(), inB);

    test::Outcome r = RunCommand({"sync", "--data", b().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Sync stopped before changing any contacts: it would delete 6 of 8 contacts on the "
                         "server"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("--allow-mass-delete"), std::string::npos);
    EXPECT_EQ(OnServer(), 8u);
    r = RunCommand({"sync", "--data", b().string(), "--allow-mass-delete"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Contacts: 0 sent, 0 brought down, 0 deleted here, 6 deleted on the server"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(OnServer(), 2u);
    // A would lose 6 of its 8 and stops; its contacts stay.
    r = RunCommand({"sync", "--data", a().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("it would delete 6 of 8 contacts here"), std::string::npos) << r.err;
    EXPECT_EQ(LoadContacts(a()).contacts.size(), 8u);
}

TEST(SyncOverHttps, ACertificateNoOneVouchesForIsAnErrorWithItsReason) {
    test::ProgramFolder folder;
    RadicaleServer server(folder.root / "radicale", true);
    ASSERT_TRUE(server.up()) << server.log();
    CurlTransport http(HttpOptions{RadicaleServer::kUser, RadicaleServer::kPassword});
    const HttpResponse r = http.Send({"PROPFIND", server.url(), {{"Depth", "0"}}, {}});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.error.find("the server's certificate was not accepted"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("self-signed"), std::string::npos) << r.error;
    EXPECT_EQ(r.error.find(RadicaleServer::kPassword), std::string::npos);
}

namespace {

// What a command printed, and whether it succeeded.
bool RunShell(const std::string& command, std::string* output = nullptr) {
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return false;
    std::string out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = ::pclose(pipe);
    if (output) *output = out;
    return status == 0;
}

// Whether an item as the server holds it now differs from the file it came
// from only in these properties, as Python's icalendar or vobject reads both.
::testing::AssertionResult DiffersOnlyIn(const fs::path& before, const std::string& now,
                                         const fs::path& scratch, const std::string& properties) {
    const fs::path after = scratch / ("now-" + before.filename().string());
    std::ofstream(after, std::ios::binary) << now;
    std::string differences;
    if (RunShell(std::string("/usr/bin/python3 ") + VELTRIN_TEST_SUPPORT + "/compare_items.py '" +
                     before.string() + "' '" + after.string() + "' " + properties,
                 &differences))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << before.filename() << ":\n" << differences;
}

// The file of the vdir with this line, ended either way.
fs::path FileHolding(const fs::path& vdir, const std::string& line) {
    for (const auto& entry : fs::directory_iterator(vdir)) {
        const std::string text = ReadBytes(entry.path());
        if (text.find(line + "\n") != std::string::npos || text.find(line + "\r\n") != std::string::npos)
            return entry.path();
    }
    return {};
}

// vdirsyncer set up in `other` to keep the folder vdir in step with a
// collection of the test's server; the command that runs it.
std::string Vdirsyncer(const fs::path& other, const fs::path& vdir, const std::string& type,
                       const std::string& url, const std::string& fileExtension) {
    fs::create_directories(vdir);
    std::ofstream(other / "config") << "[general]\nstatus_path = \"" << (other / "status").string() << "/\"\n"
                                    << "[pair both]\na = \"here\"\nb = \"there\"\ncollections = null\n"
                                    << "[storage here]\ntype = \"filesystem\"\npath = \"" << vdir.string()
                                    << "/\"\nfileext = \"" << fileExtension << "\"\n"
                                    << "[storage there]\ntype = \"" << type << "\"\nurl = \"" << url
                                    << "\"\nusername = \"" << RadicaleServer::kUser << "\"\npassword = \""
                                    << RadicaleServer::kPassword << "\"\n";
    return "vdirsyncer -c '" + (other / "config").string() + "' ";
}

}  // namespace

// vdirsyncer keeps a folder of .ics files in step with the same calendar and
// khal reads and writes that folder, as a second computer would.
TEST_F(SyncRadicaleTest, AnotherClientsChangesComeInExactlyAndOursShowUpThere) {
    EventStore start = Samples(6);
    for (EventItem& e : start.events) e.details.schedule.kind = Once;
    StoreEvents(a(), start);
    ASSERT_TRUE(Sync(a()).ok);
    const auto before = Mapped(a());

    const fs::path other = folder.root / "vdirsyncer";
    const fs::path vdir = other / "calendar";
    const std::string vdirsyncer = Vdirsyncer(other, vdir, "caldav", calendar(), ".ics");
    std::ofstream(other / "khal.conf")
        << "[calendars]\n[[cal]]\npath = " << vdir.string() << "/\ntype = calendar\n"
        << "[locale]\nlocal_timezone = Europe/Berlin\ndefault_timezone = Europe/Berlin\n"
        << "timeformat = %H:%M\ndateformat = %Y-%m-%d\nlongdateformat = %Y-%m-%d\n"
        << "datetimeformat = %Y-%m-%d %H:%M\nlongdatetimeformat = %Y-%m-%d %H:%M\n"
        << "[sqlite]\npath = " << (other / "khal.db").string() << "\n";
    const std::string khal = "TZ=Europe/Berlin khal -c '" + (other / "khal.conf").string() + "' ";
    std::string out;
    ASSERT_TRUE(RunShell("yes | " + vdirsyncer + "discover", &out)) << out;
    ASSERT_TRUE(RunShell(vdirsyncer + "sync", &out)) << out;
    ASSERT_EQ(std::distance(fs::directory_iterator(vdir), fs::directory_iterator()), 6);

    // There: one made in khal, one edited, one deleted.
    ASSERT_TRUE(RunShell(khal + "new -a cal 2026-12-10 10:00 11:00 Dentist", &out)) << out;
    const fs::path edited = FileHolding(vdir, "SUMMARY:Event 1");
    ASSERT_FALSE(edited.empty());
    std::string text = ReadBytes(edited);
    text.replace(text.find("SUMMARY:Event 1"), 15, "SUMMARY:Event 1 at noon");
    std::ofstream(edited, std::ios::binary) << text;
    const fs::path removed = FileHolding(vdir, "SUMMARY:Event 2");
    ASSERT_FALSE(removed.empty());
    fs::remove(removed);
    ASSERT_TRUE(RunShell(vdirsyncer + "sync", &out)) << out;

    const SyncReport r = Sync(a());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.events.broughtDown, 2) << r.Summary();
    EXPECT_EQ(r.events.deletedHere, 1) << r.Summary();
    EXPECT_EQ(r.events.sentUp + r.events.conflicts, 0) << r.Summary();
    EventStore here = LoadEvents(a());
    ASSERT_EQ(here.events.size(), 6u);
    EXPECT_EQ(Named(here, "Event 2"), nullptr);
    ASSERT_NE(Named(here, "Dentist"), nullptr);
    ASSERT_NE(Named(here, "Event 1 at noon"), nullptr);
    // khal's event names no group: it goes into a top-level "Calendar", where the Events view shows it.
    const std::int32_t dentistGroup = Named(here, "Dentist")->details.groupId;
    const std::vector<std::string> paths = GroupPaths(here.groups);
    std::string dentistPath;
    for (std::size_t i = 0; i < here.groups.size(); ++i)
        if (here.groups[i].groupId == dentistGroup) dentistPath = paths[i];
    EXPECT_EQ(dentistPath, "Calendar");
    const auto after = Mapped(a());
    for (const int untouched : {1000, 1003, 1004, 1005}) EXPECT_EQ(after.at(untouched), before.at(untouched));
    json renamed = before.at(1001);
    renamed["name"] = "Event 1 at noon";
    EXPECT_EQ(after.at(1001), renamed);

    // Here: one made, one renamed, one deleted; khal sees exactly that.
    EventItem party = *Named(here, "Event 0");
    party.name = "Veltrin party";
    party.details.eventId = 4242;
    here.events.push_back(party);
    Named(here, "Event 3")->name = "Event 3 moved";
    // khal's event keeps the UID khal gave it when it changes here.
    const std::string dentist = ReadBytes(FileHolding(vdir, "SUMMARY:Dentist"));
    const std::size_t uidAt = dentist.find("\nUID:") + 5;
    const std::string uid = dentist.substr(uidAt, dentist.find_first_of("\r\n", uidAt) - uidAt);
    Named(here, "Dentist")->name = "Dentist, moved";
    here.events.erase(here.events.begin() + 3);  // Event 4
    StoreEvents(a(), here);
    const SyncReport back = Sync(a());
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.events.sentUp, 3) << back.Summary();
    EXPECT_EQ(back.events.deletedThere, 1) << back.Summary();
    ASSERT_TRUE(RunShell(vdirsyncer + "sync", &out)) << out;
    ASSERT_TRUE(RunShell(khal + "list 2026-12-06 10d", &out)) << out;
    EXPECT_NE(out.find("Veltrin party"), std::string::npos) << out;
    EXPECT_NE(out.find("Event 3 moved"), std::string::npos) << out;
    EXPECT_NE(out.find("Dentist, moved"), std::string::npos) << out;
    const fs::path moved = FileHolding(vdir, "SUMMARY:Dentist\\, moved");
    ASSERT_FALSE(moved.empty());
    EXPECT_NE(ReadBytes(moved).find("UID:" + uid), std::string::npos) << uid;
    EXPECT_EQ(ReadBytes(moved).find("CATEGORIES"), std::string::npos) << "it goes back without a group";
    EXPECT_EQ(out.find("Event 4"), std::string::npos) << out;
    EXPECT_EQ(out.find("Event 2"), std::string::npos) << out;
}

// vdirsyncer keeps a folder of .vcf files in step with the same address book
// and khard reads and writes that folder, as a second computer would.
TEST_F(ContactSyncRadicaleTest, AnotherClientsContactsComeInExactlyAndOursShowUpThere) {
    StoreContacts(a(), People(4));
    ASSERT_TRUE(Sync(a()).ok);
    const auto before = MappedContacts(a());

    const fs::path other = folder.root / "vdirsyncer";
    const fs::path vdir = other / "book";
    const std::string vdirsyncer = Vdirsyncer(other, vdir, "carddav", book(), ".vcf");
    std::ofstream(other / "khard.conf") << "[addressbooks]\n[[book]]\npath = " << vdir.string() << "/\n"
                                        << "[general]\neditor = /bin/true\nmerge_editor = /bin/true\n";
    const std::string khard = "khard -c '" + (other / "khard.conf").string() + "' ";
    std::string out;
    ASSERT_TRUE(RunShell("yes | " + vdirsyncer + "discover", &out)) << out;
    ASSERT_TRUE(RunShell(vdirsyncer + "sync", &out)) << out;
    ASSERT_EQ(std::distance(fs::directory_iterator(vdir), fs::directory_iterator()), 4);

    // There: one made in khard (a 3.0 card), one edited, one deleted.
    ASSERT_TRUE(
        RunShell("printf 'First name : Dana\\nLast name : Khard\\nEmail :\\n    work : dana@x.org\\n"
                 "Phone :\\n    cell : +1 555 0100\\nBirthday : 1990-05-04\\n' | " +
                     khard + "new -a book",
                 &out))
        << out;
    const fs::path edited = FileHolding(vdir, "FN:Person 1");
    ASSERT_FALSE(edited.empty());
    std::string text = ReadBytes(edited);
    text.replace(text.find("FN:Person 1"), 11, "FN:Person 1 Jr");
    std::ofstream(edited, std::ios::binary) << text;
    const fs::path removed = FileHolding(vdir, "FN:Person 2");
    ASSERT_FALSE(removed.empty());
    fs::remove(removed);
    ASSERT_TRUE(RunShell(vdirsyncer + "sync", &out)) << out;

    const SyncReport r = Sync(a());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.contacts.broughtDown, 2) << r.Summary();
    EXPECT_EQ(r.contacts.deletedHere, 1) << r.Summary();
    EXPECT_EQ(r.contacts.sentUp + r.contacts.conflicts, 0) << r.Summary();
    ContactStore here = LoadContacts(a());
    ASSERT_EQ(here.contacts.size(), 4u);
    EXPECT_EQ(Called(here, "Person 2"), nullptr);
    const ContactItem* dana = Called(here, "Dana Khard");
    ASSERT_NE(dana, nullptr);
    EXPECT_EQ(dana->fields[FieldAt("E-mail Address")], "dana@x.org");
    EXPECT_EQ(dana->fields[FieldAt("Cellular")], "+1 555 0100");
    EXPECT_EQ(dana->fields[FieldAt("Notes")], "BDAY: 1990-05-04");  // kept, though it has no field
    // A card without a group comes into one, so the Contacts view shows it.
    EXPECT_EQ(GroupPathsById(here.groups)[dana->groupId], "Address book");
    const auto after = MappedContacts(a());
    EXPECT_EQ(after.at("Person 0"), before.at("Person 0"));
    EXPECT_EQ(after.at("Person 3 Caf\xC3\xA9"), before.at("Person 3 Caf\xC3\xA9"));
    json renamed = before.at("Person 1");
    renamed["fields"]["Name"] = "Person 1 Jr";
    EXPECT_EQ(after.at("Person 1 Jr"), renamed);

    // Here: one made, khard's renamed (it keeps khard's UID), one deleted;
    // khard sees exactly that.
    const std::string made = ReadBytes(FileHolding(vdir, "FN:Dana Khard"));
    const std::size_t uidAt = made.find("\nUID:") + 5;
    const std::string uid = made.substr(uidAt, made.find_first_of("\r\n", uidAt) - uidAt);
    ContactItem friendOf = *Called(here, "Person 0");
    friendOf.fields.set(FieldAt("Name"), "Veltrin Friend");
    friendOf.fields.set(FieldAt("First Name"), "Veltrin");
    friendOf.fields.set(FieldAt("Last Name"), "Friend");
    friendOf.fields.set(FieldAt("E-mail Address"), "friend@x.org");
    here.contacts.push_back(friendOf);
    Called(here, "Dana Khard")->fields.set(FieldAt("Last Name"), "Khard-Lee");
    Called(here, "Dana Khard")->fields.set(FieldAt("Name"), "Dana Khard-Lee");
    here.contacts.erase(here.contacts.begin());  // Person 0
    StoreContacts(a(), here);
    const SyncReport back = Sync(a());
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.contacts.sentUp, 2) << back.Summary();
    EXPECT_EQ(back.contacts.deletedThere, 1) << back.Summary();
    ASSERT_TRUE(RunShell(vdirsyncer + "sync", &out)) << out;
    ASSERT_TRUE(RunShell(khard + "list -p", &out)) << out;
    EXPECT_NE(out.find("Veltrin Friend"), std::string::npos) << out;
    EXPECT_NE(out.find(uid + "\tDana Khard-Lee"), std::string::npos) << out;
    EXPECT_NE(out.find("First Name 1 Middle Name 1"), std::string::npos) << out;  // khard shows N
    EXPECT_EQ(std::distance(fs::directory_iterator(vdir), fs::directory_iterator()), 4);
    EXPECT_FALSE(FileHolding(vdir, "FN:Person 1 Jr").empty());
    EXPECT_TRUE(FileHolding(vdir, "FN:Person 0").empty());
    EXPECT_TRUE(FileHolding(vdir, "FN:Person 2").empty());
    // And goes up without the group it was given here.
    EXPECT_EQ(ReadBytes(FileHolding(vdir, "UID:" + uid)).find("CATEGORIES"), std::string::npos);
}

namespace {

DiaryTable LoadDiary(const fs::path& folder) {
    DiaryTable diary;
    std::uint32_t version = SharedVersion();
    LoadArchiveFile((folder / kDiaryFile.fileName).string(), kDiaryFile.signature, version,
                    [&](Archive& ar) { TransferRecords(ar, diary); });
    return diary;
}

NoteTable LoadNotes(const fs::path& folder) {
    NoteTable notes;
    std::uint32_t version = SharedVersion();
    LoadArchiveFile((folder / kNotesFile.fileName).string(), kNotesFile.signature, version,
                    [&](Archive& ar) { TransferRecords(ar, notes); });
    return notes;
}

void StoreJournals(const fs::path& folder, DiaryTable diary, NoteTable notes) {
    ASSERT_TRUE(StoreArchiveFile((folder / kDiaryFile.fileName).string(), kDiaryFile.signature,
                                 SharedVersion(), [&](Archive& ar) { TransferRecords(ar, diary); }));
    ASSERT_TRUE(StoreArchiveFile((folder / kNotesFile.fileName).string(), kNotesFile.signature,
                                 SharedVersion(), [&](Archive& ar) { TransferRecords(ar, notes); }));
}

// The pages and notes of a folder's dump, with what their items carry: not
// the selection, nor a note's icon, bold face or collapsed state.
json Journals(const fs::path& data) {
    json out;
    for (const DataFileKind* kind : {&kDiaryFile, &kNotesFile}) {
        const test::Outcome r = RunCommand({"dump", (data / kind->fileName).string()});
        EXPECT_EQ(r.status, 0) << r.err;
        json records = json::parse(r.out)[kind == &kDiaryFile ? "pages" : "notes"];
        for (json& record : records)
            for (const char* k : {"iconIndex", "bold", "isCurrent", "collapsed"}) record.erase(k);
        out[kind->fileName] = records;
    }
    return out;
}

}  // namespace

// Pages and notes share the calendar with the events (Radicale's takes every kind).
class JournalSyncRadicaleTest : public SyncRadicaleTest {
protected:
    static std::int32_t Day(int month, int day) {
        return static_cast<std::int32_t>(*MakeLocalTime(2026, month, day, 0, 0, 0));
    }
    // Pages on days apart, some titled as the program titles them; a tree of
    // notes three levels deep with texts in several scripts.
    static void Samples(const fs::path& data, int pages, int notes) {
        DiaryTable diary;
        for (int i = 0; i < pages; ++i)
            diary.push_back(
                {i % 3 ? "Page " + std::to_string(i) + " \xC3\xBC" : DiaryTitle(Day(1 + i / 28, 1 + i % 28)),
                 "<BODY><P>Day " + std::to_string(i) + "</P><P>&lt;b&gt; &amp; more</P></BODY>",
                 Day(1 + i / 28, 1 + i % 28), 0});
        NoteTable tree;
        for (int i = 0; i < notes; ++i) {
            NoteItem n;
            n.levelStep = i == 0 ? 0 : i % 4 == 0 ? -2 : i % 4 == 1 ? 1 : i % 4 == 2 ? 1 : 0;
            n.name = "Note " + std::to_string(i) + (i % 2 ? " \xD0\x96" : "");
            n.html = "<BODY><P>Text " + std::to_string(i) + "</P></BODY>";
            // In the order they were made, two in one second: the order in which
            // notes new to a folder take their places.
            n.created = static_cast<std::int32_t>(kNow - 86400 * ((notes - i) / 2));
            tree.push_back(n);
        }
        StoreJournals(data, diary, tree);
    }
};

TEST_F(JournalSyncRadicaleTest, PagesAndNotesGoUpBesideTheEventsAndAnEmptyFolderComesDownEqual) {
    StoreEvents(a(), SyncRadicaleTest::Samples(6));
    Samples(a(), 40, 21);
    const SyncReport up = Sync(a());
    ASSERT_TRUE(up.ok) << up.error;
    EXPECT_TRUE(up.journalsSynced);
    EXPECT_EQ(up.events.sentUp, 6) << up.Summary();
    EXPECT_EQ(up.diaryPages.sentUp, 40) << up.Summary();
    EXPECT_EQ(up.notes.sentUp, 21) << up.Summary();
    EXPECT_NE(up.Summary().find("\nDiary pages: 40 sent, 0 brought down"), std::string::npos) << up.Summary();
    std::map<std::string, std::string> etags;
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    EXPECT_EQ(etags.size(), 67u);

    const SyncReport down = Sync(b());
    ASSERT_TRUE(down.ok) << down.error;
    EXPECT_EQ(down.events.broughtDown, 6) << down.Summary();
    EXPECT_EQ(down.events.failed + down.journals.failed, 0) << down.Summary();
    EXPECT_EQ(down.diaryPages.broughtDown, 40);
    EXPECT_EQ(down.notes.broughtDown, 21);
    EXPECT_EQ(Journals(b()), Journals(a()));
    EXPECT_EQ(Mapped(b()), Mapped(a()));

    // Nothing to do: nothing goes either way and no file is written.
    const auto written = StateOfFile((a() / kNotesFile.fileName).string());
    for (const fs::path& data : {a(), b()}) {
        const SyncReport again = Sync(data);
        ASSERT_TRUE(again.ok) << again.error;
        EXPECT_FALSE(again.dataChanged) << again.Summary();
        EXPECT_EQ(again.journals.sentUp + again.journals.broughtDown + again.journals.failed, 0)
            << again.Summary();
    }
    EXPECT_TRUE(StateOfFile((a() / kNotesFile.fileName).string()) == written);
}

// The report names the files a sync stored, and only a file whose records
// changed is stored: a program shows exactly those again.
TEST_F(JournalSyncRadicaleTest, ASyncStoresOnlyTheFilesWhoseRecordsChangedAndNamesThem) {
    StoreEvents(a(), SyncRadicaleTest::Samples(2));
    Samples(a(), 3, 3);
    ASSERT_TRUE(Sync(a()).ok);
    ASSERT_TRUE(Sync(b()).ok);
    const auto state = [this](const DataFileKind& kind) {
        return StateOfFile((a() / kind.fileName).string());
    };
    const auto events = state(kEventsFile), diary = state(kDiaryFile);

    NoteTable notes = LoadNotes(b());
    notes[1].name = "Renamed elsewhere";
    StoreJournals(b(), LoadDiary(b()), notes);
    ASSERT_EQ(Sync(b()).notes.sentUp, 1);
    const SyncReport noteOnly = Sync(a());
    ASSERT_TRUE(noteOnly.ok) << noteOnly.error;
    EXPECT_TRUE(noteOnly.dataChanged);
    EXPECT_TRUE(noteOnly.stored.notes);
    EXPECT_FALSE(noteOnly.stored.diary || noteOnly.stored.events || noteOnly.stored.contacts);
    EXPECT_EQ(LoadNotes(a())[1].name, "Renamed elsewhere");
    EXPECT_TRUE(state(kDiaryFile) == diary) << "the diary was written again";
    EXPECT_TRUE(state(kEventsFile) == events);

    DiaryTable pages = LoadDiary(b());
    pages[0].html = "<BODY><P>Edited elsewhere</P></BODY>";
    StoreJournals(b(), pages, LoadNotes(b()));
    ASSERT_EQ(Sync(b()).diaryPages.sentUp, 1);
    const auto notesNow = state(kNotesFile);
    const SyncReport pageOnly = Sync(a());
    EXPECT_TRUE(pageOnly.stored.diary);
    EXPECT_FALSE(pageOnly.stored.notes || pageOnly.stored.events);
    EXPECT_EQ(LoadDiary(a())[0].html, "<BODY><P>Edited elsewhere</P></BODY>");
    EXPECT_TRUE(state(kNotesFile) == notesNow) << "the notes were written again";
}

// vdirsyncer keeps a folder of .ics files in step with the calendar; another
// program writes journals there with the icalendar module.
const char* const kOtherClient = R"(
import sys, pathlib, datetime, icalendar
vdir = pathlib.Path(sys.argv[1])
def holding(summary):
    for p in sorted(vdir.glob('*.ics')):
        cal = icalendar.Calendar.from_ical(p.read_bytes())
        if any(str(j.get('SUMMARY')) == summary for j in cal.walk('VJOURNAL')):
            return p, cal
    raise SystemExit('no journal ' + summary)
cal = icalendar.Calendar()
cal.add('prodid', '-//Another client//EN')
cal.add('version', '2.0')
j = icalendar.Journal()
j.add('uid', 'another-client-1@example.org')
j.add('dtstamp', datetime.datetime(2026, 12, 7, 8, 0, tzinfo=datetime.timezone.utc))
j.add('dtstart', datetime.date(2026, 12, 20))
j.add('summary', 'Written elsewhere')
j.add('description', 'Line one\nLine two & more')
cal.add_component(j)
(vdir / 'another-client-1.ics').write_bytes(cal.to_ical())
path, cal = holding(sys.argv[2])
for j in cal.walk('VJOURNAL'):
    j['DESCRIPTION'] = icalendar.vText('Edited elsewhere')
path.write_bytes(cal.to_ical())
holding(sys.argv[3])[0].unlink()
)";

TEST_F(JournalSyncRadicaleTest, AnotherClientsJournalsComeInExactlyAndOursGoThere) {
    Samples(a(), 4, 4);  // Note 0 > Note 1 > Note 2, Note 3
    ASSERT_TRUE(Sync(a()).ok);
    const json before = Journals(a());

    const fs::path other = folder.root / "vdirsyncer";
    const fs::path vdir = other / "calendar";
    const std::string vdirsyncer = Vdirsyncer(other, vdir, "caldav", calendar(), ".ics");
    std::string out;
    ASSERT_TRUE(RunShell("yes | " + vdirsyncer + "discover", &out)) << out;
    ASSERT_TRUE(RunShell(vdirsyncer + "sync", &out)) << out;
    ASSERT_EQ(std::distance(fs::directory_iterator(vdir), fs::directory_iterator()), 8);
    std::ofstream(other / "client.py") << kOtherClient;
    ASSERT_TRUE(RunShell("/usr/bin/python3 '" + (other / "client.py").string() + "' '" + vdir.string() +
                             "' 'Page 1 \xC3\xBC' 'Note 3 \xD0\x96'",
                         &out))
        << out;
    ASSERT_TRUE(RunShell(vdirsyncer + "sync", &out)) << out;

    const SyncReport r = Sync(a());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.diaryPages.broughtDown, 2) << r.Summary();
    EXPECT_EQ(r.notes.deletedHere, 1) << r.Summary();
    EXPECT_EQ(r.journals.sentUp + r.journals.conflicts + r.journals.failed, 0) << r.Summary();
    // Exactly those three changes: a page made, a page's text edited, a note deleted.
    json expected = before;
    json& pages = expected["Diary.dat"];
    pages[1]["html"] = "<p>Edited elsewhere</p>";
    pages.push_back({{"title", "Written elsewhere"},
                     {"html", "<p>Line one<br>Line two &amp; more</p>"},
                     {"date", Day(12, 20)}});
    expected["Notes.dat"].erase(3);
    EXPECT_EQ(Journals(a()), expected);

    // Ours go there: a page made and a note renamed here show up in the other's files.
    DiaryTable diary = LoadDiary(a());
    NoteTable notes = LoadNotes(a());
    diary.push_back({"New year", "<BODY><P>Fireworks</P></BODY>", Day(12, 31), 0});
    notes[1].name = "Note 1, renamed";
    StoreJournals(a(), diary, notes);
    const SyncReport back = Sync(a());
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.journals.sentUp, 2) << back.Summary();
    ASSERT_TRUE(RunShell(vdirsyncer + "sync", &out)) << out;
    EXPECT_FALSE(FileHolding(vdir, "SUMMARY:New year").empty());
    const fs::path renamed = FileHolding(vdir, "SUMMARY:Note 1\\, renamed");
    ASSERT_FALSE(renamed.empty());
    EXPECT_NE(ReadBytes(renamed).find("RELATED-TO;RELTYPE=PARENT:"), std::string::npos);
    EXPECT_TRUE(FileHolding(vdir, "SUMMARY:Note 3 \xD0\x96").empty());
}

// A data file lost here (moved away, a new disk) or read in part is no
// reason to delete anything on the server: that kind waits, the others sync.
TEST_F(JournalSyncRadicaleTest, AFileMissingOrReadInPartStopsItsKindAndDeletesNothing) {
    StoreEvents(a(), SyncRadicaleTest::Samples(3));
    Samples(a(), 3, 2);
    ASSERT_TRUE(Sync(a()).ok);
    std::map<std::string, std::string> etags;
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    ASSERT_EQ(etags.size(), 8u);

    fs::rename(a() / kDiaryFile.fileName, folder.root / "Diary.dat.moved");
    EventStore events = LoadEvents(a());
    Named(events, "Event 1")->details.comment = "changed meanwhile";
    StoreEvents(a(), events);
    test::Outcome r = RunCommand({"sync", "--data", a().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Diary.dat is missing while the last sync knew 3 diary pages, so diary pages and "
                         "notes were not synced and nothing was deleted"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("Events: 1 sent"), std::string::npos) << r.out;  // the other kinds go on
    etags.clear();
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    EXPECT_EQ(etags.size(), 8u);
    EXPECT_FALSE(fs::exists(a() / kDiaryFile.fileName));

    // The program read Events.dat in part: it says so, and events wait.
    fs::rename(folder.root / "Diary.dat.moved", a() / kDiaryFile.fileName);
    StoreEvents(a(), EventStore{});
    SyncRequest request = Request(a());
    request.filesNotWhole = {kEventsFile.fileName};
    const SyncReport partial = SyncDataFolder(request);
    EXPECT_FALSE(partial.ok);
    EXPECT_NE(
        partial.error.find("Events.dat did not load whole when Veltrin started while the last sync knew 3 "
                           "events, so events were not synced"),
        std::string::npos)
        << partial.error;
    etags.clear();
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    EXPECT_EQ(etags.size(), 8u);

    // An empty Diary.dat asks before it empties the server, whatever the number.
    StoreEvents(a(), events);
    StoreJournals(a(), {}, LoadNotes(a()));
    r = RunCommand({"sync", "--data", a().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(
        r.err.find("Sync stopped before changing any diary pages and notes: it would delete 3 of 3 diary "
                   "pages on the server"),
        std::string::npos)
        << r.err;
    etags.clear();
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    EXPECT_EQ(etags.size(), 8u);
}

// A lost or damaged status finds the items the server already holds, ours
// and another device's, instead of sending every record up again.
TEST_F(SyncRadicaleTest, ALostStatusFindsTheServersItemsAgainAndDoublesNothing) {
    StoreEvents(a(), Samples(4));
    ASSERT_TRUE(Sync(a()).ok);
    const HttpResponse put = http.Send({"PUT",
                                        calendar() + "phone-meeting.ics",
                                        {{"Content-Type", "text/calendar"}},
                                        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Elsewhere//Phone//EN\r\n"
                                        "BEGIN:VEVENT\r\nUID:meeting-7@phone.example\r\n"
                                        "DTSTAMP:20261201T100000Z\r\nDTSTART:20301010T080000Z\r\n"
                                        "SUMMARY:Meeting from the phone\r\nCATEGORIES:Calendar\r\n"
                                        "END:VEVENT\r\nEND:VCALENDAR\r\n"});
    ASSERT_EQ(put.status, 201) << put.error;
    const SyncReport down = Sync(a());
    ASSERT_TRUE(down.ok) << down.error;
    EXPECT_EQ(down.events.broughtDown, 1);
    // Brought down unchanged, it stays unchanged: nothing goes back up.
    const SyncReport still = Sync(a());
    EXPECT_EQ(still.events.sentUp + still.events.broughtDown, 0) << still.Summary();

    fs::remove(SyncStatusPath(a().string()));
    const SyncReport again = Sync(a());
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.events.sentUp + again.events.broughtDown + again.events.conflicts, 0) << again.Summary();
    std::map<std::string, std::string> etags;
    ASSERT_TRUE(dav.ListEtags(calendar(), etags).ok());
    EXPECT_EQ(etags.size(), 5u);
    EXPECT_EQ(LoadEvents(a()).events.size(), 5u);
    // And the status is whole again: the next sync has nothing to do.
    const SyncReport after = Sync(a());
    EXPECT_EQ(after.events.sentUp + after.events.broughtDown + after.events.failed, 0) << after.Summary();
}

// Items as phones and other calendar programs write them: brought down,
// they stay as they are (a second sync sends nothing), and an edit of one
// field here changes only that field on the server: rules, exceptions,
// moved occurrences, attendees, alarms, zones and other programs' own
// properties stay.
TEST_F(SyncRadicaleTest, AnotherProgramsItemsComeDownAndGoBackWithOnlyTheEdit) {
    std::vector<fs::path> items;
    for (const auto& entry : fs::directory_iterator(VELTRIN_SYNC_CORPUS))
        if (entry.path().extension() == ".ics") items.push_back(entry.path());
    std::sort(items.begin(), items.end());
    ASSERT_GE(items.size(), 30u);
    std::size_t events = 0;
    std::vector<fs::path> taken;  // Radicale refuses a few that its parser cannot read
    for (const fs::path& item : items) {
        const HttpResponse put = http.Send({"PUT",
                                            calendar() + item.filename().string(),
                                            {{"Content-Type", "text/calendar"}},
                                            ReadBytes(item)});
        if (put.status == 400) {
            std::cout << "[ the server refused " << item.filename() << " ]\n";
            continue;
        }
        ASSERT_EQ(put.status, 201) << item << put.error << put.body;
        taken.push_back(item);
        events += item.filename().string().rfind("event-", 0) == 0;
    }
    ASSERT_GE(taken.size() + 2, items.size());
    items = taken;
    const SyncReport down = Sync(a());
    ASSERT_TRUE(down.ok) << down.error;
    EXPECT_EQ(static_cast<std::size_t>(down.events.broughtDown), events) << down.Summary();
    const SyncReport again = Sync(a());
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.events.sentUp + again.journals.sentUp + again.events.broughtDown, 0) << again.Summary();
    EXPECT_FALSE(again.dataChanged) << again.Summary();

    EventStore store = LoadEvents(a());
    for (EventItem& e : store.events) e.name += " (renamed)";
    StoreEvents(a(), store);
    DiaryTable diary = LoadDiary(a());
    NoteTable notes = LoadNotes(a());
    for (DiaryPage& p : diary) p.title += " (renamed)";
    for (NoteItem& n : notes) n.name += " (renamed)";
    StoreJournals(a(), diary, notes);
    const SyncReport up = Sync(a());
    ASSERT_TRUE(up.ok) << up.error;
    EXPECT_EQ(static_cast<std::size_t>(up.events.sentUp), events) << up.Summary();
    EXPECT_EQ(static_cast<std::size_t>(up.journals.sentUp), diary.size() + notes.size()) << up.Summary();
    std::size_t renamed = 0;
    for (const fs::path& item : items) {
        const HttpResponse now = http.Send({"GET", calendar() + item.filename().string(), {}, {}});
        ASSERT_EQ(now.status, 200) << item;
        EXPECT_TRUE(DiffersOnlyIn(item, now.body, folder.root, "SUMMARY DTSTAMP LAST-MODIFIED"));
        renamed += now.body.find(" (renamed)") != std::string::npos;
    }
    // Every event, page and note; the second journal of a day stays the phone's alone.
    EXPECT_EQ(renamed, events + diary.size() + notes.size());
    const SyncReport settled = Sync(a());
    EXPECT_EQ(settled.events.sentUp + settled.events.broughtDown + settled.journals.sentUp, 0)
        << settled.Summary();
}

// A phone that moves one of our events changes DTSTART and leaves our own
// copy of the schedule as it was: the phone's time counts, and stays.
TEST_F(SyncRadicaleTest, AnotherDevicesNewTimeForOurEventWinsOverOurOwnCopy) {
    test::ScopedZone zone{"Europe/Berlin"};
    EventStore store;
    store.groups = {{0, "Work", 0, 0, 1, 11}};
    EventItem e;
    e.name = "Dentist";
    e.actual = 1;
    e.details.groupId = 11;
    e.details.eventId = 4242;
    e.details.schedule.kind = Once;
    e.details.schedule.eventTime = static_cast<std::int32_t>(kNow + 86400 * 10);  // 17 Dec, 01:00
    store.events.push_back(e);
    StoreEvents(a(), store);
    ASSERT_TRUE(Sync(a()).ok);

    const std::string href = calendar() + "veltrin-event-4242.ics";
    std::string item = http.Send({"GET", href, {}, {}}).body;
    const std::size_t at = item.find("\r\nDTSTART", item.find("BEGIN:VEVENT")) + 2;
    ASSERT_GT(at, 2u) << item;
    item.replace(at, item.find("\r\n", at) - at, "DTSTART;TZID=Europe/Berlin:20261218T143000");
    ASSERT_EQ(http.Send({"PUT", href, {{"Content-Type", "text/calendar"}}, item}).status / 100, 2);

    const SyncReport down = Sync(a());
    ASSERT_TRUE(down.ok) << down.error;
    EXPECT_EQ(down.events.broughtDown, 1) << down.Summary();
    EventStore after = LoadEvents(a());
    const EventItem* moved = Named(after, "Dentist");
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->details.schedule.eventTime, *MakeLocalTime(2026, 12, 18, 14, 30, 0));
    const SyncReport again = Sync(a());
    EXPECT_EQ(again.events.sentUp + again.events.broughtDown, 0) << again.Summary();
    EXPECT_NE(http.Send({"GET", href, {}, {}}).body.find("20261218T143000"), std::string::npos);
}

// Cards as phones and address books write them: brought down they stay as
// they are, and a new job title here changes only TITLE (and REV) on the
// server; photos, birthdays, labels, groups and every parameter stay.
TEST_F(ContactSyncRadicaleTest, AnotherProgramsCardsComeDownAndGoBackWithOnlyTheEdit) {
    std::vector<fs::path> cards;
    for (const auto& entry : fs::directory_iterator(VELTRIN_SYNC_CORPUS))
        if (entry.path().extension() == ".vcf") cards.push_back(entry.path());
    std::sort(cards.begin(), cards.end());
    ASSERT_GE(cards.size(), 5u);
    std::vector<fs::path> taken;  // Radicale refuses vCard 2.1, which phones only send as files
    for (const fs::path& card : cards) {
        const HttpResponse put = http.Send(
            {"PUT", book() + card.filename().string(), {{"Content-Type", "text/vcard"}}, ReadBytes(card)});
        if (put.status == 400 && card.filename().string().find("-2.1-") != std::string::npos) continue;
        ASSERT_EQ(put.status, 201) << card << put.error << put.body;
        taken.push_back(card);
    }
    cards = taken;
    const SyncReport down = Sync(a());
    ASSERT_TRUE(down.ok) << down.error;
    EXPECT_EQ(static_cast<std::size_t>(down.contacts.broughtDown), cards.size()) << down.Summary();
    const SyncReport again = Sync(a());
    EXPECT_EQ(again.contacts.sentUp + again.contacts.broughtDown, 0) << again.Summary();

    ContactStore store = LoadContacts(a());
    for (ContactItem& c : store.contacts) c.fields.set(FieldAt("Job Title"), "Chief of tea, rooms 1;2");
    StoreContacts(a(), store);
    const SyncReport up = Sync(a());
    ASSERT_TRUE(up.ok) << up.error;
    EXPECT_EQ(static_cast<std::size_t>(up.contacts.sentUp), cards.size()) << up.Summary();
    for (const fs::path& card : cards) {
        const HttpResponse now = http.Send({"GET", book() + card.filename().string(), {}, {}});
        ASSERT_EQ(now.status, 200) << card;
        EXPECT_TRUE(DiffersOnlyIn(card, now.body, folder.root, "TITLE REV"));
        EXPECT_NE(now.body.find("TITLE:Chief of tea\\, rooms 1\\;2"), std::string::npos) << now.body;
    }
    const SyncReport settled = Sync(a());
    EXPECT_EQ(settled.contacts.sentUp + settled.contacts.broughtDown, 0) << settled.Summary();
}

// A phone's contact given another name and e-mail address here is still
// that contact: it goes back in place, under its UID, never deleted and made anew.
TEST_F(ContactSyncRadicaleTest, AContactRenamedWithANewAddressHereKeepsItsCard) {
    const std::string card = ReadBytes(fs::path(VELTRIN_SYNC_CORPUS) / "contact-3.0-full.vcf");
    ASSERT_EQ(http.Send({"PUT", book() + "phone.vcf", {{"Content-Type", "text/vcard"}}, card}).status, 201);
    ASSERT_TRUE(Sync(a()).ok);
    ContactStore store = LoadContacts(a());
    ASSERT_EQ(store.contacts.size(), 1u);
    store.contacts[0].fields.set(FieldAt("Name"), "Someone Else");
    store.contacts[0].fields.set(FieldAt("E-mail Address"), "someone.else@example.org");
    StoreContacts(a(), store);
    const SyncReport r = Sync(a());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.contacts.sentUp, 1) << r.Summary();
    EXPECT_EQ(r.contacts.deletedThere, 0) << r.Summary();
    EXPECT_EQ(OnServer(), 1u);
    const std::string now = http.Send({"GET", book() + "phone.vcf", {}, {}}).body;
    EXPECT_NE(now.find("FN:Someone Else"), std::string::npos) << now;
    EXPECT_NE(now.find("PHOTO"), std::string::npos) << now;
    const std::size_t uid = card.find("UID:");
    ASSERT_NE(uid, std::string::npos);
    EXPECT_NE(now.find(card.substr(uid, card.find("\r\n", uid) - uid)), std::string::npos) << now;
}
