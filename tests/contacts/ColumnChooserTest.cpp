#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "base/Text.h"
#include "contacts/ColumnChooser.h"

using namespace veltrin;

namespace {

std::vector<std::string> names(const ColumnChooser& c, const std::vector<int>& entries) {
    std::vector<std::string> n;
    for (int e : entries) n.push_back(c.Name(e));
    return n;
}

int placeOf(const std::vector<std::string>& list, const std::string& name) {
    return static_cast<int>(std::find(list.begin(), list.end(), name) - list.begin());
}

// Every entry of the old table once, with its width.
void expectSameEntries(const ContactColumns& before, const ContactColumns& after) {
    std::multimap<std::string, std::int32_t> a, b;
    for (const ContactColumn& c : before) a.emplace(c.name, c.width);
    for (const ContactColumn& c : after) b.emplace(c.name, c.width);
    EXPECT_EQ(a, b);
}

}  // namespace

TEST(ColumnChooserTest, FreshTableShowsEverythingAndStartsWithEveryButtonDisabled) {
    ColumnChooser c(DefaultContactColumns());
    EXPECT_TRUE(c.Free().empty());
    ASSERT_EQ(c.Shown().size(), 29u);
    EXPECT_EQ(c.Name(c.Shown()[0]), "Name");
    EXPECT_EQ(c.Name(c.Shown()[28]), "Notes");
    EXPECT_FALSE(c.CanAdd());
    EXPECT_FALSE(c.CanRemove());
    EXPECT_FALSE(c.CanMoveUp());
    EXPECT_FALSE(c.CanMoveDown());
    EXPECT_FALSE(c.CanAccept());
    EXPECT_FALSE(c.Add());
    EXPECT_FALSE(c.MoveUp());
}

TEST(ColumnChooserTest, ButtonStatesFollowTheSelection) {
    ColumnChooser c(DefaultContactColumns());
    c.SelectShown({0});
    EXPECT_TRUE(c.CanRemove());
    EXPECT_FALSE(c.CanMoveUp());  // the first
    EXPECT_TRUE(c.CanMoveDown());
    c.SelectShown({28});
    EXPECT_TRUE(c.CanMoveUp());
    EXPECT_FALSE(c.CanMoveDown());  // the last
    c.SelectShown({3, 4});
    EXPECT_FALSE(c.CanMoveUp());  // two selected
    EXPECT_FALSE(c.CanMoveDown());
    EXPECT_TRUE(c.CanRemove());
    c.SelectShown({40, -1});  // places outside the list select nothing
    EXPECT_FALSE(c.CanRemove());
    EXPECT_FALSE(c.MoveDown());
    EXPECT_FALSE(c.CanAccept());
}

TEST(ColumnChooserTest, RemovedEntriesSortIntoTheFreeListAndAddedOnesAppendInItsOrder) {
    ColumnChooser c(DefaultContactColumns());
    const auto shown = names(c, c.Shown());
    c.SelectShown({placeOf(shown, "Pager"), placeOf(shown, "Home Fax"), placeOf(shown, "Company")});
    ASSERT_TRUE(c.Remove());
    EXPECT_EQ(names(c, c.Free()), (std::vector<std::string>{"Company", "Home Fax", "Pager"}));
    EXPECT_EQ(c.Shown().size(), 26u);
    EXPECT_TRUE(c.CanAccept());
    EXPECT_TRUE(c.ShownSelection().empty());

    c.SelectFree({1, 2});  // "Home Fax" and "Pager"
    ASSERT_TRUE(c.Add());
    const auto after = names(c, c.Shown());
    ASSERT_EQ(after.size(), 28u);
    EXPECT_EQ(after[26], "Home Fax");
    EXPECT_EQ(after[27], "Pager");
    EXPECT_EQ(names(c, c.Free()), (std::vector<std::string>{"Company"}));
    EXPECT_FALSE(c.CanAdd());
}

TEST(ColumnChooserTest, MovedEntryStaysSelected) {
    ColumnChooser c(DefaultContactColumns());
    c.SelectShown({24});  // "Company"
    for (int i = 0; i < 24; ++i) ASSERT_TRUE(c.MoveUp());
    EXPECT_EQ(c.Name(c.Shown()[0]), "Company");
    EXPECT_EQ(c.ShownSelection(), std::vector<int>{0});
    EXPECT_FALSE(c.MoveUp());
    ASSERT_TRUE(c.MoveDown());
    EXPECT_EQ(c.Name(c.Shown()[1]), "Company");
    EXPECT_EQ(c.Name(c.Shown()[0]), "Name");
}

TEST(ColumnChooserTest, ResultIsShownInOrderThenFreeAlphabeticallyWithWidthsKept) {
    ContactColumns table = DefaultContactColumns();
    for (int i = 0; i < kContactColumnCount; ++i) table[i].width = 50 + i;
    ColumnChooser c(table);
    c.SelectShown({24});
    for (int i = 0; i < 24; ++i) c.MoveUp();  // "Company" to the top
    const auto shown = names(c, c.Shown());
    c.SelectShown({placeOf(shown, "Nickname"), placeOf(shown, "Cellular")});
    c.Remove();
    const ContactColumns r = c.Result();
    EXPECT_EQ(r[0].name, "Company");
    EXPECT_EQ(r[0].width, 50 + 24);
    EXPECT_EQ(r[0].shown, 1);
    EXPECT_EQ(r[26].shown, 1);
    EXPECT_EQ(r[27].name, "Cellular");
    EXPECT_EQ(r[27].shown, 0);
    EXPECT_EQ(r[28].name, "Nickname");
    EXPECT_EQ(r[28].width, 50 + 4);
    EXPECT_EQ(r[28].shown, 0);
    expectSameEntries(table, r);
}

TEST(ColumnChooserTest, EveryEntryStaysOnceThroughAnySequenceOfActions) {
    // Start from a table a settings file could hold: odd names, a repeated
    // one, and several entries hidden.
    ContactColumns table = DefaultContactColumns();
    table[3].name = "company";
    table[5].name = "Nickname";  // now twice
    table[7].shown = 0;
    table[9].shown = 0;
    table[20].name = "Unknown field";
    table[20].shown = 0;
    ColumnChooser c(table);
    unsigned seed = 7;
    for (int step = 0; step < 400; ++step) {
        seed = seed * 1103515245u + 12345u;
        const int a = static_cast<int>((seed >> 8) % 30), b = static_cast<int>((seed >> 16) % 30);
        switch ((seed >> 4) % 4) {
        case 0:
            c.SelectShown({a, b});
            c.Remove();
            break;
        case 1:
            c.SelectFree({a % 5, b % 7});
            c.Add();
            break;
        case 2:
            c.SelectShown({a});
            c.MoveUp();
            break;
        default:
            c.SelectShown({b});
            c.MoveDown();
            break;
        }
        ASSERT_EQ(c.Shown().size() + c.Free().size(), 29u);
    }
    expectSameEntries(table, c.Result());
    const auto free = names(c, c.Free());
    EXPECT_TRUE(std::is_sorted(free.begin(), free.end(), [](const std::string& x, const std::string& y) {
        return CompareTextsNoCase(x, y) < 0;
    }));
}

TEST(ColumnChooserTest, OkStaysDisabledWhileNoColumnWouldBeShown) {
    ColumnChooser c(DefaultContactColumns());
    std::vector<int> all;
    for (int i = 0; i < 29; ++i) all.push_back(i);
    c.SelectShown(all);
    ASSERT_TRUE(c.Remove());
    EXPECT_TRUE(c.Shown().empty());
    EXPECT_FALSE(c.CanAccept());
    c.SelectFree({0});
    c.Add();
    EXPECT_TRUE(c.CanAccept());
}
