#pragma once

#include <cstdint>
#include <string>

#include "events/EventSchedule.h"

namespace veltrin {

// The fixed day sets of Daily schedules.
inline constexpr const char* kAllDaysSet = "2345671";
inline constexpr const char* kWorkDaysSet = "23456";
inline constexpr const char* kWeekendDaysSet = "71";

// The day set a Daily schedule uses; unknown whichDays values mean all days.
std::string DaySet(const EventSchedule& s);

// The due time of the schedule's next occurrence after the given moment (or
// eventTime for Once). An occurrence counts only while it lies at least two
// seconds ahead. Schedules that can never fall due give eventTime, which
// leaves them expired: an empty custom day set, a day set without any day
// digit, and fields outside what the editor writes (a weekday outside 1..7,
// minutes outside 0..59, a day of the month outside 1..31, a month outside
// 0..11), as only a damaged file holds them.
// The result may lie beyond 2038; see ClampToTime32 for storing it.
std::int64_t NextOccurrence(const EventSchedule& s, std::int64_t now);
std::int64_t NextOccurrence(const EventSchedule& s);  // at clock().now()

// Seconds from the moment to the next occurrence; zero or negative once a
// Once event has passed.
std::int64_t TimeLeft(const EventSchedule& s, std::int64_t now);
std::int64_t TimeLeft(const EventSchedule& s);  // at clock().now()

// Stored times are 32-bit: a later time is kept as the last one that fits
// (2038-01-19 03:14:07 UT) rather than wrapping to 1901.
std::int32_t ClampToTime32(std::int64_t t);

}  // namespace veltrin
