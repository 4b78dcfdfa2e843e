#include <gtest/gtest.h>

#include <algorithm>

#include "events/Countdown.h"
#include "support/ScopedZone.h"

using namespace veltrin;

namespace {

TEST(LeftText, ExpiredBelowOneSecond) {
    EXPECT_EQ(LeftText(0, false), "Expired");
    EXPECT_EQ(LeftText(-3600, true), "Expired");
}

TEST(LeftText, SingularUnitsKeepABlankWherePluralsHaveAnS) {
    EXPECT_EQ(LeftText(1, false), "0 days, 00 hours, 00 minutes");
    EXPECT_EQ(LeftText(1, true), "0 days, 00 hours, 00 minutes, 01 second ");
    EXPECT_EQ(LeftText(90061, false), "1 day , 01 hour , 01 minute ");
    EXPECT_EQ(LeftText(90061, true), "1 day , 01 hour , 01 minute , 01 second ");
    EXPECT_EQ(LeftText(183605, true), "2 days, 03 hours, 00 minutes, 05 seconds");
    EXPECT_EQ(LeftText(3600000, false), "41 days, 16 hours, 00 minutes");
    EXPECT_EQ(LeftText(59, false), "0 days, 00 hours, 00 minutes");
    EXPECT_EQ(LeftText(86399, true), "0 days, 23 hours, 59 minutes, 59 seconds");
    EXPECT_EQ(LeftText(5000000000LL, false), "57870 days, 08 hours, 53 minutes");
}

// The columns are sized by these, so each must match what the rows show.
TEST(WidestTexts, CoverEveryNameTheColumnsCanShow) {
    const std::vector<std::string> times = WidestTimeTexts();
    EXPECT_EQ(times.size(), 1u + 12 * 7);
    EXPECT_EQ(times[0], "Not actual");
    const auto has = [&times](const std::string& t) {
        return std::find(times.begin(), times.end(), t) != times.end();
    };
    EXPECT_TRUE(has("Wednesday, September 28, 2026, 23:59:59"));
    EXPECT_TRUE(has("Saturday, May 28, 2026, 23:59:59"));
    EXPECT_EQ(WidestLeftTexts(false),
              (std::vector<std::string>{"Expired", "Not actual", "365 days, 23 hours, 59 minutes"}));
    EXPECT_EQ(WidestLeftTexts(true).back(), "365 days, 23 hours, 59 minutes, 59 seconds");
}

TEST(CountdownTexts, ActualRowsShowTimeAndLeftOthersNotActual) {
    test::ScopedZone zone("America/New_York");
    EventSchedule s;
    s.kind = Daily;
    s.eventTime = static_cast<std::int32_t>(test::LibraryTime(2020, 1, 5, 8, 0, 0));
    const std::int64_t now = test::LibraryTime(2026, 12, 6, 20, 30, 0);

    const CountdownTexts shown = EventCountdownTexts(s, true, true, now);
    EXPECT_EQ(shown.time, "Monday, December 07, 2026, 08:00:00");
    EXPECT_EQ(shown.left, "0 days, 11 hours, 30 minutes, 00 seconds");

    const CountdownTexts off = EventCountdownTexts(s, false, true, now);
    EXPECT_EQ(off.time, "Not actual");
    EXPECT_EQ(off.left, "Not actual");

    s.kind = Once;  // long past
    EXPECT_EQ(EventCountdownTexts(s, true, false, now).left, "Expired");
    EXPECT_EQ(EventCountdownTexts(s, true, false, now).time, "Sunday, January 05, 2020, 08:00:00");
}

TEST(PriorityText, ReadsBackFromItsFirstTwoCharacters) {
    for (int p = 1; p <= 10; ++p) {
        EXPECT_EQ(PriorityText(p), std::to_string(p) + " of 10");
        EXPECT_EQ(PriorityFromText(PriorityText(p)), p);
    }
    EXPECT_EQ(PriorityFromText(""), 0);
    EXPECT_EQ(PriorityFromText("x of 10"), 0);
}

}  // namespace
