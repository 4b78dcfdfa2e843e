#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>

#include "today/CityTable.h"
#include "today/TownMenu.h"

using namespace veltrin;

namespace {

const CityTable& Table() {
    static const CityTable table = BuiltInCityTable();
    return table;
}

TEST(CityTable, RowsInTheirFixedOrder) {
    ASSERT_EQ(Table().count(), 249);
    const CityInfo first = Table().at(0);
    EXPECT_EQ(first.country, "US and Canada");
    EXPECT_EQ(first.town, "Albany, N.Y.");
    EXPECT_EQ(Table().at(79).town, "New York, N.Y.");
    EXPECT_DOUBLE_EQ(Table().at(79).latitude, 40.47);
    EXPECT_DOUBLE_EQ(Table().at(79).longitude, 73.58);
    EXPECT_DOUBLE_EQ(Table().at(79).timeZone, -5);
    EXPECT_EQ(Table().at(128).town, "Winnipeg, Man., Can.");
    EXPECT_EQ(Table().at(129).country, "Algeria");
    EXPECT_EQ(Table().at(213).town, " Belfast");
    EXPECT_EQ(Table().at(248).country, "Yugoslavia");
    EXPECT_EQ(Table().at(248).town, "Belgrade");
    // Accented names are the UTF-8 bytes of the letters shown.
    EXPECT_EQ(Table().at(131).town, "C\xC3\xB3rdoba");
    EXPECT_EQ(Table().at(185).town, "Reykjav\xC3\xADk");
    EXPECT_EQ(Table().at(241).town, "Z\xC3\xBCrich");
    // Zones per row, half hours included.
    EXPECT_DOUBLE_EQ(Table().at(132).timeZone, 9.5);  // Adelaide
    EXPECT_DOUBLE_EQ(Table().at(186).timeZone, 5.5);  // Bombay
    EXPECT_DOUBLE_EQ(Table().at(99).timeZone, -4);    // St. John
}

TEST(CityTable, CountriesAreContiguousRuns) {
    std::set<std::string> closed;
    std::string current;
    int groups = 0;
    for (const CityInfo& c : Table().rows()) {
        if (c.country == current) continue;
        EXPECT_EQ(closed.count(c.country), 0u) << c.country;
        closed.insert(current);
        current = c.country;
        ++groups;
    }
    EXPECT_EQ(groups, 71);
}

// The sun times' comparison with an independent reckoning checks every row's
// hemispheres through its results; these are the ones easy to get wrong.
TEST(CityTable, EveryTownHasItsTrueHemispheres) {
    for (int i = 0; i <= 128; ++i) {
        EXPECT_GT(NorthLatitude(Table().at(i)), 0) << i;
        EXPECT_GT(WestLongitude(Table().at(i)), 0) << i;
    }
    auto row = [](const std::string& town) {
        for (const CityInfo& c : Table().rows())
            if (c.town == town) return c;
        ADD_FAILURE() << town;
        return CityInfo{};
    };
    EXPECT_DOUBLE_EQ(NorthLatitude(row("Sydney")), -34);
    EXPECT_DOUBLE_EQ(EastLongitude(row("Sydney")), 151);
    EXPECT_DOUBLE_EQ(WestLongitude(row("Madrid")), 3.42);
    EXPECT_DOUBLE_EQ(WestLongitude(row("Bordeaux")), 0.31);
    EXPECT_DOUBLE_EQ(EastLongitude(row("Paris")), 2.2);
    EXPECT_DOUBLE_EQ(NorthLatitude(row("Singapore")), 1.14);
    EXPECT_DOUBLE_EQ(EastLongitude(row("Singapore")), 103.55);
    EXPECT_DOUBLE_EQ(NorthLatitude(row("Kinshasa")), -4.18);
    EXPECT_DOUBLE_EQ(NorthLatitude(row("Bel\xC3\xA9m")), -1.28);
    // A town's zone lies on its side of Greenwich (the zones are standard time).
    for (const CityInfo& c : Table().rows()) {
        if (std::abs(c.longitude) > 20) {
            EXPECT_EQ(c.timeZone > 0, EastLongitude(c) > 0) << c.town;
        }
    }
}

TEST(CityTable, TownIndexOutsideTheTableBecomesNewYork) {
    for (std::int32_t stored : {-1, 249, INT_MAX, INT_MIN}) {
        std::int32_t townIndex = stored;
        EXPECT_EQ(CurrentTownIndex(townIndex, Table()), 79);
        EXPECT_EQ(townIndex, 79);
    }
    std::int32_t last = 248;
    EXPECT_EQ(CurrentTownIndex(last, Table()), 248);
    std::int32_t first = 0;
    EXPECT_EQ(CurrentTownIndex(first, Table()), 0);
}

TEST(TownMenu, GroupsCommandsAndCheckMark) {
    const std::vector<TownMenuGroup> menu = BuildTownMenu(Table(), 79);
    ASSERT_EQ(menu.size(), 71u);
    EXPECT_EQ(menu.front().country, "US and Canada");
    EXPECT_EQ(menu.front().items.size(), 129u);
    EXPECT_TRUE(menu.front().separatorAfter);
    EXPECT_EQ(menu.back().country, "Yugoslavia");
    ASSERT_EQ(menu.back().items.size(), 1u);
    EXPECT_EQ(menu.back().items[0].town, "Belgrade");
    EXPECT_EQ(menu.back().items[0].commandId, 448);

    int expectedId = 200, checked = 0, separators = 0;
    for (const TownMenuGroup& g : menu) {
        separators += g.separatorAfter;
        for (const TownMenuItem& item : g.items) {
            EXPECT_EQ(item.commandId, expectedId++);
            checked += item.checked;
        }
    }
    EXPECT_EQ(expectedId, 449);
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(separators, 1);
    EXPECT_TRUE(menu.front().items[79].checked);

    // After a choice the mark moves; "Djibouti" is both a group and its town.
    const std::vector<TownMenuGroup> after = BuildTownMenu(Table(), 159);
    EXPECT_FALSE(after.front().items[79].checked);
    for (const TownMenuGroup& g : after)
        if (g.country == "Djibouti") {
            EXPECT_EQ(g.items[0].town, "Djibouti");
            EXPECT_TRUE(g.items[0].checked);
        }
}

TEST(TownMenu, CommandsSelectOnlyRowsOfTheTable) {
    EXPECT_EQ(TownFromCommand(200, Table()), 0);
    EXPECT_EQ(TownFromCommand(448, Table()), 248);
    EXPECT_EQ(TownFromCommand(199, Table()), std::nullopt);
    EXPECT_EQ(TownFromCommand(449, Table()), std::nullopt);
    EXPECT_EQ(TownFromCommand(INT_MIN, Table()), std::nullopt);
    EXPECT_EQ(TownFromCommand(INT_MAX, Table()), std::nullopt);
}

}  // namespace
