#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "events/EventList.h"
#include "events/EventTrees.h"
#include "events/ReminderDispatcher.h"
#include "events/ReminderEngine.h"
#include "events/Schedule.h"
#include "events/Snoozes.h"
#include "support/Fakes.h"
#include "support/ScopedService.h"
#include "support/ScopedZone.h"

using namespace veltrin;

namespace {

constexpr std::int32_t kWork = 1;
constexpr std::int32_t kHome = 2;

// Records every step of every reminder, in order, across sound, shell and window.
struct Steps {
    std::vector<std::string> all;
};

class StepSound : public test::RecordingSound {
public:
    explicit StepSound(Steps& s) : steps(s) {}
    void play(const std::string& path) override {
        RecordingSound::play(path);
        steps.all.push_back("sound");
    }
    Steps& steps;
};

class StepShell : public test::RecordingShell {
public:
    explicit StepShell(Steps& s) : steps(s) {}
    bool open(const std::string& target) override {
        steps.all.push_back("open " + target);
        return RecordingShell::open(target);
    }
    bool startProgram(const std::string& path) override {
        steps.all.push_back("start " + path);
        return true;
    }
    Steps& steps;
};

class StepPresenter : public ReminderPresenter {
public:
    explicit StepPresenter(Steps& s) : steps(s) {}
    void ShowReminder(const std::string& name, int icon, const EventDetails&) override {
        steps.all.push_back("window " + name + " icon " + std::to_string(icon));
    }
    Steps& steps;
};

// The store and both lists as the views hold them; an event is in exactly one place.
class Engine : public ::testing::Test {
protected:
    Engine() : sound(steps), shell(steps), dispatcher(std::make_unique<StepPresenter>(steps)) {
        todayStyles = SetUpEventList(today);
        eventsStyles = SetUpEventList(events);
        engine.SetLists(&today, &events);
        store.events.reserve(2000);  // add() hands out references
        clock.t = At(9, 0, 0);
    }

    static std::int64_t At(int h, int mi, int s, int day = 10, int month = 3) {
        return test::LibraryTime(2026, month, day, h, mi, s);
    }

    // An actual event with a window, its due tracking set as when it was made at clock.t.
    EventItem& add(const std::string& name, EventSchedule s, std::int32_t group = kWork) {
        EventItem e;
        e.name = name;
        e.actual = 1;
        e.details.groupId = group;
        e.details.showMessage = 1;
        e.details.schedule = s;
        ResetDueTracking(e.details.schedule, clock.t);
        store.events.push_back(e);
        return store.events.back();
    }
    EventItem& addOnce(const std::string& name, std::int64_t at, std::int32_t group = kWork) {
        EventSchedule s;
        s.kind = Once;
        s.eventTime = static_cast<std::int32_t>(at);
        return add(name, s, group);
    }

    // What each view does with the events when it is the one shown.
    void showToday() {
        backToStore();
        TakeEventsIntoList(
            store, today, [](const EventItem&) { return true; }, todayStyles.name, todayStyles.priority);
    }
    void showEventsGroup(std::int32_t group) {
        backToStore();
        TakeEventsIntoList(
            store, events, [group](const EventItem& e) { return e.details.groupId == group; },
            eventsStyles.name, eventsStyles.priority);
    }
    void backToStore() {
        HandBackEventRowsInPlace(store, today, true);
        HandBackEventRowsInPlace(store, events, true);
    }

    // Passes once a second over [from, to], performing what is due; the
    // names performed, in order.
    std::vector<std::string> runSeconds(std::int64_t from, std::int64_t to) {
        std::vector<std::string> fired;
        for (std::int64_t t = from; t <= to; ++t) {
            clock.t = t;
            const std::vector<DueReminder> due = engine.Pass(t);
            for (const DueReminder& r : due)
                if (!r.missed) fired.push_back(r.name);
            PerformReminders(dispatcher, due);
        }
        return fired;
    }

    const EventSchedule& scheduleOf(const std::string& name) {
        backToStore();
        const auto it = std::find_if(store.events.begin(), store.events.end(),
                                     [&](const EventItem& e) { return e.name == name; });
        EXPECT_NE(it, store.events.end()) << name;
        return it->details.schedule;
    }

    test::ScopedZone zone{"Europe/Berlin"};
    test::FixedClock clock;
    test::ScopedClock clockInstalled{clock};
    Steps steps;
    StepSound sound;
    StepShell shell;
    test::RecordingMessages messages;
    test::ScopedSound soundInstalled{sound};
    test::ScopedShell shellInstalled{shell};
    test::ScopedMessages messagesInstalled{messages};
    ReminderDispatcher dispatcher;
    EventStore store;
    GroupTreeModel today;
    GroupTreeModel events;
    EventListStyles todayStyles;
    EventListStyles eventsStyles;
    ReminderEngine engine{store};
};

// Each row is a view shown at the due time: wherever the event lives then,
// it fires once, on its second.
TEST_F(Engine, FiresOnceWhateverViewIsShown) {
    const std::vector<std::pair<std::string, std::function<void()>>> views = {
        {"Today", [this] { showToday(); }},
        {"Events on its group", [this] { showEventsGroup(kWork); }},
        {"Events on another group", [this] { showEventsGroup(kHome); }},
        {"Diary, Notes or Contacts", [this] { backToStore(); }},
    };
    for (const auto& [view, show] : views) {
        SCOPED_TRACE(view);
        backToStore();
        store = {};
        store.events.reserve(2);
        steps.all.clear();
        clock.t = At(9, 0, 0);
        addOnce("Call", At(10, 0, 0));
        addOnce("Shop", At(11, 0, 0), kHome);
        engine.WatchFrom(clock.t);
        show();
        EXPECT_EQ(engine.NextWake(clock.t), At(10, 0, 0));
        EXPECT_EQ(runSeconds(At(9, 59, 55), At(10, 0, 10)), std::vector<std::string>{"Call"});
        EXPECT_EQ(steps.all, std::vector<std::string>{"window Call icon -1"});
        // Handed between the places, it does not fire again.
        showToday();
        EXPECT_TRUE(runSeconds(At(10, 0, 11), At(10, 0, 20)).empty());
        showEventsGroup(kWork);
        EXPECT_TRUE(runSeconds(At(10, 0, 21), At(10, 0, 30)).empty());
        EXPECT_EQ(scheduleOf("Call").lastCheck, At(10, 0, 0));
    }
}

TEST_F(Engine, BothListsHoldingRowsFireEachEventOnce) {
    addOnce("Work call", At(10, 0, 0), kWork);
    addOnce("Home call", At(10, 0, 0), kHome);
    addOnce("Stored", At(10, 0, 0), 3);
    // Today holds kHome, Events holds kWork, the store keeps the rest.
    TakeEventsIntoList(
        store, today, [](const EventItem& e) { return e.details.groupId == kHome; }, todayStyles.name,
        todayStyles.priority);
    TakeEventsIntoList(
        store, events, [](const EventItem& e) { return e.details.groupId == kWork; }, eventsStyles.name,
        eventsStyles.priority);
    ASSERT_EQ(store.events.size(), 1u);
    engine.WatchFrom(clock.t);
    // The store first, then the Today list, then the Events list.
    EXPECT_EQ(runSeconds(At(9, 59, 59), At(10, 0, 5)),
              (std::vector<std::string>{"Stored", "Home call", "Work call"}));
    // The moved-on tracking is in the rows, which go back to the file.
    EXPECT_EQ(
        today.GetEventRecord<EventDetails>(today.GetNextItem(kRootNode, kFirstChild)).schedule.lastCheck,
        At(10, 0, 0));
}

TEST_F(Engine, DueRule) {
    // Recurring: moves on to the next occurrence and fires there again.
    EventSchedule daily;
    daily.kind = Daily;
    daily.eventTime = static_cast<std::int32_t>(At(10, 0, 0));
    add("Daily", daily);
    // Not actual: never fires, its tracking is left as it is.
    EventItem& off = addOnce("Off", At(10, 0, 0));
    off.actual = 0;
    // Expired when last checked: a Once event whose time had passed then.
    EventItem& expired = addOnce("Expired", At(8, 0, 0));
    expired.details.schedule.nextDue = static_cast<std::int32_t>(At(9, 30, 0));
    // No action at all still moves on.
    EventItem& silent = addOnce("Silent", At(10, 0, 0));
    silent.details.showMessage = 0;
    const EventSchedule offBefore = store.events[1].details.schedule;
    engine.WatchFrom(clock.t);

    EXPECT_EQ(runSeconds(At(9, 0, 0), At(10, 0, 0)), (std::vector<std::string>{"Daily", "Silent"}));
    EXPECT_EQ(steps.all, std::vector<std::string>{"window Daily icon -1"});
    EXPECT_EQ(scheduleOf("Daily").nextDue, At(10, 0, 0, 11));
    EXPECT_EQ(scheduleOf("Silent").lastCheck, At(10, 0, 0));
    EXPECT_EQ(scheduleOf("Off"), offBefore);
    EXPECT_EQ(runSeconds(At(10, 0, 0, 11), At(10, 0, 0, 11)), std::vector<std::string>{"Daily"});

    // Checked again after its time: the row fires at once.
    backToStore();
    store.events[1].actual = 1;
    EXPECT_EQ(engine.NextWake(clock.t), clock.t);
    EXPECT_EQ(runSeconds(clock.t, clock.t), std::vector<std::string>{"Off"});
}

TEST_F(Engine, PerformsSoundFileWindowInThatOrderAndGivesTheGroupIcon) {
    EventItem& a = addOnce("A", At(10, 0, 0), kHome);
    a.details.playSound = 1;
    a.details.runFile = 1;
    a.details.filePath = "https://example.org/a";
    EventItem& b = addOnce("B", At(10, 0, 0), kWork);
    b.details.playSound = 1;
    engine.WatchFrom(clock.t);
    clock.t = At(10, 0, 0);
    PerformReminders(dispatcher, engine.Pass(clock.t),
                     [](std::int32_t group) { return group == kHome ? 7 : 3; });
    // Both windows are seen: one per reminder.
    EXPECT_EQ(steps.all, (std::vector<std::string>{"sound", "open https://example.org/a", "window A icon 7",
                                                   "sound", "window B icon 3"}));
}

TEST_F(Engine, AThousandEventsDueInOneSecond) {
    for (int i = 0; i < 1000; ++i) addOnce("E" + std::to_string(i), At(10, 0, 0), i % 2 ? kWork : kHome);
    showEventsGroup(kWork);
    engine.WatchFrom(clock.t);
    EXPECT_EQ(engine.NextWake(clock.t), At(10, 0, 0));
    EXPECT_TRUE(engine.Pass(At(9, 59, 59)).empty());
    const std::vector<DueReminder> due = engine.Pass(At(10, 0, 0));
    ASSERT_EQ(due.size(), 1000u);
    std::map<std::string, int> seen;
    for (const DueReminder& r : due) {
        EXPECT_FALSE(r.missed);
        ++seen[r.name];
    }
    EXPECT_EQ(seen.size(), 1000u);
    EXPECT_TRUE(engine.Pass(At(10, 0, 0)).empty());
    EXPECT_TRUE(engine.Pass(At(10, 0, 1)).empty());
    EXPECT_EQ(engine.NextWake(At(10, 0, 1)), kNoWake);
}

TEST_F(Engine, NextWakeIsTheEarliestPendingSecond) {
    EXPECT_EQ(engine.NextWake(clock.t), kNoWake);
    addOnce("Late", At(12, 0, 0));
    addOnce("Early", At(10, 30, 0), kHome);
    EventItem& off = addOnce("Off", At(9, 30, 0));
    off.actual = 0;
    showEventsGroup(kHome);
    EXPECT_EQ(engine.NextWake(clock.t), At(10, 30, 0));
    engine.Pass(At(10, 30, 0));
    EXPECT_EQ(engine.NextWake(At(10, 30, 0)), At(12, 0, 0));
}

// At start everything due before the watch began is listed as missed, once;
// nothing of it is performed.
TEST_F(Engine, MissedAtStartAreListedNotPerformed) {
    EventItem& gone = addOnce("Gone by", At(8, 0, 0));
    gone.details.schedule.lastCheck = static_cast<std::int32_t>(At(7, 0, 0));
    gone.details.runFile = 1;
    gone.details.filePath = "https://example.org/late";
    gone.details.playSound = 1;
    EventSchedule hourly;
    hourly.kind = Hourly;
    hourly.minutesAfterHour = 15;
    EventItem& h = add("Hourly", hourly, kHome);
    h.details.schedule.nextDue = static_cast<std::int32_t>(At(6, 15, 0));
    h.details.schedule.lastCheck = static_cast<std::int32_t>(At(5, 20, 0));
    addOnce("Coming", At(9, 0, 5));
    showEventsGroup(kWork);  // the Events view current at start: the list keeps the stored tracking
    engine.WatchFrom(clock.t);

    const std::vector<DueReminder> first = engine.Pass(clock.t);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].name, "Hourly");
    EXPECT_EQ(first[0].due, At(6, 15, 0));
    EXPECT_EQ(first[1].name, "Gone by");
    EXPECT_EQ(first[1].due, At(8, 0, 0));
    EXPECT_EQ(MissedReminders(first).size(), 2u);
    PerformReminders(dispatcher, first);
    EXPECT_TRUE(steps.all.empty());
    EXPECT_EQ(runSeconds(At(9, 0, 1), At(9, 15, 0)), (std::vector<std::string>{"Coming", "Hourly"}));
}

TEST_F(Engine, ClockJumps) {
    addOnce("Skipped", At(9, 30, 0));
    addOnce("Later", At(12, 0, 0));
    EventSchedule hourly;
    hourly.kind = Hourly;
    add("Hourly", hourly, kHome);  // 10:00, 11:00, ...
    showToday();
    engine.WatchFrom(clock.t);
    std::int64_t steadyMs = 0;
    EXPECT_TRUE(engine.Wake(At(9, 0, 0), steadyMs).empty());
    // A few seconds of drift are no jump.
    steadyMs += 60000;
    EXPECT_TRUE(engine.Wake(At(9, 1, 3), steadyMs).empty());
    // The machine sleeps an hour and a half: the wall clock jumps, the steady one does not.
    steadyMs += 1000;
    std::vector<DueReminder> due = engine.Wake(At(10, 30, 0), steadyMs);
    ASSERT_EQ(due.size(), 2u);
    EXPECT_TRUE(due[0].missed && due[1].missed);
    EXPECT_EQ(engine.watchingSince(), At(10, 30, 0));
    // From then on reminders are on time again.
    steadyMs += 30 * 60 * 1000;
    due = engine.Wake(At(11, 0, 0), steadyMs);
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].name, "Hourly");
    EXPECT_FALSE(due[0].missed);

    // The clock set back an hour: what fired does not fire again, what is
    // pending comes on time.
    clock.t = At(10, 0, 0);
    addOnce("Back", At(10, 20, 0));
    steadyMs += 1000;
    EXPECT_TRUE(engine.Wake(At(10, 0, 1), steadyMs).empty());
    for (std::int64_t t = At(10, 0, 2); t <= At(11, 0, 0); ++t) {
        steadyMs += 1000;
        due = engine.Wake(t, steadyMs);
        if (t == At(10, 20, 0)) {
            ASSERT_EQ(due.size(), 1u);
            EXPECT_EQ(due[0].name, "Back");
            EXPECT_FALSE(due[0].missed);
        } else {
            EXPECT_TRUE(due.empty()) << t;
        }
    }
    steadyMs += 60 * 60 * 1000;
    due = engine.Wake(At(12, 0, 0), steadyMs);
    ASSERT_EQ(due.size(), 2u);  // "Hourly" at 12:00 and "Later"
}

// Over both changes of the clock in a year: a daily reminder fires once a
// day, an hourly one at each occurrence of its schedule, once.
TEST_F(Engine, DaylightSavingChanges) {
    for (const int day : {29, 25}) {
        const int month = day == 29 ? 3 : 10;
        SCOPED_TRACE(month);
        store = {};
        store.events.reserve(2);
        clock.t = At(0, 0, 0, day - 1, month);
        EventSchedule daily;
        daily.kind = Daily;
        daily.eventTime = static_cast<std::int32_t>(At(2, 30, 0, 1, 3));
        add("Daily", daily);
        EventSchedule hourly;
        hourly.kind = Hourly;
        hourly.minutesAfterHour = 30;
        add("Hourly", hourly);
        engine.WatchFrom(clock.t);
        std::vector<std::int64_t> dailyAt, hourlyAt;
        const std::int64_t end = At(0, 0, 0, day + 1, month);
        for (std::int64_t t = clock.t; t < end; ++t)
            for (const DueReminder& r : engine.Pass(t)) {
                EXPECT_FALSE(r.missed);
                (r.name == "Daily" ? dailyAt : hourlyAt).push_back(t);
            }
        // The day before and the day of the change, once each.
        ASSERT_EQ(dailyAt.size(), 2u);
        EXPECT_EQ(dailyAt[0], At(2, 30, 0, day - 1, month));
        EXPECT_GE(dailyAt[1] - dailyAt[0], 23 * 3600);
        // Hourly: every occurrence the schedule names, each once, none twice
        // in the hour the clocks repeat.
        std::vector<std::int64_t> named;
        for (std::int64_t t = NextOccurrence(hourly, At(0, 0, 0, day - 1, month)); t < end;
             t = NextOccurrence(hourly, t))
            named.push_back(t);
        EXPECT_GE(named.size(), 46u);
        EXPECT_EQ(hourlyAt, named);
        for (std::size_t i = 1; i < hourlyAt.size(); ++i) EXPECT_GE(hourlyAt[i] - hourlyAt[i - 1], 3600);
    }
}

TEST(ClockWatchTest, TellsAJumpFromTheTimeThatPassed) {
    ClockWatch w;
    EXPECT_FALSE(w.Jumped(1000, 0));
    EXPECT_FALSE(w.Jumped(1060, 60000));
    EXPECT_FALSE(w.Jumped(1125, 124000));  // a second of drift
    EXPECT_TRUE(w.Jumped(1125 + 600, 125000));
    EXPECT_TRUE(w.Jumped(1125, 126000));  // set back
    EXPECT_FALSE(w.Jumped(1126, 127000));
}

}  // namespace

namespace {

// A snoozed reminder comes again at its time, once, wherever its event is
// then; the latest snooze of an event counts; a snooze that ended while
// nothing watched is missed; an event gone or no longer actual drops it.
TEST_F(Engine, SnoozedRemindersComeAgainOnce) {
    EventItem& call = addOnce("Call", At(10, 0, 0));
    call.details.eventId = 7;
    EventItem& gone = addOnce("Gone", At(10, 0, 0));
    gone.details.eventId = 8;
    EventItem& off = addOnce("Off", At(10, 0, 0), kHome);
    off.details.eventId = 9;
    engine.WatchFrom(clock.t);
    EXPECT_EQ(runSeconds(At(10, 0, 0), At(10, 0, 0)), (std::vector<std::string>{"Call", "Gone", "Off"}));

    engine.AddSnooze({7, At(10, 15, 0)});
    engine.AddSnooze({7, At(10, 5, 0)});  // chosen again: the later choice counts
    engine.AddSnooze({8, At(10, 5, 0)});
    engine.AddSnooze({9, At(10, 5, 0)});
    store.events.erase(store.events.begin() + 1);  // "Gone" removed
    store.events[1].actual = 0;                    // "Off" unchecked
    showEventsGroup(kWork);                        // "Call" now a row of the Events list
    EXPECT_EQ(engine.NextWake(At(10, 0, 1)), At(10, 5, 0));
    const EventSchedule before =
        events.GetEventRecord<EventDetails>(events.GetNextItem(kRootNode, kFirstChild)).schedule;
    EXPECT_EQ(runSeconds(At(10, 0, 1), At(10, 30, 0)), std::vector<std::string>{"Call"});
    EXPECT_EQ(scheduleOf("Call"), before) << "a snooze leaves the due tracking alone";
    EXPECT_TRUE(engine.snoozes().empty());
    EXPECT_EQ(engine.NextWake(At(10, 30, 0)), kNoWake);

    // Ended while the program was not running: listed, not performed.
    engine.AddSnooze({7, At(11, 0, 0)});
    engine.WatchFrom(At(12, 0, 0));
    const std::vector<DueReminder> late = engine.Pass(At(12, 0, 0));
    ASSERT_EQ(late.size(), 1u);
    EXPECT_TRUE(late[0].missed);
    EXPECT_EQ(late[0].due, At(11, 0, 0));
}

TEST(Snoozes, ChoicesAndTheirEnds) {
    test::ScopedZone zone{"Europe/Berlin"};
    EXPECT_EQ(SnoozeChoiceTexts(), (std::vector<std::string>{"5 minutes", "10 minutes", "15 minutes",
                                                             "30 minutes", "1 hour", "Tomorrow"}));
    const std::int64_t now = test::LibraryTime(2026, 10, 24, 9, 30, 15);
    EXPECT_EQ(SnoozeUntil(0, now), now + 300);
    EXPECT_EQ(SnoozeUntil(3, now), now + 1800);
    EXPECT_EQ(SnoozeUntil(4, now), now + 3600);
    // The clocks go back in the night: tomorrow at the same time is 25 hours on.
    EXPECT_EQ(SnoozeUntil(5, now), test::LibraryTime(2026, 10, 25, 9, 30, 15));
    EXPECT_EQ(*SnoozeUntil(5, now) - now, 25 * 3600);
    EXPECT_FALSE(SnoozeUntil(6, now));
    EXPECT_FALSE(SnoozeUntil(-1, now));
}

TEST(Snoozes, FileKeepsThemAndTellsABadLine) {
    const std::string folder = ::testing::TempDir() + "snoozes-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/" + kSnoozesFileName;
    std::vector<Snooze> loaded;
    std::string why;
    EXPECT_TRUE(LoadSnoozes(path, loaded, &why)) << "no file holds no snoozes";
    EXPECT_TRUE(loaded.empty());

    const std::vector<Snooze> kept = {{7, 1796000000}, {-12, 2200000000}};
    ASSERT_TRUE(SaveSnoozes(path, kept, &why)) << why;
    EXPECT_TRUE(LoadSnoozes(path, loaded, &why)) << why;
    EXPECT_EQ(loaded, kept);

    std::ofstream(path, std::ios::app) << "7 soon\n\n9 100 extra\n";
    loaded.clear();
    EXPECT_FALSE(LoadSnoozes(path, loaded, &why));
    EXPECT_EQ(why, "line 3 is not a snooze");
    EXPECT_EQ(loaded, kept) << "the good lines still count";
    std::filesystem::remove_all(folder);
}

}  // namespace
