#include "events/EventEditor.h"

#include <algorithm>
#include <limits>

#include "base/Calendar.h"
#include "base/LocalTime.h"
#include "events/Schedule.h"

namespace veltrin {

int WeekdayRow(std::int32_t weekday) {
    if (weekday == 1) return 6;
    if (weekday >= 2 && weekday <= 7) return weekday - 2;
    return 0;
}

std::int32_t WeekdayFromRow(int row) { return row == 6 ? 1 : row + 2; }

std::array<bool, 7> DayRowsFromSet(const std::string& days) {
    std::array<bool, 7> rows{};
    for (char c : days) {
        if (c < '1' || c > '7') continue;
        rows[static_cast<std::size_t>(WeekdayRow(c - '0'))] = true;
    }
    return rows;
}

std::string DaySetFromRows(const std::array<bool, 7>& rows) {
    std::string days;
    for (int r = 0; r < 7; ++r)
        if (rows[static_cast<std::size_t>(r)]) days += static_cast<char>('0' + WeekdayFromRow(r));
    return days;
}

int ListRowOrFirst(std::int32_t value, int count) { return value >= 0 && value < count ? value : 0; }

Colour PriorityItemColour(int item, Colour priorityColour) {
    Colour out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int c = static_cast<int>((priorityColour >> shift) & 0xFF);
        const int v = 255 - item * (255 - c) / 10;
        out |= static_cast<Colour>(v & 0xFF) << shift;
    }
    return out;
}

EventDetails NewEventDetails(std::int32_t groupId, std::int32_t eventId, std::int64_t now) {
    EventDetails d;
    d.groupId = groupId;
    d.eventId = eventId;
    d.playSound = 0;
    d.showMessage = 0;
    d.runFile = 0;
    EventSchedule& s = d.schedule;
    s.kind = Once;
    s.eventTime = ClampToTime32(now);
    s.minutesAfterHour = 30;
    s.dayOfMonth = 15;
    s.annualDay = 1;
    s.annualMonth = 0;
    s.weekday = 2;
    s.whichDays = AllDays;
    return d;
}

DateTime FirstEventDate() {
    DateTime d;
    d.day = 2;
    d.weekday = 5;
    return d;
}

DateTime LastEventDate() { return BreakDownLocal(std::numeric_limits<std::int32_t>::max()); }

std::int32_t EventTimeFrom(std::int64_t year, int month, int day, int hour, int minute, int second) {
    const auto t = MakeLocalTime(year, month, day, hour, minute, second);
    return t ? ClampToTime32(*t) : std::numeric_limits<std::int32_t>::max();
}

ScheduleSpin::ScheduleSpin(const EventSchedule& s, std::int64_t year)
    : remembered_{s.minutesAfterHour, s.dayOfMonth, s.annualDay},
      kind_(s.kind >= Once && s.kind <= Annually ? s.kind : Once),
      month_(ListRowOrFirst(s.annualMonth, 12)),
      year_(year) {
    show();
}

int ScheduleSpin::slot(int kind) const {
    switch (kind) {
    case Hourly: return 0;
    case Monthly: return 1;
    case Annually: return 2;
    default: return -1;
    }
}

bool ScheduleSpin::shown() const { return slot(kind_) >= 0; }

int ScheduleSpin::minimum() const { return kind_ == Hourly ? 0 : 1; }

int ScheduleSpin::maximum() const {
    switch (kind_) {
    case Hourly: return 59;
    case Monthly: return 31;
    case Annually: return DaysInMonth(year_, month_ + 1);
    default: return 0;
    }
}

void ScheduleSpin::show() {
    const int i = slot(kind_);
    if (i < 0) return;
    int& v = remembered_[static_cast<std::size_t>(i)];
    // Values no list offers fall back to the editor's defaults.
    if (kind_ == Hourly && (v < 0 || v > 59)) v = 30;
    if (kind_ == Monthly && (v < 1 || v > 31)) v = 15;
    if (kind_ == Annually && (v < 1 || v > 31)) v = 1;
    position_ = std::clamp(v, minimum(), maximum());
}

void ScheduleSpin::setPosition(int value) {
    if (shown()) position_ = std::clamp(value, minimum(), maximum());
}

void ScheduleSpin::setKind(int kind) {
    if (kind == kind_ || kind < Once || kind > Annually) return;
    if (const int i = slot(kind_); i >= 0) remembered_[static_cast<std::size_t>(i)] = position_;
    kind_ = kind;
    show();
}

void ScheduleSpin::setMonth(int month) {
    month_ = ListRowOrFirst(month, 12);
    if (kind_ != Annually) return;
    const int max = maximum();
    int& v = remembered_[2];
    if (position_ > max || v > max) position_ = v = max;
    if (position_ <= 0 || v <= 0) position_ = v = 1;
}

void ScheduleSpin::applyTo(EventSchedule& s) const {
    switch (kind_) {
    case Hourly: s.minutesAfterHour = position_; break;
    case Monthly: s.dayOfMonth = position_; break;
    case Annually: s.annualDay = position_; break;
    default: break;
    }
}

}  // namespace veltrin
