#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <random>
#include <string>

#include "base/Calendar.h"
#include "base/LocalTime.h"
#include "support/ScopedZone.h"

using namespace veltrin;

namespace {

// The library's own reading, for comparison.
DateTime LibraryFields(std::int64_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    return DateTimeFromTm(tm);
}

std::string Text(const DateTime& f) { return FormatDateTime(f, "%Y-%m-%d %H:%M:%S %a"); }

TEST(Calendar, LeapYearsAndMonthLengths) {
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DaysInMonth(2023, 4), 30);
    EXPECT_EQ(DaysInMonth(2023, 12), 31);
}

TEST(Calendar, CivilDaysRoundTripAndRollOver) {
    for (std::int64_t d = -800000; d <= 800000; d += 37) {
        const CivilDate c = CivilFromDays(d);
        ASSERT_EQ(DaysFromCivil(c.year, c.month, c.day), d);
    }
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(DaysFromCivil(2023, 2, 29), DaysFromCivil(2023, 3, 1));
    EXPECT_EQ(DaysFromCivil(2024, 13, 1), DaysFromCivil(2025, 1, 1));
    EXPECT_EQ(DaysFromCivil(2024, 0, 31), DaysFromCivil(2023, 12, 31));
    EXPECT_EQ(DaysFromCivil(2024, 3, 0), DaysFromCivil(2024, 2, 29));
    EXPECT_EQ(WeekdayFromDays(DaysFromCivil(2026, 12, 7)), 1);  // a Monday
    EXPECT_EQ(WeekdayFromDays(-1), 3);                          // 31 December 1969
}

// The learnt days must give exactly what the library gives, in zones with
// daylight saving, half-hour changes, a skipped day and changes at midnight.
TEST(LocalTime, MatchesTheLibraryInEveryZone) {
    std::mt19937_64 random(20261207);
    for (const char* name : {"America/New_York", "Europe/London", "Australia/Lord_Howe", "Pacific/Apia",
                             "America/Sao_Paulo", "Asia/Kolkata", "UTC"}) {
        test::ScopedZone zone(name);
        std::uniform_int_distribution<std::int64_t> instants(0, 2200000000);
        for (int i = 0; i < 20000; ++i) {
            const std::int64_t t = instants(random);
            ASSERT_EQ(Text(BreakDownLocal(t)), Text(LibraryFields(t))) << name << ' ' << t;
        }
        std::uniform_int_distribution<int> year(1971, 2037), month(-2, 15), day(-3, 34), hour(-2, 26),
            minute(-5, 65);
        for (int i = 0; i < 20000; ++i) {
            const int y = year(random), mo = month(random), d = day(random), h = hour(random),
                      mi = minute(random), s = minute(random);
            const std::optional<std::int64_t> ours = MakeLocalTime(y, mo, d, h, mi, s);
            ASSERT_TRUE(ours.has_value());
            const std::int64_t library = test::LibraryTime(y, mo, d, h, mi, s);
            // In the hour that comes twice either reading is the library's.
            if (*ours != library) {
                ASSERT_EQ(Text(LibraryFields(*ours)), Text(LibraryFields(library)))
                    << name << ' ' << y << '-' << mo << '-' << d << ' ' << h << ':' << mi;
            }
        }
        // Every day around the changes, at hours on both sides of them.
        for (int d = 0; d < 366 * 2; ++d) {
            for (int h : {0, 1, 2, 3, 23}) {
                const std::optional<std::int64_t> ours = MakeLocalTime(2011, 1, 1 + d, h, 30, 0);
                const std::int64_t library = test::LibraryTime(2011, 1, 1 + d, h, 30, 0);
                ASSERT_EQ(Text(LibraryFields(*ours)), Text(LibraryFields(library)))
                    << name << " day " << d << " hour " << h;
            }
        }
    }
}

TEST(LocalTime, FollowsAChangedZone) {
    std::int64_t newYork, london;
    {
        test::ScopedZone zone("America/New_York");
        newYork = *MakeLocalTime(2024, 7, 1, 12, 0, 0);
    }
    {
        test::ScopedZone zone("Europe/London");
        london = *MakeLocalTime(2024, 7, 1, 12, 0, 0);
        EXPECT_EQ(BreakDownLocal(newYork).hour, 17);
    }
    EXPECT_EQ(newYork - london, 5 * 3600);
}

TEST(LocalTime, UnrepresentableFieldsGiveNothing) {
    test::ScopedZone zone("Europe/London");
    EXPECT_FALSE(MakeLocalTime(std::int64_t{1} << 40, 1, 1, 0, 0, 0).has_value());
    EXPECT_FALSE(MakeLocalTime(2024, 1, 1, 0, 0, -(std::int64_t{1} << 50)).has_value());
}

TEST(LocalTime, EnglishNamesWhateverTheLocale) {
    test::ScopedZone zone("UTC");
    const std::int64_t t = DaysFromCivil(2026, 12, 7) * 86400 + 8 * 3600 + 5;
    EXPECT_EQ(FormatLocalTime(t, "%A, %B %d, %Y, %H:%M:%S"), "Monday, December 07, 2026, 08:00:05");
    EXPECT_EQ(FormatLocalTime(t, "%a %b %m 100%% %Q"), "Mon Dec 12 100% %Q");
}

TEST(LocalTime, AnUnsetZoneIsPinnedToTheSystemZone) {
    std::optional<std::string> saved;
    if (const char* tz = std::getenv("TZ")) saved = tz;
    unsetenv("TZ");
    tzset();
    const std::int64_t t = 1700000000;
    const std::string system = Text(LibraryFields(t));
    EXPECT_EQ(Text(BreakDownLocal(t)), system);
    ASSERT_NE(std::getenv("TZ"), nullptr);
    EXPECT_STREQ(std::getenv("TZ"), ":/etc/localtime");
    EXPECT_EQ(Text(LibraryFields(t)), system);
    EXPECT_FALSE(RefreshLocalZoneIfChanged());  // nothing changed in /etc
    if (saved)
        setenv("TZ", saved->c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

}  // namespace
