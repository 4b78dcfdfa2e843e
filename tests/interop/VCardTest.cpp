#include <gtest/gtest.h>

#include "interop/VCard.h"

using namespace veltrin;

namespace {

const CardProperty* Find(const Card& card, const std::string& name, std::size_t nth = 0) {
    for (const CardProperty& p : card.properties)
        if (p.name == name && nth-- == 0) return &p;
    return nullptr;
}

}  // namespace

TEST(VCardTest, PhoneStyleCardsDecodeQuotedPrintableCharsetsAndBareTypes) {
    // A 2.1 card: QP with a soft line break, Latin-1 bytes, bare type words, a group prefix.
    const std::string text =
        "BEGIN:VCARD\r\nVERSION:2.1\r\n"
        "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=F6rg;;;\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:first line=0D=0Asecond =\r\n"
        "line\r\n"
        "item1.TEL;CELL;VOICE:+49 170 1\r\n"
        "END:VCARD\r\n";
    const std::vector<Card> cards = ReadCards(text);
    ASSERT_EQ(cards.size(), 1u);
    const CardProperty* n = Find(cards[0], "N");
    ASSERT_TRUE(n);
    EXPECT_EQ(n->components[0], "M\xC3\xBCller");
    EXPECT_EQ(n->components[1], "J\xC3\xB6rg");
    EXPECT_EQ(Find(cards[0], "NOTE")->text(), "first line\r\nsecond line");
    const CardProperty* tel = Find(cards[0], "TEL");
    ASSERT_TRUE(tel);
    EXPECT_TRUE(tel->hasType("CELL"));
    EXPECT_EQ(tel->text(), "+49 170 1");
}

TEST(VCardTest, FoldedLinesEscapesQuotedParametersAndPhotos) {
    const std::string text =
        "junk before\nBEGIN:VCARD\nVERSION:3.0\nFN:Anna\n  Lee\n"
        "ORG:Acme\\, Inc.;R\\;D\n"
        "ADR;TYPE=\"work,pref\":;;Main St 1;Town;;12345;Land\n"
        "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\n AAAA\n"
        "NOTE:a\\nb\\\\c\nEND:VCARD\nBEGIN:VCARD\nFN:No end\n";
    const std::vector<Card> cards = ReadCards(text);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(Find(cards[0], "FN")->text(), "Anna Lee");
    const CardProperty* org = Find(cards[0], "ORG");
    ASSERT_EQ(org->components.size(), 2u);
    EXPECT_EQ(org->components[0], "Acme, Inc.");
    EXPECT_EQ(org->components[1], "R;D");
    EXPECT_TRUE(Find(cards[0], "ADR")->hasType("WORK"));
    EXPECT_EQ(Find(cards[0], "ADR")->components[2], "Main St 1");
    EXPECT_TRUE(Find(cards[0], "PHOTO")->binary);
    EXPECT_EQ(Find(cards[0], "NOTE")->text(), "a\nb\\c");
    EXPECT_EQ(Find(cards[1], "FN")->text(), "No end");
}

TEST(VCardTest, WrittenLinesFoldWithinLimitsAndReadBackUnchanged) {
    // Long text of two-byte letters with every character that needs escaping.
    std::string value;
    for (int i = 0; i < 60; ++i) value += "\xC3\xA9;,\\\n";
    const std::string line = "NOTE:" + EscapeCardText(value);
    const std::string folded = FoldContentLine(line);
    std::size_t start = 0;
    while (start < folded.size()) {
        const std::size_t end = folded.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end - start, 75u);
        // No line begins inside a UTF-8 sequence.
        const std::size_t first = start == 0 ? 0 : start + 1;
        if (first < end) {
            EXPECT_NE(static_cast<unsigned char>(folded[first]) & 0xC0, 0x80);
        }
        start = end + 2;
    }
    const std::vector<Card> cards = ReadCards("BEGIN:VCARD\r\n" + folded + "END:VCARD\r\n");
    ASSERT_EQ(cards.size(), 1u);
    ASSERT_EQ(cards[0].properties.size(), 1u);
    ASSERT_EQ(cards[0].properties[0].components.size(), 1u);
    EXPECT_EQ(cards[0].properties[0].components[0], value);
}

TEST(VCardTest, EachCardHoldsOnlyItsOwnPropertiesWhateverCameBefore) {
    // A long card, then shorter ones: nothing of an earlier card's
    // properties, types or components may show in a later one.
    const std::string text =
        "BEGIN:VCARD\r\nADR;TYPE=work,pref:a;b;c;d;e;f;g\r\nTEL;TYPE=cell:1\r\nNOTE:n\r\n"
        "CATEGORIES:x,y\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nFN:Only\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nURL:https://example.org/a;b\\c\r\nTEL:2\r\nN:L;F\r\nEND:VCARD\r\n";
    const std::vector<Card> cards = ReadCards(text);
    ASSERT_EQ(cards.size(), 3u);
    ASSERT_EQ(cards[0].properties.size(), 4u);
    EXPECT_EQ(cards[0].properties[0].components.size(), 7u);
    EXPECT_EQ(cards[0].properties[0].types, (std::vector<std::string>{"WORK", "PREF"}));
    EXPECT_EQ(cards[0].properties[3].components, (std::vector<std::string>{"x", "y"}));
    ASSERT_EQ(cards[1].properties.size(), 1u);
    EXPECT_EQ(cards[1].properties[0].name, "FN");
    EXPECT_EQ(cards[1].properties[0].components, std::vector<std::string>{"Only"});
    EXPECT_TRUE(cards[1].properties[0].types.empty());
    ASSERT_EQ(cards[2].properties.size(), 3u);
    // A URL is one component, taken as written, though its slot held seven.
    EXPECT_EQ(cards[2].properties[0].components, std::vector<std::string>{"https://example.org/a;b\\c"});
    EXPECT_TRUE(cards[2].properties[1].types.empty());
    EXPECT_FALSE(cards[2].properties[1].hasType("CELL"));
    EXPECT_EQ(cards[2].properties[2].components, (std::vector<std::string>{"L", "F"}));
}

TEST(VCardTest, ColonsInQuotedParametersAndBackslashesAtTheEnd) {
    const std::vector<Card> cards = ReadCards(
        "BEGIN:VCARD\nX-LINK;LABEL=\"see: here\";type=home:v1\nNOTE:ends in\\\nTEL;\"q\":9\nEND:VCARD\n");
    ASSERT_EQ(cards.size(), 1u);
    const CardProperty* link = Find(cards[0], "X-LINK");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->text(), "v1");
    EXPECT_TRUE(link->hasType("HOME"));
    // A backslash with nothing after it is kept.
    EXPECT_EQ(Find(cards[0], "NOTE")->text(), "ends in\\");
    EXPECT_EQ(Find(cards[0], "TEL")->text(), "9");
    EXPECT_EQ(Find(cards[0], "TEL")->types, std::vector<std::string>{"Q"});
}

TEST(VCardTest, EveryLineKeepsItsTextsWhateverBufferTheyPassedThrough) {
    // Short values (kept inside their buffer's own object) that were folded,
    // escaped, quoted-printable or Windows-1252, many in a card after a
    // small one: each line's parts must still be its own when the card is
    // handed over.
    std::string second = "BEGIN:VCARD\r\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 5) {
        case 0: second += "X-A:f" + n + "\r\n o\r\n", expected.push_back("f" + n + "o"); break;
        case 1: second += "X-A:e\\;" + n + "\r\n", expected.push_back("e;" + n); break;
        case 2:
            second += "X-A;ENCODING=QUOTED-PRINTABLE:q=3D" + n + "\r\n", expected.push_back("q=" + n);
            break;
        case 3: second += "X-A:w\xE9" + n + "\r\n", expected.push_back("w\xC3\xA9" + n); break;
        default: second += "X-A:p" + n + "\r\n", expected.push_back("p" + n);
        }
    }
    second += "END:VCARD\r\n";
    const std::string text = "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n" + second + second;

    const std::vector<Card> cards = ReadCards(text);
    ASSERT_EQ(cards.size(), 3u);
    for (std::size_t c = 1; c < 3; ++c) {
        ASSERT_EQ(cards[c].properties.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(cards[c].properties[i].text(), expected[i]) << c << " " << i;
    }

    // The same while the card is handed over, before the next one is read.
    std::vector<std::string> seen;
    ForEachCard(text, [&seen](const CardLines& lines) {
        for (const CardLine& line : lines) seen.push_back(line.text());
    });
    ASSERT_EQ(seen.size(), 1 + 2 * expected.size());
    EXPECT_EQ(seen[0], "A");
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(seen[1 + i], expected[i]) << i;
        EXPECT_EQ(seen[1 + expected.size() + i], expected[i]) << i;
    }
}
