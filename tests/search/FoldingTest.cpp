#include <gtest/gtest.h>

#include "search/Folding.h"

using veltrin::FoldStoredText;
using veltrin::FoldText;

TEST(Folding, CaseAndAccentsFoldAway) {
    EXPECT_EQ(FoldText("Café CAFÉ cafe"), "cafe cafe cafe");
    EXPECT_EQ(FoldText("Ærøskøbing Straße"), "aeroskobing strasse");
    EXPECT_EQ(FoldText("Łódź Dvořák Œuvre İzmir"), "lodz dvorak oeuvre izmir");
    // Decomposed accents are dropped, so both spellings of é match.
    EXPECT_EQ(FoldText("Cafe\xCC\x81"), "cafe");
    // So are invisible marks inside a word: a soft hyphen, a zero-width space.
    EXPECT_EQ(FoldText("Lju\xC2\xAD"
                       "bl\xE2\x80\x8B"
                       "jana"),
              "ljubljana");
    EXPECT_EQ(FoldText("ΑΘΗΝΑ Москва"), "αθηνα москва");
}

TEST(Folding, WindowsStoredBytesFoldLikeTheirLetters) {
    EXPECT_EQ(FoldStoredText("Caf\xE9 na\xEFve \x8C"), "cafe naive oe");
    // A text that mixes both encodings.
    EXPECT_EQ(FoldStoredText("\xC9t\xC3\xA9"), "ete");
}

TEST(Folding, BlanksAndTypographyBecomePlain) {
    EXPECT_EQ(FoldText("  a\t\r\n b\xC2\xA0"
                       "c "),
              " a b c ");
    EXPECT_EQ(FoldText("\xE2\x80\x9CHi\xE2\x80\x9D \xE2\x80\x93 it\xE2\x80\x99s"), "\"hi\" - it's");
    // The field separator stays, so two fields never read as one phrase.
    EXPECT_EQ(FoldText("Berlin\x1F"
                       "Germany"),
              "berlin\x1Fgermany");
}

TEST(Folding, OffsetsLeadBackToTheSource) {
    std::vector<std::uint32_t> offsets;
    const std::string folded = FoldText("Aß  É", &offsets);
    ASSERT_EQ(folded, "ass e");
    EXPECT_EQ(offsets, (std::vector<std::uint32_t>{0, 1, 1, 3, 5}));
}

TEST(Folding, BrokenSequencesPassThrough) {
    // Not UTF-8 at all: kept byte for byte rather than lost.
    EXPECT_EQ(FoldText("a\xFF\xC3"), "a\xFF\xC3");
    EXPECT_EQ(FoldText("\xED\xA0\x80"), "\xED\xA0\x80");  // a surrogate
}
