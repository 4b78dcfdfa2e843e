#include <gtest/gtest.h>

#include "contacts/DisplayName.h"

using namespace veltrin;

TEST(DisplayNameTest, ComposedFromTheGivenNamesWithOneBlankEach) {
    EXPECT_EQ(ComposeDisplayName("Ann", "B.", "Cole"), "Ann B. Cole");
    EXPECT_EQ(ComposeDisplayName("Ann", "", "Cole"), "Ann Cole");
    EXPECT_EQ(ComposeDisplayName("Ann", "B.", ""), "Ann B.");
    EXPECT_EQ(ComposeDisplayName("Ann", "", ""), "Ann");
    // Without a first name the middle name keeps its leading blank.
    EXPECT_EQ(ComposeDisplayName("", "B.", "Cole"), " B. Cole");
    EXPECT_EQ(ComposeDisplayName("", "", "Cole"), " Cole");
    EXPECT_EQ(ComposeDisplayName("", "", ""), "");
}

TEST(DisplayNameTest, AutomaticWhenEmptyOrBeginningWithTheFirstName) {
    EXPECT_TRUE(DisplayNameAutomatic("", "Ann"));
    EXPECT_TRUE(DisplayNameAutomatic("Ann Cole", "Ann"));
    EXPECT_TRUE(DisplayNameAutomatic("Annabel", "Ann"));  // only the first name's length is compared
    EXPECT_TRUE(DisplayNameAutomatic("Anything", ""));    // an empty first name always matches
    EXPECT_FALSE(DisplayNameAutomatic("Dr. Cole", "Ann"));
    EXPECT_FALSE(DisplayNameAutomatic("An", "Ann"));  // shorter than the first name
    EXPECT_FALSE(DisplayNameAutomatic("ann cole", "Ann"));
}

TEST(DisplayNameTest, ChoicesOfferTheHandTypedNameOnlyInManualMode) {
    EXPECT_EQ(DisplayNameChoices("Ann Cole", true, "Ann Cole", ""), (std::vector<std::string>{"Ann Cole"}));
    EXPECT_EQ(DisplayNameChoices("Ann Cole", true, "Ann Cole", "Nan"),
              (std::vector<std::string>{"Ann Cole", "Nan"}));
    EXPECT_EQ(DisplayNameChoices("Dr. Cole", false, "Ann Cole", "Nan"),
              (std::vector<std::string>{"Dr. Cole", "Ann Cole", "Nan"}));
    EXPECT_EQ(DisplayNameChoices("", false, "", ""), (std::vector<std::string>{"", ""}));
}
