// The Today view in the real program: it holds today's events while it is
// shown, and the store keeps the order the user gave the events.
#include <gtest/gtest.h>

#include <ctime>

#include "e2e/ProgramRun.h"

using namespace veltrin;
using namespace veltrin::e2e;

// The Today view at start holds today's events in its list; ending the
// program writes all of them back in the order the user gave them.
TEST_F(ProgramRun, TodayAtStartKeepsEveryEventInItsOrder) {
    VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    if (local.tm_hour == 23 && local.tm_min >= 58)
        GTEST_SKIP() << "too close to midnight for events due today";

    EventStore store;
    store.groups = {{0, "Home", 1, 1, 0, 10}, {0, "Work", 2, 0, 0, 20}};
    const auto add = [&store](const char* name, std::int32_t group, bool today, std::int32_t priority) {
        EventItem e;
        e.name = name;
        e.actual = 1;
        e.priority = priority;
        e.details.groupId = group;
        e.details.comment = std::string(name) + " comment";
        if (today) {
            // Daily at 23:59:59: its next occurrence is later today.
            std::tm t = {};
            t.tm_year = 2020 - 1900;
            t.tm_mon = 0;
            t.tm_mday = 1;
            t.tm_hour = 23;
            t.tm_min = 59;
            t.tm_sec = 59;
            t.tm_isdst = -1;
            e.details.schedule.kind = Daily;
            e.details.schedule.eventTime = static_cast<std::int32_t>(std::mktime(&t));
        } else {
            e.details.schedule.kind = Once;
            e.details.schedule.eventTime = 2'000'000'000;  // 2033
        }
        store.events.push_back(e);
    };
    // By hand, not by name; today's two sit apart, one in each group.
    add("Zeta far", 10, false, 1);
    add("Walk the dog", 10, true, 9);
    add("Alpha far", 20, false, 2);
    add("Call the bank", 20, true, 5);
    add("Beta far", 10, false, 3);
    ASSERT_TRUE(SerializeEventsFile(store, true));
    AppSettings s;
    ApplySettingsDefaults(s);
    s.currentView = 0;  // the clock without seconds, so two grabs can agree
    writeSettings(s);

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(30));
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    const Shot shot = grab(display.name(), out / "today-with-events.png");
    EXPECT_GT(shot.colours, 200) << "the Today view was not drawn";
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);

    EventStore written;
    ASSERT_TRUE(SerializeEventsFile(written, false));
    std::vector<std::string> names;
    for (const EventItem& e : written.events) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Zeta far", "Walk the dog", "Alpha far", "Call the bank",
                                               "Beta far"}));
    ASSERT_EQ(written.events.size(), 5u);
    EXPECT_EQ(written.events[1].priority, 9);
    EXPECT_EQ(written.events[3].details.groupId, 20);
    EXPECT_EQ(written.events[3].details.comment, "Call the bank comment");
}
