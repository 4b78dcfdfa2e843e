#include <gtest/gtest.h>

#include "base/LocalTime.h"
#include "events/EventEditor.h"
#include "support/ScopedZone.h"

using namespace veltrin;

namespace {

TEST(WeeklyDays, SundayIsTheLastRowBothWays) {
    EXPECT_EQ(WeekdayRow(1), 6);
    EXPECT_EQ(WeekdayRow(2), 0);
    EXPECT_EQ(WeekdayRow(7), 5);
    EXPECT_EQ(WeekdayRow(0), 0);
    EXPECT_EQ(WeekdayRow(8), 0);
    EXPECT_EQ(WeekdayFromRow(6), 1);
    EXPECT_EQ(WeekdayFromRow(0), 2);
    for (int w = 1; w <= 7; ++w) EXPECT_EQ(WeekdayFromRow(WeekdayRow(w)), w);
}

TEST(WeeklyDays, DaySetsComeBackMondayFirstWithoutStrangers) {
    const auto rows = DayRowsFromSet("17x9");
    EXPECT_EQ(rows, (std::array<bool, 7>{false, false, false, false, false, true, true}));
    EXPECT_EQ(DaySetFromRows(rows), "71");
    std::array<bool, 7> satMon{};
    satMon[5] = satMon[0] = true;
    EXPECT_EQ(DaySetFromRows(satMon), "27");
    EXPECT_EQ(DaySetFromRows({}), "");
    EXPECT_EQ(DaySetFromRows(DayRowsFromSet("1234567")), "2345671");
}

TEST(EventEditorLists, IndicesOutsideTheListShowTheFirstItem) {
    EXPECT_EQ(ListRowOrFirst(3, 4), 3);
    EXPECT_EQ(ListRowOrFirst(4, 4), 0);  // the count itself is outside too
    EXPECT_EQ(ListRowOrFirst(-1, 12), 0);
}

TEST(EventEditorLists, PriorityItemsTintThePriorityColour) {
    EXPECT_EQ(PriorityItemColour(10, 0x000000FF), 0x000000FFu);
    EXPECT_EQ(PriorityItemColour(1, 0x000000FF), 0x00E6E6FFu);  // RGB (255, 230, 230)
    EXPECT_EQ(PriorityItemColour(5, 0x00804000), 0x00C0A080u);
}

TEST(ScheduleSpinMemory, EachKindKeepsItsValueAndOkWritesOnlyTheShownKind) {
    EventSchedule s;
    s.kind = Hourly;
    s.minutesAfterHour = 45;
    s.dayOfMonth = 10;
    s.annualDay = 3;
    ScheduleSpin spin(s, 2026);
    EXPECT_EQ(spin.position(), 45);
    spin.setKind(Monthly);
    EXPECT_EQ(spin.position(), 10);
    EXPECT_EQ(spin.minimum(), 1);
    EXPECT_EQ(spin.maximum(), 31);
    spin.setPosition(12);
    spin.setKind(Hourly);
    EXPECT_EQ(spin.position(), 45);
    spin.setPosition(50);
    spin.setKind(Monthly);
    EXPECT_EQ(spin.position(), 12);
    spin.setKind(Monthly);  // the kind already shown changes nothing
    EXPECT_EQ(spin.position(), 12);

    EventSchedule out = s;
    spin.applyTo(out);
    EXPECT_EQ(out.dayOfMonth, 12);
    EXPECT_EQ(out.minutesAfterHour, 45) << "the hidden kind keeps what it held before the dialog";
    EXPECT_EQ(out.annualDay, 3);
}

TEST(ScheduleSpinMemory, ValuesNoListOffersFallBackToDefaults) {
    EventSchedule s;
    s.kind = Hourly;
    s.minutesAfterHour = 75;
    s.dayOfMonth = 0;
    s.annualDay = 40;
    ScheduleSpin spin(s, 2026);
    EXPECT_EQ(spin.position(), 30);
    spin.setKind(Monthly);
    EXPECT_EQ(spin.position(), 15);
    spin.setKind(Annually);
    EXPECT_EQ(spin.position(), 1);
    spin.setPosition(99);
    EXPECT_EQ(spin.position(), 31);  // January
    spin.setKind(Once);
    EXPECT_FALSE(spin.shown());
}

TEST(ScheduleSpinMemory, AMonthChangeReRangesAndClamps) {
    EventSchedule s;
    s.kind = Annually;
    s.annualDay = 30;
    s.annualMonth = 0;
    ScheduleSpin spin(s, 2026);
    EXPECT_EQ(spin.position(), 30);
    spin.setMonth(1);  // February of a common year
    EXPECT_EQ(spin.maximum(), 28);
    EXPECT_EQ(spin.position(), 28);
    spin.setMonth(2);
    EXPECT_EQ(spin.maximum(), 31);
    EXPECT_EQ(spin.position(), 28) << "a clamped value stays clamped";
    ScheduleSpin leap(s, 2028);
    leap.setMonth(1);
    EXPECT_EQ(leap.position(), 29);
    EventSchedule out;
    spin.applyTo(out);
    EXPECT_EQ(out.annualDay, 28);
}

TEST(NewEvent, StartsFromTheEditorsFallbacks) {
    const EventDetails d = NewEventDetails(7, 8, 1'700'000'000);
    EXPECT_EQ(d.groupId, 7);
    EXPECT_EQ(d.eventId, 8);
    EXPECT_EQ(d.schedule.kind, Once);
    EXPECT_EQ(d.schedule.eventTime, 1'700'000'000);
    EXPECT_EQ(d.schedule.minutesAfterHour, 30);
    EXPECT_EQ(d.schedule.dayOfMonth, 15);
    EXPECT_EQ(d.schedule.annualDay, 1);
    EXPECT_EQ(d.schedule.annualMonth, 0);
    EXPECT_EQ(d.schedule.weekday, 2);
    EXPECT_EQ(d.schedule.whichDays, AllDays);
    EXPECT_EQ(d.playSound + d.showMessage + d.runFile, 0);
    EXPECT_TRUE(d.comment.empty() && d.filePath.empty());
}

TEST(EventTimes, TheLastDateStopsBefore32BitTimesWrap) {
    test::ScopedZone zone("UTC");
    const DateTime last = LastEventDate();
    EXPECT_EQ(last.year, 2038);
    EXPECT_EQ(last.month, 1);
    EXPECT_EQ(last.day, 19);
    EXPECT_EQ(EventTimeFrom(2038, 1, 19, 23, 0, 0), 2147483647);
    EXPECT_EQ(EventTimeFrom(2026, 1, 1, 0, 0, 0), 1767225600);
}

TEST(EventTimes, TheFirstDateStartsAfterZeroEvenFarEastOfGreenwich) {
    test::ScopedZone zone("Pacific/Kiritimati");  // 14 hours ahead
    const DateTime first = FirstEventDate();
    const auto midnight = MakeLocalTime(first.year, first.month, first.day, 0, 0, 0);
    ASSERT_TRUE(midnight);
    EXPECT_GT(*midnight, 0);
    EXPECT_EQ(BreakDownLocal(*midnight).weekday, first.weekday);
}

}  // namespace
