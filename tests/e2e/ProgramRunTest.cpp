// Starts the real program as a user would, in a program folder of its own,
// and ends it the way a desktop session does.
#include <gtest/gtest.h>

#include "cli/RunCommand.h"
#include "e2e/ProgramRun.h"
#include "settings/ViewIndex.h"
#include "storage/Archive.h"

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

// A start from another login (a runtime folder of its own) sees the lock on
// the data folder as well, and knocks at the socket of its own runtime folder.
TEST_F(ProgramRun, SecondStartHandsOverAndWritesNothing) {
    const pid_t first = start();
    ASSERT_TRUE(waitListening(30));
    // Gone, so that the first program's save on its way out shows at the end.
    fs::remove(folder.file("Settings.dat"));
    const auto before = dataFolder();

    const pid_t second = start();
    EXPECT_EQ(waitExit(second, 30), 0);
    EXPECT_EQ(dataFolder(), before) << "the second start wrote data";

    runtime = folder.root / "elsewhere";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    SocketListener knocks(runtime / socket.filename());
    ASSERT_TRUE(knocks.ok());
    const pid_t other = start();
    EXPECT_EQ(knocks.answerKnock(30), "show\n") << "the start from another login did not see the first";
    EXPECT_EQ(waitExit(other, 30), 0);
    EXPECT_EQ(dataFolder(), before) << "the start from another login wrote data";
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

namespace {

// Runs xdotool on the display; its first line of output.
std::string xdotool(const std::string& display, const std::string& args) {
    const std::string command = "DISPLAY=" + display + " xdotool " + args + " 2>/dev/null";
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char line[256];
        if (std::fgets(line, sizeof line, p)) out = line;
        ::pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// A window of the program by its title, waited for.
std::string waitWindow(const std::string& display, const std::string& title) {
    for (int i = 0; i < 600; ++i) {
        const std::string id = xdotool(display, "search --onlyvisible --name '" + title + "'");
        if (!id.empty()) return id;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

DiaryTable readDiary(const fs::path& data) {
    DiaryTable t;
    std::uint32_t version = 0;
    LoadArchiveFile((data / "Diary.dat").string(), "Diary", version,
                    [&t](Archive& ar) { TransferRecords(ar, t); });
    return t;
}

}  // namespace

// The whole road of a diary page on a real display: created, typed into,
// kept through a termination, shown again; an untouched notes file stays
// byte for byte the same.
TEST_F(ProgramRun, DiaryPageTypedOnTheScreenSurvivesTerminationAndRestart) {
    if (::access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "no xdotool";
    VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    AppSettings s;
    ApplySettingsDefaults(s);
    s.currentView = kDiaryView;
    writeSettings(s);
    // Notes with a tree and an old Windows-1252 page.
    NoteTable notes(3);
    notes[0].name = "Garden";
    notes[0].collapsed = 0;
    notes[0].html = "<body><p>Roses</p></body>";
    notes[1].levelStep = 1;
    notes[1].name = "Caf\xe9";
    notes[1].html = "<body><p>Cr\xe8me \x80 2</p></body>";
    notes[1].isCurrent = 1;
    notes[2].levelStep = -1;
    notes[2].name = "Books";
    ASSERT_TRUE(SerializeNotesFile(notes, true));
    const std::string notesBefore = test::readAll(folder.file("Notes.dat"));

    pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(30));
    const std::string window = waitWindow(display.name(), "^Veltrin$");
    ASSERT_FALSE(window.empty());
    // "Insert new Diary page", the first button of the view's own toolbar.
    xdotool(display.name(), "mousemove --window " + window + " 30 135 click 1");
    const std::string dialog = waitWindow(display.name(), "^New Diary page: ");
    ASSERT_FALSE(dialog.empty()) << "the new-page dialog did not open";
    grab(display.name(), out / "diary-new-page-dialog.png");
    xdotool(display.name(), "mousemove --window " + dialog + " 62 177 click 1");  // OK
    // The new page is stored at once.
    for (int i = 0; i < 600 && readDiary(folder.data()).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(readDiary(folder.data()).size(), 1u);
    // Into the page, as a user clicks into it and types.
    xdotool(display.name(), "mousemove --window " + window + " 600 450 click 1");
    xdotool(display.name(), "windowfocus --sync " + window + " type --delay 30 'Sunny walk by the river'");
    grab(display.name(), out / "diary-page.png");
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);

    const test::Outcome dump = test::RunCommand({"dump", folder.file("Diary.dat").string()});
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_NE(dump.out.find("Sunny walk by the river"), std::string::npos) << dump.out;
    EXPECT_EQ(test::readAll(folder.file("Notes.dat")), notesBefore) << "notes nobody edited were rewritten";

    // Shown again after a restart, and still there after the next exit.
    pid = start(display.name());
    ASSERT_TRUE(waitListening(30));
    ASSERT_FALSE(waitWindow(display.name(), "^Veltrin$").empty());
    const Shot shot = grab(display.name(), out / "diary-page-restarted.png");
    EXPECT_GT(shot.colours, 50);
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);
    const DiaryTable after = readDiary(folder.data());
    ASSERT_EQ(after.size(), 1u);
    EXPECT_NE(after[0].html.find("Sunny walk by the river"), std::string::npos);
    EXPECT_EQ(after[0].isCurrent, 1);
    EXPECT_EQ(test::readAll(folder.file("Notes.dat")), notesBefore);

    // The Notes view with its tree, for a person to look at.
    s.currentView = kNotesView;
    writeSettings(s);
    pid = start(display.name());
    ASSERT_TRUE(waitListening(30));
    ASSERT_FALSE(waitWindow(display.name(), "^Veltrin$").empty());
    grab(display.name(), out / "notes-tree.png");
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);
    EXPECT_EQ(test::readAll(folder.file("Notes.dat")), notesBefore);
}
