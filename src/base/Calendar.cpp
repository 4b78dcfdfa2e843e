#include "base/Calendar.h"

namespace veltrin {

bool IsLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(std::int64_t year, int month) {
    switch (month) {
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    case 2: return IsLeapYear(year) ? 29 : 28;
    default: return 31;
    }
}

// Counts in 400-year eras starting on 1 March, so that the leap day is the
// last day of its year and needs no special case.
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year += FloorDiv(month - 1, 12);
    month = FloorMod(month - 1, 12) + 1;
    const std::int64_t y = month <= 2 ? year - 1 : year;
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + (day - 1);
}

CivilDate CivilFromDays(std::int64_t days) {
    const std::int64_t z = days + 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

int WeekdayFromDays(std::int64_t days) { return static_cast<int>(FloorMod(days + 4, 7)); }

DateTime DateTimeFromSeconds(std::int64_t seconds) {
    const std::int64_t days = FloorDiv(seconds, 86400);
    const std::int64_t rest = seconds - days * 86400;
    const CivilDate date = CivilFromDays(days);
    DateTime f;
    f.year = date.year;
    f.month = date.month;
    f.day = date.day;
    f.hour = static_cast<int>(rest / 3600);
    f.minute = static_cast<int>(rest / 60 % 60);
    f.second = static_cast<int>(rest % 60);
    f.weekday = WeekdayFromDays(days);
    return f;
}

}  // namespace veltrin
