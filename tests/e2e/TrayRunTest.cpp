// The program started hidden at log-in, in a real notification area
// (trayer): a reminder still comes on time while the window stays in the
// tray, and the Diary, first shown only then, shows its page.
#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <sstream>

#include "e2e/ProgramRun.h"
#include "e2e/ReminderScripts.h"
#include "settings/ViewIndex.h"

using namespace veltrin;
using namespace veltrin::e2e;

namespace {

class TrayRun : public ReminderScriptsRun {
protected:
    // A display of its own with a notification area along its edge.
    void SetUp() override {
        ReminderScriptsRun::SetUp();
        if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
        if (::access("/usr/bin/trayer", X_OK) != 0) GTEST_SKIP() << "no trayer";
        display.emplace();
        ASSERT_FALSE(display->name().empty()) << "Xvfb did not start";
        fs::create_directories(out);
        startTrayer(display->name());
    }
    void TearDown() override {
        ReminderScriptsRun::TearDown();  // the program and trayer end before their display
        display.reset();
    }

    std::vector<WindowAt> windowsOf(const std::string& display, pid_t pid) {
        std::vector<WindowAt> windows;
        std::istringstream ids(Output("DISPLAY=" + display + " xdotool search --onlyvisible --pid " +
                                      std::to_string(pid) + " 2>/dev/null"));
        for (long id; ids >> id;) windows.push_back(GeometryOf(display, id));
        return windows;
    }
    // The icon carries the program's name too: the main window is the large one.
    bool mainWindowShown(const std::string& display, pid_t pid) {
        for (const WindowAt& w : windowsOf(display, pid))
            if (w.width > 300 && Output("DISPLAY=" + display + " xdotool getwindowname " +
                                        std::to_string(w.id)) == "Veltrin\n")
                return true;
        return false;
    }
    // What the process shows, for a failure's message.
    std::string shownWindows(const std::string& display, pid_t pid) {
        std::string all;
        for (const WindowAt& w : windowsOf(display, pid))
            all += "'" + Output("DISPLAY=" + display + " xdotool getwindowname " + std::to_string(w.id)) +
                   "' " + std::to_string(w.width) + "x" + std::to_string(w.height) + "; ";
        return all;
    }
    // A notification area along the screen's edge.
    void startTrayer(const std::string& display) {
        const fs::path log = folder.root / "trayer.log";
        const pid_t tray = ::fork();
        if (tray == 0) {
            ::setenv("DISPLAY", display.c_str(), 1);
            const std::string command = TrayerCommand(log);
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        started.push_back(tray);
        ASSERT_TRUE(WaitTrayer(display)) << "trayer did not come up: " << test::readAll(log);
    }
    // A double click on the program's icon in the notification area.
    bool restoreByIcon(const std::string& display, pid_t pid) {
        WindowAt icon;
        if (!WaitUntil(
                [&] {
                    for (const WindowAt& w : windowsOf(display, pid))
                        if (w.width > 0 && w.width <= 64 && w.height <= 64) icon = w;
                    return icon.id != 0;
                },
                30)) {
            ADD_FAILURE() << "no icon in the notification area";
            return false;
        }
        Xdo(display, "mousemove --window " + std::to_string(icon.id) + " " + std::to_string(icon.width / 2) +
                         " " + std::to_string(icon.height / 2) + " click --repeat 2 --delay 80 1");
        return WaitUntil([&] { return mainWindowShown(display, pid); }, 60);
    }
    // The record files' bytes and the times they were written.
    std::map<std::string, std::pair<std::string, long long>> recordFiles() const {
        auto files = dataFolder();
        files.erase("Settings.dat");
        files.erase("backup");
        return files;
    }
    // The process ids of the document engine's helpers under the program.
    std::string engineHelpers(pid_t pid) {
        return Output("pgrep -P " + std::to_string(pid) + " 2>/dev/null");
    }

    std::optional<VirtualDisplay> display;
    const fs::path out = fs::path(SCREENSHOT_DIR);
};

}  // namespace

TEST_F(TrayRun, AReminderComesWhileHiddenAndTheDiaryFirstShownShowsItsPage) {
    ASSERT_FALSE(HasFailure());

    // The Diary is the current view; its page in large letters.
    startOnView(kDiaryView);
    const std::string page =
        "<body><h1 style=\"font-size:60px;color:#000000\">Swim at noon</h1><p>Caf\xe9 after.</p></body>";
    DiaryTable diary = {{"2026, December 07", page, static_cast<std::int32_t>(std::time(nullptr)), 1}};
    ASSERT_TRUE(SerializeDiaryFile(diary, true));
    const std::int32_t due = static_cast<std::int32_t>(std::time(nullptr)) + 12;
    EventStore events;
    events.events = {SampleReminder("Call the bank", 0, 501, due, script("bank").string())};
    ASSERT_TRUE(SerializeEventsFile(events, true));

    const pid_t pid = start(display->name(), "/autorun");
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    ASSERT_LT(std::time(nullptr), due) << "the program came up after the event was due";
    EXPECT_FALSE(mainWindowShown(display->name(), pid)) << shownWindows(display->name(), pid);
    EXPECT_EQ(engineHelpers(pid), "") << "the document engine runs before any document is shown";
    // Nor are its libraries, the editor module or a GL driver loaded.
    const auto mapped = [pid](const char* name) {
        return test::readAll(fs::path("/proc") / std::to_string(pid) / "maps").find(name) !=
               std::string::npos;
    };
    for (const char* name : {"WebEngine", "veltrin-webeditor", "swrast_dri", "libLLVM"})
        EXPECT_FALSE(mapped(name)) << name << " is loaded in the tray";

    // The reminder comes on time, the window stays in the tray.
    ASSERT_TRUE(waitForLine("bank", 60)) << "the reminder's file never ran";
    EXPECT_GE(std::time(nullptr), due);
    const WindowAt reminder = WaitWindow(display->name(), "Event");
    EXPECT_GT(reminder.id, 0) << "no \"Event\" window appeared";
    EXPECT_FALSE(mainWindowShown(display->name(), pid)) << shownWindows(display->name(), pid);
    EXPECT_GT(grab(display->name(), out / "tray-reminder-hidden.png").colours, 50);
    Xdo(display->name(), "windowclose " + std::to_string(reminder.id));

    // A double click on the icon brings the window back on the Diary.
    ASSERT_TRUE(restoreByIcon(display->name(), pid)) << "a double click did not bring it back";
    ASSERT_TRUE(FillScreen(display->name()));
    // The page's heading, where the editor shows the top of the page.
    const Area heading{330, 230, 560, 60};
    const Shot shot = grab(display->name(), out / "tray-diary-first-show.png", {heading});
    ASSERT_EQ(shot.areas.size(), 1u);
    EXPECT_GE(shot.areas[0].contrast, 3.0) << "the page's text is not shown";
    EXPECT_NE(engineHelpers(pid), "") << "the document engine did not start for the Diary";
    EXPECT_TRUE(mapped("veltrin-webeditor"));

    const std::string helpers = engineHelpers(pid);
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);
    // The process ends without tearing its windows down: the engine's
    // processes must still go with it, not linger for the session.
    std::istringstream helperPids(helpers);
    for (std::string helper; helperPids >> helper;) {
        const fs::path stat = fs::path("/proc") / helper / "stat";
        const auto gone = [&] {
            const std::string line = test::readAll(stat);
            const std::size_t close = line.rfind(')');
            return line.empty() || (close != std::string::npos && line.compare(close + 2, 1, "Z") == 0);
        };
        EXPECT_TRUE(test::WaitUntil(gone, 30)) << "engine process " << helper << " outlived the program";
    }
    // Shown, not edited: the page keeps its bytes; the reminder is done.
    DiaryTable back;
    ASSERT_TRUE(SerializeDiaryFile(back, false));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].html, page);
    EventStore after;
    ASSERT_TRUE(SerializeEventsFile(after, false));
    ASSERT_EQ(after.events.size(), 1u);
    EXPECT_GE(after.events[0].details.schedule.lastCheck, due);
}

// A start in the tray leaves the Today list's events and the shown group's
// contacts in their stores until the window shows: ended hidden, it writes
// nothing over them; restored, it lists them, and ended then, every record
// is as it was, a field in Windows-1252 too.
TEST_F(TrayRun, RecordsNotYetListedAreKeptWholeAndListedOnRestore) {
    ASSERT_FALSE(HasFailure());

    // The shown group's contacts last, as a save puts them back.
    ContactStore contacts;
    contacts.groups = {{0, "Friends", 1, 0, 1, 1, 21}, {0, "Work", 2, 0, 0, 1, 22}};
    const auto contact = [](std::int32_t group, const std::string& name, const std::string& notes) {
        ContactItem c;
        c.groupId = group;
        c.fields.set(ContactFieldRecordIndex("Name"), name);
        c.fields.set(ContactFieldRecordIndex("First Name"), name);
        c.fields.set(ContactFieldRecordIndex("Notes"), notes);
        return c;
    };
    contacts.contacts = {contact(22, "Bo", "desk 4"), contact(21, "Ann", "Caf\xe9 on Fridays"),
                         contact(21, "Cy", "chess")};
    contacts.contacts.back().isCurrent = 1;
    ASSERT_TRUE(SerializeContactsFile(contacts, true));
    // Due later today and in a month: the Today list shows the first two.
    const std::int32_t now = static_cast<std::int32_t>(std::time(nullptr));
    EventStore events;
    events.groups = {{0, "Home", 0, 0, 1, 501}};
    for (const auto& [name, due] : std::vector<std::pair<std::string, std::int32_t>>{
             {"Water the plants", now + 3600}, {"Call Ann", now + 7200}, {"Dentist", now + 30 * 86400}}) {
        EventItem e;
        e.name = name;
        e.actual = 1;
        e.details.groupId = 501;
        e.details.schedule.kind = Once;
        e.details.schedule.eventTime = due;
        events.events.push_back(e);
    }
    ASSERT_TRUE(SerializeEventsFile(events, true));
    AppSettings s;
    ApplySettingsDefaults(s);
    s.currentView = kTodayView;
    s.comingEventsPeriod = 3;  // the year: the events whatever the hour
    writeSettings(s);
    const auto before = recordFiles();

    // Ended in the tray: no record file is written.
    pid_t pid = start(display->name(), "/autorun");
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    EXPECT_FALSE(mainWindowShown(display->name(), pid)) << shownWindows(display->name(), pid);
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);
    EXPECT_EQ(recordFiles(), before);

    // Restored from the tray on the Today view: the events are listed.
    pid = start(display->name(), "/autorun");
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    ASSERT_TRUE(restoreByIcon(display->name(), pid)) << "a double click did not bring it back";
    ASSERT_TRUE(FillScreen(display->name()));
    // The rows' names, and the row below the two events due this year.
    const Area firstEvent{287, 292, 90, 14}, emptyRow{287, 328, 90, 14};
    Shot shot = grab(display->name(), out / "tray-today-restored.png", {firstEvent, emptyRow});
    ASSERT_EQ(shot.areas.size(), 2u);
    EXPECT_GE(shot.areas[0].contrast, 3.0) << "no event listed";
    EXPECT_LT(shot.areas[1].contrast, 1.5) << "more rows than events";
    // Then the Contacts view, from its button on the main row.
    Xdo(display->name(), "mousemove 405 35 click 1");
    // Ann's row, the row below Cy's, and the comment box with Cy's notes.
    const Area firstContact{296, 183, 60, 14}, belowLast{296, 219, 60, 14}, comment{24, 492, 60, 14};
    shot = grab(display->name(), out / "tray-contacts-restored.png", {firstContact, belowLast, comment});
    ASSERT_EQ(shot.areas.size(), 3u);
    EXPECT_GE(shot.areas[0].contrast, 3.0) << "no contact listed";
    EXPECT_LT(shot.areas[1].contrast, 1.5) << "a contact of another group listed";
    EXPECT_GE(shot.areas[2].contrast, 3.0) << "the current contact's notes are not shown";
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);

    // Listed and handed back unedited: the same records, the same bytes.
    ContactStore contactsBack;
    ASSERT_TRUE(SerializeContactsFile(contactsBack, false));
    ASSERT_EQ(contactsBack.contacts.size(), 3u);
    EXPECT_EQ(contactsBack.contacts[1].fields[ContactFieldRecordIndex("Notes")], "Caf\xe9 on Fridays");
    EXPECT_EQ(contactsBack.contacts[2].isCurrent, 1);
    EventStore eventsBack;
    ASSERT_TRUE(SerializeEventsFile(eventsBack, false));
    ASSERT_EQ(eventsBack.events.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(eventsBack.events[i].name, events.events[i].name) << i;
    const auto after = recordFiles();
    EXPECT_EQ(after.at("Diary.dat"), before.at("Diary.dat"));
    EXPECT_EQ(after.at("Notes.dat"), before.at("Notes.dat"));
    EXPECT_EQ(after.at("Contacts.dat"), before.at("Contacts.dat"));
}
