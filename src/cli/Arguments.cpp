#include "base/LocalTime.h"
#include "cli/Commands.h"
#include "platform/Platform.h"

namespace veltrin::cli {

namespace {

bool DigitsAt(const std::string& text, std::initializer_list<std::size_t> places) {
    for (std::size_t i : places)
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    return true;
}

}  // namespace

std::optional<CivilDate> ParseDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    if (!DigitsAt(text, {0, 1, 2, 3, 5, 6, 8, 9})) return std::nullopt;
    const CivilDate date{std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                         std::stoi(text.substr(8, 2))};
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month))
        return std::nullopt;
    return date;
}

std::optional<CivilDate> DateOrDayOf(const std::string& text, std::int64_t moment) {
    if (!text.empty()) return ParseDate(text);
    const DateTime day = BreakDownLocal(moment);
    return CivilDate{day.year, day.month, day.day};
}

std::optional<std::int64_t> MomentOrNow(const std::string& text) {
    return text.empty() ? std::optional<std::int64_t>(clock().now()) : ParseLocalDateTime(text);
}

std::string MalformedMomentMessage(const std::string& text) {
    return "malformed time '" + text + "' (expected \"YYYY-MM-DD HH:MM:SS\")";
}

std::string MalformedDateMessage(const std::string& text) {
    return "malformed date '" + text + "' (expected YYYY-MM-DD)";
}

std::string UnknownTownMessage(long long town, int townCount) {
    return "unknown town index " + std::to_string(town) + " (valid: 0 to " + std::to_string(townCount - 1) +
           ")";
}

std::optional<std::int64_t> ParseLocalDateTime(const std::string& text) {
    if (text.size() != 19 || text[10] != ' ' || text[13] != ':' || text[16] != ':') return std::nullopt;
    const std::optional<CivilDate> date = ParseDate(text.substr(0, 10));
    if (!date || !DigitsAt(text, {11, 12, 14, 15, 17, 18})) return std::nullopt;
    const int hour = std::stoi(text.substr(11, 2));
    const int minute = std::stoi(text.substr(14, 2));
    const int second = std::stoi(text.substr(17, 2));
    if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
    return MakeLocalTime(date->year, date->month, date->day, hour, minute, second);
}

}  // namespace veltrin::cli
