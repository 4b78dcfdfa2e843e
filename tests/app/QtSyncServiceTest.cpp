// The program's sync against a Radicale of the test's own: what the user is
// told, the mass-delete question, and a round dropped for an edit.
#include <gtest/gtest.h>

#include <QTest>
#include <sys/inotify.h>
#include <unistd.h>

#include "app/QtSyncService.h"
#include "events/EventRecords.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"
#include "support/RadicaleServer.h"
#include "sync/Dav.h"
#include "sync/QtSyncPasswords.h"
#include "sync/SyncConfig.h"
#include "sync/SyncRun.h"

using namespace veltrin;
using test::RadicaleServer;
namespace fs = std::filesystem;

namespace {

class QtSyncServiceTest : public ::testing::Test {
protected:
    QtSyncServiceTest() : server(folder.root / "radicale") { folder.clock.t = 1'796'601'600; }

    void SetUp() override {
        ASSERT_TRUE(server.up()) << server.log();
        ASSERT_EQ(http.Send({"MKCALENDAR", calendar(), {}, {}}).status, 201);
        Configure("echo '" + std::string(RadicaleServer::kPassword) + "'");
        EventStore store;
        store.groups = {{0, "Work", 0, 0, 1, 11}};
        for (int i = 0; i < 4; ++i) {
            EventItem e;
            e.name = "Event " + std::to_string(i);
            e.details.groupId = 11;
            e.details.eventId = 100 + i;
            e.details.schedule.eventTime = static_cast<std::int32_t>(folder.clock.t + 3600 * (i + 1));
            store.events.push_back(e);
        }
        StoreEvents(store);
    }

    void Configure(const std::string& passwordCommand) {
        SyncConfig config;
        config.url = server.url();
        config.user = RadicaleServer::kUser;
        config.passwordCommand = passwordCommand;
        std::string why;
        ASSERT_TRUE(SaveSyncConfig(folder.data().string(), config, why)) << why;
    }
    void StoreEvents(EventStore store) {
        ASSERT_TRUE(StoreArchiveFile(folder.file(kEventsFile.fileName).string(), kEventsFile.signature,
                                     SharedVersion(), [&](Archive& ar) { TransferEventStore(ar, store); }));
    }
    std::string calendar() const { return server.userUrl() + "calendar/"; }
    std::size_t OnServer() {
        std::map<std::string, std::string> etags;
        dav.ListEtags(calendar(), etags);
        return etags.size();
    }

    // The hooks of a program whose views hold what the files hold, unless
    // a test changes what they would store.
    QtSyncService::Hooks Hooks() {
        QtSyncService::Hooks h;
        h.store = [this] {
            ++stores;
            return true;
        };
        h.digests = [this] { return viewsNow; };
        h.reload = [this](const StoredFiles&) { ++reloads; };
        return h;
    }
    // Runs one sync by hand and waits for it to end.
    void SyncNow(QtSyncService& sync) {
        sync.syncNow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !sync.running(); }, 60000));
    }

    test::ProgramFolder folder;
    RadicaleServer server;
    CurlTransport http{HttpOptions{RadicaleServer::kUser, RadicaleServer::kPassword}};
    DavClient dav{http};
    DataDigests viewsNow;
    int stores = 0, reloads = 0;
};

}  // namespace

TEST_F(QtSyncServiceTest, AWrongPasswordIsShownWithItsReasonAndThenASyncSaysWhenItRan) {
    Configure("echo not-the-password");
    QtSyncService sync(folder.data().string(), Hooks());
    EXPECT_EQ(sync.stateText().toStdString(), "Not synced yet");
    SyncNow(sync);
    const std::string text = sync.stateText().toStdString();
    EXPECT_EQ(text.rfind("Not synced: ", 0), 0u) << text;
    EXPECT_NE(text.find("(401)"), std::string::npos) << text;
    EXPECT_EQ(text.find("not-the-password"), std::string::npos);
    EXPECT_EQ(OnServer(), 0u);
    EXPECT_EQ(reloads, 0);

    Configure("echo '" + std::string(RadicaleServer::kPassword) + "'");
    SyncNow(sync);
    EXPECT_EQ(sync.stateText().toStdString(), "Synced just now");
    EXPECT_EQ(OnServer(), 4u);
    folder.clock.t += 150;
    EXPECT_EQ(sync.stateText().toStdString(), "Synced 2 minutes ago");
}

TEST_F(QtSyncServiceTest, AMassDeleteAsksAndNoLeavesEverythingWhileYesGoesAhead) {
    QtSyncService sync(folder.data().string(), Hooks());
    SyncNow(sync);
    ASSERT_EQ(OnServer(), 4u);
    EventStore kept;
    kept.groups = {{0, "Work", 0, 0, 1, 11}};
    StoreEvents(kept);

    folder.messages.answers = {Messages::Answer::No};
    SyncNow(sync);
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    EXPECT_EQ(folder.messages.shown[0].buttons, Messages::Buttons::YesNo);
    EXPECT_NE(folder.messages.shown[0].text.find("it would delete 4 of 4 events on the server"),
              std::string::npos)
        << folder.messages.shown[0].text;
    EXPECT_EQ(OnServer(), 4u);
    EXPECT_NE(sync.stateText().toStdString().find("Sync stopped"), std::string::npos);

    folder.messages.answers = {Messages::Answer::Yes};
    SyncNow(sync);
    EXPECT_EQ(folder.messages.shown.size(), 2u);
    EXPECT_EQ(OnServer(), 0u);
    EXPECT_EQ(sync.stateText().toStdString(), "Synced just now");
}

TEST_F(QtSyncServiceTest, AnEditWhileOnTheNetworkIsStoredAndSyncedAgain) {
    // The views change once while the first network part runs.
    int asked = 0;
    QtSyncService::Hooks h = Hooks();
    h.digests = [&] {
        ++asked;
        DataDigests d;
        d.events.length = asked >= 2 ? 1 : 0;
        return d;
    };
    QtSyncService edited(folder.data().string(), h);
    SyncNow(edited);
    EXPECT_EQ(stores, 2) << "stored again for the edit";
    EXPECT_EQ(asked, 4) << "after each store and after each network part";
    EXPECT_EQ(edited.stateText().toStdString(), "Synced just now");

    // Changing every time: given up, the files as they were.
    const std::string before = test::readAll(folder.file(kEventsFile.fileName));
    h.digests = [&] {
        DataDigests d;
        d.events.length = static_cast<std::uint64_t>(++asked);
        return d;
    };
    QtSyncService restless(folder.data().string(), h);
    stores = 0;
    SyncNow(restless);
    EXPECT_EQ(stores, kSyncRoundsAtMost);
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(test::readAll(folder.file(kEventsFile.fileName)), before);
    EXPECT_NE(restless.stateText().toStdString().find("kept changing"), std::string::npos);
}

// The configuration is read once a round and serves the password, the
// session and the server it names alike.
TEST_F(QtSyncServiceTest, EachRoundReadsTheConfigurationOnce) {
    const std::string config = SyncFolderOf(folder.data().string()) + "/config";
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    // Each open is followed by its close: equal events in a row would be told as one.
    ASSERT_GE(inotify_add_watch(watch, config.c_str(), IN_OPEN | IN_CLOSE_NOWRITE), 0);
    int asked = 0;
    QtSyncService::Hooks h = Hooks();
    h.digests = [&] {  // an edit during the first network part: two rounds
        DataDigests d;
        d.events.length = ++asked >= 2 ? 1 : 0;
        return d;
    };
    QtSyncService sync(folder.data().string(), h);
    SyncNow(sync);
    EXPECT_EQ(sync.stateText().toStdString(), "Synced just now");
    EXPECT_EQ(stores, 2);
    int opened = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = read(watch, events, sizeof events)) > 0;)
        for (char* at = events; at < events + n;
             at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
            opened += (reinterpret_cast<inotify_event*>(at)->mask & IN_OPEN) != 0;
    close(watch);
    EXPECT_EQ(opened, 2);
}

// Without a Secret Service on a session bus no password is kept anywhere:
// the sync says so plainly, and the password command works all the same.
TEST_F(QtSyncServiceTest, WithoutASecretStoreASyncThatNeedsAPasswordSaysWhereToGiveOne) {
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS"), display = qgetenv("DISPLAY");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qunsetenv("DISPLAY");  // nor one started for the X session
    QtSyncService sync(folder.data().string(), Hooks());
    bool answered = false;
    QtSyncPasswords::Answer answer;
    sync.passwords()->read(server.url(), RadicaleServer::kUser, [&](const QtSyncPasswords::Answer& a) {
        answered = true;
        answer = a;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 30000));
    EXPECT_FALSE(answer.storeAvailable);
    EXPECT_FALSE(answer.found);

    Configure("");
    SyncNow(sync);
    const std::string text = sync.stateText().toStdString();
    EXPECT_NE(text.find("password store is not available"), std::string::npos) << text;
    EXPECT_NE(text.find("password command"), std::string::npos) << text;
    EXPECT_EQ(OnServer(), 0u);
    EXPECT_EQ(stores, 0) << "nothing stored for a sync that cannot run";

    // Given in the dialog, it serves this run of the program.
    sync.setPassword(server.url(), RadicaleServer::kUser, RadicaleServer::kPassword);
    SyncNow(sync);
    EXPECT_EQ(sync.stateText().toStdString(), "Synced just now");
    EXPECT_EQ(OnServer(), 4u);
    if (!bus.isEmpty()) qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    if (!display.isEmpty()) qputenv("DISPLAY", display);
}

// Run by ctest under a private session bus with gnome-keyring
// (sync.secret_store); skipped where no such store was set up for it.
TEST_F(QtSyncServiceTest, APasswordKeptInTheSecretStoreServesTheSyncAndStaysOutOfTheDataFolder) {
    if (qgetenv("VELTRIN_SECRET_SERVICE") != "1")
        GTEST_SKIP() << "needs tests/support/with_secret_service.sh";
    QtSyncService sync(folder.data().string(), Hooks());
    const auto wait = [&](auto call) {
        bool answered = false;
        QtSyncPasswords::Answer answer;
        call([&](const QtSyncPasswords::Answer& a) {
            answered = true;
            answer = a;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return answered; }, 30000));
        return answer;
    };
    const auto write = [&](const std::string& password) {
        return wait(
            [&](auto done) { sync.passwords()->write(server.url(), RadicaleServer::kUser, password, done); });
    };
    const auto read = [&] {
        return wait([&](auto done) { sync.passwords()->read(server.url(), RadicaleServer::kUser, done); });
    };
    const QtSyncPasswords::Answer written = write(RadicaleServer::kPassword);
    ASSERT_TRUE(written.storeAvailable) << written.error;
    ASSERT_EQ(written.error, "");
    const QtSyncPasswords::Answer back = read();
    EXPECT_TRUE(back.found);
    EXPECT_EQ(back.password, RadicaleServer::kPassword);

    // No password command: the sync asks the store.
    Configure("");
    SyncNow(sync);
    EXPECT_EQ(sync.stateText().toStdString(), "Synced just now");
    EXPECT_EQ(OnServer(), 4u);
    for (const auto& entry : fs::recursive_directory_iterator(folder.data())) {
        if (!entry.is_regular_file()) continue;
        EXPECT_EQ(test::readAll(entry.path()).find(RadicaleServer::kPassword), std::string::npos)
            << entry.path();
    }

    // An empty password removes the entry.
    EXPECT_EQ(write("").error, "");
    EXPECT_FALSE(read().found);
}
