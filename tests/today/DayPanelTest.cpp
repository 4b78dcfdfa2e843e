#include <gtest/gtest.h>

#include <cmath>

#include "base/Calendar.h"
#include "support/ScopedZone.h"
#include "today/DayPanel.h"
#include "today/SunTimes.h"

using namespace veltrin;

namespace {

std::int64_t Ut(int y, int m, int d, int h, int mi) {
    return DaysFromCivil(y, m, d) * 86400 + h * 3600 + mi * 60;
}

CityInfo Row(int index) { return BuiltInCityTable().at(index); }

using Lines = std::vector<std::string>;

}  // namespace

TEST(DayPanel, NewYorkOnMidsummerDayInStandardTime) {
    test::ScopedZone zone("America/New_York");
    // 16:00 UT is noon of summer time in New York; the panel keeps to standard time.
    const std::int64_t now = Ut(2004, 6, 21, 16, 0) + 7;
    EXPECT_EQ(DayPanelLines(Row(79), now, true),
              (Lines{"Country: US and Canada", "Town: New York, N.Y.", "", "Local time:", "11:00:07, Monday",
                     "June 21, 2004", "", "Sunrise time:", "04:24:34, Monday", "",
                     "Sunset time:", "19:27:21, Monday", "", "Length of the Day:", "15:02:46", "",
                     "Solar noon time:", "11:55:52, Monday"}));
    // Without seconds they go from every time, the day's length included.
    const Lines short_ = DayPanelLines(Row(79), now, false);
    EXPECT_EQ(short_[4], "11:00, Monday");
    EXPECT_EQ(short_[8], "04:24, Monday");
    EXPECT_EQ(short_[11], "19:27, Monday");
    EXPECT_EQ(short_[14], "15:02");
    EXPECT_EQ(short_[17], "11:55, Monday");
}

TEST(DayPanel, TownEastAndSouthRunsAheadAcrossMidnight) {
    test::ScopedZone zone("UTC");
    const CityInfo auckland = Row(211);
    ASSERT_EQ(auckland.town, "Auckland");
    // 12:30 UT on Monday is half past midnight of Tuesday in Auckland (zone 12).
    Lines lines = DayPanelLines(auckland, Ut(2004, 6, 21, 12, 30), true);
    EXPECT_EQ(lines[0], "Country: New Zealand");
    EXPECT_EQ(lines[4], "00:30:00, Tuesday");
    EXPECT_EQ(lines[5], "June 22, 2004");
    // The sun times stay those of the computer's date, 21 June: a short
    // southern winter's day, morning to afternoon of that Monday.
    EXPECT_EQ(lines[8].substr(0, 3), "07:");
    EXPECT_EQ(lines[8].substr(8), ", Monday");
    EXPECT_EQ(lines[11].substr(0, 3), "17:");
    EXPECT_EQ(lines[11].substr(8), ", Monday");
    EXPECT_EQ(lines[14].substr(0, 3), "09:");
    EXPECT_EQ(lines[17].substr(0, 3), "12:");
    // Eleven minutes earlier it is still Monday there.
    lines = DayPanelLines(auckland, Ut(2004, 6, 21, 11, 49), false);
    EXPECT_EQ(lines[4], "23:49, Monday");
    EXPECT_EQ(lines[5], "June 21, 2004");

    // Half-hour zones shift by their half hour: Adelaide is UT + 9:30.
    EXPECT_EQ(DayPanelLines(Row(132), Ut(2004, 6, 21, 14, 45), false)[4], "00:15, Tuesday");
}

TEST(DayPanel, TownsWithoutSunriseShowMarks) {
    test::ScopedZone zone("UTC");
    const CityInfo hammerfest = Row(214);
    ASSERT_EQ(hammerfest.town, "Hammerfest");
    Lines lines = DayPanelLines(hammerfest, Ut(2024, 12, 21, 12, 0), true);
    EXPECT_EQ(lines[8], "--:--:--");
    EXPECT_EQ(lines[11], "--:--:--");
    EXPECT_EQ(lines[14], "00:00:00");
    lines = DayPanelLines(hammerfest, Ut(2024, 6, 21, 12, 0), false);
    EXPECT_EQ(lines[8], "--:--");
    EXPECT_EQ(lines[14], "24:00");
}

TEST(DayPanel, LineStepStaysReadableWhateverTheFileSays) {
    EXPECT_EQ(DayPanelLineStep(18), 18);
    EXPECT_EQ(DayPanelLineStep(1), 1);
    EXPECT_EQ(DayPanelLineStep(72), 72);
    for (std::int32_t bad : {0, -1, INT32_MIN}) EXPECT_EQ(DayPanelLineStep(bad), 18) << bad;
    for (std::int32_t huge : {201, 100000, INT32_MAX}) EXPECT_EQ(DayPanelLineStep(huge), 200) << huge;
    // The last line's place fits an int at the largest step.
    EXPECT_LT(static_cast<long long>(kDayPanelLineCount) * DayPanelLineStep(INT32_MAX), 1LL << 30);
}

TEST(DayPanel, ShowsTheSameSunTimesAsTheSunCommandInEveryTown) {
    // The panel once shifted by the zone cut to whole minutes, the sun texts
    // by the zone rounded to seconds; they agree while every zone is whole
    // minutes, which keeps the panel's texts as they were.
    test::ScopedZone zone("UTC");
    const CityTable table = BuiltInCityTable();
    const std::int64_t now = Ut(2024, 3, 1, 12, 0);
    for (int i = 0; i < table.count(); ++i) {
        const CityInfo& town = table.at(i);
        const double minutes = town.timeZone * 60;
        ASSERT_EQ(minutes, std::floor(minutes)) << town.town;
        const SunTexts texts = MakeSunTexts(ComputeSunTimes(town, {2024, 3, 1}), town.timeZone);
        const Lines lines = DayPanelLines(town, now, true);
        EXPECT_EQ(lines[8].substr(0, texts.sunrise.size()), texts.sunrise) << town.town;
        EXPECT_EQ(lines[11].substr(0, texts.sunset.size()), texts.sunset) << town.town;
        EXPECT_EQ(lines[14], texts.dayLength) << town.town;
        EXPECT_EQ(lines[17].substr(0, texts.solarNoon.size()), texts.solarNoon) << town.town;
    }
}
