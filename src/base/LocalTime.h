#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "base/Calendar.h"

namespace veltrin {

// Local calendar time in the process time zone (TZ), as the C library's
// localtime_r and mktime give it, but without a library call for every
// conversion: each local day's offset from UT is learnt once and reused while
// the zone stays the same. Days on which the offset changes (daylight saving,
// a skipped day) go to the library every time, so results match it exactly.

// The time of the given local calendar fields, which roll over when out of
// range; daylight saving is left for the library to decide on days when the
// clocks change. Empty when the time cannot be represented.
std::optional<std::int64_t> MakeLocalTime(std::int64_t year, std::int64_t month, std::int64_t day,
                                          std::int64_t hour, std::int64_t minute, std::int64_t second);

// The local calendar fields of a time.
DateTime BreakDownLocal(std::int64_t t);

// The fields of the C library's broken-down time.
DateTime DateTimeFromTm(const std::tm& tm);

// The learnt days behind the two functions above, for code that converts many
// times in a row: take current() once, then convert through it.
class LocalCalendar {
public:
    // This thread's calendar, brought in line with the process zone.
    static LocalCalendar& current();

    std::optional<std::int64_t> make(std::int64_t year, std::int64_t month, std::int64_t day,
                                     std::int64_t hour, std::int64_t minute, std::int64_t second);
    DateTime breakDown(std::int64_t t);
    void forget();

private:
    // One local day and, when its offset from UT holds all day, that offset.
    struct Day {
        std::int64_t number = INT64_MIN;  // days since 1970 in local reckoning
        std::int64_t offset = 0;          // seconds east of UT
        bool regular = false;
    };
    // Enough slots that the days of about eleven years never share one.
    static constexpr std::int64_t kSlots = 4096;

    LocalCalendar() = default;
    void followZone();
    const Day& lookup(std::int64_t day);
    static Day learn(std::int64_t day);

    std::vector<Day> days_ = std::vector<Day>(static_cast<std::size_t>(kSlots));
    std::int64_t lastOffset_ = 0;
    std::int64_t lastPoll_ = 0;
    bool zoneSet_ = false;
    std::string zoneName_;
    unsigned seenGeneration_ = ~0u;
};

// Expands %A %a %B %b %d %m %Y %H %M %S and %% with English names whatever
// the locale; any other character is copied.
std::string FormatDateTime(const DateTime& f, const char* pattern);
// The English names the patterns use: month 1..12, weekday 0 = Sunday.
const char* MonthName(int month);
const char* WeekdayName(int weekday);
std::string FormatLocalTime(std::int64_t t, const char* pattern);

// When TZ is unset, glibc checks /etc/localtime on every mktime call. This
// names that file in TZ once, so conversions stay in memory, and watches it so
// that a change of the system's zone is still taken up. The conversions above
// do it themselves when they find TZ unset; calling it early at start keeps
// the environment change away from any other thread.
void PinLocalZone();

// Re-reads the system zone if the watch saw it change (one cheap check). The
// conversions above call it at most once a second. True when it was re-read.
bool RefreshLocalZoneIfChanged();

// Drops every learnt day; the next conversion asks the library again.
void ForgetLocalDays();

}  // namespace veltrin
