#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "base/LocalTime.h"
#include "events/Schedule.h"
#include "support/Fakes.h"
#include "support/ScopedZone.h"

using namespace veltrin;
using veltrin::test::LibraryTime;

namespace {

class ScheduleTest : public ::testing::Test {
protected:
    test::ScopedZone zone{"America/New_York"};

    static std::int64_t at(int y, int mon, int d, int h, int mi, int s = 0) {
        return LibraryTime(y, mon, d, h, mi, s);
    }
    // A schedule whose time of day is 08:00:00, made long ago.
    static EventSchedule at8(ScheduleKind kind) {
        EventSchedule s;
        s.kind = kind;
        s.eventTime = static_cast<std::int32_t>(at(2020, 1, 5, 8, 0, 0));
        return s;
    }
};

TEST_F(ScheduleTest, HourlyTakesThisHourOnlyWhileTwoSecondsAhead) {
    EventSchedule s;
    s.kind = Hourly;
    s.minutesAfterHour = 5;
    EXPECT_EQ(NextOccurrence(s, at(2024, 5, 14, 10, 4, 58)), at(2024, 5, 14, 10, 5, 0));
    EXPECT_EQ(TimeLeft(s, at(2024, 5, 14, 10, 4, 58)), 2);
    EXPECT_EQ(NextOccurrence(s, at(2024, 5, 14, 10, 4, 59)), at(2024, 5, 14, 11, 5, 0));
    EXPECT_EQ(TimeLeft(s, at(2024, 5, 14, 10, 4, 59)), 3601);
    EXPECT_EQ(NextOccurrence(s, at(2024, 5, 14, 10, 30, 0)), at(2024, 5, 14, 11, 5, 0));
}

TEST_F(ScheduleTest, HourlyRollsOverDayMonthYearAndLeapDay) {
    EventSchedule s;
    s.kind = Hourly;
    s.minutesAfterHour = 15;
    EXPECT_EQ(NextOccurrence(s, at(2024, 5, 14, 23, 30)), at(2024, 5, 15, 0, 15));
    EXPECT_EQ(NextOccurrence(s, at(2024, 4, 30, 23, 30)), at(2024, 5, 1, 0, 15));
    EXPECT_EQ(NextOccurrence(s, at(2024, 12, 31, 23, 30)), at(2025, 1, 1, 0, 15));
    EXPECT_EQ(NextOccurrence(s, at(2024, 2, 28, 23, 30)), at(2024, 2, 29, 0, 15));
    EXPECT_EQ(NextOccurrence(s, at(2023, 2, 28, 23, 30)), at(2023, 3, 1, 0, 15));
}

TEST_F(ScheduleTest, DailyAllDaysAtTheEventsTimeOfDay) {
    EventSchedule s = at8(Daily);
    EXPECT_EQ(NextOccurrence(s, at(2024, 5, 14, 7, 59, 58)), at(2024, 5, 14, 8, 0));
    EXPECT_EQ(NextOccurrence(s, at(2024, 5, 14, 7, 59, 59)), at(2024, 5, 15, 8, 0));
    EXPECT_EQ(NextOccurrence(s, at(2024, 5, 14, 12, 0, 0)), at(2024, 5, 15, 8, 0));
    EXPECT_EQ(NextOccurrence(s, at(2024, 5, 31, 12, 0, 0)), at(2024, 6, 1, 8, 0));
    EXPECT_EQ(NextOccurrence(s, at(2024, 12, 31, 12, 0, 0)), at(2025, 1, 1, 8, 0));
    s.whichDays = 9;  // not a known set: every day
    EXPECT_EQ(NextOccurrence(s, at(2024, 5, 14, 12, 0, 0)), at(2024, 5, 15, 8, 0));
}

TEST_F(ScheduleTest, DailyDaySetsSkipToTheNextMatchingDay) {
    EventSchedule s = at8(Daily);
    s.whichDays = WorkDays;  // Friday after the time -> Monday
    EXPECT_EQ(NextOccurrence(s, at(2024, 3, 8, 9, 0)), at(2024, 3, 11, 8, 0));
    s.whichDays = WeekendDays;  // Monday -> Saturday
    EXPECT_EQ(NextOccurrence(s, at(2024, 3, 11, 7, 0)), at(2024, 3, 16, 8, 0));
    s.whichDays = CustomDays;
    s.customDays = "4";  // Wednesday, from Monday
    EXPECT_EQ(NextOccurrence(s, at(2024, 3, 11, 7, 0)), at(2024, 3, 13, 8, 0));
    s.customDays = "77x7";  // order, repeats and stray characters do not matter
    EXPECT_EQ(NextOccurrence(s, at(2024, 3, 11, 7, 0)), at(2024, 3, 16, 8, 0));
    s.customDays = "2";  // Monday, on a Monday after the time: a week on
    EXPECT_EQ(NextOccurrence(s, at(2024, 3, 11, 9, 0)), at(2024, 3, 18, 8, 0));
    s.whichDays = WorkDays;  // the custom string only counts for CustomDays
    s.customDays = "";
    EXPECT_EQ(NextOccurrence(s, at(2024, 3, 16, 9, 0)), at(2024, 3, 18, 8, 0));
}

TEST_F(ScheduleTest, SchedulesThatCanNeverFallDueGiveTheirEventTime) {
    EventSchedule s = at8(Daily);
    const std::int64_t now = at(2024, 3, 11, 9, 0);
    s.whichDays = CustomDays;
    for (const char* days : {"", "0", "89", "abc", " "}) {
        s.customDays = days;
        EXPECT_EQ(NextOccurrence(s, now), s.eventTime) << '"' << days << '"';
        EXPECT_LT(TimeLeft(s, now), 0) << '"' << days << '"';
    }
    EventSchedule w = at8(Weekly);
    for (int weekday : {0, 8, -1, INT_MAX, INT_MIN}) {
        w.weekday = weekday;
        EXPECT_EQ(NextOccurrence(w, now), w.eventTime) << weekday;
    }
}

TEST_F(ScheduleTest, WeeklyOnItsDay) {
    EventSchedule s = at8(Weekly);
    s.weekday = 1;  // Sunday
    EXPECT_EQ(NextOccurrence(s, at(2024, 3, 13, 12, 0)), at(2024, 3, 17, 8, 0));
    EXPECT_EQ(NextOccurrence(s, at(2024, 3, 17, 7, 59, 58)), at(2024, 3, 17, 8, 0));
    EXPECT_EQ(NextOccurrence(s, at(2024, 3, 17, 7, 59, 59)), at(2024, 3, 24, 8, 0));
    s.weekday = 7;  // Saturday, across the year end
    EXPECT_EQ(NextOccurrence(s, at(2024, 12, 31, 12, 0)), at(2025, 1, 4, 8, 0));
}

TEST_F(ScheduleTest, MonthlyRollsShortMonthsIntoTheNext) {
    EventSchedule s = at8(Monthly);
    s.dayOfMonth = 31;
    EXPECT_EQ(NextOccurrence(s, at(2024, 4, 10, 12, 0)), at(2024, 5, 1, 8, 0));
    EXPECT_EQ(NextOccurrence(s, at(2024, 12, 31, 9, 0)), at(2025, 1, 31, 8, 0));
    s.dayOfMonth = 15;
    EXPECT_EQ(NextOccurrence(s, at(2024, 12, 31, 9, 0)), at(2025, 1, 15, 8, 0));
    s.dayOfMonth = 30;
    EXPECT_EQ(NextOccurrence(s, at(2023, 2, 10, 9, 0)), at(2023, 3, 2, 8, 0));
    EXPECT_EQ(NextOccurrence(s, at(2024, 2, 10, 9, 0)), at(2024, 3, 1, 8, 0));
    // Unlike the daily kinds, an occurrence one second ahead still counts.
    s.dayOfMonth = 10;
    EXPECT_EQ(NextOccurrence(s, at(2024, 4, 10, 7, 59, 59)), at(2024, 4, 10, 8, 0));
    EXPECT_EQ(NextOccurrence(s, at(2024, 4, 10, 8, 0, 0)), at(2024, 5, 10, 8, 0));
}

TEST_F(ScheduleTest, AnnuallyWithLeapDayAndYearEnd) {
    EventSchedule s = at8(Annually);
    s.annualMonth = 1;
    s.annualDay = 29;
    EXPECT_EQ(NextOccurrence(s, at(2023, 1, 15, 9, 0)), at(2023, 3, 1, 8, 0));
    EXPECT_EQ(NextOccurrence(s, at(2024, 1, 15, 9, 0)), at(2024, 2, 29, 8, 0));
    EXPECT_EQ(NextOccurrence(s, at(2024, 3, 5, 9, 0)), at(2025, 3, 1, 8, 0));
    s.annualMonth = 0;
    s.annualDay = 1;
    EXPECT_EQ(NextOccurrence(s, at(2024, 12, 31, 9, 0)), at(2025, 1, 1, 8, 0));
}

TEST_F(ScheduleTest, OnceAndUnknownKindsGiveTheEventTime) {
    EventSchedule s = at8(Once);
    const std::int64_t now = at(2024, 3, 11, 9, 0);
    EXPECT_EQ(NextOccurrence(s, now), s.eventTime);
    EXPECT_EQ(TimeLeft(s, now), s.eventTime - now);
    EXPECT_LT(TimeLeft(s, now), 0);
    s.kind = 42;
    EXPECT_EQ(NextOccurrence(s, now), s.eventTime);
}

TEST_F(ScheduleTest, DaylightSavingChangesInNewYork) {
    EventSchedule s = at8(Daily);
    // Clocks go forward on 10 March 2024: 08:00 the next day is 22 hours on.
    EXPECT_EQ(NextOccurrence(s, at(2024, 3, 9, 9, 0)), at(2024, 3, 10, 8, 0));
    EXPECT_EQ(TimeLeft(s, at(2024, 3, 9, 9, 0)), 22 * 3600);
    // ... and back on 3 November: 23 hours on the clock face are 24.
    EXPECT_EQ(TimeLeft(s, at(2024, 11, 2, 9, 0)), 24 * 3600);

    // 02:30 does not exist on 10 March; the library moves it, and it is still
    // the occurrence of that day.
    s.eventTime = static_cast<std::int32_t>(at(2020, 1, 5, 2, 30, 0));
    const std::int64_t moved = NextOccurrence(s, at(2024, 3, 9, 3, 0));
    EXPECT_EQ(moved, at(2024, 3, 10, 2, 30));
    EXPECT_EQ(BreakDownLocal(moved).day, 10);

    // 01:30 happens twice on 3 November; either one is that day's 01:30.
    s.eventTime = static_cast<std::int32_t>(at(2020, 1, 5, 1, 30, 0));
    const DateTime twice = BreakDownLocal(NextOccurrence(s, at(2024, 11, 2, 9, 0)));
    EXPECT_EQ(twice.day, 3);
    EXPECT_EQ(twice.hour, 1);
    EXPECT_EQ(twice.minute, 30);

    EventSchedule h;
    h.kind = Hourly;
    h.minutesAfterHour = 30;
    EXPECT_EQ(NextOccurrence(h, at(2024, 3, 10, 1, 40)), at(2024, 3, 10, 2, 30));
    EXPECT_EQ(NextOccurrence(h, at(2024, 3, 10, 3, 10)), at(2024, 3, 10, 3, 30));
}

TEST(ScheduleZones, DaylightSavingInLondon) {
    test::ScopedZone zone("Europe/London");
    EventSchedule s;
    s.kind = Daily;
    s.eventTime = static_cast<std::int32_t>(LibraryTime(2020, 1, 5, 8, 0, 0));
    // 31 March 2024: 08:00 BST is 07:00 UT.
    const std::int64_t before = LibraryTime(2024, 3, 30, 9, 0, 0);
    EXPECT_EQ(NextOccurrence(s, before), 1711868400);
    EXPECT_EQ(TimeLeft(s, before), 22 * 3600);
}

TEST_F(ScheduleTest, ResultsBeyond2038AreNotWrapped) {
    EventSchedule s = at8(Annually);
    s.annualMonth = 0;
    s.annualDay = 19;
    s.eventTime = static_cast<std::int32_t>(at(2020, 1, 5, 4, 0, 0));
    const std::int64_t due = NextOccurrence(s, at(2037, 12, 31, 12, 0));
    EXPECT_EQ(due, at(2038, 1, 19, 4, 0));  // 09:00 UT, past the 32-bit limit
    EXPECT_GT(due, std::int64_t{INT32_MAX});
    EXPECT_EQ(ClampToTime32(due), INT32_MAX);
    EXPECT_EQ(ClampToTime32(due - 86400), static_cast<std::int32_t>(due - 86400));
    EXPECT_EQ(ClampToTime32(std::int64_t{INT32_MIN} - 5), INT32_MIN);
}

TEST_F(ScheduleTest, FieldsNoEditorWritesNeverFallDue) {
    const std::int64_t now = at(2024, 3, 11, 9, 0);
    for (std::int32_t v : {INT_MIN, -40, -1, 0, 32, 60, 400, INT_MAX}) {
        for (std::int32_t kind : {Hourly, Daily, Weekly, Monthly, Annually}) {
            EventSchedule s = at8(static_cast<ScheduleKind>(kind));
            s.minutesAfterHour = v;
            s.dayOfMonth = v;
            s.annualDay = v;
            s.annualMonth = v;
            s.whichDays = CustomDays;
            s.customDays = std::to_string(v);
            s.weekday = v;
            const std::int64_t due = NextOccurrence(s, now);
            // Values the editor could have written still give a time to come.
            const bool usable =
                (kind == Hourly && v >= 0 && v <= 59) ||
                (kind == Daily && s.customDays.find_first_of("1234567") != std::string::npos) ||
                (kind == Monthly && v >= 1 && v <= 31);
            if (usable)
                EXPECT_GT(due, now) << kind << ' ' << v;
            else
                EXPECT_EQ(due, s.eventTime) << kind << ' ' << v;
        }
    }
}

TEST_F(ScheduleTest, ReadsThePlatformClock) {
    test::FixedClock fixed;
    fixed.t = at(2024, 5, 14, 7, 59, 58);
    test::ScopedClock installed(fixed);
    const EventSchedule s = at8(Daily);
    EXPECT_EQ(NextOccurrence(s), at(2024, 5, 14, 8, 0));
    EXPECT_EQ(TimeLeft(s), 2);
}

}  // namespace
