#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/Calendar.h"
#include "base/Colour.h"
#include "events/EventRecords.h"

namespace veltrin {

// The rules of the event editor and its "Weekly days" dialog.

// Weekday list: rows Monday .. Sunday. Sunday (day digit 1) is the last row;
// a stored weekday outside 1..7 shows Monday.
int WeekdayRow(std::int32_t weekday);
std::int32_t WeekdayFromRow(int row);

// "Weekly days": a day set as ticks of the rows Monday .. Sunday (other
// characters tick nothing), and back in the order "2345671".
std::array<bool, 7> DayRowsFromSet(const std::string& days);
std::string DaySetFromRows(const std::array<bool, 7>& rows);

// A stored list index (which days, month) outside the list shows its first
// item, so OK never writes an index the list does not have.
int ListRowOrFirst(std::int32_t value, int count);

// The colour of item i (1..10) of the priority list: a tint of the priority
// colour, item 10 the colour itself.
Colour PriorityItemColour(int item, Colour priorityColour);

// What a new event starts with: the given ids, once at now, and the editor's
// fallbacks for the other kinds (30 minutes after the hour, day 15, 1 January,
// Monday, all days), no actions.
EventDetails NewEventDetails(std::int32_t groupId, std::int32_t eventId, std::int64_t now);

// The first and last local days a date picker offers: from 2 January 1970,
// whose times are past zero in every zone, to the last day a stored time can
// reach; and a chosen local date and time as a stored event time (never past
// the 32-bit end).
DateTime FirstEventDate();
DateTime LastEventDate();
std::int32_t EventTimeFrom(std::int64_t year, int month, int day, int hour, int minute, int second);

// The number box of the schedule row: minutes after the hour (Hourly), day
// of the month (Monthly) or day of the annual month (Annually). Each of the
// three kinds remembers its own value while the dialog is open.
class ScheduleSpin {
public:
    // year is the current year, by which February's length is judged.
    ScheduleSpin(const EventSchedule& s, std::int64_t year);

    int kind() const { return kind_; }
    bool shown() const;  // whether the kind has a number box
    int minimum() const;
    int maximum() const;
    int position() const { return position_; }
    int month() const { return month_; }

    // The box's arrows; kept inside the range.
    void setPosition(int value);
    // Another kind: the box's value is remembered for the kind left.
    void setKind(int kind);
    // Annually: the range follows the month, and both the box and the
    // remembered value stay within it.
    void setMonth(int month);
    // OK: the box's value becomes the field of the kind shown; the other two
    // fields keep what they held.
    void applyTo(EventSchedule& s) const;

private:
    int slot(int kind) const;  // 0 Hourly, 1 Monthly, 2 Annually, -1 none
    void show();

    std::array<int, 3> remembered_;
    int kind_ = Once;
    int month_ = 0;
    std::int64_t year_;
    int position_ = 0;
};

}  // namespace veltrin
