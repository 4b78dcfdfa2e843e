// Starts the real program as a user would, in a program folder of its own,
// and ends it the way a desktop session does.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <sstream>

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

namespace {

// Something to show in every view: events due every day, one of them not
// actual; contacts whose address and notes run over two lines; a diary page
// and a small tree of notes.
void WriteShowcaseData() {
    EventStore events;
    events.groups = {{0, "Home", 1, 1, 1, 10}};
    const auto daily = [&events](const char* name, int hour, int minute, std::int32_t priority, bool actual) {
        EventItem e;
        e.name = name;
        e.actual = actual;
        e.priority = priority;
        e.details.groupId = 10;
        e.details.comment = std::string(name) + ", every day";
        std::tm t = {};
        t.tm_year = 2020 - 1900;
        t.tm_mday = 1;
        t.tm_hour = hour;
        t.tm_min = minute;
        t.tm_isdst = -1;
        e.details.schedule.kind = Daily;
        e.details.schedule.eventTime = static_cast<std::int32_t>(std::mktime(&t));
        events.events.push_back(e);
    };
    daily("Walk the dog", 23, 59, 3, true);
    daily("Water the plants", 23, 58, 10, true);
    daily("Call the bank", 23, 57, 7, false);
    ASSERT_TRUE(SerializeEventsFile(events, true));

    ContactStore contacts;
    contacts.groups = {{0, "Friends", 1, 0, 1, 0, 101}};
    for (int n = 0; n < 3; ++n) {
        ContactItem c;
        c.groupId = 101;
        const std::string first[] = {"Anna", "Ben", "Clara"};
        c.fields.set(ContactFieldRecordIndex("Name"), first[n] + " Gardner");
        c.fields.set(ContactFieldRecordIndex("First Name"), first[n]);
        c.fields.set(ContactFieldRecordIndex("Last Name"), "Gardner");
        c.fields.set(ContactFieldRecordIndex("E-mail Address"), "gardner@example.org");
        c.fields.set(ContactFieldRecordIndex("Home Street"),
                     "12 Garden Road\r\nFlat " + std::to_string(n + 1));
        c.fields.set(ContactFieldRecordIndex("Notes"), "Met at the fair\r\nLikes roses");
        c.isCurrent = n == 0;
        contacts.contacts.push_back(c);
    }
    ASSERT_TRUE(SerializeContactsFile(contacts, true));

    const std::time_t now = std::time(nullptr);
    std::tm day{};
    ::localtime_r(&now, &day);
    day.tm_hour = day.tm_min = day.tm_sec = 0;
    DiaryTable diary(1);
    diary[0].date = static_cast<std::int32_t>(std::mktime(&day));
    char title[64];
    std::strftime(title, sizeof title, "%Y, %B %d", &day);
    diary[0].title = title;
    diary[0].html = "<body><p>Sunny walk by the river.</p></body>";
    diary[0].isCurrent = 1;
    ASSERT_TRUE(SerializeDiaryFile(diary, true));

    NoteTable notes(2);
    notes[0].name = "Garden";
    notes[0].collapsed = 0;
    notes[0].html = "<body><p>Roses</p></body>";
    notes[1].levelStep = 1;
    notes[1].name = "Seeds to buy";
    notes[1].html = "<body><p>Sweet peas</p></body>";
    notes[1].isCurrent = 1;
    ASSERT_TRUE(SerializeNotesFile(notes, true));
}

}  // namespace

// Screenshots of every view at 1024 x 768, with the default look and with a
// dark skin, kept in the build folder (screenshots/) for a person to look at.
TEST_F(ProgramRun, ScreenshotsOfEveryViewInTwoSkins) {
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    VirtualDisplay display;
    if (::access(kXvfb, X_OK) != 0) GTEST_SKIP() << "no Xvfb";
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    // The events come daily, so the year's list holds them but on its last evening.
    if (local.tm_mon == 11 && local.tm_mday == 31 && local.tm_hour == 23)
        GTEST_SKIP() << "too close to the new year for this year's events";
    ASSERT_NO_FATAL_FAILURE(WriteShowcaseData());
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    const char* const views[] = {"today", "diary", "notes", "events", "contacts"};
    // Where the views draw on the skin's panel, at this screen size: the
    // bottom rows of the screen (the window's frame once it fills the
    // screen), the Today view's day panel and date label, the "Comment"
    // label of the Events and Contacts views, and the border between two
    // contacts' rows in the column of their two-line notes.
    const Area bottom{0, 758, 1024, 10}, dayPanel{15, 320, 220, 310}, dateLabel{252, 127, 140, 20},
        comment{20, 464, 70, 22}, rowBorder{380, 215, 200, 3};
    double meanOf[2] = {0, 0};
    for (int dark = 0; dark < 2; ++dark) {
        for (int v = 0; v < kViewCount; ++v) {
            AppSettings s;
            ApplySettingsDefaults(s);
            s.currentView = v;
            s.comingEventsPeriod = 3;  // the year: today's events whatever the hour
            // Notes second and the address wide enough to hold both its lines.
            auto& columns = s.contactColumns;
            const auto notes = std::find_if(columns.begin(), columns.end(),
                                            [](const ContactColumn& c) { return c.name == "Notes"; });
            std::rotate(columns.begin() + 1, notes, notes + 1);
            columns[1].width = 240;
            for (ContactColumn& c : columns)
                if (c.name == "Home Street") c.width = 200;
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
            const std::string name = std::string(dark ? "dark-" : "default-") + views[v];
            EXPECT_TRUE(FillScreen(display.name())) << name << ": the window did not take the screen";
            const fs::path png = out / (name + ".png");
            std::vector<Area> areas{bottom};
            if (v == kTodayView) areas.insert(areas.end(), {dayPanel, dateLabel});
            if (v == kEventsView || v == kContactsView) areas.push_back(comment);
            if (v == kContactsView) areas.push_back(rowBorder);
            const Shot shot = grab(display.name(), png, areas);
            if (v == kEventsView && !dark) {
                // The Group dialog with its OK and Cancel row, from the tool
                // strip's "Edit item/folder"; the end of the session closes it.
                Xdo(display.name(), "mousemove 119 143 click 1");
                EXPECT_NE(WaitWindow(display.name(), "Group").id, 0) << "the Group dialog did not open";
                grab(display.name(), out / "group-dialog.png");
            }
            ::kill(pid, SIGTERM);
            EXPECT_EQ(waitExit(pid, 30), 0);
            ASSERT_GE(shot.mean, 0) << "no screenshot taken";
            EXPECT_GT(shot.colours, 50) << png << ": the window was not drawn";
            EXPECT_GT(shot.areas[0].grey, 0) << png << ": the window does not reach the bottom of the screen";
            if (v == kTodayView) {
                EXPECT_GE(shot.areas[1].contrast, 3.0) << png << ": the day panel cannot be read";
                EXPECT_GE(shot.areas[2].contrast, 3.0) << png << ": the date cannot be read";
                if (dark) {
                    EXPECT_LT(shot.areas[2].grey, 128) << png << ": the date keeps a light ground";
                }
            }
            if (v == kEventsView || v == kContactsView) {
                EXPECT_GE(shot.areas[1].contrast, 3.0) << png << ": \"Comment\" cannot be read";
            }
            if (v == kContactsView) {
                EXPECT_LT(shot.areas[2].contrast, 1.5) << png << ": a row's text spills over its border";
            }
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
    std::string id;
    WaitUntil([&] { return !(id = xdotool(display, "search --onlyvisible --name '" + title + "'")).empty(); },
              30);
    return id;
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
    WaitUntil([&] { return !readDiary(folder.data()).empty(); }, 30);
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

// An editor module that cannot be loaded (here a file that is no library):
// opening the Diary says so, the page and the notes keep their bytes through
// the save at the end, and the program ends as ever.
TEST_F(ProgramRun, AnUnloadableEditorModuleIsSaidAndNoPageIsTouched) {
    VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    std::ofstream(folder.root / fs::path(VELTRIN_EDITOR_MODULE_FILE).filename(), std::ios::trunc)
        << "not a library\n";
    AppSettings s;
    ApplySettingsDefaults(s);
    s.currentView = kDiaryView;
    writeSettings(s);
    DiaryTable diary(1);
    diary[0].title = "2004, March 05";
    diary[0].html = "<body><p>Sm\xf8rrebr\xf8\x64 at noon</p></body>";  // Windows-1252
    diary[0].date = 1'078'444'800;
    diary[0].isCurrent = 1;
    ASSERT_TRUE(SerializeDiaryFile(diary, true));
    NoteTable notes(1);
    notes[0].name = "Caf\xe9";
    notes[0].html = "<body><p>Cr\xe8me \x80 2</p></body>";
    notes[0].isCurrent = 1;
    ASSERT_TRUE(SerializeNotesFile(notes, true));
    const std::string diaryBefore = test::readAll(folder.file("Diary.dat"));
    const std::string notesBefore = test::readAll(folder.file("Notes.dat"));

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(30));
    ASSERT_FALSE(waitWindow(display.name(), "^Veltrin$").empty());
    // The notice stands beside the main window, both called "Veltrin".
    const auto windows = [&] {
        std::istringstream ids(Output("DISPLAY=" + display.name() +
                                      " xdotool search --onlyvisible --name '^Veltrin$' 2>/dev/null"));
        int n = 0;
        for (long id; ids >> id;) ++n;
        return n;
    };
    EXPECT_TRUE(WaitUntil([&] { return windows() >= 2; }, 30)) << "no message about the editor";
    grab(display.name(), out / "diary-without-editor.png");
    // Nothing of the engine was started.
    EXPECT_EQ(test::readAll(fs::path("/proc") / std::to_string(pid) / "maps").find("WebEngine"),
              std::string::npos);
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);
    EXPECT_EQ(test::readAll(folder.file("Diary.dat")), diaryBefore);
    EXPECT_EQ(test::readAll(folder.file("Notes.dat")), notesBefore);
    EXPECT_TRUE(fs::exists(folder.file("Settings.dat")));
}
