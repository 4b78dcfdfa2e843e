#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/Notifications.h"
#include "app/TipOfTheDay.h"

using namespace veltrin;

TEST(TipOfTheDay, NextAndPreviousWrapBothWays) {
    EXPECT_EQ(NextTip(0), 1);
    EXPECT_EQ(NextTip(kTipCount - 1), 0);
    EXPECT_EQ(PreviousTip(0), kTipCount - 1);
    EXPECT_EQ(PreviousTip(5), 4);
    // The first shown is the one after a random index, never past the end.
    EXPECT_EQ(FirstTip(kTipCount - 1), 0);
    EXPECT_EQ(FirstTip(0), 1);
    std::set<int> shown;
    for (unsigned r = 0; r < 1000; ++r) {
        const int t = FirstTip(r * 7919u);
        ASSERT_GE(t, 0);
        ASSERT_LT(t, kTipCount);
        shown.insert(t);
    }
    EXPECT_EQ(shown.size(), static_cast<std::size_t>(kTipCount));
}

TEST(TipOfTheDay, TheListAsWritten) {
    EXPECT_STREQ(Tips()[0], "To display a list of records in Notes, use the 'Notes' button.");
    EXPECT_STREQ(Tips()[13], "If you want to change your font and color settings click on 'Options' button.");
    EXPECT_NE(std::string(Tips()[2]).find("'Help/Information about updates'"), std::string::npos);
}

TEST(Subscription, QueryKeysCannotBeForged) {
    EXPECT_EQ(EncodeQueryValue("a+b&c@example.org"), "a%2Bb%26c@example.org");
    EXPECT_EQ(EncodeQueryValue("x=1#y z"), "x%3D1%23y%20z");
    EXPECT_EQ(SubscriptionAddress("https://h.example/", true, "  a+b&c@example.org "),
              "https://h.example/subscribe.php?subscribe=1&email=a%2Bb%26c@example.org");
    EXPECT_EQ(SubscriptionAddress("https://h.example/", false, "me@example.org"),
              "https://h.example/subscribe.php?subscribe=0&email=me@example.org");
}

TEST(Subscription, BlankAddressesAreEmptyAndTheHomePageIsReserved) {
    EXPECT_EQ(TrimmedAddress(" \t "), "");
    EXPECT_EQ(TrimmedAddress(" me@example.org\n"), "me@example.org");
    const std::string home = HomePage();
    ASSERT_FALSE(home.empty());
    EXPECT_EQ(home.back(), '/');
}
