// Starts the real program as a user would, in a program folder of its own,
// and ends it the way a desktop session does.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
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

    bool waitListening(int seconds) {
        for (int i = 0; i < seconds * 20; ++i) {
            if (fs::exists(socket)) return true;
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

namespace {

// Every field of a contact filled with a text of its own, some of them in
// Windows-1252 and with CR LF line ends, as older files hold them.
ContactItem everyField(std::int32_t group, int n) {
    ContactItem c;
    c.groupId = group;
    for (int i = 0; i < kContactFieldCount; ++i)
        c.fields.set(i, "c" + std::to_string(n) + " f" + std::to_string(i) + (i % 3 ? "" : " Gr\xfc\xdf"));
    c.fields.set(ContactFieldRecordIndex("Notes"), "note " + std::to_string(n) + "\r\nsecond line");
    c.isCurrent = n == 4;
    return c;
}

std::vector<std::string> contactBytes(const ContactStore& s) {
    std::vector<std::string> all;
    for (const ContactItem& c : s.contacts) {
        std::string b = std::to_string(c.groupId);
        for (int i = 0; i < kContactFieldCount; ++i) b += '|' + std::string(c.fields[i]);
        all.push_back(b);
    }
    std::sort(all.begin(), all.end());
    return all;
}

}  // namespace

// The Contacts view shown at start takes a group's contacts into its list;
// ending the program must write every one of them back with every field.
TEST_F(ProgramRun, ContactsViewKeepsEveryContactThroughStartAndTermination) {
    VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";
    ContactStore contacts;
    contacts.groups = {
        {0, "Friends", 1, 0, 0, 0, 101}, {1, "Chess club", 2, 1, 1, 1, 202}, {-1, "Work", 7, 0, 0, 1, 303}};
    for (int n = 0; n < 9; ++n)
        contacts.contacts.push_back(everyField(n % 3 == 0 ? 101 : n % 3 == 1 ? 202 : 303, n));
    contacts.contacts.push_back(everyField(999, 99));  // in no group: kept, never shown
    ASSERT_TRUE(SerializeContactsFile(contacts, true));
    AppSettings s;
    ApplySettingsDefaults(s);
    s.currentView = 4;
    writeSettings(s);

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(30)) << "the program did not come up";
    // The window is up once the screen shows it.
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    Shot shot;
    for (int i = 0; i < 60 && shot.colours <= 50; ++i)
        shot = grab(display.name(), out / "contacts-with-data.png");
    EXPECT_GT(shot.colours, 50) << "the window was not drawn";

    fs::remove(folder.file("Contacts.dat"));
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);
    ContactStore back;
    ASSERT_TRUE(SerializeContactsFile(back, false));
    EXPECT_EQ(contactBytes(back), contactBytes(contacts));
    ASSERT_EQ(back.groups.size(), 3u);
    EXPECT_EQ(back.groups[1].name, "Chess club");
    EXPECT_EQ(back.groups[1].isCurrent, 1);
}
