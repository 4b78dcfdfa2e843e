#include "events/Countdown.h"

#include <cstdlib>

#include "base/LocalTime.h"
#include "events/Schedule.h"

namespace veltrin {

namespace {

void AppendUnit(std::string& out, std::int64_t value, const char* word, bool twoDigits) {
    if (twoDigits && value < 10) out += '0';
    out += std::to_string(value);
    out += ' ';
    out += word;
    out += value == 1 ? " " : "s";
}

}  // namespace

std::string DueTimeText(std::int64_t due) { return FormatLocalTime(due, kDueTimePattern); }

std::vector<std::string> WidestTimeTexts() {
    std::vector<std::string> texts{kNotActualText};
    DateTime t{2026, 1, 28, 23, 59, 59, 0};
    for (t.month = 1; t.month <= 12; ++t.month)
        for (t.weekday = 0; t.weekday < 7; ++t.weekday) texts.push_back(FormatDateTime(t, kDueTimePattern));
    return texts;
}

std::vector<std::string> WidestLeftTexts(bool showSeconds) {
    return {kExpiredText, kNotActualText, LeftText(366 * 86400 - 1, showSeconds)};
}

std::string LeftText(std::int64_t left, bool showSeconds) {
    if (left < 1) return kExpiredText;
    const std::int64_t days = left / 86400;
    const std::int64_t hours = left / 3600 - 24 * days;
    const std::int64_t minutes = left / 60 - 60 * (left / 3600);
    const std::int64_t seconds = left % 60;
    std::string out;
    AppendUnit(out, days, "day", false);
    out += ", ";
    AppendUnit(out, hours, "hour", true);
    out += ", ";
    AppendUnit(out, minutes, "minute", true);
    if (showSeconds) {
        out += ", ";
        AppendUnit(out, seconds, "second", true);
    }
    return out;
}

CountdownTexts EventCountdownTexts(const EventSchedule& s, bool actual, bool showSeconds, std::int64_t now) {
    if (!actual) return {kNotActualText, kNotActualText};
    const std::int64_t due = NextOccurrence(s, now);
    return {DueTimeText(due), LeftText(due - now, showSeconds)};
}

std::string PriorityText(std::int32_t priority) { return std::to_string(priority) + " of 10"; }

std::int32_t PriorityFromText(const std::string& text) {
    return static_cast<std::int32_t>(std::strtol(text.substr(0, 2).c_str(), nullptr, 10));
}

}  // namespace veltrin
