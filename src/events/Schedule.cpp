#include "events/Schedule.h"

#include <climits>

#include "base/LocalTime.h"
#include "platform/Platform.h"

namespace veltrin {

namespace {

// A week and a day are enough for any set that holds a day digit, even across
// a day that a zone skipped.
constexpr int kMaxDailyRounds = 15;

bool HasDayDigit(const std::string& set) {
    for (char c : set)
        if (c >= '1' && c <= '7') return true;
    return false;
}

char DayDigit(const DateTime& f) { return static_cast<char>('1' + f.weekday); }

bool Within(std::int32_t v, std::int32_t low, std::int32_t high) { return v >= low && v <= high; }

// The editor only writes fields in these ranges; anything else came from a
// damaged or foreign file, and such a schedule is left to never fall due.
bool UsableFields(const EventSchedule& s) {
    switch (s.kind) {
    case Hourly: return Within(s.minutesAfterHour, 0, 59);
    case Daily: return HasDayDigit(DaySet(s));
    case Weekly: return Within(s.weekday, 1, 7);
    case Monthly: return Within(s.dayOfMonth, 1, 31);
    case Annually: return Within(s.annualDay, 1, 31) && Within(s.annualMonth, 0, 11);
    default: return true;
    }
}

// Today at the event's time of day, then each following day, until a day
// passes the test and the occurrence lies beyond the reference time.
template <typename DayTest>
std::int64_t NextMatchingDay(LocalCalendar& cal, const EventSchedule& s, const DateTime& ref,
                             std::int64_t refTime, DayTest matches) {
    const DateTime at = cal.breakDown(s.eventTime);
    std::int64_t y = ref.year, m = ref.month, d = ref.day;
    for (int round = 0; round < kMaxDailyRounds; ++round) {
        const std::optional<std::int64_t> t = cal.make(y, m, d, at.hour, at.minute, at.second);
        if (!t) break;
        const DateTime tf = cal.breakDown(*t);
        if (matches(tf) && *t > refTime) return *t;
        if (++d > DaysInMonth(tf.year, tf.month)) {
            d = 1;
            if (++m > 12) {
                m -= 12;
                ++y;
            }
        }
    }
    return s.eventTime;
}

std::int64_t AtTimeOf(LocalCalendar& cal, const DateTime& at, const EventSchedule& s, std::int64_t y,
                      std::int64_t m, std::int64_t d) {
    return cal.make(y, m, d, at.hour, at.minute, at.second).value_or(s.eventTime);
}

}  // namespace

std::string DaySet(const EventSchedule& s) {
    switch (s.whichDays) {
    case WorkDays: return kWorkDaysSet;
    case WeekendDays: return kWeekendDaysSet;
    case CustomDays: return s.customDays;
    default: return kAllDaysSet;
    }
}

std::int64_t NextOccurrence(const EventSchedule& s, std::int64_t now) {
    // One second ahead, so an occurrence due within the next second is
    // already counted as gone.
    const std::int64_t refTime = now + 1;
    if (!UsableFields(s)) return s.eventTime;
    LocalCalendar& cal = LocalCalendar::current();
    const DateTime ref = cal.breakDown(refTime);

    switch (s.kind) {
    case Hourly: {
        std::int64_t y = ref.year, m = ref.month, d = ref.day, h = ref.hour;
        if (ref.minute >= s.minutesAfterHour) {
            if (++h > 23) {
                ++d;
                h = 0;
            }
            if (d > DaysInMonth(y, static_cast<int>(m))) {
                ++m;
                d = 1;
                if (m > 12) {
                    m -= 12;
                    ++y;
                }
            }
        }
        return cal.make(y, m, d, h, s.minutesAfterHour, 0).value_or(s.eventTime);
    }
    case Daily: {
        const std::string set = DaySet(s);
        return NextMatchingDay(cal, s, ref, refTime, [&set](const DateTime& f) {
            return set.find(DayDigit(f)) != std::string::npos;
        });
    }
    case Weekly:
        return NextMatchingDay(cal, s, ref, refTime,
                               [&s](const DateTime& f) { return f.weekday + 1 == s.weekday; });
    case Monthly: {
        const DateTime at = cal.breakDown(s.eventTime);
        const std::int64_t t = AtTimeOf(cal, at, s, ref.year, ref.month, s.dayOfMonth);
        if (refTime <= t) return t;
        std::int64_t y = ref.year, m = ref.month + 1;
        if (m > 12) {
            m -= 12;
            ++y;
        }
        return AtTimeOf(cal, at, s, y, m, s.dayOfMonth);
    }
    case Annually: {
        std::int64_t y = ref.year, m = static_cast<std::int64_t>(s.annualMonth) + 1;
        if (m > 12) {
            m -= 12;
            ++y;
        }
        const DateTime at = cal.breakDown(s.eventTime);
        const std::int64_t t = AtTimeOf(cal, at, s, y, m, s.annualDay);
        if (refTime <= t) return t;
        return AtTimeOf(cal, at, s, y + 1, m, s.annualDay);
    }
    default:  // Once, and kinds no editor writes
        return s.eventTime;
    }
}

std::int64_t NextOccurrence(const EventSchedule& s) { return NextOccurrence(s, clock().now()); }

std::int64_t TimeLeft(const EventSchedule& s, std::int64_t now) { return NextOccurrence(s, now) - now; }

std::int64_t TimeLeft(const EventSchedule& s) { return TimeLeft(s, clock().now()); }

std::int32_t ClampToTime32(std::int64_t t) {
    if (t > INT32_MAX) return INT32_MAX;
    if (t < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(t);
}

}  // namespace veltrin
