#include <gtest/gtest.h>

#include "documents/MarkupText.h"

using veltrin::MarkupToText;

TEST(MarkupText, TagsAndAttributesAreNotText) {
    EXPECT_EQ(MarkupToText("<p class=\"cafe\" title='a > b'>Tea</p>"), "\nTea\n");
    EXPECT_EQ(MarkupToText("<a href=\"http://example.invalid/?q=1&amp;r=2\">link</a>"), "link");
    // Inline tags do not split a word; blocks keep words apart.
    EXPECT_EQ(MarkupToText("Ca<b>f</b>&eacute;"), "Café");
    EXPECT_EQ(MarkupToText("one<br>two<div>three</div>"), "one\ntwo\nthree\n");
}

TEST(MarkupText, HiddenContentAndCommentsAreNotText) {
    EXPECT_EQ(MarkupToText("<head><title>T</title><style>p{}</style></head>a<script>if (a<b) x='</p>';"
                           "</SCRIPT >b<!-- c -->d<!DOCTYPE html>"),
              "ab"
              "d");
    EXPECT_EQ(MarkupToText("a<script>never closed"), "a");
    EXPECT_EQ(MarkupToText("a<!-- never closed"), "a");
    EXPECT_EQ(MarkupToText("a<scriptless>b</scriptless>"), "ab");
}

TEST(MarkupText, ReferencesAreDecoded) {
    EXPECT_EQ(MarkupToText("&lt;&gt;&amp;&quot;&nbsp;&euro;&#233;&#xE9;&#X41;&#65"), "<>&\"\u00A0€ééAA");
    // Out of range, zero and surrogates give the replacement character.
    EXPECT_EQ(MarkupToText("&#0;&#xD800;&#99999999999999;"), "\uFFFD\uFFFD\uFFFD");
    // What is no reference stays as typed.
    EXPECT_EQ(MarkupToText("R&D &unknown; &#; & x &amp"), "R&D &unknown; &#; & x &amp");
}

TEST(MarkupText, StrayBracketsAreText) {
    EXPECT_EQ(MarkupToText("a < b, 3<4, <>"), "a < b, 3<4, <>");
    EXPECT_EQ(MarkupToText("<p unfinished"), "\n");
    EXPECT_EQ(MarkupToText(""), "");
}

TEST(MarkupToFlowingTextTest, WhiteSpaceFlowsAsThePageShowsIt) {
    using veltrin::MarkupToFlowingText;
    // Source line breaks are spaces; blocks are one break apart, with no blank lines or ends.
    EXPECT_EQ(MarkupToFlowingText(
                  "<html>\n<body>\n  <p>one\n   two</p>\n\n<p> three </p><div><br></div>x\t</body>"),
              "one two\nthree\nx");
    // Inline tags join words as the page does, and the text of hidden elements stays out.
    EXPECT_EQ(MarkupToFlowingText("<head><title>T</title></head>Ca<b>f</b>&eacute; &nbsp;<i>au</i> lait"),
              "Caf\xC3\xA9 \xC2\xA0"
              "au lait");
    EXPECT_EQ(MarkupToFlowingText(" \n\t "), "");
}
