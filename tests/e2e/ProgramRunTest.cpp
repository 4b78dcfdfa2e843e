// Starts the real program as a user would, in a program folder of its own,
// and ends it the way a desktop session does.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <poll.h>
#include <random>
#include <sys/inotify.h>
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
#include "support/Faults.h"

using namespace veltrin;
using namespace std::chrono_literals;
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

    bool waitListening(int seconds) { return waitForFile(socket, seconds); }

    static bool waitForFile(const fs::path& path, int seconds) {
        for (int i = 0; i < seconds * 20; ++i) {
            if (fs::exists(path)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
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
    ASSERT_TRUE(waitListening(30)) << "the program did not come up";
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
    ASSERT_TRUE(waitListening(30));
    const auto before = fs::last_write_time(folder.file("Settings.dat"));
    fs::remove(folder.file("Settings.dat"));

    const pid_t second = start();
    EXPECT_EQ(waitExit(second, 30), 0);
    EXPECT_FALSE(fs::exists(folder.file("Settings.dat"))) << "the second start wrote data";
    EXPECT_EQ(waitExit(first, 0), -1) << "the first program must still run";
    (void)before;

    ::kill(first, SIGTERM);
    EXPECT_EQ(waitExit(first, 30), 0);
    EXPECT_TRUE(fs::exists(folder.file("Settings.dat")));
}

TEST_F(ProgramRun, StartAfterAKilledProgramIsNotBlocked) {
    const pid_t killed = start();
    ASSERT_TRUE(waitListening(30));
    ::kill(killed, SIGKILL);
    EXPECT_EQ(waitExit(killed, 30), 128 + SIGKILL);
    ASSERT_TRUE(fs::exists(socket));  // left behind by the dead program

    const pid_t next = start();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(waitExit(next, 0), -1) << "the new start gave up";
    fs::remove(folder.file("Settings.dat"));
    ::kill(next, SIGTERM);
    EXPECT_EQ(waitExit(next, 30), 0);
    EXPECT_TRUE(fs::exists(folder.file("Settings.dat")));
}

namespace {

// A Contacts.dat of about 4 MB.
ContactStore LargeContacts() {
    ContactStore store;
    store.groups = {{0, "Everyone", 0, 0, 0, 0, 1}};
    store.contacts.resize(8500);
    for (std::size_t i = 0; i < store.contacts.size(); ++i) {
        ContactItem& c = store.contacts[i];
        c.groupId = 1;
        for (int f = 0; f < kContactFieldCount; ++f)
            c.fields.set(static_cast<std::size_t>(f),
                         "field " + std::to_string(f) + " of " + std::to_string(i));
    }
    return store;
}

// Names created and moved into a folder, as inotify tells them.
class FolderWatch {
public:
    explicit FolderWatch(const fs::path& folder) {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0) ::inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MOVED_TO);
    }
    ~FolderWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    void drain() {
        std::string ignored;
        while (next(0, ignored)) {
        }
    }
    // The next name, or false when none came within the time.
    bool next(int timeoutMs, std::string& name) {
        if (pending_.empty()) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) return false;
            alignas(inotify_event) char buf[8192];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
                if (e->len > 0) pending_.push_back(e->name);
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
            if (pending_.empty()) return false;
        }
        name = pending_.front();
        pending_.erase(pending_.begin());
        return true;
    }

private:
    int fd_ = -1;
    std::vector<std::string> pending_;
};

pid_t startQuietly(const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

int runQuietly(const std::vector<std::string>& args) {
    int status = 0;
    ::waitpid(startQuietly(args), &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

// A store killed at any moment leaves the old file whole; the temporaries
// that kills leave behind are gone once the program has started again.
TEST_F(ProgramRun, StoresKilledAtRandomMomentsLeaveEveryFileWhole) {
    ContactStore contacts = LargeContacts();
    ASSERT_TRUE(SerializeContactsFile(contacts, true));
    const std::string contactsPath = folder.file("Contacts.dat").string();
    const std::string original = test::readAll(contactsPath);
    ASSERT_GT(original.size(), 4'000'000u);
    test::writeAll(folder.file(".Contacts.dat.backup"), "a file of the user's");

    FolderWatch watch(folder.data());
    ASSERT_TRUE(watch.ok());
    const std::vector<std::string> resave = {VELTRIN_DATA_EXE, "resave", contactsPath};
    // How long one store takes, from its temporary's creation to the rename:
    // the middle of five, so that one slow disk moment does not count.
    using Clock = std::chrono::steady_clock;
    std::vector<Clock::duration> stores;
    for (int i = 0; i < 5; ++i) {
        watch.drain();
        const pid_t pid = startQuietly(resave);
        std::string name;
        std::optional<Clock::time_point> created;
        while (watch.next(30000, name)) {
            if (IsDataFileTemporary(name)) created = Clock::now();
            if (name == "Contacts.dat") break;
        }
        ASSERT_TRUE(created && name == "Contacts.dat") << "the store was not seen";
        stores.push_back(Clock::now() - *created);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::nth_element(stores.begin(), stores.begin() + 2, stores.end());
    const auto window = std::chrono::duration_cast<std::chrono::microseconds>(stores[2] * 5 / 4);

    std::mt19937 rng(std::random_device{}());
    int partWay = 0, afterTheRename = 0, finished = 0;
    constexpr int kCycles = 200;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        watch.drain();
        const pid_t pid = startQuietly(resave);
        // Once its temporary exists the store is under way; the kill falls
        // anywhere in it or just after.
        std::string temporary;
        while (temporary.empty() && watch.next(30000, temporary))
            if (!IsDataFileTemporary(temporary)) temporary.clear();
        ASSERT_FALSE(temporary.empty()) << "cycle " << cycle << ": no store began";
        std::this_thread::sleep_for(std::uniform_int_distribution<std::int64_t>(0, window.count())(rng) *
                                    1us);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFSIGNALED(status))
            ++finished;
        else if (fs::exists(folder.file(temporary)))
            ++partWay;
        else
            ++afterTheRename;
        // Every byte as before: the old file, or the new one of the same records.
        ASSERT_EQ(test::readAll(contactsPath), original) << "cycle " << cycle;
    }
    const std::size_t left = test::TemporariesUnder(folder.data()).size();
    std::printf("%d stores killed part-way, %d after the rename, %d finished first; %zu temporaries left\n",
                partWay, afterTheRename, finished, left);
    EXPECT_GT(partWay, kCycles / 4) << "the kills missed the stores";
    EXPECT_EQ(left, static_cast<std::size_t>(partWay));

    // And each file loads whole, as the terminal tool tells.
    for (const char* file : {"Settings.dat", "Diary.dat", "Notes.dat", "Events.dat", "Contacts.dat"})
        EXPECT_EQ(runQuietly({VELTRIN_DATA_EXE, "check", folder.file(file).string()}), 0) << file;
    const pid_t program = start();
    ASSERT_TRUE(waitListening(30));
    EXPECT_EQ(test::TemporariesUnder(folder.data()), std::vector<std::string>{});
    EXPECT_EQ(test::readAll(folder.file(".Contacts.dat.backup")), "a file of the user's");
    // The login entry is written as the settings load, once the program
    // answers signals: a termination before that would end it unhandled.
    ASSERT_TRUE(waitForFile(folder.root / "config/autostart/veltrin.desktop", 30));
    ::kill(program, SIGTERM);
    EXPECT_EQ(waitExit(program, 30), 0);
    EXPECT_EQ(test::readAll(contactsPath), original);
}

namespace {

// A virtual X display for the test's own windows, ended with the test.
class VirtualDisplay {
public:
    VirtualDisplay() {
        if (::access("/usr/bin/Xvfb", X_OK) != 0) return;
        for (int n = 90; n < 130 && name_.empty(); ++n) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            if (fs::exists(socket) || fs::exists("/tmp/.X" + std::to_string(n) + "-lock")) continue;
            const std::string display = ":" + std::to_string(n);
            pid_ = ::fork();
            if (pid_ == 0) {
                ::execl("/usr/bin/Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
                        "tcp", static_cast<char*>(nullptr));
                ::_exit(127);
            }
            for (int i = 0; i < 100 && name_.empty(); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (fs::exists(socket)) name_ = display;
                if (::waitpid(pid_, nullptr, WNOHANG) == pid_) break;  // lost the race for it
            }
            if (name_.empty() && ::kill(pid_, 0) == 0) {
                ::kill(pid_, SIGTERM);
                ::waitpid(pid_, nullptr, 0);
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

Shot grab(const std::string& display, const fs::path& png) {
    const std::string command =
        "DISPLAY=" + display + " QT_QPA_PLATFORM=xcb " + GRAB_SCREEN + " '" + png.string() + "'";
    Shot shot;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        if (std::fscanf(p, "mean=%lf colours=%ld", &shot.mean, &shot.colours) != 2) shot.mean = -1;
        ::pclose(p);
    }
    return shot;
}

}  // namespace

// Screenshots of every view with the default look and with a dark skin, kept
// in the build folder (screenshots/) for a person to look at.
TEST_F(ProgramRun, ScreenshotsOfEveryViewInTwoSkins) {
    VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";
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
            ASSERT_TRUE(waitListening(30));
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // first paint
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
