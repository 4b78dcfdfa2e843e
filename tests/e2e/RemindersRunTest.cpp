// Reminders in the real program whatever view is current: each reminder's
// script and window seen from outside, what was missed listed at start.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>

#include "e2e/ProgramRun.h"
#include "e2e/ReminderScripts.h"
#include "settings/ViewIndex.h"

using namespace veltrin;
using namespace veltrin::e2e;

namespace {

class RemindersRun : public ReminderScriptsRun {
protected:
    std::string windowsNamed(const std::string& display, const std::string& title) {
        return Output("DISPLAY=" + display + " xdotool search --onlyvisible --name '^" + title +
                      "$' 2>/dev/null");
    }

    // "Work" (11) is the group selected in the Events view, "Home" (13) another.
    static std::vector<EventGroup> groups() { return {{0, "Work", 0, 1, 1, 11}, {0, "Home", 2, 0, 0, 13}}; }
};

}  // namespace

// A reminder of a group the Events view does not show, or with the Diary,
// Notes or Contacts current, runs its file once and shows its window.
TEST_F(RemindersRun, FiresOnceWithDiaryNotesContactsOrEventsOnAnotherGroupCurrent) {
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    for (const int view : {kDiaryView, kNotesView, kContactsView, kEventsView}) {
        SCOPED_TRACE(view);
        VirtualDisplay display;
        ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
        fs::remove(lines());
        startOnView(view);
        const std::string word = "view" + std::to_string(view);
        const std::int32_t due = static_cast<std::int32_t>(std::time(nullptr)) + 20;
        EventStore store;
        store.groups = groups();
        // Due four seconds later: once its line is there, the first had time to fire twice.
        store.events = {SampleReminder("Call the bank", 13, 201, due, script(word).string()),
                        SampleReminder("Later", 13, 202, due + 4, script(word + "-later").string())};
        ASSERT_TRUE(SerializeEventsFile(store, true));

        const pid_t pid = start(display.name());
        ASSERT_TRUE(waitListening(60)) << "the program did not come up";
        ASSERT_LT(std::time(nullptr), due) << "the program came up after the event was due";
        EXPECT_TRUE(windowsNamed(display.name(), "Missed reminders").empty());
        ASSERT_TRUE(waitForLine(word, 60)) << "the reminder's file never ran";
        const WindowAt shown = WaitWindow(display.name(), "Event");
        EXPECT_GT(shown.id, 0) << "no \"Event\" window appeared";
        if (view == kDiaryView) {
            const fs::path out = fs::path(SCREENSHOT_DIR);
            fs::create_directories(out);
            EXPECT_GT(grab(display.name(), out / "reminder-diary.png").colours, 50);
        }
        ASSERT_TRUE(waitForLine(word + "-later", 60)) << "the later reminder never ran";
        EXPECT_EQ(linesOf(word), 1);
        EXPECT_EQ(linesOf(word + "-later"), 1);

        ::kill(pid, SIGTERM);
        ASSERT_EQ(waitExit(pid, 30), 0);
        EventStore back;
        ASSERT_TRUE(SerializeEventsFile(back, false));
        ASSERT_EQ(back.events.size(), 2u);
        EXPECT_GE(back.events[0].details.schedule.lastCheck, due) << "fired, so nothing is pending";
    }
}

// With the Events view current on the event's group, what came due an hour
// before the start is listed once in "Missed reminders"; its file is not run.
TEST_F(RemindersRun, AMissedReminderIsListedAtStartWithEventsCurrent) {
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    startOnView(kEventsView);
    const std::int32_t now = static_cast<std::int32_t>(std::time(nullptr));
    EventStore store;
    store.groups = groups();
    EventItem missed = SampleReminder("Pay the rent", 11, 301, now - 3600, script("late").string());
    missed.details.playSound = 1;
    missed.isCurrent = 1;
    store.events = {missed, SampleReminder("Coming", 11, 302, now + 25, script("coming").string())};
    ASSERT_TRUE(SerializeEventsFile(store, true));

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    const WindowAt list = WaitWindow(display.name(), "Missed reminders");
    ASSERT_GT(list.id, 0) << "no \"Missed reminders\" window appeared";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    EXPECT_GT(grab(display.name(), out / "missed-reminders.png").colours, 50);
    // Time passes on: the coming reminder fires, the missed one's file never ran.
    ASSERT_TRUE(waitForLine("coming", 90)) << "the coming reminder never ran";
    EXPECT_EQ(linesOf("late"), 0);
    EXPECT_EQ(windowsNamed(display.name(), "Missed reminders"), std::to_string(list.id) + "\n");

    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);
    EventStore back;
    ASSERT_TRUE(SerializeEventsFile(back, false));
    ASSERT_EQ(back.events.size(), 2u);
    for (const EventItem& e : back.events)
        EXPECT_LE(e.details.schedule.nextDue, e.details.schedule.lastCheck) << e.name << " is still pending";
}

// A reminder snoozed before the program ended comes again at its time in the
// program started anew, once, with the Notes view current; the file is done then.
TEST_F(RemindersRun, ASnoozedReminderComesAgainAfterARestart) {
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    startOnView(kNotesView);
    const std::int32_t now = static_cast<std::int32_t>(std::time(nullptr));
    EventStore store;
    store.groups = groups();
    EventItem fired = SampleReminder("Stretch", 11, 401, now - 600, script("snoozed").string());
    fired.details.schedule.lastCheck = now - 600;  // fired ten minutes ago
    store.events = {fired};
    ASSERT_TRUE(SerializeEventsFile(store, true));
    const std::int32_t until = now + 20;
    std::ofstream(folder.file("Snoozes.txt")) << "401 " << until << "\n";

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    ASSERT_LT(std::time(nullptr), until) << "the program came up after the snooze ended";
    ASSERT_TRUE(waitForLine("snoozed", 60)) << "the snoozed reminder never came";
    EXPECT_GE(std::time(nullptr), until);
    EXPECT_GT(WaitWindow(display.name(), "Event").id, 0) << "no \"Event\" window appeared";
    EXPECT_TRUE(WaitUntil([&] { return test::readAll(folder.file("Snoozes.txt")).empty(); }, 30));
    EXPECT_EQ(linesOf("snoozed"), 1);
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);
}
