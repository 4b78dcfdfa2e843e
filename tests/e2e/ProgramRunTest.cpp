// Starts the real program as a user would, in a program folder of its own,
// and ends it the way a desktop session does.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "platform/InstanceLock.h"
#include "settings/AppSettings.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(VELTRIN_EXE, folder.root / "veltrin");
        fs::create_directories(folder.root / "run");
        fs::permissions(folder.root / "run", fs::perms::owner_all);
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
        socket = folder.root / "run" / (InstanceLock::keyFor(folder.data().string()) + ".socket");
    }
    void TearDown() override {
        for (pid_t p : started) {
            ::kill(p, SIGKILL);
            ::waitpid(p, nullptr, 0);
        }
    }

    // Starts the program; on an X display when one is named, else offscreen.
    pid_t start(const std::string& display = std::string()) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (display.empty()) {
                ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            } else {
                ::setenv("QT_QPA_PLATFORM", "xcb", 1);
                ::setenv("DISPLAY", display.c_str(), 1);
            }
            ::setenv("XDG_CONFIG_HOME", (folder.root / "config").c_str(), 1);
            ::setenv("XDG_RUNTIME_DIR", (folder.root / "run").c_str(), 1);
            const std::string exe = (folder.root / "veltrin").string();
            ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        started.push_back(pid);
        return pid;
    }

    // Waits for a process to end; its exit status, or -1 on timeout.
    int waitExit(pid_t pid, int seconds) {
        for (int i = 0; i < seconds * 20; ++i) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                started.erase(std::remove(started.begin(), started.end(), pid), started.end());
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }

    // Asks the program on the socket to come to the front, as a second start
    // does, and tells whether it said ok within the time. It answers from its
    // event loop, so only once it has loaded its files and shows its window;
    // it listens earlier. A socket file left behind by a killed program
    // refuses the connection.
    bool answers(std::chrono::steady_clock::time_point until) const {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (socket.native().size() >= sizeof address.sun_path) return false;
        std::strcpy(address.sun_path, socket.c_str());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        std::string reply;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::send(fd, "show\n", 5, MSG_NOSIGNAL) == 5) {
            for (;;) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    until - std::chrono::steady_clock::now());
                pollfd readable{fd, POLLIN, 0};
                if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) != 1) break;
                char buffer[16];
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n <= 0) break;
                reply.append(buffer, static_cast<std::size_t>(n));
                if (reply.find("ok") != std::string::npos) break;
            }
        }
        ::close(fd);
        return reply.find("ok") != std::string::npos;
    }

    // Waits until a started program has come up and answers.
    bool waitRunning(int seconds) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < until) {
            if (answers(until)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
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

    test::ProgramFolder folder;
    fs::path socket;
    std::vector<pid_t> started;
};

}  // namespace

TEST_F(ProgramRun, StartsSavesOnTerminationAndEndsCleanly) {
    const pid_t pid = start();
    ASSERT_TRUE(waitRunning(30)) << "the program did not come up";
    const std::string entry = test::readAll(folder.root / "config/autostart/veltrin.desktop");
    EXPECT_NE(entry.find("Exec=" + (folder.root / "veltrin").string() + " /autorun"), std::string::npos);

    std::map<std::string, std::string> before;
    for (const char* name : {"Settings.dat", "Diary.dat", "Notes.dat", "Events.dat", "Contacts.dat"}) {
        before[name] = test::readAll(folder.file(name));
        fs::remove(folder.file(name));
    }
    ::kill(pid, SIGTERM);
    EXPECT_EQ(waitExit(pid, 30), 0);
    // All five written again on the way out, byte for byte as loaded.
    for (const auto& [name, bytes] : before) EXPECT_EQ(test::readAll(folder.file(name)), bytes) << name;
}

TEST_F(ProgramRun, SecondStartHandsOverAndWritesNothing) {
    const pid_t first = start();
    ASSERT_TRUE(waitRunning(30));
    // Gone, so that the first program's save on its way out shows at the end.
    fs::remove(folder.file("Settings.dat"));
    const auto before = dataFolder();

    const pid_t second = start();
    EXPECT_EQ(waitExit(second, 30), 0);
    EXPECT_EQ(dataFolder(), before) << "the second start wrote data";
    EXPECT_EQ(waitExit(first, 0), -1) << "the first program must still run";

    ::kill(first, SIGTERM);
    EXPECT_EQ(waitExit(first, 30), 0);
    EXPECT_TRUE(fs::exists(folder.file("Settings.dat")));
}

TEST_F(ProgramRun, StartAfterAKilledProgramIsNotBlocked) {
    const pid_t killed = start();
    ASSERT_TRUE(waitRunning(30));
    ::kill(killed, SIGKILL);
    EXPECT_EQ(waitExit(killed, 30), 128 + SIGKILL);
    ASSERT_TRUE(fs::exists(socket));  // left behind by the dead program

    const pid_t next = start();
    ASSERT_TRUE(waitRunning(30)) << "the new start did not take over";
    EXPECT_EQ(waitExit(next, 0), -1) << "the new start gave up";
    fs::remove(folder.file("Settings.dat"));
    ::kill(next, SIGTERM);
    EXPECT_EQ(waitExit(next, 30), 0);
    EXPECT_TRUE(fs::exists(folder.file("Settings.dat")));
}

namespace {

const char kXvfb[] = "/usr/bin/Xvfb";

// A virtual X display for the test's own windows, ended with the test.
class VirtualDisplay {
public:
    VirtualDisplay() {
        if (::access(kXvfb, X_OK) != 0) return;
        for (int n = 90; n < 130 && name_.empty(); ++n) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            if (fs::exists(socket) || fs::exists("/tmp/.X" + std::to_string(n) + "-lock")) continue;
            const std::string display = ":" + std::to_string(n);
            pid_ = ::fork();
            if (pid_ == 0) {
                ::execl(kXvfb, "Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                        static_cast<char*>(nullptr));
                ::_exit(127);
            }
            // It listens once its socket is there; a slow machine gets 30 s.
            bool ended = false;
            for (int i = 0; i < 600 && name_.empty() && !ended; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (fs::exists(socket)) name_ = display;
                ended = ::waitpid(pid_, nullptr, WNOHANG) == pid_;  // lost the race for it
            }
            if (name_.empty()) {
                if (!ended) {
                    ::kill(pid_, SIGTERM);
                    ::waitpid(pid_, nullptr, 0);
                }
                pid_ = -1;
            }
        }
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

struct Shot {
    double mean = -1;
    long colours = 0;
};

Shot grabOnce(const std::string& display, const fs::path& png) {
    const std::string command =
        "DISPLAY=" + display + " QT_QPA_PLATFORM=xcb " + GRAB_SCREEN + " '" + png.string() + "'";
    Shot shot;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        if (std::fscanf(p, "mean=%lf colours=%ld", &shot.mean, &shot.colours) != 2) shot.mean = -1;
        ::pclose(p);
    }
    return shot;
}

// Grabs until the screen shows a drawn window that has settled (two grabs in
// a row alike but for the ticking clock), or gives the last grab after a
// generous deadline.
Shot grab(const std::string& display, const fs::path& png) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    Shot last = grabOnce(display, png);
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const Shot shot = grabOnce(display, png);
        const bool drawn = shot.mean >= 0 && shot.colours > 50;
        const bool settled = std::fabs(shot.mean - last.mean) < 0.5;
        last = shot;
        if (drawn && settled) break;
    }
    return last;
}

}  // namespace

// Screenshots of every view with the default look and with a dark skin, kept
// in the build folder (screenshots/) for a person to look at.
TEST_F(ProgramRun, ScreenshotsOfEveryViewInTwoSkins) {
    VirtualDisplay display;
    if (::access(kXvfb, X_OK) != 0) GTEST_SKIP() << "no Xvfb";
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    const char* const views[] = {"today", "diary", "notes", "events", "contacts"};
    double meanOf[2] = {0, 0};
    for (int dark = 0; dark < 2; ++dark) {
        for (int v = 0; v < 5; ++v) {
            AppSettings s;
            ApplySettingsDefaults(s);
            s.currentView = v;
            if (dark) {
                s.skinColour = 0x00503020;
                s.buttonColour = 0x00604030;
                s.buttonTextColour = 0x00F0F0F0;
                s.headerGradient1 = 0x00402010;
                s.headerGradient2 = 0x00A08060;
                s.headerTextColour = 0x00FFFFFF;
            }
            writeSettings(s);
            const pid_t pid = start(display.name());
            ASSERT_TRUE(waitRunning(30));
            const fs::path png = out / (std::string(dark ? "dark-" : "default-") + views[v] + ".png");
            const Shot shot = grab(display.name(), png);
            ::kill(pid, SIGTERM);
            EXPECT_EQ(waitExit(pid, 30), 0);
            ASSERT_GE(shot.mean, 0) << "no screenshot taken";
            EXPECT_GT(shot.colours, 50) << png << ": the window was not drawn";
            meanOf[dark] += shot.mean;
        }
    }
    EXPECT_LT(meanOf[1], meanOf[0]) << "the dark skin did not darken the window";
}
