// `veltrin-data sync` against a server that breaks the rules in one way at a
// time: it ends, within its memory bound and timeouts, says what went wrong,
// changes no data file for a failure, sends nothing to another server, and a
// sound server syncs the same folder afterwards.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "events/EventRecords.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"
#include "support/LoopbackProcess.h"
#include "support/MisbehavingServer.h"
#include "support/RadicaleServer.h"
#include "sync/Dav.h"
#include "sync/SyncConfig.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Ran {
    int exit = -1;
    long peakKilobytes = 0;
    double seconds = 0;
    std::string output;
};

// The command in a process of its own, with its peak memory.
Ran RunDataSync(const fs::path& data, const fs::path& log) {
    const auto began = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::execl(VELTRIN_DATA_EXE, VELTRIN_DATA_EXE, "sync", "--data", data.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    Ran ran;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    ran.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    ran.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    ran.peakKilobytes = usage.ru_maxrss;
    ran.output = ReadAll(log);
    return ran;
}

struct Mode {
    const char* name;
    bool syncs;          // the sync ends well, passing over what it cannot use
    const char* says;    // in what the command prints
    const char* cameIn;  // an event that came down, for a sync that ends well
};

const Mode kModes[] = {
    {"endless", false, "larger than 64 MB", nullptr},
    {"huge-headers", false, "header", nullptr},
    {"laughs", false, "declares a document type and entities of its own", nullptr},
    {"truncated", false, "could not be read", nullptr},
    {"wrong-type", false, "answered with text/html", nullptr},
    {"drip", false, "did not answer in time", nullptr},
    {"busy", false, "it asks to wait 120 seconds", nullptr},
    {"reset", false, "failed", nullptr},
    {"foreign-principal", false, "another server", nullptr},
    {"foreign-hrefs", true, "3 entries of the server's answer named something outside the collection",
     "Kept from the calendar"},
    {"duplicate-hrefs", true, "named an item a second time", "Listed twice"},
    {"same-uid", true, "9999 items on the server repeat the UID of another item", "Same UID 0"},
};

class MisbehavingServer : public ::testing::TestWithParam<Mode> {
protected:
    void SetUp() override {
        EventStore store;
        store.groups = {{0, "Work", 0, 0, 1, 11}};
        EventItem e;
        e.name = "Call the bank";
        e.details.groupId = 11;
        e.details.eventId = 101;
        e.details.schedule.eventTime = 1'900'000'000;
        store.events.push_back(e);
        ASSERT_TRUE(StoreArchiveFile(events().string(), kEventsFile.signature, SharedVersion(),
                                     [&](Archive& ar) { TransferEventStore(ar, store); }));
        ASSERT_TRUE(server.Start(GetParam().name)) << "the test server did not start";
        Configure(server.url());
    }

    void Configure(const std::string& url) {
        SyncConfig config;
        config.url = url;
        config.user = test::RadicaleServer::kUser;
        config.passwordCommand = std::string("echo ") + test::RadicaleServer::kPassword;
        config.timeoutSeconds = 3;  // the drip is given up after that
        std::string why;
        ASSERT_TRUE(SaveSyncConfig(folder.data().string(), config, why)) << why;
    }

    fs::path events() const { return folder.file(kEventsFile.fileName); }

    test::ProgramFolder folder;
    test::MisbehavingServer server{folder.root};
};

}  // namespace

TEST_P(MisbehavingServer, TheCommandEndsInBoundsSaysWhyAndKeepsEveryFile) {
    const Mode& mode = GetParam();
    const std::string before = ReadAll(events());
    const Ran ran = RunDataSync(folder.data(), folder.root / "sync.log");
    // The most any answer may hold, read once, and what reading it costs.
    EXPECT_LT(ran.peakKilobytes, test::MisbehavingServer::kPeakBoundKilobytes) << mode.name;
    EXPECT_LT(ran.seconds, 30) << mode.name;
    EXPECT_NE(ran.output.find(mode.says), std::string::npos) << ran.output;
    EXPECT_EQ(ran.output.find(test::RadicaleServer::kPassword), std::string::npos);
    EXPECT_TRUE(server.otherServerUntouched()) << server.otherLog();
    EXPECT_TRUE(server.onlyTheAccountWasAsked()) << server.log();
    std::cout << "[ mode " << mode.name << " ] peak " << ran.peakKilobytes / 1024 << " MB in " << ran.seconds
              << " s\n";
    if (!mode.syncs) {
        EXPECT_EQ(ran.exit, 1) << ran.output;
        EXPECT_NE(ran.output.find("No data file was changed."), std::string::npos) << ran.output;
        EXPECT_EQ(ReadAll(events()), before);
        std::set<std::string> files;
        for (const auto& entry : fs::directory_iterator(folder.data())) files.insert(entry.path().filename());
        EXPECT_EQ(files, (std::set<std::string>{kEventsFile.fileName, "sync"})) << "no backup, no other file";
        return;
    }
    EXPECT_EQ(ran.exit, 0) << ran.output;
    if (mode.cameIn) {
        const std::string dump = ReadAll(events());
        EXPECT_NE(dump.find(mode.cameIn), std::string::npos) << ran.output;
    }
    // A second sync leaves the server's items alone and brings nothing twice.
    const Ran again = RunDataSync(folder.data(), folder.root / "again.log");
    EXPECT_EQ(again.exit, 0) << again.output;
    EXPECT_NE(again.output.find("Events: 0 sent, 0 brought down, 0 deleted here, 0 deleted on the server"),
              std::string::npos)
        << again.output;
    EXPECT_EQ(server.log().find("DELETE "), std::string::npos) << server.log();
}

INSTANTIATE_TEST_SUITE_P(Modes, MisbehavingServer, ::testing::ValuesIn(kModes),
                         [](const ::testing::TestParamInfo<Mode>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 if (*c != '-') name += *c;
                             return name;
                         });

TEST(MisbehavingServerThenASoundOne, TheNextSyncWorksOnceTheServerIsSound) {
    test::ProgramFolder folder;
    test::MisbehavingServer broken{folder.root};
    ASSERT_TRUE(broken.Start("endless"));
    SyncConfig config;
    config.url = broken.url();
    config.user = test::RadicaleServer::kUser;
    config.passwordCommand = std::string("echo ") + test::RadicaleServer::kPassword;
    std::string why;
    ASSERT_TRUE(SaveSyncConfig(folder.data().string(), config, why)) << why;
    EXPECT_EQ(RunDataSync(folder.data(), folder.root / "broken.log").exit, 1);

    test::RadicaleServer radicale(folder.root / "radicale");
    ASSERT_TRUE(radicale.up()) << radicale.log();
    CurlTransport http{HttpOptions{test::RadicaleServer::kUser, test::RadicaleServer::kPassword}};
    ASSERT_EQ(http.Send({"MKCALENDAR", radicale.userUrl() + "calendar/", {}, {}}).status, 201);
    const HttpResponse put = http.Send({"PUT",
                                        radicale.userUrl() + "calendar/phone-1.ics",
                                        {{"Content-Type", "text/calendar"}},
                                        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Elsewhere//Phone//EN\r\n"
                                        "BEGIN:VEVENT\r\nUID:phone-1@elsewhere.example\r\n"
                                        "DTSTAMP:20261201T100000Z\r\nDTSTART:20300610T080000Z\r\n"
                                        "SUMMARY:Dentist from the phone\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"});
    ASSERT_EQ(put.status, 201) << put.error;
    config.url = radicale.url();
    ASSERT_TRUE(SaveSyncConfig(folder.data().string(), config, why)) << why;
    const Ran ran = RunDataSync(folder.data(), folder.root / "sound.log");
    EXPECT_EQ(ran.exit, 0) << ran.output;
    EXPECT_NE(ReadAll(folder.file(kEventsFile.fileName)).find("Dentist from the phone"), std::string::npos)
        << ran.output;
}
