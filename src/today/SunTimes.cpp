#include "today/SunTimes.h"

#include <cmath>

#include "base/LocalTime.h"

namespace veltrin {

namespace {

// Angle factors take pi as 3.1415926, as the published results were made.
constexpr double kDegToRad = 0.017453292222222222;
constexpr double kRadToDeg = 57.295780490442965;
constexpr double kRadiansPerDay = 0.01721420602739726;  // 2 pi / 365
constexpr double kZenith = 1.5853348924211113;          // 90.833 degrees

constexpr int kMonthLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

double HourAngleArgument(double latitude, double declination) {
    const double phi = latitude * kDegToRad;
    return std::cos(kZenith) / (std::cos(phi) * std::cos(declination)) -
           std::tan(phi) * std::tan(declination);
}

struct Crossing {
    double minutes;
    double argument;  // beyond -1..1 when the sun does not cross
};

double CrossingAt(double gamma, double latitude, double longitude, bool rising) {
    const double e = EquationOfTime(gamma);
    const double h = HourAngle(latitude, SolarDeclination(gamma), rising);
    return 720 + 4 * (longitude - h * kRadToDeg) - e;
}

// Two passes: the first estimate says on which UT day the event falls, and
// the second takes the fractional year of that day.
Crossing CrossingMinutes(int n, double latitude, double longitude, bool rising) {
    const double first = CrossingAt((rising ? n - 1 : n) * kRadiansPerDay, latitude, longitude, rising);
    // With no first estimate the day itself is the best guess.
    const long long days = std::isfinite(first) ? static_cast<long long>(first / 60) / 24 : 0;
    const double gamma = (n - 1 + days) * kRadiansPerDay;
    return {CrossingAt(gamma, latitude, longitude, rising),
            HourAngleArgument(latitude, SolarDeclination(gamma))};
}

SunPath PathOf(double argument) {
    if (argument < -1) return SunPath::StaysUp;
    if (argument > 1) return SunPath::StaysDown;
    return SunPath::Crosses;
}

// Minutes to seconds by truncating hours, minutes and seconds in turn.
std::int64_t MinutesToSeconds(double m) {
    const double hours = m / 60;
    const long long h = static_cast<long long>(hours);
    const double minutes = (hours - static_cast<double>(h)) * 60;
    const long long mm = static_cast<long long>(minutes);
    const long long ss = static_cast<long long>((minutes - static_cast<double>(mm)) * 60);
    return h * 3600 + mm * 60 + ss;
}

void AppendTwo(std::string& out, std::int64_t v) {
    if (v < 10) out += '0';
    out += std::to_string(v);
}

}  // namespace

std::string SpanText(std::int64_t seconds, bool withSeconds) {
    std::string out;
    AppendTwo(out, seconds / 3600);
    out += ':';
    AppendTwo(out, seconds / 60 % 60);
    if (withSeconds) {
        out += ':';
        AppendTwo(out, seconds % 60);
    }
    return out;
}

int DayOfYear(int month, int day, bool leap) {
    int n = day;
    for (int m = 1; m < month && m <= 12; ++m) n += kMonthLengths[m - 1] + (m == 2 && leap ? 1 : 0);
    return n;
}

double EquationOfTime(double g) {
    return 229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) - 0.014615 * std::cos(2 * g) -
                     0.040849 * std::sin(2 * g));
}

double SolarDeclination(double g) {
    return 0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) - 0.006758 * std::cos(2 * g) +
           0.000907 * std::sin(2 * g);
}

double HourAngle(double latitude, double declination, bool rising) {
    const double h = std::acos(HourAngleArgument(latitude, declination));
    return rising ? h : -h;
}

double SunriseMinutes(int n, double latitude, double longitude) {
    return CrossingMinutes(n, latitude, longitude, true).minutes;
}

double SunsetMinutes(int n, double latitude, double longitude) {
    return CrossingMinutes(n, latitude, longitude, false).minutes;
}

double SolarNoonMinutes(int n, double longitude) {
    const long long days = static_cast<long long>(longitude * 0.06666666666666667 + 12) / 24;
    return 720 + 4 * longitude - EquationOfTime((n - 1 + days) * kRadiansPerDay);
}

SunTimes ComputeSunTimes(double latitude, double longitude, const CivilDate& date) {
    const int n = DayOfYear(date.month, date.day, IsLeapYear(date.year));
    const Crossing rise = CrossingMinutes(n, latitude, longitude, true);
    const Crossing set = CrossingMinutes(n, latitude, longitude, false);
    const std::int64_t midnight = DaysFromCivil(date.year, date.month, date.day) * 86400;

    SunTimes t;
    t.hasSunrise = std::isfinite(rise.minutes);
    t.hasSunset = std::isfinite(set.minutes);
    if (t.hasSunrise) t.sunrise = midnight + MinutesToSeconds(rise.minutes);
    if (t.hasSunset) t.sunset = midnight + MinutesToSeconds(set.minutes);
    t.solarNoon = midnight + MinutesToSeconds(SolarNoonMinutes(n, longitude));

    const SunPath risePath = PathOf(rise.argument);
    const SunPath setPath = PathOf(set.argument);
    if (t.hasSunrise && t.hasSunset) {
        t.path = SunPath::Crosses;
        // From the minutes themselves, truncated once, rather than from the
        // two truncated instants.
        t.dayLength = MinutesToSeconds(set.minutes - rise.minutes);
    } else if (!t.hasSunrise && !t.hasSunset && risePath == setPath) {
        t.path = risePath;
        t.dayLength = risePath == SunPath::StaysUp ? 86400 : 0;
    } else {
        t.path = SunPath::Mixed;
    }
    return t;
}

SunTimes ComputeSunTimes(const CityInfo& town, const CivilDate& date) {
    return ComputeSunTimes(NorthLatitude(town), WestLongitude(town), date);
}

std::string ClockTextInZone(std::int64_t instant, double timeZone, const char* pattern) {
    const auto shift = static_cast<std::int64_t>(std::llround(timeZone * 3600));
    return FormatDateTime(DateTimeFromSeconds(instant + shift), pattern);
}

SunTexts MakeSunTexts(const SunTimes& times, double timeZone) {
    SunTexts texts;
    texts.sunrise = times.hasSunrise ? ClockTextInZone(times.sunrise, timeZone) : kNoSunTimeText;
    texts.sunset = times.hasSunset ? ClockTextInZone(times.sunset, timeZone) : kNoSunTimeText;
    texts.solarNoon = ClockTextInZone(times.solarNoon, timeZone);
    texts.dayLength = times.path == SunPath::Mixed ? kNoSunTimeText : SpanText(times.dayLength);
    return texts;
}

}  // namespace veltrin
