#include <gtest/gtest.h>

#include <ctime>

#include "events/EventTrees.h"
#include "events/LocalTime.h"
#include "events/ScopedZone.h"
#include "today/ComingEvents.h"

using namespace veltrin;
using veltrin::test::LibraryTime;

namespace {

EventItem OnceAt(const std::string& name, std::int64_t due, std::int32_t actual = 1) {
    EventItem e;
    e.name = name;
    e.actual = actual;
    e.details.schedule.kind = Once;
    e.details.schedule.eventTime = static_cast<std::int32_t>(due);
    return e;
}

std::vector<std::string> RowNames(const GroupTreeModel& list) {
    std::vector<std::string> names;
    for (NodeHandle r = list.GetNextItem(kRootNode, kFirstChild); r != kNoNode;
         r = list.GetNextItem(r, kNextSibling))
        names.push_back(list.GetItemText(r, kEventNameColumn));
    return names;
}

}  // namespace

TEST(ComingEvents, MondayWeeksAgreeWithTheLibrarysWeekNumber) {
    for (std::int64_t day = DaysFromCivil(1999, 12, 20); day < DaysFromCivil(2031, 1, 10); ++day) {
        const CivilDate d = CivilFromDays(day);
        std::tm tm{};
        tm.tm_year = static_cast<int>(d.year) - 1900;
        tm.tm_mon = d.month - 1;
        tm.tm_mday = d.day;
        tm.tm_yday = static_cast<int>(day - DaysFromCivil(d.year, 1, 1));
        tm.tm_wday = WeekdayFromDays(day);
        char text[8];
        std::strftime(text, sizeof text, "%W", &tm);
        ASSERT_EQ(MondayWeekOfYear(d), std::atoi(text)) << d.year << '-' << d.month << '-' << d.day;
    }
}

TEST(ComingEvents, PeriodsCompareLocalCalendarFields) {
    test::ScopedZone zone("America/New_York");
    const std::int64_t lateEvening = LibraryTime(2026, 12, 31, 23, 30, 0);  // 1 January in UT
    EXPECT_TRUE(InComingPeriod(lateEvening, {2026, 12, 31}, kPeriodDay));
    EXPECT_FALSE(InComingPeriod(lateEvening, {2027, 1, 1}, kPeriodDay));
    EXPECT_TRUE(InComingPeriod(lateEvening, {2026, 12, 1}, kPeriodMonth));
    EXPECT_FALSE(InComingPeriod(lateEvening, {2025, 12, 31}, kPeriodMonth));
    EXPECT_TRUE(InComingPeriod(lateEvening, {2026, 1, 1}, kPeriodYear));
    // 28 December 2026 is a Monday; the week runs into the next year, the period does not.
    EXPECT_TRUE(InComingPeriod(lateEvening, {2026, 12, 28}, kPeriodWeek));
    EXPECT_FALSE(InComingPeriod(lateEvening, {2026, 12, 27}, kPeriodWeek));
    EXPECT_FALSE(InComingPeriod(LibraryTime(2027, 1, 1, 8, 0, 0), {2026, 12, 28}, kPeriodWeek));
    EXPECT_EQ(ValidComingEventsPeriod(3), kPeriodYear);
    EXPECT_EQ(ValidComingEventsPeriod(4), kPeriodDay);
    EXPECT_EQ(ValidComingEventsPeriod(-1), kPeriodDay);
}

TEST(ComingEvents, FillingMovesThePeriodsEventsIntoSortedRows) {
    test::ScopedZone zone("Europe/Berlin");
    const std::int64_t now = LibraryTime(2026, 12, 7, 8, 0, 0);
    EventStore store;
    store.events = {OnceAt("walk", LibraryTime(2026, 12, 7, 18, 0, 0)),
                    OnceAt("Later", LibraryTime(2026, 12, 9, 9, 0, 0)),
                    OnceAt("Bins", LibraryTime(2026, 12, 7, 7, 0, 0), 0),
                    OnceAt("bins", LibraryTime(2026, 12, 7, 6, 0, 0)),
                    OnceAt("Zoo", LibraryTime(2026, 12, 8, 0, 0, 0)),
                    OnceAt("apple", LibraryTime(2026, 12, 7, 23, 59, 59))};
    store.events[1].priority = 9;
    store.events[0].details.comment = "shoes";
    GroupTreeModel list;
    EXPECT_EQ(FillComingEvents(store, list, {2026, 12, 7}, kPeriodDay, now), 4);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"apple", "Bins", "bins", "walk"}));
    // What stays in the store keeps its order; rows carry their events whole.
    ASSERT_EQ(store.events.size(), 2u);
    EXPECT_EQ(store.events[0].name, "Later");
    EXPECT_EQ(store.events[1].name, "Zoo");
    const EventItem walk = EventItemFromRow(list, list.GetChildItem(kRootNode, 3), false);
    EXPECT_EQ(walk.details.comment, "shoes");
    EXPECT_EQ(walk.actual, 1);
    EXPECT_EQ(EventItemFromRow(list, list.GetChildItem(kRootNode, 1), false).actual, 0);

    // Monday 7 to Sunday 13 December: the rest of the week joins the list.
    GroupTreeModel week;
    EXPECT_EQ(FillComingEvents(store, week, {2026, 12, 13}, kPeriodWeek, now), 2);
    EXPECT_EQ(RowNames(week), (std::vector<std::string>{"Later", "Zoo"}));
    EXPECT_TRUE(store.events.empty());
}
