#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "events/EventSchedule.h"

namespace veltrin {

inline constexpr const char* kDueTimePattern = "%A, %B %d, %Y, %H:%M:%S";
inline constexpr const char* kExpiredText = "Expired";
inline constexpr const char* kNotActualText = "Not actual";

// A due time as the "Time" column shows it, in local time with English names.
std::string DueTimeText(std::int64_t due);

// Texts as wide as any the "Time" column shows, for sizing it: every month
// name with every weekday name (the digits of a font share one width), and
// "Not actual".
std::vector<std::string> WidestTimeTexts();

// A countdown of whole seconds as the "Left" column shows it: "Expired" below
// one second; otherwise days, hours and minutes (and seconds when asked), each
// unit word followed by "s", or by a blank when the value is exactly 1.
std::string LeftText(std::int64_t left, bool showSeconds);

// Texts as wide as any the "Left" column shows for events within a year:
// "Expired", "Not actual" and the countdown of a year less a second.
std::vector<std::string> WidestLeftTexts(bool showSeconds);

// The "Time" and "Left" texts of an event row at a moment.
struct CountdownTexts {
    std::string time;
    std::string left;
};
CountdownTexts EventCountdownTexts(const EventSchedule& s, bool actual, bool showSeconds, std::int64_t now);

// "%d of 10", and back from the text's first two characters as an integer.
std::string PriorityText(std::int32_t priority);
std::int32_t PriorityFromText(const std::string& text);

}  // namespace veltrin
