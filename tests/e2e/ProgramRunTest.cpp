// Starts the real program as a user would, in a program folder of its own,
// and ends it the way a desktop session does.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/InstanceLock.h"
#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
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

    pid_t start() {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
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
