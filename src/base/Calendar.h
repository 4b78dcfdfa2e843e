#pragma once

#include <cstdint>

namespace veltrin {

// Proleptic Gregorian calendar arithmetic on plain numbers, shared by the
// schedules and the sun times so that neither needs the C library for it.

bool IsLeapYear(std::int64_t year);

// 31, 30, 29 or 28; month is 1..12.
int DaysInMonth(std::int64_t year, int month);

// Days since 1970-01-01 of a date. Month and day may lie outside their
// ranges: they roll over as the C library's normalising conversion does.
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day);

struct CivilDate {
    std::int64_t year;
    int month;  // 1..12
    int day;    // 1..31
};
CivilDate CivilFromDays(std::int64_t days);

// 0 Sunday .. 6 Saturday.
int WeekdayFromDays(std::int64_t days);

// Division rounding toward minus infinity, for times before 1970.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
inline std::int64_t FloorMod(std::int64_t a, std::int64_t b) { return a - FloorDiv(a, b) * b; }

// Broken-down calendar fields of a time, month 1..12.
struct DateTime {
    std::int64_t year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4;  // 0 Sunday .. 6 Saturday
};

// The fields of a count of seconds since 1970 read as UT (or as a local
// time already shifted by its offset).
DateTime DateTimeFromSeconds(std::int64_t seconds);

}  // namespace veltrin
