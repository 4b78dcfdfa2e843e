#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace veltrin {

// A reminder put off: the event (by its eventId) reminds again at until.
struct Snooze {
    std::int32_t eventId = 0;
    std::int64_t until = 0;
    bool operator==(const Snooze& o) const { return eventId == o.eventId && until == o.until; }
};

// The choices of the "Event" window, in order: "5 minutes", "10 minutes",
// "15 minutes", "30 minutes", "1 hour", "Tomorrow".
const std::vector<std::string>& SnoozeChoiceTexts();

// When a snooze chosen at now ends: minutes later, or tomorrow at the same
// local time of day. Empty for a choice out of range.
std::optional<std::int64_t> SnoozeUntil(int choice, std::int64_t now);

// The snoozes file of the data folder.
inline constexpr const char* kSnoozesFileName = "Snoozes.txt";

// One line per snooze, "eventId until" in decimal. A missing file holds no
// snoozes. False, with why, when the file cannot be read or holds a line
// that is not a snooze; the good lines are loaded all the same.
bool LoadSnoozes(const std::string& path, std::vector<Snooze>& snoozes, std::string* why);
// Replaces the file whole or not at all.
bool SaveSnoozes(const std::string& path, const std::vector<Snooze>& snoozes, std::string* why);

}  // namespace veltrin
