#include <gtest/gtest.h>

#include <cmath>

#include "base/LocalTime.h"
#include "today/CityTable.h"
#include "today/SunTimes.h"

using namespace veltrin;

namespace {

const CityTable& Table() {
    static const CityTable table = BuiltInCityTable();
    return table;
}

CityInfo Town(const std::string& name) {
    for (const CityInfo& c : Table().rows())
        if (c.town == name) return c;
    ADD_FAILURE() << name;
    return {};
}

// Minutes after midnight in the town's standard time.
int LocalMinutes(std::int64_t instant, const CityInfo& town) {
    const DateTime f = DateTimeFromSeconds(instant + static_cast<std::int64_t>(town.timeZone * 3600));
    return f.hour * 60 + f.minute;
}

std::string Ut(std::int64_t instant) {
    return FormatDateTime(DateTimeFromSeconds(instant), "%Y-%m-%d %H:%M:%S");
}

TEST(SunTimes, DayOfYearCountsLeapDays) {
    EXPECT_EQ(DayOfYear(1, 1, false), 1);
    EXPECT_EQ(DayOfYear(2, 29, true), 60);
    EXPECT_EQ(DayOfYear(3, 1, true), 61);
    EXPECT_EQ(DayOfYear(3, 1, false), 60);
    EXPECT_EQ(DayOfYear(6, 21, true), 173);
    EXPECT_EQ(DayOfYear(12, 31, false), 365);
    EXPECT_EQ(DayOfYear(12, 31, true), 366);
}

TEST(SunTimes, NewYorkExamples) {
    const CityInfo ny = Table().at(79);
    EXPECT_NEAR(SunriseMinutes(173, 40.47, 73.58), 564.58, 0.005);
    EXPECT_NEAR(SunsetMinutes(173, 40.47, 73.58), 1467.36, 0.005);
    EXPECT_NEAR(SolarNoonMinutes(173, 73.58), 1015.87, 0.005);
    const SunTimes june = ComputeSunTimes(ny, {2004, 6, 21});
    EXPECT_EQ(Ut(june.sunrise), "2004-06-21 09:24:34");
    EXPECT_EQ(Ut(june.sunset), "2004-06-22 00:27:21");
    EXPECT_EQ(Ut(june.solarNoon), "2004-06-21 16:55:52");
    EXPECT_EQ(june.dayLength, 15 * 3600 + 2 * 60 + 46);

    EXPECT_NEAR(SunriseMinutes(1, 40.47, 73.58), 736.66, 0.005);
    EXPECT_NEAR(SunsetMinutes(1, 40.47, 73.58), 1297.79, 0.01);  // 1297.7845
    const SunTimes january = ComputeSunTimes(ny, {2005, 1, 1});
    EXPECT_EQ(Ut(january.sunrise), "2005-01-01 12:16:39");
    EXPECT_EQ(Ut(january.sunset), "2005-01-01 21:37:47");
    EXPECT_EQ(january.dayLength, 9 * 3600 + 21 * 60 + 7);

    const SunTexts texts = MakeSunTexts(june, ny.timeZone);
    EXPECT_EQ(texts.sunrise, "04:24:34");
    EXPECT_EQ(texts.sunset, "19:27:21");
    EXPECT_EQ(texts.solarNoon, "11:55:52");
    EXPECT_EQ(texts.dayLength, "15:02:46");
}

TEST(SunTimes, ReykjavikAndLosAngelesExamples) {
    const SunTimes reykjavik = ComputeSunTimes(Town("Reykjav\xC3\xADk"), {2005, 12, 21});  // day 355
    EXPECT_EQ(Ut(reykjavik.sunrise), "2005-12-21 11:21:20");
    EXPECT_EQ(Ut(reykjavik.sunset), "2005-12-21 15:26:57");
    EXPECT_EQ(Ut(reykjavik.solarNoon), "2005-12-21 13:24:08");
    EXPECT_EQ(MakeSunTexts(reykjavik, 0).dayLength, "04:05:36");

    // The first estimate falls after midnight UT, so the second pass takes
    // the next day's fractional year.
    EXPECT_NEAR(SunsetMinutes(173, 34.3, 118.15), 1627.23, 0.005);
    const SunTimes la = ComputeSunTimes(Town("Los Angeles, Calif."), {2005, 6, 22});
    EXPECT_EQ(Ut(la.sunset), "2005-06-23 03:07:13");
}

TEST(SunTimes, SydneyWithItsTrueHemispheres) {
    // The formulas themselves are unchanged: fed the bare numbers they still
    // give the old place 34 north, 151 west.
    EXPECT_NEAR(SunriseMinutes(173, 34, 151), 893.48, 0.005);
    EXPECT_NEAR(SunsetMinutes(173, 34, 151), 1757.82, 0.005);

    // Sydney's real sunrise in late June is about 07:00 local time.
    const CityInfo sydney = Town("Sydney");
    const SunTimes june = ComputeSunTimes(sydney, {2005, 6, 22});  // day 173
    EXPECT_EQ(DateTimeFromSeconds(june.sunrise + 10 * 3600).day, 22);
    EXPECT_NEAR(LocalMinutes(june.sunrise, sydney), 7 * 60, 5);
    EXPECT_NEAR(LocalMinutes(june.sunset, sydney), 16 * 60 + 54, 5);
    EXPECT_LT(june.dayLength, 10 * 3600);  // winter in June

    // Tokyo's noon comes near midday, not at six, and Berlin's summer sunset
    // at half past eight standard time, not two hours late.
    const CityInfo tokyo = Town("Tokyo");
    EXPECT_NEAR(LocalMinutes(ComputeSunTimes(tokyo, {2024, 6, 21}).solarNoon, tokyo), 11 * 60 + 43, 5);
    const CityInfo berlin = Town("Berlin");
    EXPECT_NEAR(LocalMinutes(ComputeSunTimes(berlin, {2024, 6, 21}).sunset, berlin), 20 * 60 + 33, 5);
}

TEST(SunTimes, PolarDaysShowMarksNotNumbers) {
    const CityInfo hammerfest = Town("Hammerfest");
    const SunTimes summer = ComputeSunTimes(hammerfest, {2024, 6, 21});
    EXPECT_EQ(summer.path, SunPath::StaysUp);
    EXPECT_FALSE(summer.hasSunrise);
    EXPECT_FALSE(summer.hasSunset);
    const SunTexts up = MakeSunTexts(summer, 1);
    EXPECT_EQ(up.sunrise, "--:--:--");
    EXPECT_EQ(up.sunset, "--:--:--");
    EXPECT_EQ(up.dayLength, "24:00:00");
    EXPECT_EQ(up.solarNoon.substr(0, 2), "11");

    const SunTexts down = MakeSunTexts(ComputeSunTimes(hammerfest, {2024, 12, 21}), 1);
    EXPECT_EQ(down.sunrise, "--:--:--");
    EXPECT_EQ(down.dayLength, "00:00:00");

    int daysWithoutSunrise = 0;
    for (int d = 0; d < 366; ++d) {
        const CivilDate date = CivilFromDays(DaysFromCivil(2024, 1, 1) + d);
        const SunTimes t = ComputeSunTimes(hammerfest, date);
        daysWithoutSunrise += !t.hasSunrise;
        EXPECT_EQ(t.hasSunrise, t.hasSunset) << d;
        EXPECT_NE(t.path, SunPath::Mixed) << d;
    }
    EXPECT_GT(daysWithoutSunrise, 100);
}

// An independent reckoning for comparison: the sun's apparent position from
// its mean anomaly and ecliptic longitude, evaluated at the moment of the
// event itself and refined until it settles.
struct Reference {
    SunPath path = SunPath::Crosses;
    double rise = 0, set = 0;                  // minutes after 00:00 UT of the date
    double lowAltitude = 0, highAltitude = 0;  // degrees, at the day's culminations
};

Reference ReferenceSun(double northLatitude, double eastLongitude, const CivilDate& date) {
    constexpr double kPi = 3.14159265358979323846, rad = kPi / 180;
    const double day0 = static_cast<double>(DaysFromCivil(date.year, date.month, date.day)) -
                        10957.5;  // days from 2000-01-01 12:00 UT to 00:00 UT of the date
    const double phi = northLatitude * rad;
    struct Sun {
        double declination, noon;
    };
    auto sunAt = [&](double minutes) {
        const double d = day0 + minutes / 1440;
        const double g = (357.529 + 0.98560028 * d) * rad;
        const double q = 280.459 + 0.98564736 * d;
        const double lambda = (q + 1.915 * std::sin(g) + 0.020 * std::sin(2 * g)) * rad;
        const double epsilon = (23.439 - 0.00000036 * d) * rad;
        const double ra = std::atan2(std::cos(epsilon) * std::sin(lambda), std::cos(lambda)) / rad;
        const double eqt = 4 * std::remainder(q - ra, 360.0);
        return Sun{std::asin(std::sin(epsilon) * std::sin(lambda)), 720 - 4 * eastLongitude - eqt};
    };
    Reference r;
    const Sun noon = sunAt(720 - 4 * eastLongitude);
    r.highAltitude = 90 - std::abs(northLatitude - noon.declination / rad);
    r.lowAltitude = std::abs(northLatitude + noon.declination / rad) - 90;
    auto event = [&](bool rising, double& minutes) {
        minutes = noon.noon;
        for (int i = 0; i < 6; ++i) {
            const Sun s = sunAt(minutes);
            const double x = (std::sin(-0.833 * rad) - std::sin(phi) * std::sin(s.declination)) /
                             (std::cos(phi) * std::cos(s.declination));
            if (x < -1) return SunPath::StaysUp;
            if (x > 1) return SunPath::StaysDown;
            const double h = std::acos(x) / rad;
            minutes = s.noon + (rising ? -4 * h : 4 * h);
        }
        return SunPath::Crosses;
    };
    const SunPath risePath = event(true, r.rise);
    const SunPath setPath = event(false, r.set);
    r.path = risePath == setPath ? risePath : SunPath::Mixed;
    return r;
}

TEST(SunTimes, EveryTownAgreesWithAnIndependentReckoning) {
    constexpr double kToleranceMinutes = 15;
    // Where the sun passes within this many degrees of the horizon at a
    // culmination (only Hammerfest, near the ends of its midnight sun and
    // polar night), a day's declination taken at 00:00 UT moves the times by
    // more, and whether the sun crosses at all may differ by a day.
    constexpr double kGrazingDegrees = 2.0;
    constexpr double kGrazingToleranceMinutes = 45;
    int compared = 0, polar = 0, wide = 0;
    for (const CityInfo& town : Table().rows()) {
        for (int year : {2023, 2024}) {
            const int days = IsLeapYear(year) ? 366 : 365;
            for (int d = 0; d < days; ++d) {
                const CivilDate date = CivilFromDays(DaysFromCivil(year, 1, 1) + d);
                const SunTimes ours = ComputeSunTimes(town, date);
                const Reference ref = ReferenceSun(NorthLatitude(town), EastLongitude(town), date);
                const std::int64_t midnight = DaysFromCivil(date.year, date.month, date.day) * 86400;
                const std::string where = town.town + " " + Ut(midnight);
                const bool nearHorizon = std::min(std::abs(ref.highAltitude + 0.833),
                                                  std::abs(ref.lowAltitude + 0.833)) < kGrazingDegrees;
                ASSERT_NE(ours.path, SunPath::Mixed) << where;
                if (ours.path != SunPath::Crosses || ref.path != SunPath::Crosses) {
                    // Never the sun up all day by one reckoning and down by the other.
                    ASSERT_TRUE(ours.path == ref.path || nearHorizon) << where;
                    if (ours.path == ref.path) {
                        ++polar;
                        EXPECT_EQ(ours.dayLength, ours.path == SunPath::StaysUp ? 86400 : 0) << where;
                    }
                    continue;
                }
                ++compared;
                const double rise = static_cast<double>(ours.sunrise - midnight) / 60;
                const double set = static_cast<double>(ours.sunset - midnight) / 60;
                const double tolerance = nearHorizon ? kGrazingToleranceMinutes : kToleranceMinutes;
                ASSERT_NEAR(rise, ref.rise, tolerance) << where;
                ASSERT_NEAR(set, ref.set, tolerance) << where;
                if (std::max(std::abs(rise - ref.rise), std::abs(set - ref.set)) > kToleranceMinutes) {
                    ++wide;
                    EXPECT_EQ(town.town, "Hammerfest") << where;
                }
            }
        }
    }
    EXPECT_GT(compared, 249 * 700);
    EXPECT_GT(polar, 200);  // Hammerfest's summers and winters
    EXPECT_LT(wide, 2 * 20);
}

}  // namespace
