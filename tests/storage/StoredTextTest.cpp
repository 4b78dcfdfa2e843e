#include <gtest/gtest.h>

#include "storage/StoredText.h"

using veltrin::StoredTextToUtf8;

TEST(StoredText, WellFormedUtf8StaysAsItIs) {
    for (const std::string& s : {std::string(""), std::string("plain"), std::string("a\0b", 3),
                                 std::string("Gr\xC3\xBC\xC3\x9F"
                                             "e"),
                                 std::string("\xE2\x82\xAC 5"),                 // €
                                 std::string("\xF0\x9F\x8E\x82"),               // U+1F382
                                 std::string("\xEF\xBF\xBF\xF4\x8F\xBF\xBF")})  // U+FFFF, U+10FFFF
        EXPECT_EQ(StoredTextToUtf8(s), s);
}

TEST(StoredText, OtherBytesAreWindows1252) {
    EXPECT_EQ(StoredTextToUtf8("Caf\xE9"), "Café");
    EXPECT_EQ(StoredTextToUtf8("\x80\x85\x93q\x94\x99\x9F\xA0\xFF"), "€…“q”™Ÿ\u00A0ÿ");
    // The five bytes the code page leaves open keep their value.
    EXPECT_EQ(StoredTextToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
    // Both in one text: a Windows note edited here.
    EXPECT_EQ(StoredTextToUtf8("\xE9t\xE9 na\xC3\xAFve"), "été naïve");
}

TEST(StoredText, MalformedSequencesFallBackByteByByte) {
    EXPECT_EQ(StoredTextToUtf8("\xC0\x80"), "À€");                 // overlong NUL
    EXPECT_EQ(StoredTextToUtf8("\xE0\x80\xAF"), "à€¯");            // overlong slash
    EXPECT_EQ(StoredTextToUtf8("\xED\xA0\x80"), "í\u00A0€");       // a surrogate
    EXPECT_EQ(StoredTextToUtf8("\xF4\x90\x80\x80"), "ô\u0090€€");  // above U+10FFFF
    EXPECT_EQ(StoredTextToUtf8("\xF5\xBF"), "õ¿");
    EXPECT_EQ(StoredTextToUtf8("ab\xE2\x82"), "abâ‚");  // cut short at the end
    EXPECT_EQ(StoredTextToUtf8("\xE2\x82x"), "â‚x");
}

TEST(StoredText, EveryByteStringComesOutAsUtf8) {
    // Decoding again changes nothing only if the first result was well formed.
    std::string all;
    for (int a = 0; a < 256; ++a)
        for (int b : {0x00, 0x41, 0x80, 0x9F, 0xA0, 0xBF, 0xC0, 0xE0, 0xF0, 0xFF}) {
            all += static_cast<char>(a);
            all += static_cast<char>(b);
        }
    const std::string once = StoredTextToUtf8(all);
    EXPECT_EQ(StoredTextToUtf8(once), once);
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string decoded = StoredTextToUtf8(one);
        EXPECT_EQ(StoredTextToUtf8(decoded), decoded) << b;
        if (b < 0x80)
            EXPECT_EQ(decoded, one);
        else
            EXPECT_GE(decoded.size(), 2u) << b;
    }
}

TEST(StoredText, StrayBytesBetweenRunsOfUtf8) {
    // Runs before, between and after stray bytes each come out whole, in order.
    EXPECT_EQ(StoredTextToUtf8("\xE9"
                               "abc \xC3\xBC\x80\x80 d\xE2\x82\xAC\xFF"),
              "éabc ü€€ d€ÿ");
    EXPECT_EQ(StoredTextToUtf8("x\xC3"), "xÃ");
    EXPECT_EQ(StoredTextToUtf8(std::string("\0\xA0\0", 3)), std::string("\0\xC2\xA0\0", 4));

    EXPECT_TRUE(veltrin::IsUtf8(""));
    EXPECT_TRUE(
        veltrin::IsUtf8("plain and Gr\xC3\xBC\xC3\x9F"
                        "e \xF0\x9F\x8E\x82"));
    EXPECT_FALSE(veltrin::IsUtf8("Caf\xE9"));
    EXPECT_FALSE(veltrin::IsUtf8("ab\xE2\x82"));  // cut short at the end
    EXPECT_FALSE(veltrin::IsUtf8("\xED\xA0\x80"));
}
