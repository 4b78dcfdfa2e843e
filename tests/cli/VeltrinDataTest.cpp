#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <sstream>
#include <sys/wait.h>

#include "base/Calendar.h"
#include "cli/RunCommand.h"
#include "support/Fakes.h"
#include "support/ScopedZone.h"

using namespace veltrin;
using veltrin::test::Outcome;
using veltrin::test::RunCommand;
using veltrin::test::Split;

namespace {

TEST(VeltrinData, TownsListsEveryRowWithSignedCoordinates) {
    const Outcome r = RunCommand({"towns"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> lines = Split(r.out, '\n');
    ASSERT_EQ(lines.size(), 249u);
    for (const std::string& line : lines) EXPECT_EQ(Split(line, '\t').size(), 6u) << line;
    EXPECT_EQ(lines[79], "79\tUS and Canada\tNew York, N.Y.\t40.47\t-73.58\t-5");
    EXPECT_EQ(lines[137], "137\tAustralia\tSydney\t-34\t151\t10");
    EXPECT_EQ(lines[171], "171\tFrance\tBordeaux\t44.5\t-0.31\t1");
    EXPECT_EQ(lines[186], "186\tIndia\tBombay\t19\t72.48\t5.5");
    EXPECT_EQ(lines[213], "213\tNorthern Ireland\t Belfast\t54.37\t-5.56\t0");
}

TEST(VeltrinData, SunGivesMinutesAndThePanelsTexts) {
    const Outcome r = RunCommand({"sun", "--town", "79", "--date", "2004-06-21"});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["country"], "US and Canada");
    EXPECT_EQ(j["town"], "New York, N.Y.");
    EXPECT_NEAR(j["sunriseMinutes"].get<double>(), 564.58, 0.005);
    EXPECT_NEAR(j["sunsetMinutes"].get<double>(), 1467.36, 0.005);
    EXPECT_NEAR(j["solarNoonMinutes"].get<double>(), 1015.87, 0.005);
    EXPECT_EQ(j["sunrise"], "04:24:34");
    EXPECT_EQ(j["sunset"], "19:27:21");
    EXPECT_EQ(j["solarNoon"], "11:55:52");
    EXPECT_EQ(j["dayLength"], "15:02:46");
    std::vector<std::string> keys;
    for (auto it = j.begin(); it != j.end(); ++it) keys.push_back(it.key());
    EXPECT_EQ(keys.size(), 9u);
}

TEST(VeltrinData, SunWithoutSunriseGivesNullAndMarks) {
    const Outcome r = RunCommand({"sun", "--town", "214", "--date", "2024-12-21"});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["town"], "Hammerfest");
    EXPECT_TRUE(j["sunriseMinutes"].is_null());
    EXPECT_TRUE(j["sunsetMinutes"].is_null());
    EXPECT_TRUE(j["solarNoonMinutes"].is_number());
    EXPECT_EQ(j["sunrise"], "--:--:--");
    EXPECT_EQ(j["dayLength"], "00:00:00");
}

TEST(VeltrinData, SunDefaultsToTodaysLocalDate) {
    test::ScopedZone zone("Pacific/Auckland");
    test::FixedClock fixed;
    fixed.t = DaysFromCivil(2024, 3, 4) * 86400 + 20 * 3600;  // already 5 March in Auckland
    const Outcome today = [&] {
        test::ScopedClock installed(fixed);
        return RunCommand({"sun", "--town", "0"});
    }();
    EXPECT_EQ(today.status, 0);
    EXPECT_EQ(today.out, RunCommand({"sun", "--town", "0", "--date", "2024-03-05"}).out);
}

TEST(VeltrinData, DayPrintsThePanelsLinesOneALine) {
    test::ScopedZone zone("America/New_York");
    const Outcome r = RunCommand({"day", "--town", "79", "--at", "2004-06-21 12:00:07", "--seconds"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "Country: US and Canada\nTown: New York, N.Y.\n\nLocal time:\n11:00:07, Monday\nJune 21, 2004\n\n"
        "Sunrise time:\n04:24:34, Monday\n\nSunset time:\n19:27:21, Monday\n\nLength of the Day:\n"
        "15:02:46\n\nSolar noon time:\n11:55:52, Monday\n");
    const std::vector<std::string> lines =
        Split(RunCommand({"day", "--town", "211", "--at", "2004-06-21 20:30:00"}).out, '\n');
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines[1], "Town: Auckland");
    EXPECT_EQ(lines[4], "12:30, Tuesday");
}

TEST(VeltrinData, BadArgumentsGiveOneLineAndStatusTwo) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"sun", "--town", "249"},
                                               {"sun", "--town=-1"},
                                               {"sun", "--town", "many"},
                                               {"sun", "--town", "99999999999999999999"},
                                               {"sun"},
                                               {"sun", "--town", "3", "--date", "2023-02-29"},
                                               {"sun", "--town", "3", "--date", "2023-2-28"},
                                               {"sun", "--town", "3", "--date", "2023-13-01"},
                                               {"sun", "--town", "3", "--date", "yesterday"},
                                               {"weather"},
                                               {},
                                               {"dump"},
                                               {"check"},
                                               {"resave"},
                                               {"dump", "a", "b"},
                                               {"check", "--all", "x"},
                                               {"agenda"},
                                               {"agenda", "--data", "x", "--period", "fortnight"},
                                               {"agenda", "--data", "x", "--date", "2026-02-30"},
                                               {"agenda", "--data", "x", "--at", "2026-12-07"},
                                               {"agenda", "--data", "x", "--at", "2026-12-07 24:00:00"},
                                               {"agenda", "--data", "x", "--at", "2026-12-07T10:00:00"},
                                               {"agenda", "--data", "x", "--at", "2026-12-07 10:0:00"},
                                               {"day"},
                                               {"day", "--town", "249"},
                                               {"day", "--town", "79", "--at", "2026-12-07"}}) {
        const Outcome r = RunCommand(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST(VeltrinData, HelpExplainsBothCommands) {
    const Outcome r = RunCommand({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("towns"), std::string::npos);
    EXPECT_NE(r.out.find("sun"), std::string::npos);
    const Outcome sun = RunCommand({"sun", "--help"});
    EXPECT_EQ(sun.status, 0);
    EXPECT_NE(sun.out.find("--date"), std::string::npos);
}

TEST(VeltrinData, TheExecutableReportsItsStatus) {
    auto status = [](const std::string& args, std::string* out) {
        std::FILE* p = popen((std::string(VELTRIN_DATA_EXE) + " " + args + " 2>/dev/null").c_str(), "r");
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out->append(buffer, n);
        return WEXITSTATUS(pclose(p));
    };
    std::string out;
    EXPECT_EQ(status("sun --town 79 --date 2004-06-21", &out), 0);
    EXPECT_NE(out.find("\"sunrise\": \"04:24:34\""), std::string::npos) << out;
    std::string none;
    EXPECT_EQ(status("sun --town 300", &none), 2);
}

}  // namespace
