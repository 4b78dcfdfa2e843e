#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "events/Calendar.h"

namespace veltrin {

// Local calendar time in the process time zone (TZ), as the C library's
// localtime_r and mktime give it, but without a library call for every
// conversion: each local day's offset from UT is learnt once and reused while
// the zone stays the same. Days on which the offset changes (daylight saving,
// a skipped day) go to the library every time, so results match it exactly.

// The time of the given local calendar fields, which roll over when out of
// range; daylight saving is left for the library to decide on days when the
// clocks change. Empty when the time cannot be represented.
std::optional<std::int64_t> MakeLocalTime(std::int64_t year, std::int64_t month,
                                          std::int64_t day, std::int64_t hour,
                                          std::int64_t minute, std::int64_t second);

// The local calendar fields of a time.
DateTime BreakDownLocal(std::int64_t t);

// Expands %A %a %B %b %d %m %Y %H %M %S and %% with English names whatever
// the locale; any other character is copied.
std::string FormatDateTime(const DateTime& f, const char* pattern);
std::string FormatLocalTime(std::int64_t t, const char* pattern);

// When TZ is unset, glibc checks /etc/localtime on every mktime call. This
// names that file in TZ once, so conversions stay in memory, and watches it so
// that a change of the system's zone is still taken up. Call once at start.
void PinLocalZone();

// Re-reads the system zone if it changed since the last call (one cheap check;
// meant for a timer tick, not for every row). True when it was re-read.
bool RefreshLocalZoneIfChanged();

// Drops every learnt day; the next conversion asks the library again.
void ForgetLocalDays();

}  // namespace veltrin
