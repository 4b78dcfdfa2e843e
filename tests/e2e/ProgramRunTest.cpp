// Starts the real program as a user would, in a program folder of its own,
// and ends it the way a desktop session does.
#include <gtest/gtest.h>

#include "e2e/ProgramRun.h"

using namespace veltrin;
using namespace veltrin::e2e;

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
    ASSERT_TRUE(waitListening(30));
    ::kill(killed, SIGKILL);
    EXPECT_EQ(waitExit(killed, 30), 128 + SIGKILL);
    ASSERT_TRUE(fs::exists(socket));  // left behind by the dead program

    const pid_t next = start();
    ASSERT_TRUE(waitListening(30)) << "the new start did not take over";
    EXPECT_EQ(waitExit(next, 0), -1) << "the new start gave up";
    fs::remove(folder.file("Settings.dat"));
    ::kill(next, SIGTERM);
    EXPECT_EQ(waitExit(next, 30), 0);
    EXPECT_TRUE(fs::exists(folder.file("Settings.dat")));
}

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
            ASSERT_TRUE(waitListening(30));
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
