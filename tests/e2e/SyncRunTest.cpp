// Sync in the real program against a Radicale of the test's own: set up and
// run by hand through "Sync...", and records coming down into a running
// program while the user is typing.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "e2e/ProgramRun.h"
#include "settings/ViewIndex.h"
#include "support/RadicaleServer.h"
#include "sync/Dav.h"
#include "sync/Http.h"
#include "sync/SyncConfig.h"

using namespace veltrin;
using namespace veltrin::e2e;
using test::RadicaleServer;

namespace {

// Passes every request on to the server; while a file "hold" lies in its
// folder, the next request waits for a file "go" (and says "held" first),
// so a test can act while a sync is on the network.
const char kHoldingProxy[] = R"(
import http.client, http.server, os, sys, time
port, target, folder = int(sys.argv[1]), sys.argv[2], sys.argv[3]
class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    def forward(self):
        hold = os.path.join(folder, 'hold')
        if os.path.exists(hold):
            os.remove(hold)
            open(os.path.join(folder, 'held'), 'w').close()
            while not os.path.exists(os.path.join(folder, 'go')):
                time.sleep(0.05)
        n = int(self.headers.get('Content-Length') or 0)
        body = self.rfile.read(n) if n else None
        headers = {k: v for k, v in self.headers.items() if k.lower() not in ('host', 'connection')}
        c = http.client.HTTPConnection(target, timeout=60)
        c.request(self.command, self.path, body=body, headers=headers)
        r = c.getresponse()
        data = r.read()
        self.send_response(r.status, r.reason)
        for k, v in r.getheaders():
            if k.lower() not in ('transfer-encoding', 'connection', 'content-length'):
                self.send_header(k, v)
        self.send_header('Content-Length', str(len(data)))
        self.end_headers()
        self.wfile.write(data)
    def __getattr__(self, name):
        if name.startswith('do_'):
            return self.forward
        raise AttributeError(name)
    def log_message(self, *args):
        pass
http.server.ThreadingHTTPServer(('127.0.0.1', port), Handler).serve_forever()
)";

const char kFromThePhone[] =
    "BEGIN:VCALENDAR\r\n"
    "VERSION:2.0\r\n"
    "PRODID:-//Elsewhere//Phone//EN\r\n"
    "BEGIN:VEVENT\r\n"
    "UID:phone-1@elsewhere.example\r\n"
    "DTSTAMP:20261201T100000Z\r\n"
    "DTSTART:20300610T080000Z\r\n"
    "SUMMARY:Dentist from the phone\r\n"
    "END:VEVENT\r\n"
    "END:VCALENDAR\r\n";

class SyncRun : public ProgramRun {
protected:
    SyncRun() : server(folder.root / "radicale") {}

    void SetUp() override {
        ProgramRun::SetUp();
        if (::access(kXvfb, X_OK) != 0) GTEST_SKIP() << "no Xvfb";
        if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
        ASSERT_TRUE(server.up()) << server.log();
        const HttpResponse made = http.Send({"MKCALENDAR", calendar(), {}, {}});
        ASSERT_EQ(made.status, 201) << made.error << made.body;
        // The password lies outside the data folder; the command reads it.
        std::ofstream(folder.root / "password") << RadicaleServer::kPassword << "\n";
        passwordCommand = "cat '" + (folder.root / "password").string() + "'";
        fs::create_directories(out);
        startOnView(kEventsView);
        EventStore store = WorkAndHome();
        ASSERT_TRUE(SerializeEventsFile(store, true));
    }

    std::string calendar() const { return server.userUrl() + "calendar/"; }

    // The server's items: href to text.
    std::map<std::string, std::string> OnServer() {
        std::map<std::string, std::string> etags, items;
        if (!dav.ListEtags(calendar(), etags).ok()) return items;
        for (const auto& [href, etag] : etags) items[href] = dav.Get(ResolveUrl(calendar(), href)).body;
        return items;
    }
    bool ServerHolds(const std::string& text) {
        for (const auto& [href, item] : OnServer())
            if (item.find(text) != std::string::npos) return true;
        return false;
    }

    std::string Dump(const char* file) {
        return Output(std::string("'") + VELTRIN_DATA_EXE + "' dump '" + folder.file(file).string() +
                      "' 2>&1");
    }
    std::set<std::string> EventNames() {
        std::set<std::string> names;
        const nlohmann::json j = nlohmann::json::parse(Dump("Events.dat"), nullptr, false);
        if (j.is_object() && j.contains("events"))
            for (const nlohmann::json& e : j["events"]) names.insert(e["name"].get<std::string>());
        return names;
    }

    // Every file of the data folder and its subfolders, for a text that must not be there.
    bool DataFolderHolds(const std::string& text) {
        for (const auto& entry : fs::recursive_directory_iterator(folder.data()))
            if (entry.is_regular_file() && test::readAll(entry.path()).find(text) != std::string::npos)
                return true;
        return false;
    }

    const fs::path out = fs::path(SCREENSHOT_DIR);
    RadicaleServer server;
    CurlTransport http{HttpOptions{RadicaleServer::kUser, RadicaleServer::kPassword}};
    DavClient dav{http};
    std::string passwordCommand;
};

}  // namespace

TEST_F(SyncRun, SyncNowFromTheSyncDialogSendsTheEventsUpAndKeepsTheSettingsBesideTheData) {
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    const WindowAt main = WaitWindow(display.name(), "Veltrin");
    ASSERT_GT(main.width, 600) << "no main window";

    // "Sync..." from the Info menu: the item above "Exit Veltrin".
    const int shown = WindowsOf(display.name(), pid);
    Xdo(display.name(),
        "mousemove " + std::to_string(main.x + 6 * 90 + 45) + " " + std::to_string(main.y + 36) + " click 1");
    ASSERT_TRUE(WaitMoreWindows(display.name(), pid, shown)) << "the Info menu did not open";
    grab(display.name(), out / "sync-info-menu.png");
    Xdo(display.name(), "key Up Up Return");
    const WindowAt dialog = WaitWindow(display.name(), "Sync");
    ASSERT_NE(dialog.id, 0) << "no Sync dialog";

    // Each box through its label's key, typed again while the sync has not
    // taken them: keys typed while a dialog settles can be lost.
    const fs::path config = folder.data() / "sync" / "config";
    bool sent = false;
    for (int attempt = 0; attempt < 3 && !sent; ++attempt) {
        Xdo(display.name(), "windowfocus --sync " + std::to_string(dialog.id));
        Xdo(display.name(), "key alt+r ctrl+a");
        Xdo(display.name(), "type --delay 5 '" + server.url() + "'");
        Xdo(display.name(), "key alt+u ctrl+a");
        Xdo(display.name(), std::string("type --delay 5 '") + RadicaleServer::kUser + "'");
        Xdo(display.name(), "key alt+c ctrl+a");
        Xdo(display.name(), "type --delay 5 \"" + passwordCommand + "\"");
        if (attempt == 0) grab(display.name(), out / "sync-dialog-filled.png");
        Xdo(display.name(), "key alt+n");
        sent = WaitUntil(
            [&] {
                return fs::exists(config) &&
                       test::readAll(config).find(passwordCommand) != std::string::npos &&
                       OnServer().size() == 2;
            },
            30);
    }
    ASSERT_TRUE(sent) << (fs::exists(config) ? test::readAll(config) : "no sync/config");
    EXPECT_TRUE(ServerHolds("SUMMARY:Call the bank"));
    EXPECT_TRUE(ServerHolds("SUMMARY:Water the roses"));
    // The status line, once the sync is through: waits for the screen to settle.
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(folder.data() / "sync" / "status"); }, 30));
    grab(display.name(), out / "sync-dialog.png");

    Xdo(display.name(), "windowfocus --sync " + std::to_string(dialog.id));
    Xdo(display.name(), "key Escape");
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);

    SyncConfig kept;
    std::string why;
    ASSERT_TRUE(LoadSyncConfig(folder.data().string(), kept, why)) << why;
    EXPECT_EQ(kept.url, server.url());
    EXPECT_EQ(kept.user, RadicaleServer::kUser);
    EXPECT_EQ(kept.passwordCommand, passwordCommand);
    EXPECT_EQ(kept.intervalMinutes, 15);
    EXPECT_FALSE(DataFolderHolds(RadicaleServer::kPassword)) << "a password in the data folder";
    EXPECT_EQ(EventNames(), (std::set<std::string>{"Call the bank", "Water the roses"}));
}

TEST_F(SyncRun, EventsFromTheServerComeIntoTheRunningProgramWithoutLosingWhatTheUserTyped) {
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    const HttpResponse put =
        http.Send({"PUT", calendar() + "phone-1.ics", {{"Content-Type", "text/calendar"}}, kFromThePhone});
    ASSERT_EQ(put.status, 201) << put.error;

    // The program syncs at start, through a proxy that holds that sync on
    // the network until the user has typed.
    const fs::path gate = folder.root / "gate";
    fs::create_directories(gate);
    std::ofstream(folder.root / "proxy.py") << kHoldingProxy;
    test::LoopbackProcess proxy;
    const int port = test::LoopbackProcess::FreePort();
    ASSERT_TRUE(proxy.Start({(folder.root / "proxy.py").string(), std::to_string(port),
                             "127.0.0.1:" + std::to_string(server.port()), gate.string()},
                            port, (folder.root / "proxy.log").string()));
    SyncConfig config;
    config.url = "http://127.0.0.1:" + std::to_string(port) + "/";
    config.user = RadicaleServer::kUser;
    config.passwordCommand = passwordCommand;
    config.intervalMinutes = 0;
    std::string why;
    ASSERT_TRUE(SaveSyncConfig(folder.data().string(), config, why)) << why;
    std::ofstream(gate / "hold").flush();

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    const WindowAt main = WaitWindow(display.name(), "Veltrin");
    ASSERT_GT(main.width, 600) << "no main window";
    ASSERT_TRUE(FillScreen(display.name()));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(gate / "held"); }, 60)) << "no sync at start";

    // "Call the bank", the selected row of the shown group, renamed in
    // place; the editor stays open while the sync comes back.
    Xdo(display.name(),
        "mousemove " + std::to_string(main.x + 500) + " " + std::to_string(main.y + 189) + " click 1");
    Xdo(display.name(), "windowfocus --sync " + std::to_string(main.id));
    Xdo(display.name(), "key F2 ctrl+a");
    Xdo(display.name(), "type --delay 5 'Call the bank at nine'");
    grab(display.name(), out / "sync-typing.png");
    std::ofstream(gate / "go").flush();

    // Dropped once for the edit, then synced again with it.
    ASSERT_TRUE(WaitUntil([&] { return ServerHolds("SUMMARY:Call the bank at nine"); }, 60))
        << "the edit did not go up";
    ASSERT_TRUE(WaitUntil([&] { return EventNames().count("Dentist from the phone") > 0; }, 60))
        << Dump("Events.dat");
    grab(display.name(), out / "sync-came-down.png");

    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);
    EXPECT_EQ(EventNames(),
              (std::set<std::string>{"Call the bank at nine", "Water the roses", "Dentist from the phone"}));
    const auto items = OnServer();
    EXPECT_EQ(items.size(), 3u);
    EXPECT_FALSE(ServerHolds("SUMMARY:Call the bank\r\n")) << "the old name went up as well";
}
