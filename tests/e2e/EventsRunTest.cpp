// Reminders in the real program: the Events view shown, its events due while
// the program runs, each reminder's script and window seen from outside.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <set>

#include "e2e/ProgramRun.h"
#include "e2e/ReminderScripts.h"
#include "settings/ViewIndex.h"

using namespace veltrin;
using namespace veltrin::e2e;

namespace {

class EventsRun : public ReminderScriptsRun {
protected:
    // The ids of the top-level windows on the display named "Event".
    std::string reminderWindows(const std::string& display) {
        return Output("DISPLAY=" + display + " xdotool search --onlyvisible --name '^Event$' 2>/dev/null");
    }
};

}  // namespace

TEST_F(EventsRun, ADueReminderRunsItsFileOnceShowsItsWindowAndNoEventIsLost) {
    if (::access(kXvfb, X_OK) != 0) GTEST_SKIP() << "no Xvfb";
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";

    AppSettings s;
    ApplySettingsDefaults(s);
    s.currentView = kEventsView;
    s.showSeconds = 1;  // a tick every second
    writeSettings(s);

    // Due soon enough to wait for, late enough for a slow (sanitized) start
    // to have filled the list first.
    const std::int32_t now = static_cast<std::int32_t>(std::time(nullptr));
    const std::int32_t due = now + 25;
    EventStore store;
    store.groups = {{0, "Work", 0, 1, 1, 11}, {1, "Calls", 1, 0, 0, 12}, {-1, "Home", 2, 0, 0, 13}};
    EventItem first = SampleEvent("Call the bank", 11, 101, Once, due);
    first.details.runFile = 1;
    first.details.filePath = script("first").string();
    first.details.showMessage = 1;
    first.isCurrent = 1;
    // Due later in the shown group: its line proves ticks went on after the first reminder.
    EventItem second = SampleEvent("Water the plants", 11, 102, Once, due + 4);
    second.details.runFile = 1;
    second.details.filePath = script("second").string();
    store.events = {first, second, SampleEvent("Dentist", 12, 103, Daily, due + 86400),
                    SampleEvent("Garden", 13, 104, Weekly, due + 3 * 86400),
                    SampleEvent("Bins", 13, 105, Once, due)};  // in a group not shown
    ASSERT_TRUE(SerializeEventsFile(store, true));

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    ASSERT_LT(std::time(nullptr), due) << "the program came up after the event was due; nothing to see";

    ASSERT_TRUE(waitForLine("first", 90)) << "the reminder's file never ran";
    std::string windows;
    WaitUntil([&] { return !(windows = reminderWindows(display.name())).empty(); }, 30);
    EXPECT_FALSE(windows.empty()) << "no \"Event\" window appeared";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    EXPECT_GT(grab(display.name(), out / "events-reminder.png").colours, 50);

    ASSERT_TRUE(waitForLine("second", 90)) << "the later reminder never ran";
    // Ticks went on for seconds after the first reminder: it ran once only.
    const auto all = linesWritten();
    EXPECT_EQ(std::count(all.begin(), all.end(), "first"), 1);
    EXPECT_EQ(std::count(all.begin(), all.end(), "second"), 1);

    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);
    EventStore back;
    ASSERT_TRUE(SerializeEventsFile(back, false));
    std::set<std::int32_t> ids;
    for (const EventItem& e : back.events) ids.insert(e.details.eventId);
    EXPECT_EQ(ids, (std::set<std::int32_t>{101, 102, 103, 104, 105}));
    EXPECT_EQ(back.events.size(), 5u);
    ASSERT_EQ(back.groups.size(), 3u);
    for (const EventItem& e : back.events) {
        if (e.details.eventId != 101) continue;
        EXPECT_EQ(e.name, "Call the bank");
        EXPECT_EQ(e.details.comment, "about Call the bank");
        EXPECT_EQ(e.details.schedule.nextDue, due);
        EXPECT_GE(e.details.schedule.lastCheck, due) << "fired, so nothing is pending";
    }
}

// The reminder window beside the shown main window takes real key input:
// focused, Escape hides it, while the main window stays up.
TEST_F(EventsRun, EscapeHidesTheReminderWindowWhileTheMainWindowIsShown) {
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";

    AppSettings s;
    ApplySettingsDefaults(s);
    s.currentView = kEventsView;
    s.showSeconds = 1;
    writeSettings(s);
    const std::int32_t due = static_cast<std::int32_t>(std::time(nullptr)) + 25;
    EventStore store;
    store.groups = {{0, "Work", 0, 1, 1, 11}};
    EventItem call = SampleEvent("Call the bank", 11, 101, Once, due);
    call.details.showMessage = 1;
    call.isCurrent = 1;
    store.events = {call};
    ASSERT_TRUE(SerializeEventsFile(store, true));

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    const WindowAt main = WaitWindow(display.name(), "Veltrin");
    ASSERT_GT(main.width, 600) << "no main window";
    ASSERT_LT(std::time(nullptr), due) << "the program came up after the event was due; nothing to see";

    std::string reminder;
    WaitUntil([&] { return !(reminder = reminderWindows(display.name())).empty(); }, 90);
    ASSERT_FALSE(reminder.empty()) << "no \"Event\" window appeared";
    const long id = std::stol(reminder);
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    EXPECT_GT(grab(display.name(), out / "reminder-before-escape.png").colours, 50);

    Xdo(display.name(), "windowfocus --sync " + std::to_string(id));
    Xdo(display.name(), "key Escape");
    const bool gone = WaitUntil([&] { return reminderWindows(display.name()).empty(); }, 30);
    EXPECT_TRUE(gone) << "the reminder window did not take Escape";
    EXPECT_GT(grab(display.name(), out / "reminder-after-escape.png").colours, 50);
    EXPECT_GT(WaitWindow(display.name(), "Veltrin").width, 600) << "the main window went with it";

    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);
    EventStore back;
    ASSERT_TRUE(SerializeEventsFile(back, false));
    ASSERT_EQ(back.events.size(), 1u);
    EXPECT_GE(back.events[0].details.schedule.lastCheck, due) << "fired, so nothing is pending";
}

// Groups moved by the user in the Events and the Contacts view, with the
// mouse and the keyboard, stay moved when the program ends on the Today view.
TEST_F(EventsRun, GroupsMovedInTheirViewsStayMovedWhenTheProgramEndsOnToday) {
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);

    startOnView(kEventsView);
    const std::int32_t later = static_cast<std::int32_t>(std::time(nullptr)) + 30 * 86400;
    EventStore store;
    store.groups = {{0, "Work", 0, 0, 1, 11}, {0, "Home", 1, 0, 0, 12}, {0, "Club", 2, 0, 0, 13}};
    store.events = {SampleEvent("Call the bank", 11, 101, Once, later),
                    SampleEvent("Chess night", 13, 102, Weekly, later)};
    ASSERT_TRUE(SerializeEventsFile(store, true));
    ContactStore contacts;
    contacts.groups = {{0, "Friends", 1, 0, 1, 1, 21}, {0, "Family", 2, 0, 0, 1, 22}};
    ASSERT_TRUE(SerializeContactsFile(contacts, true));

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    const WindowAt main = WaitWindow(display.name(), "Veltrin");
    ASSERT_GT(main.width, 600) << "no main window";
    const std::string window = std::to_string(main.id);
    auto click = [&](int x, int y) {
        Xdo(display.name(),
            "mousemove " + std::to_string(main.x + x) + " " + std::to_string(main.y + y) + " click 1");
    };
    // A view button, then the screen until it shows that view.
    auto showView = [&](int button, const std::string& shot) {
        const Shot before = grab(display.name(), out / (shot + "-before.png"));
        click(button * 90 + 45, 36);  // the main buttons are 90 pixels wide
        Shot after;
        for (int i = 0; i < 300 && (after.mean < 0 || std::fabs(after.mean - before.mean) < 1); ++i)
            after = grab(display.name(), out / (shot + ".png"));
        ASSERT_GE(std::fabs(after.mean - before.mean), 1) << shot << " was not shown";
    };
    // Into the group tree below its rows (the focus, no other selection),
    // down to the group, and "Move up" from the tree's menu.
    auto moveUp = [&](int downs, const std::string& shot) {
        click(60, main.height / 2);
        Xdo(display.name(), "windowfocus --sync " + window);
        for (int i = 0; i < downs; ++i) Xdo(display.name(), "key Down");
        const int shown = WindowsOf(display.name(), pid);
        Xdo(display.name(), "key Menu");
        ASSERT_TRUE(WaitMoreWindows(display.name(), pid, shown)) << "the group menu did not open";
        grab(display.name(), out / (shot + "-menu.png"));
        // From the end: "Export...", "Import...", "Move down", "Move up".
        Xdo(display.name(), "key Up Up Up Up Return");
    };

    grab(display.name(), out / "groups-events.png");
    moveUp(2, "groups-events");
    showView(kContactsView, "groups-contacts");
    moveUp(1, "groups-contacts");
    showView(kTodayView, "groups-today");

    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);
    EventStore back;
    ASSERT_TRUE(SerializeEventsFile(back, false));
    // Each group's name, marked * when it is the current one.
    const auto order = [](const auto& groups) {
        std::vector<std::string> names;
        for (const auto& g : groups) names.push_back(g.name + (g.isCurrent ? "*" : ""));
        return names;
    };
    EXPECT_EQ(order(back.groups), (std::vector<std::string>{"Work", "Club*", "Home"}));
    EXPECT_EQ(back.events.size(), 2u);
    ContactStore contactsBack;
    ASSERT_TRUE(SerializeContactsFile(contactsBack, false));
    EXPECT_EQ(order(contactsBack.groups), (std::vector<std::string>{"Family*", "Friends"}));
}
