#pragma once

#include <cstdint>
#include <string>

#include "base/Calendar.h"
#include "today/CityTable.h"

namespace veltrin {

// Sunrise, sunset and solar noon from the general solar position series.
// Latitude is north positive and longitude west positive, in degrees;
// minutes count from 00:00 UT of the day.

int DayOfYear(int month, int day, bool leap);
double EquationOfTime(double gamma);                                 // minutes
double SolarDeclination(double gamma);                               // radians
double HourAngle(double latitude, double declination, bool rising);  // radians

// Not a number on a day the sun does not cross the horizon.
double SunriseMinutes(int n, double latitude, double longitude);
double SunsetMinutes(int n, double latitude, double longitude);
double SolarNoonMinutes(int n, double longitude);

// Whether the sun crosses the horizon on a day.
enum class SunPath { Crosses, StaysUp, StaysDown, Mixed };

struct SunTimes {
    // Instants in whole seconds since 1970; sunrise and sunset hold only when
    // the flags say so (the sun may stay up or down all day far north or south).
    std::int64_t sunrise = 0;
    std::int64_t sunset = 0;
    std::int64_t solarNoon = 0;
    bool hasSunrise = false;
    bool hasSunset = false;
    SunPath path = SunPath::Crosses;
    // Sunset minus sunrise, truncated to the second; a whole day when the sun
    // stays up, none when it stays down. Holds unless path is Mixed (one of
    // the two is missing).
    std::int64_t dayLength = 0;
};

SunTimes ComputeSunTimes(double latitude, double longitude, const CivilDate& date);
SunTimes ComputeSunTimes(const CityInfo& town, const CivilDate& date);

// The day panel's texts, "%H:%M:%S" in the town's standard time; a missing
// time shows kNoSunTimeText.
inline constexpr const char* kNoSunTimeText = "--:--:--";

struct SunTexts {
    std::string sunrise;
    std::string sunset;
    std::string solarNoon;
    std::string dayLength;
};
SunTexts MakeSunTexts(const SunTimes& times, double timeZone);

// An instant shifted by a zone given in hours, formatted with pattern. The
// day panel and veltrin-data share it, so both show the same clock.
std::string ClockTextInZone(std::int64_t instant, double timeZone, const char* pattern = "%H:%M:%S");

// A span of up to a day as hours and minutes, and seconds when asked;
// 24:00:00 included.
std::string SpanText(std::int64_t seconds, bool withSeconds = true);

}  // namespace veltrin
