// The real program syncing at start against a server that breaks the rules
// in one way at a time: it keeps running within its memory bound, says what
// went wrong, changes no data file, and syncs with a sound server afterwards
// without being started again.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "e2e/ProgramRun.h"
#include "settings/ViewIndex.h"
#include "support/MisbehavingServer.h"
#include "support/RadicaleServer.h"
#include "sync/Http.h"
#include "sync/SyncConfig.h"

using namespace veltrin;
using namespace veltrin::e2e;
using test::MisbehavingServer;
using test::RadicaleServer;

namespace {

// A figure of /proc/<pid>/status in kB ("VmHWM", the peak; "VmRSS", now).
long ProcessKilobytes(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
    return -1;
}

bool Running(pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) == 0; }

class MisbehavingSyncRun : public ProgramRun {
protected:
    void SetUp() override {
        ProgramRun::SetUp();
        if (::access(kXvfb, X_OK) != 0) GTEST_SKIP() << "no Xvfb";
        if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
        startOnView(kEventsView);
        std::ofstream(folder.root / "password") << RadicaleServer::kPassword << "\n";
    }

    void Configure(const std::string& url) {
        SyncConfig config;
        config.url = url;
        config.user = RadicaleServer::kUser;
        config.passwordCommand = "cat '" + (folder.root / "password").string() + "'";
        config.intervalMinutes = 0;
        config.timeoutSeconds = 3;
        std::string why;
        ASSERT_TRUE(SaveSyncConfig(folder.data().string(), config, why)) << why;
    }

    std::map<std::string, std::string> DataFiles() const {
        std::map<std::string, std::string> files;
        for (const char* name : {"Settings.dat", "Diary.dat", "Notes.dat", "Events.dat", "Contacts.dat"})
            files[name] = test::readAll(folder.file(name));
        return files;
    }

    std::string Said() const { return fs::exists(output) ? test::readAll(output) : std::string(); }

    // A server in that mode with a folder of its own, the sync configured
    // for it and the program's output beside it.
    std::unique_ptr<MisbehavingServer> Serve(const std::string& mode) {
        const fs::path place = folder.root / mode;
        fs::create_directories(place);
        auto server = std::make_unique<MisbehavingServer>(place);
        if (!server->Start(mode)) return nullptr;
        Configure(server->url());
        output = place / "program.out";
        return server;
    }
};

struct Fault {
    const char* mode;
    const char* says;
};

const Fault kFaults[] = {
    {"endless", "larger than 64 MB"},          {"huge-headers", "header"},
    {"laughs", "entities of its own"},         {"truncated", "could not be read"},
    {"wrong-type", "answered with text/html"}, {"drip", "did not answer in time"},
    {"busy", "it asks to wait 120 seconds"},   {"reset", "failed"},
    {"foreign-principal", "another server"},
};

// Faults a sync passes over, bringing down the rest.
struct PassedOver {
    const char* mode;
    const char* cameIn;  // the event the sound part of the answer brings
};

const PassedOver kPassedOver[] = {{"foreign-hrefs", "Kept from the calendar"},
                                  {"duplicate-hrefs", "Listed twice"},
                                  {"same-uid", "Same UID 0"}};

}  // namespace

TEST_F(MisbehavingSyncRun, WhatAServerGetsWrongIsPassedOverAndTheRestComesIn) {
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    std::map<std::string, std::string> before = DataFiles();
    for (const PassedOver& fault : kPassedOver) {
        SCOPED_TRACE(fault.mode);
        const std::unique_ptr<MisbehavingServer> serving = Serve(fault.mode);
        ASSERT_NE(serving, nullptr) << "the test server did not start";
        MisbehavingServer& server = *serving;

        const pid_t pid = start(display.name());
        ASSERT_TRUE(waitListening(60)) << "the program did not come up";
        ASSERT_TRUE(WaitUntil(
            [&] { return test::readAll(folder.file("Events.dat")).find(fault.cameIn) != std::string::npos; },
            60))
            << Said();
        ASSERT_TRUE(Running(pid)) << "the program ended";
        const long peak = ProcessKilobytes(pid, "VmHWM");
        std::cout << "[ mode " << fault.mode << " ] program peak " << peak / 1024 << " MB\n";
        EXPECT_LT(peak, MisbehavingServer::kPeakBoundKilobytes + 300 * 1024);
        EXPECT_TRUE(server.otherServerUntouched()) << server.otherLog();
        EXPECT_TRUE(server.onlyTheAccountWasAsked()) << server.log();
        EXPECT_EQ(server.log().find("DELETE "), std::string::npos) << server.log();
        ::kill(pid, SIGTERM);
        ASSERT_EQ(waitExit(pid, 30), 0);
        EXPECT_EQ(Said().find("the sync failed"), std::string::npos) << Said();
        // Only the events came in; every other file is as it was.
        std::map<std::string, std::string> now = DataFiles();
        EXPECT_NE(now["Events.dat"].find(fault.cameIn), std::string::npos);
        now.erase("Events.dat");
        before.erase("Events.dat");
        EXPECT_EQ(now, before);
    }
}

TEST_F(MisbehavingSyncRun, EachFaultAtStartLeavesTheProgramRunningAndTheFilesAsTheyWere) {
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    const std::map<std::string, std::string> before = DataFiles();
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    std::map<std::string, long> settled;  // kB held once the sync gave up
    for (const Fault& fault : kFaults) {
        SCOPED_TRACE(fault.mode);
        const std::unique_ptr<MisbehavingServer> serving = Serve(fault.mode);
        ASSERT_NE(serving, nullptr) << "the test server did not start";
        MisbehavingServer& server = *serving;

        const pid_t pid = start(display.name());
        ASSERT_TRUE(waitListening(60)) << "the program did not come up";
        ASSERT_TRUE(WaitUntil([&] { return Said().find("the sync failed") != std::string::npos; }, 60))
            << Said();
        EXPECT_NE(Said().find(fault.says), std::string::npos) << Said();
        EXPECT_EQ(Said().find(RadicaleServer::kPassword), std::string::npos);
        ASSERT_TRUE(Running(pid)) << "the program ended";
        const long peak = ProcessKilobytes(pid, "VmHWM"), now = ProcessKilobytes(pid, "VmRSS");
        std::cout << "[ mode " << fault.mode << " ] program peak " << peak / 1024 << " MB, after "
                  << now / 1024 << " MB\n";
        EXPECT_LT(peak, MisbehavingServer::kPeakBoundKilobytes + 300 * 1024);
        settled[fault.mode] = now;
        EXPECT_TRUE(server.otherServerUntouched()) << server.otherLog();
        EXPECT_TRUE(server.onlyTheAccountWasAsked()) << server.log();
        if (std::string(fault.mode) == "drip") {
            const WindowAt main = WaitWindow(display.name(), "Veltrin");
            EXPECT_GT(main.width, 600) << "no main window";
            grab(display.name(), out / "sync-misbehaving-server.png");
        }
        ::kill(pid, SIGTERM);
        ASSERT_EQ(waitExit(pid, 30), 0);
        EXPECT_EQ(DataFiles(), before) << "a data file changed";
    }
#if !defined(VELTRIN_UNDER_ASAN)  // which keeps what was freed for a while
    // The 64 MB read of the endless answer is not held once the sync gave up.
    EXPECT_LT(settled["endless"], settled["busy"] + 32 * 1024);
#endif
}

TEST_F(MisbehavingSyncRun, AfterAFailedSyncASoundServerSyncsWithoutARestart) {
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    const std::unique_ptr<MisbehavingServer> broken = Serve("endless");
    ASSERT_NE(broken, nullptr) << "the test server did not start";
    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    const WindowAt main = WaitWindow(display.name(), "Veltrin");
    ASSERT_GT(main.width, 600) << "no main window";
    ASSERT_TRUE(WaitUntil([&] { return Said().find("larger than 64 MB") != std::string::npos; }, 60))
        << Said();
    const long afterFailure = ProcessKilobytes(pid, "VmRSS");

    // The server mended: the same program syncs by hand from the Sync dialog.
    RadicaleServer radicale(folder.root / "radicale");
    ASSERT_TRUE(radicale.up()) << radicale.log();
    CurlTransport http{HttpOptions{RadicaleServer::kUser, RadicaleServer::kPassword}};
    ASSERT_EQ(http.Send({"MKCALENDAR", radicale.userUrl() + "calendar/", {}, {}}).status, 201);
    ASSERT_EQ(http.Send({"PUT",
                         radicale.userUrl() + "calendar/phone-1.ics",
                         {{"Content-Type", "text/calendar"}},
                         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Elsewhere//Phone//EN\r\n"
                         "BEGIN:VEVENT\r\nUID:phone-1@elsewhere.example\r\nDTSTAMP:20261201T100000Z\r\n"
                         "DTSTART:20300610T080000Z\r\nSUMMARY:Dentist from the phone\r\nEND:VEVENT\r\n"
                         "END:VCALENDAR\r\n"})
                  .status,
              201);
    Configure(radicale.url());

    // "Sync..." from the Info menu, then "Sync now" in the dialog it opens.
    bool synced = false;
    for (int attempt = 0; attempt < 3 && !synced; ++attempt) {
        const int shown = WindowsOf(display.name(), pid);
        Xdo(display.name(), "mousemove " + std::to_string(main.x + 6 * 90 + 45) + " " +
                                std::to_string(main.y + 36) + " click 1");
        if (!WaitMoreWindows(display.name(), pid, shown)) continue;
        Xdo(display.name(), "key Up Up Return");
        const WindowAt dialog = WaitWindow(display.name(), "Sync");
        if (dialog.id == 0) continue;
        grab(display.name(), fs::path(SCREENSHOT_DIR) / "sync-after-failure.png");
        Xdo(display.name(), "windowfocus --sync " + std::to_string(dialog.id));
        Xdo(display.name(), "key alt+n");
        synced = WaitUntil(
            [&] {
                return test::readAll(folder.file("Events.dat")).find("Dentist from the phone") !=
                       std::string::npos;
            },
            30);
        Xdo(display.name(), "windowfocus --sync " + std::to_string(dialog.id));
        Xdo(display.name(), "key Escape");
    }
    EXPECT_TRUE(synced) << Said();
    ASSERT_TRUE(Running(pid));
#if !defined(VELTRIN_UNDER_ASAN)  // which keeps what was freed for a while
    // The 64 MB answer the failed sync read is not held any more.
    EXPECT_LT(ProcessKilobytes(pid, "VmRSS"), afterFailure + 64 * 1024);
    EXPECT_LT(afterFailure, ProcessKilobytes(pid, "VmHWM") - 32 * 1024) << "the failed answer was kept";
#else
    (void)afterFailure;
#endif
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);
    EXPECT_NE(test::readAll(folder.file("Events.dat")).find("Dentist from the phone"), std::string::npos);
}
