// What the end-to-end tests share: the real program started in a program
// folder of its own, ended the way a desktop session ends it, and a virtual
// X display with screenshots of it.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "platform/InstanceLock.h"
#include "settings/AppSettings.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"
#include "support/ShippedTemplates.h"
#include "support/VirtualDisplay.h"
#include "support/WaitUntil.h"

namespace veltrin::e2e {

namespace fs = std::filesystem;

using test::WaitUntil;

// Waits for a started process to end and drops it from the list; its exit
// status, or -1 on timeout.
inline int WaitExit(pid_t pid, int seconds, std::vector<pid_t>& started) {
    int status = 0;
    if (!WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, seconds)) return -1;
    started.erase(std::remove(started.begin(), started.end(), pid), started.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Whether a program takes connections on the socket. A socket file left
// behind by a killed program exists but refuses them.
inline bool Listens(const fs::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket.native().size() >= sizeof address.sun_path) return false;
    std::strcpy(address.sun_path, socket.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// An event of a test's data, due at `at` and last checked an hour before.
inline EventItem SampleEvent(const std::string& name, std::int32_t group, std::int32_t id, std::int32_t kind,
                             std::int32_t at) {
    EventItem e;
    e.name = name;
    e.actual = 1;
    e.priority = 3;
    e.details.groupId = group;
    e.details.eventId = id;
    e.details.comment = "about " + name;
    e.details.schedule.kind = kind;
    e.details.schedule.eventTime = at;
    e.details.schedule.nextDue = at;
    e.details.schedule.lastCheck = at - 3600;
    return e;
}

// Two top-level groups, "Work" (the current one) and "Home", with an event
// each, due in a month.
inline EventStore WorkAndHome() {
    const std::int32_t later = static_cast<std::int32_t>(std::time(nullptr)) + 30 * 86400;
    EventStore store;
    store.groups = {{0, "Work", 0, 0, 1, 11}, {0, "Home", 1, 0, 0, 12}};
    store.events = {SampleEvent("Call the bank", 11, 101, Once, later),
                    SampleEvent("Water the roses", 12, 102, Once, later)};
    return store;
}

// The same once, reminding with its message box and by running `file`.
inline EventItem SampleReminder(const std::string& name, std::int32_t group, std::int32_t id, std::int32_t at,
                                const std::string& file) {
    EventItem e = SampleEvent(name, group, id, Once, at);
    e.details.showMessage = 1;
    e.details.runFile = 1;
    e.details.filePath = file;
    return e;
}

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(VELTRIN_EXE, folder.root / "veltrin");
        // As in the build tree: the editor module beside the program.
        fs::copy_file(VELTRIN_EDITOR_MODULE_FILE,
                      folder.root / fs::path(VELTRIN_EDITOR_MODULE_FILE).filename());
        test::CopyShippedTemplates(folder.root);
        runtime = folder.root / "run";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        // Data files of defaults, so the start shows no message.
        AppSettings s;
        ApplySettingsDefaults(s);
        ASSERT_TRUE(SerializeSettings(s, true));
        DiaryTable diary;
        NoteTable notes;
        EventStore events;
        ContactStore contacts;
        ASSERT_TRUE(SerializeDiaryFile(diary, true));
        ASSERT_TRUE(SerializeNotesFile(notes, true));
        ASSERT_TRUE(SerializeEventsFile(events, true));
        ASSERT_TRUE(SerializeContactsFile(contacts, true));
        socket = runtime / (InstanceLock::keyFor(folder.data().string()) + ".socket");
    }
    void TearDown() override {
        for (pid_t p : started) {
            ::kill(p, SIGKILL);
            ::waitpid(p, nullptr, 0);
        }
    }

    // Starts the program; on an X display when one is named, else offscreen.
    pid_t start(const std::string& display = std::string(), const std::string& argument = std::string()) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (display.empty()) {
                ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            } else {
                ::setenv("QT_QPA_PLATFORM", "xcb", 1);
                ::setenv("DISPLAY", display.c_str(), 1);
                // On a display the document engine loads the system's GL
                // driver and unloads it before the leak check runs, so two
                // start-up allocations of it have no library name that a
                // suppression could match. Every other check stays on, and
                // the offscreen runs keep the leak check.
                if (const char* asan = std::getenv("ASAN_OPTIONS")) {
                    const std::string options = std::string(asan) + ":detect_leaks=0";
                    ::setenv("ASAN_OPTIONS", options.c_str(), 1);
                }
            }
            if (!output.empty()) {
                const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
                ::dup2(out, 1);
                ::dup2(out, 2);
            }
            ::setenv("XDG_CONFIG_HOME", (folder.root / "config").c_str(), 1);
            ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            const std::string exe = (folder.root / "veltrin").string();
            if (argument.empty())
                ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            else
                ::execl(exe.c_str(), exe.c_str(), argument.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        started.push_back(pid);
        return pid;
    }

    int waitExit(pid_t pid, int seconds) { return WaitExit(pid, seconds, started); }

    bool listens() const { return Listens(socket); }

    bool waitListening(int seconds) {
        return WaitUntil([&] { return listens(); }, seconds);
    }

    // Every file of the data folder with its bytes and the time it was last
    // written, so a rewrite of the same bytes shows too.
    std::map<std::string, std::pair<std::string, long long>> dataFolder() const {
        std::map<std::string, std::pair<std::string, long long>> files;
        for (const auto& entry : fs::directory_iterator(folder.data()))
            files[entry.path().filename().string()] = {
                test::readAll(entry.path()),
                static_cast<long long>(entry.last_write_time().time_since_epoch().count())};
        return files;
    }

    void writeSettings(const AppSettings& s) {
        AppSettings copy = s;
        ASSERT_TRUE(SerializeSettings(copy, true));
    }
    // Default settings that start the program on one view.
    void startOnView(int view) {
        AppSettings s;
        ApplySettingsDefaults(s);
        s.currentView = view;
        writeSettings(s);
    }

    test::ProgramFolder folder;
    fs::path runtime;  // the login's runtime folder, which holds the hand-over socket
    fs::path socket;
    fs::path output;  // where the program's output goes; empty: the test's own
    std::vector<pid_t> started;
};

// A listening socket at a path, as a running program's hand-over channel.
class SocketListener {
public:
    explicit SocketListener(const fs::path& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.native().size() >= sizeof address.sun_path) return;
        std::strcpy(address.sun_path, path.c_str());
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ >= 0 && (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
                         ::listen(fd_, 4) != 0)) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~SocketListener() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }

    // Waits for a knock and answers it; what the caller wrote, or nothing
    // when no one came within the time.
    std::string answerKnock(int seconds) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, seconds * 1000) <= 0) return {};
        const int peer = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0) return {};
        std::string got;
        char buf[64];
        pollfd q{peer, POLLIN, 0};
        while (got.find('\n') == std::string::npos && ::poll(&q, 1, seconds * 1000) > 0) {
            const ssize_t n = ::read(peer, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        (void)!::write(peer, "ok\n", 3);
        ::close(peer);
        return got;
    }

private:
    int fd_ = -1;
};

using test::kXvfb;
using test::VirtualDisplay;

// A rectangle of the screen whose look a test checks.
struct Area {
    int x = 0, y = 0, width = 0, height = 0;
};

// What grab_screen saw in an area: the grey level of its background (its
// most frequent colour) and how well the rest stands out from it.
struct AreaLook {
    int grey = -1;
    double contrast = 0;
};

struct Shot {
    double mean = -1;
    long colours = 0;
    std::vector<AreaLook> areas;  // one for each area asked for, in order
};

inline Shot grabOnce(const std::string& display, const fs::path& png, const std::vector<Area>& areas = {}) {
    std::string command =
        "DISPLAY=" + display + " QT_QPA_PLATFORM=xcb " + GRAB_SCREEN + " '" + png.string() + "'";
    for (const Area& a : areas)
        command += " " + std::to_string(a.x) + "," + std::to_string(a.y) + "," + std::to_string(a.width) +
                   "," + std::to_string(a.height);
    Shot shot;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        if (std::fscanf(p, "mean=%lf colours=%ld\n", &shot.mean, &shot.colours) != 2) shot.mean = -1;
        char line[256];
        while (std::fgets(line, sizeof line, p)) {
            AreaLook look;
            if (const char* g = std::strstr(line, "grey=")) look.grey = std::atoi(g + 5);
            if (const char* c = std::strstr(line, "contrast=")) look.contrast = std::atof(c + 9);
            shot.areas.push_back(look);
        }
        ::pclose(p);
    }
    if (shot.areas.size() != areas.size()) shot.mean = -1;
    return shot;
}

// Grabs until the screen shows a drawn window that has settled (two grabs in
// a row alike but for the ticking clock), or gives the last grab after a
// generous deadline.
inline Shot grab(const std::string& display, const fs::path& png, const std::vector<Area>& areas = {}) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    Shot last = grabOnce(display, png, areas);
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const Shot shot = grabOnce(display, png, areas);
        const bool drawn = shot.mean >= 0 && shot.colours > 50;
        const bool settled = std::fabs(shot.mean - last.mean) < 0.5;
        last = shot;
        if (drawn && settled) break;
    }
    return last;
}

// Runs a command and gives what it printed.
inline std::string Output(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        ::pclose(p);
    }
    return out;
}

inline bool HaveXdotool() { return std::system("command -v xdotool > /dev/null") == 0; }

// The shell command that runs a notification area (trayer) along the bottom
// right of the screen, its output in a log.
inline std::string TrayerCommand(const fs::path& log) {
    return "exec /usr/bin/trayer --edge bottom --align right --widthtype pixel --width 200 "
           "--heighttype pixel --height 32 --SetDockType false > '" +
           log.string() + "' 2>&1";
}

// Waits up to 30 s for trayer's panel to show.
inline bool WaitTrayer(const std::string& display) {
    return WaitUntil(
        [&] {
            return !Output("DISPLAY=" + display +
                           " xdotool search --onlyvisible --name '^panel$' 2>/dev/null")
                        .empty();
        },
        30);
}

// How many windows of the process the display shows.
inline int WindowsOf(const std::string& display, pid_t pid) {
    std::istringstream ids(Output("DISPLAY=" + display + " xdotool search --onlyvisible --pid " +
                                  std::to_string(pid) + " 2>/dev/null"));
    int n = 0;
    for (long id; ids >> id;) ++n;
    return n;
}

// Waits up to 30 s for the process to show more windows than it did (a menu
// or a dialog opening).
inline bool WaitMoreWindows(const std::string& display, pid_t pid, int shown) {
    return WaitUntil([&] { return WindowsOf(display, pid) > shown; }, 30);
}

struct WindowAt {
    long id = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

// A window's place and size.
inline WindowAt GeometryOf(const std::string& display, long id) {
    WindowAt w{id};
    std::istringstream g(Output("DISPLAY=" + display + " xdotool getwindowgeometry --shell " +
                                std::to_string(id) + " 2>/dev/null"));
    for (std::string line; std::getline(g, line);) {
        if (line.rfind("X=", 0) == 0) w.x = std::stoi(line.substr(2));
        if (line.rfind("Y=", 0) == 0) w.y = std::stoi(line.substr(2));
        if (line.rfind("WIDTH=", 0) == 0) w.width = std::stoi(line.substr(6));
        if (line.rfind("HEIGHT=", 0) == 0) w.height = std::stoi(line.substr(7));
    }
    return w;
}

// The largest visible window with that exact title, waiting up to 30 s.
inline WindowAt WaitWindow(const std::string& display, const std::string& title) {
    WindowAt best;
    const bool found = WaitUntil(
        [&] {
            best = WindowAt{};
            std::istringstream ids(Output("DISPLAY=" + display + " xdotool search --onlyvisible --name '^" +
                                          title + "$' 2>/dev/null"));
            for (long id; ids >> id;) {
                const WindowAt w = GeometryOf(display, id);
                if (w.width * w.height > best.width * best.height) best = w;
            }
            return best.width > 100;
        },
        30);
    return found ? best : WindowAt{};
}

// An xdotool command on the display; a failing one fails the test.
inline void Xdo(const std::string& display, const std::string& args) {
    ASSERT_EQ(std::system(("DISPLAY=" + display + " xdotool " + args).c_str()), 0) << args;
}

// Gives the program's main window the whole 1024 x 768 screen, as a window
// manager does for a maximized window (Xvfb runs none), and waits until it
// has that size. False when the window never got it.
inline bool FillScreen(const std::string& display) {
    const WindowAt w = WaitWindow(display, "Veltrin");
    if (w.id == 0) return false;
    const std::string id = std::to_string(w.id);
    if (std::system(
            ("DISPLAY=" + display + " xdotool windowmove " + id + " 0 0 windowsize " + id + " 1024 768")
                .c_str()) != 0)
        return false;
    return WaitUntil(
        [&] {
            const WindowAt now = WaitWindow(display, "Veltrin");
            return now.x == 0 && now.y == 0 && now.width == 1024 && now.height == 768;
        },
        30);
}

}  // namespace veltrin::e2e
