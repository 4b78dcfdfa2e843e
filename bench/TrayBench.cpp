// The program as it runs all day in the tray, measured from outside on a
// virtual display with a real notification area (trayer), in one run:
//  - exec to the main window mapped, empty data against a bare Qt window,
//    and 20 MB of data against empty data;
//  - memory (PSS of the program and all its child processes) 3 s after a
//    hidden start with 20 MB, against the size of the five files;
//  - CPU used over 60 s hidden in the tray, against one tick of an event
//    list of 10 000 rows;
//  - SIGTERM to the end of the process with nothing changed, 20 MB against
//    empty data;
//  - the Diary view's first show against a bare engine page's first load,
//    each in a fresh process of its own (the bare page in a program that
//    links the engine, as this one does not).
// Start-up and exit are the median of five runs, interleaved.
#include <QApplication>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "SampleData.h"
#include "Target.h"
#include "controls/CGroupTree.h"
#include "documents/CDiaryView.h"
#include "documents/CDocumentEditor.h"
#include "documents/QtEditorModule.h"
#include "events/EventList.h"
#include "events/EventTrees.h"
#include "platform/QtServices.h"
#include "settings/AppSettings.h"
#include "storage/DataFile.h"
#include "support/VirtualDisplay.h"

using namespace veltrin;
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 5;
constexpr int kIdleSeconds = 60;
constexpr int kEvents = 10000, kEventGroups = 20;
constexpr int kContacts = 50000, kContactGroups = 50;
constexpr int kDiaryPages = 3000;
constexpr std::size_t kDiaryPageBytes = 1500;      // as bench_bare_page shows
constexpr int kNotes = 1000, kNoteSentences = 55;  // about 2 KB each

double Ms(Steady::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string List(const std::vector<double>& v) {
    std::string s;
    for (double x : v) s += (s.empty() ? "" : " ") + std::to_string(static_cast<long>(x + 0.5));
    return s;
}

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "bench_tray: %s\n", why.c_str());
    std::exit(1);
}

// ---- the display ------------------------------------------------------------

// Hears every top-level window the display maps, at the moment it is mapped.
class MapWatch {
public:
    explicit MapWatch(const std::string& display) {
        c_ = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(c_)) Fail("cannot reach the display");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
        netWmName_ = atom("_NET_WM_NAME");
        xcb_flush(c_);
    }
    ~MapWatch() { xcb_disconnect(c_); }

    void drain() {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) std::free(e);
    }

    // When a window of that title and at least that width was mapped.
    std::optional<Steady::time_point> waitMapped(const std::string& title, int minWidth, int seconds) {
        const auto end = Steady::now() + std::chrono::seconds(seconds);
        while (Steady::now() < end) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
                const auto at = Steady::now();
                std::optional<xcb_window_t> mapped;
                if ((e->response_type & ~0x80) == XCB_MAP_NOTIFY)
                    mapped = reinterpret_cast<xcb_map_notify_event_t*>(e)->window;
                std::free(e);
                if (mapped && nameOf(*mapped) == title && widthOf(*mapped) >= minWidth) return at;
            }
            pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Steady::now());
            ::poll(&p, 1, static_cast<int>(std::max<long>(1, left.count())));
        }
        return std::nullopt;
    }

private:
    xcb_atom_t atom(const char* name) {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }
    std::string property(xcb_window_t w, xcb_atom_t name) {
        xcb_get_property_reply_t* r = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, w, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
        std::string value;
        if (r)
            value.assign(static_cast<const char*>(xcb_get_property_value(r)),
                         xcb_get_property_value_length(r));
        std::free(r);
        return value;
    }
    std::string nameOf(xcb_window_t w) {
        const std::string net = property(w, netWmName_);
        return net.empty() ? property(w, XCB_ATOM_WM_NAME) : net;
    }
    int widthOf(xcb_window_t w) {
        xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr);
        const int width = g ? g->width : 0;
        std::free(g);
        return width;
    }

    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t netWmName_ = XCB_ATOM_NONE;
};

// ---- processes --------------------------------------------------------------

struct Env {
    std::string display;
    fs::path home;
    fs::path runtime;
};

pid_t Start(const Env& env, const std::vector<std::string>& argv) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("DISPLAY", env.display.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("HOME", env.home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (env.home / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (env.home / "share").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", env.runtime.c_str(), 1);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

// SIGTERM to the end of the process.
double EndAndTime(pid_t pid) {
    const auto t0 = Steady::now();
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return Ms(Steady::now() - t0);
}

// The process and every process below it.
std::vector<pid_t> FamilyOf(pid_t top) {
    std::multimap<pid_t, pid_t> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        children.emplace(parent, static_cast<pid_t>(std::stol(name)));
    }
    std::vector<pid_t> family{top};
    for (std::size_t i = 0; i < family.size(); ++i) {
        const auto [from, to] = children.equal_range(family[i]);
        for (auto it = from; it != to; ++it) family.push_back(it->second);
    }
    return family;
}

long PssKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Pss:", 0) == 0) return std::stol(line.substr(4));
    return 0;
}

// CPU time of every thread of the process family so far, in nanoseconds,
// and how often they were switched in.
struct Cpu {
    double ns = 0;
    long switches = 0;
};
Cpu CpuOf(const std::vector<pid_t>& family) {
    Cpu cpu;
    for (pid_t pid : family) {
        std::error_code ec;
        for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
            std::ifstream schedstat(task.path() / "schedstat");
            double ns = 0;
            if (schedstat >> ns) cpu.ns += ns;
            std::ifstream status(task.path() / "status");
            for (std::string line; std::getline(status, line);)
                if (line.find("ctxt_switches:") != std::string::npos)
                    cpu.switches += std::stol(line.substr(line.find(':') + 1));
        }
    }
    return cpu;
}

bool Listening(const fs::path& runtime) {
    for (const auto& entry : fs::directory_iterator(runtime))
        if (entry.path().extension() == ".socket") return true;
    return false;
}

// ---- data -------------------------------------------------------------------

// Writes the five files into root/data as the program would.
std::uintmax_t WriteData(const fs::path& root, bool full) {
    fs::create_directories(root / "data");
    SetExecutablePathForTesting((root / "veltrin").string());
    AppSettings settings;
    ApplySettingsDefaults(settings);
    settings.showTipsAtStartup = 0;
    EventStore events = full ? bench::makeEvents(kEvents, kEventGroups) : EventStore{};
    // A folder in daily use: every reminder lies ahead (from a day on), none
    // was missed while the program was away, none comes during the run.
    const auto shift = static_cast<std::int32_t>(std::time(nullptr) + 86400 - bench::kBaseTime);
    for (EventItem& e : events.events) {
        e.details.schedule.eventTime += shift;
        e.details.schedule.nextDue += shift;
        e.details.schedule.lastCheck += shift;
    }
    ContactStore contacts = full ? bench::makeContacts(kContacts, kContactGroups) : ContactStore{};
    DiaryTable diary = full ? bench::makeDiary(kDiaryPages, kDiaryPageBytes) : DiaryTable{};
    NoteTable notes = full ? bench::makeNotes(kNotes, kNoteSentences) : NoteTable{};
    if (!SerializeSettings(settings, true) || !SerializeDiaryFile(diary, true) ||
        !SerializeNotesFile(notes, true) || !SerializeEventsFile(events, true) ||
        !SerializeContactsFile(contacts, true))
        Fail("cannot write the data files");
    SetExecutablePathForTesting("");
    std::uintmax_t bytes = 0;
    for (const DataFileKind* kind : kDataFileKinds) bytes += fs::file_size(root / "data" / kind->fileName);
    return bytes;
}

// CPU time of one tick of a shown event list of 10 000 rows (the texts of
// every row worked out again), the fastest of 20.
double OneTickNs() {
    const EventStore store = bench::makeEvents(kEvents, kEventGroups);
    GroupTreeModel list;
    EventTickContext context;
    context.styles = SetUpEventList(list);
    context.showSeconds = true;
    for (const EventItem& e : store.events)
        AddEventRow(list, e, context.styles.name, context.styles.priority, kInsertLast);
    TickEventList(list, context);
    std::vector<double> ticks;
    for (int i = 0; i < 20; ++i) {
        const double t0 = bench::threadSeconds();
        TickEventList(list, context);
        ticks.push_back((bench::threadSeconds() - t0) * 1e9);
    }
    return bench::fastest(ticks);
}

// ---- first show, in a process of its own ---------------------------------------

std::string PageHtml() { return bench::makeDiary(1, kDiaryPageBytes).front().html; }

// The Diary view's first show: from show() to its page loaded, the editor
// module's load included.
int FirstDiaryShow(const fs::path& folder) {
    qputenv(kEditorModuleVariable, VELTRIN_EDITOR_MODULE_FILE);
    PrepareDocumentEngine();
    int argc = 1;
    char name[] = "bench_tray";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QtServices services;
    SetExecutablePathForTesting((folder / "veltrin").string());
    AppSettings settings;
    ApplySettingsDefaults(settings);
    DiaryTable table = {{"2026, December 07", PageHtml(), 1'796'594'400, 1}};
    CDiaryView view(table, settings);
    view.resize(1000, 700);
    const auto t0 = Steady::now();
    view.show();
    const bool loaded = view.hasEditor() && view.editor()->isLoaded();
    const double ms = Ms(Steady::now() - t0);
    if (!loaded) return 1;
    std::printf("%.3f\n", ms);
    return 0;
}

double RunFirstShow(const Env& env, const std::string& self, const std::string& which,
                    const fs::path& folder) {
    const std::string program = which == "diary"
                                    ? "'" + self + "' --first-show diary '" + folder.string() + "'"
                                    : std::string("'" BARE_PAGE_EXE "'");
    const std::string command = "DISPLAY=" + env.display + " QT_QPA_PLATFORM=xcb HOME='" + env.home.string() +
                                "' XDG_RUNTIME_DIR='" + env.runtime.string() + "' " + program +
                                " 2>/dev/null";
    double ms = -1;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        if (std::fscanf(p, "%lf", &ms) != 1) ms = -1;
        ::pclose(p);
    }
    if (ms < 0) Fail("the first show of " + which + " failed");
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    // The 20 MB data folder alone, to look at a start in a profiler.
    if (argc >= 3 && std::string(argv[1]) == "--write-data") {
        std::printf("%ju bytes in %s/data\n", WriteData(argv[2], true), argv[2]);
        return 0;
    }
    if (argc >= 4 && std::string(argv[1]) == "--first-show") return FirstDiaryShow(argv[3]);

    char tmpl[] = "/tmp/veltrin-tray-bench-XXXXXX";
    if (!::mkdtemp(tmpl)) Fail("mkdtemp");
    const fs::path root = tmpl;
    Env env;
    env.home = root / "home";
    env.runtime = root / "run";
    fs::create_directories(env.home);
    fs::create_directories(env.runtime);
    fs::permissions(env.runtime, fs::perms::owner_all);
    const std::uintmax_t emptyBytes = WriteData(root / "empty", false);
    const std::uintmax_t fullBytes = WriteData(root / "full", true);
    // On disk before the first start: otherwise the kernel writes the 20 MB
    // out while the starts are timed, which a start at login never meets.
    ::sync();
    fs::create_directories(root / "show");
    fs::copy(VELTRIN_TEMPLATE_SOURCE, root / "show" / "template", fs::copy_options::recursive);
    std::printf("data: %.1f MB in the five files (empty: %ju bytes)\n", static_cast<double>(fullBytes) / 1e6,
                emptyBytes);

    // Numbers apart from the tests', which may run at the same time.
    test::VirtualDisplay display("1280x1024x24", 140);
    if (display.name().empty()) Fail("Xvfb did not start");
    env.display = display.name();
    MapWatch watch(env.display);

    // A notification area along the bottom of the screen.
    const pid_t tray =
        Start(env, {"/usr/bin/trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                    "--width", "200", "--heighttype", "pixel", "--height", "32", "--SetDockType", "false"});
    if (!watch.waitMapped("panel", 1, 30)) Fail("trayer did not come up");

    const auto program = [&](const char* folder, bool hidden) {
        std::vector<std::string> args = {VELTRIN_EXE, "--data", (root / folder / "data").string()};
        if (hidden) args.push_back("/autorun");
        return args;
    };
    // Start-up to the mapped window, then SIGTERM to the end, interleaved.
    std::map<std::string, std::vector<double>> startUp, exitTime;
    for (int run = 0; run < kRuns; ++run) {
        for (const char* what : {"bare", "empty", "full"}) {
            const bool bare = std::string(what) == "bare";
            watch.drain();
            const auto t0 = Steady::now();
            const pid_t pid =
                Start(env, bare ? std::vector<std::string>{BARE_WINDOW_EXE} : program(what, false));
            const auto mapped = watch.waitMapped(bare ? "bare" : "Veltrin", 300, 120);
            if (!mapped) Fail(std::string("no window mapped for ") + what);
            startUp[what].push_back(Ms(*mapped - t0));
            // Let the start settle before it is ended.
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            exitTime[what].push_back(EndAndTime(pid));
        }
    }
    for (const char* what : {"bare", "empty", "full"})
        std::printf("start-up %-5s ms: %s (median %.0f); exit ms: %s (median %.0f)\n", what,
                    List(startUp[what]).c_str(), Median(startUp[what]), List(exitTime[what]).c_str(),
                    Median(exitTime[what]));

    // Hidden in the tray with 20 MB: memory after 3 s, then CPU over a minute.
    const pid_t hidden = Start(env, program("full", true));
    const auto end = Steady::now() + std::chrono::seconds(120);
    while (!Listening(env.runtime) && Steady::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!Listening(env.runtime)) Fail("the hidden start did not come up");
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const std::vector<pid_t> family = FamilyOf(hidden);
    long pssKb = 0;
    for (pid_t p : family) pssKb += PssKb(p);
    const Cpu before = CpuOf(family);
    std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
    const Cpu after = CpuOf(FamilyOf(hidden));
    EndAndTime(hidden);
    const double idleNs = after.ns - before.ns;
    const double tickNs = OneTickNs();
    std::printf(
        "hidden: %zu process(es), PSS %.1f MB; over %d s: CPU %.2f ms, %ld switches; one tick %.2f ms\n",
        family.size(), static_cast<double>(pssKb) / 1024, kIdleSeconds, idleNs / 1e6,
        after.switches - before.switches, tickNs / 1e6);

    // The Diary view's first show, each in a fresh process.
    std::vector<double> diaryShow, bareLoad;
    for (int run = 0; run < kRuns; ++run) {
        diaryShow.push_back(RunFirstShow(env, argv[0], "diary", root / "show"));
        bareLoad.push_back(RunFirstShow(env, argv[0], "bare", root / "show"));
    }
    std::printf("first show ms: diary %s (median %.0f), bare engine %s (median %.0f)\n",
                List(diaryShow).c_str(), Median(diaryShow), List(bareLoad).c_str(), Median(bareLoad));

    ::kill(tray, SIGTERM);
    ::waitpid(tray, nullptr, 0);
    std::error_code ec;
    fs::remove_all(root, ec);

    bool ok = bench::reportTarget("start-up empty vs bare Qt window",
                                  Median(startUp["empty"]) / Median(startUp["bare"]), 3);
    ok = bench::reportTarget("start-up 20 MB vs empty", Median(startUp["full"]) / Median(startUp["empty"]),
                             1.3) &&
         ok;
    ok = bench::reportTarget("memory held in the tray 20 MB vs data size",
                             static_cast<double>(pssKb) * 1024 / static_cast<double>(fullBytes), 3) &&
         ok;
    ok = bench::reportTarget("diary view first show vs bare engine page load",
                             Median(diaryShow) / Median(bareLoad), 2) &&
         ok;
    ok = bench::reportTarget("idle CPU hidden vs one tick", idleNs / tickNs, 5) && ok;
    ok = bench::reportTarget("exit save 20 MB nothing changed vs empty",
                             Median(exitTime["full"]) / Median(exitTime["empty"]), 2) &&
         ok;
    return ok ? 0 : 1;
}
