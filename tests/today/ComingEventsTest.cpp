#include <gtest/gtest.h>

#include <ctime>

#include "base/LocalTime.h"
#include "events/EventTrees.h"
#include "support/ScopedZone.h"
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

TEST(ComingEvents, WeekIsTheMondayToSundayWeekHoldingTheDate) {
    test::ScopedZone zone("Europe/Berlin");
    const auto at = [](int y, int m, int d, int h = 12) { return LibraryTime(y, m, d, h, 0, 0); };
    // Monday 30 December 2024: the week runs into the new year whole.
    for (int day = 1; day <= 5; ++day)
        EXPECT_TRUE(InComingPeriod(at(2025, 1, day), {2024, 12, 30}, kPeriodWeek));
    EXPECT_TRUE(InComingPeriod(LibraryTime(2025, 1, 5, 23, 59, 59), {2024, 12, 30}, kPeriodWeek));
    EXPECT_FALSE(InComingPeriod(LibraryTime(2025, 1, 6, 0, 0, 0), {2024, 12, 30}, kPeriodWeek));
    EXPECT_FALSE(InComingPeriod(LibraryTime(2024, 12, 29, 23, 59, 59), {2024, 12, 30}, kPeriodWeek));
    // From the other end: Sunday 5 January 2025 holds Monday 30 December.
    EXPECT_TRUE(InComingPeriod(LibraryTime(2024, 12, 30, 0, 0, 0), {2025, 1, 5}, kPeriodWeek));
    // The same weekday a year on lies in a week of the same number, not in this one.
    EXPECT_FALSE(InComingPeriod(at(2025, 12, 29), {2024, 12, 30}, kPeriodWeek));
    EXPECT_FALSE(InComingPeriod(at(2026, 6, 10), {2025, 6, 11}, kPeriodWeek));
    // A week across the end of a month.
    EXPECT_TRUE(InComingPeriod(at(2025, 3, 2), {2025, 2, 24}, kPeriodWeek));
    EXPECT_FALSE(InComingPeriod(at(2025, 3, 3), {2025, 2, 24}, kPeriodWeek));
}

TEST(ComingEvents, MonthAndYearEndAtTheirLastSecond) {
    test::ScopedZone zone("Europe/Berlin");
    EXPECT_TRUE(InComingPeriod(LibraryTime(2024, 2, 29, 23, 59, 59), {2024, 2, 1}, kPeriodMonth));
    EXPECT_FALSE(InComingPeriod(LibraryTime(2024, 3, 1, 0, 0, 0), {2024, 2, 29}, kPeriodMonth));
    EXPECT_FALSE(InComingPeriod(LibraryTime(2025, 1, 31, 12, 0, 0), {2024, 1, 31}, kPeriodMonth));
    EXPECT_TRUE(InComingPeriod(LibraryTime(2024, 12, 31, 23, 59, 59), {2024, 1, 1}, kPeriodYear));
    EXPECT_FALSE(InComingPeriod(LibraryTime(2025, 1, 1, 0, 0, 0), {2024, 12, 31}, kPeriodYear));
    EXPECT_TRUE(InComingPeriod(LibraryTime(2024, 12, 31, 23, 59, 59), {2024, 12, 31}, kPeriodDay));
    EXPECT_FALSE(InComingPeriod(LibraryTime(2025, 12, 31, 10, 0, 0), {2024, 12, 31}, kPeriodDay));
}

TEST(ComingEvents, PeriodsCompareLocalCalendarFields) {
    test::ScopedZone zone("America/New_York");
    const std::int64_t lateEvening = LibraryTime(2026, 12, 31, 23, 30, 0);  // 1 January in UT
    EXPECT_TRUE(InComingPeriod(lateEvening, {2026, 12, 31}, kPeriodDay));
    EXPECT_FALSE(InComingPeriod(lateEvening, {2027, 1, 1}, kPeriodDay));
    EXPECT_TRUE(InComingPeriod(lateEvening, {2026, 12, 1}, kPeriodMonth));
    EXPECT_FALSE(InComingPeriod(lateEvening, {2025, 12, 31}, kPeriodMonth));
    EXPECT_TRUE(InComingPeriod(lateEvening, {2026, 1, 1}, kPeriodYear));
    // 28 December 2026 is a Monday; its week runs into the next year.
    EXPECT_TRUE(InComingPeriod(lateEvening, {2026, 12, 28}, kPeriodWeek));
    EXPECT_FALSE(InComingPeriod(lateEvening, {2026, 12, 27}, kPeriodWeek));
    EXPECT_TRUE(InComingPeriod(LibraryTime(2027, 1, 1, 8, 0, 0), {2026, 12, 28}, kPeriodWeek));
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

TEST(ComingEvents, FillingAndReturningKeepTheStoresOrder) {
    test::ScopedZone zone("Europe/Berlin");
    const std::int64_t now = LibraryTime(2026, 12, 7, 8, 0, 0);
    EventStore store;
    // An order set by hand, not by name; today's events are spread through it.
    store.events = {OnceAt("walk", LibraryTime(2026, 12, 7, 18, 0, 0)),
                    OnceAt("Later", LibraryTime(2026, 12, 9, 9, 0, 0)),
                    OnceAt("apple", LibraryTime(2026, 12, 7, 9, 0, 0)),
                    OnceAt("Zoo", LibraryTime(2027, 2, 1, 0, 0, 0)),
                    OnceAt("bins", LibraryTime(2026, 12, 7, 6, 0, 0))};
    store.events[2].details.schedule.nextDue = static_cast<std::int32_t>(now - 60);  // due: fires on filling
    const std::vector<std::string> order = {"walk", "Later", "apple", "Zoo", "bins"};
    const auto names = [&store] {
        std::vector<std::string> n;
        for (const EventItem& e : store.events) n.push_back(e.name);
        return n;
    };
    GroupTreeModel list;
    const EventListStyles styles = SetUpEventList(list);
    EventTickContext context;
    context.styles = styles;
    for (ComingEventsPeriod p : {kPeriodDay, kPeriodWeek, kPeriodMonth, kPeriodYear, kPeriodDay}) {
        FillAndUpdateComingEvents(store, list, {2026, 12, 7}, p, context, now);
        EXPECT_NE(list.GetChildCount(kRootNode), 0);
        ReturnComingEvents(store, list, true);
        EXPECT_EQ(names(), order);
        EXPECT_EQ(list.GetChildCount(kRootNode), 0);
    }
    // The row update ran: the due one moved on and every row has its texts.
    EXPECT_EQ(store.events[2].details.schedule.lastCheck, now);
    FillAndUpdateComingEvents(store, list, {2026, 12, 7}, kPeriodDay, context, now);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"apple", "bins", "walk"}));
    EXPECT_EQ(list.GetItemText(list.GetChildItem(kRootNode, 1), kEventLeftColumn), "Expired");
    EXPECT_EQ(list.GetItemText(list.GetChildItem(kRootNode, 2), kEventLeftColumn),
              "0 days, 10 hours, 00 minutes");
    // Without removing, the save's form: the store gets its events back and the rows stay.
    ReturnComingEvents(store, list, false);
    EXPECT_EQ(names(), order);
    EXPECT_EQ(list.GetChildCount(kRootNode), 3);
}
