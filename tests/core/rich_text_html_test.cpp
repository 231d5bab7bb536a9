#include "core/rich_text_html.h"

#include <gtest/gtest.h>

namespace kinemo {
namespace {

TEST(MarkupToHtml, PlainTextIsEscapedAndKeepsItsLineBreaks) {
    EXPECT_EQ(markupToHtml("Bolts & nuts\r\nnext \"line\""), "Bolts &amp; nuts<br>next &quot;line&quot;");
}

TEST(MarkupToHtml, BoldItalicFontTagBecomesAStyledSpan) {
    EXPECT_EQ(markupToHtml("<kmxFONT dweffects = \"BoldItalic\">x</kmxFONT>"),
              "<span style=\"font-weight:bold; font-style:italic; text-decoration:none;\">x</span>");
}

TEST(MarkupToHtml, HeightInTwipsColourAsBgrAndLoweredText) {
    EXPECT_EQ(markupToHtml("<kmxFONT height = \"300\" offset = \"-40\" crColor = \"ff0000\">y</kmxFONT>"),
              "<span style=\"font-size:15pt; vertical-align:sub; color:#0000ff;\">y</span>");
}

TEST(MarkupToHtml, SecureTextIsBoldAndRed) {
    EXPECT_NE(markupToHtml("<kmxFONT mode = \"secure\">pin</kmxFONT>").find("color:#ff0000"), std::string::npos);
}

TEST(MarkupToHtml, AParagraphWithBulletsBecomesAListItemAndClosesItsSpans) {
    EXPECT_EQ(markupToHtml("<kmxPARAGRAPH alignment = \"Center\" numbering = \"True\"><kmxFONT height = \"100\">a"
                           "</kmxPARAGRAPH>"),
              "<ul><li align=\"center\"><span style=\"font-size:5pt;\">a</span></li></ul>");
}

TEST(MarkupToHtml, PicturesAreFoundBesideTheDocumentWithEitherSeparator) {
    EXPECT_EQ(markupToHtml("<kmxOLE_OBJECT sizex = \"10\" sizey = \"10\" name = \"references\\bolt.jpg\">"
                           "</kmxOLE_OBJECT>",
                           "/guides"),
              "<img src=\"/guides/references/bolt.jpg\">");
}

TEST(MarkupToHtml, CircledNumbersUseTheirEnclosedDigitsOtherwiseBrackets) {
    EXPECT_EQ(markupToHtml("<kmxMETA_CIRCLE sizex = \"1\" sizey = \"1\" name = \"3\"></kmxMETA_CIRCLE>"), "&#9314;");
    EXPECT_EQ(markupToHtml("<kmxMETA_CIRCLE sizex = \"1\" sizey = \"1\" name = \"A\"></kmxMETA_CIRCLE>"), "(A)");
    EXPECT_EQ(markupToHtml("<kmxMETA_SQUARE sizex = \"1\" sizey = \"1\" name = \"21\"></kmxMETA_SQUARE>"), "[21]");
}

TEST(MarkupToHtml, ALoneClosingTagIsDroppedAndTheTextStays) { EXPECT_EQ(markupToHtml("a</kmxFONT>"), "a"); }

TEST(MarkupToHtml, AnOpenAngleWithoutCloseIsKeptAsText) {
    EXPECT_EQ(markupToHtml("a <kmxFONT height"), "a &lt;kmxFONT height");
}

TEST(MarkupToHtml, AnUnclosedFontTagIsClosedAtTheEnd) {
    EXPECT_EQ(markupToHtml("<kmxFONT dweffects = \"None\">z"),
              "<span style=\"font-weight:normal; font-style:normal; text-decoration:none;\">z</span>");
}

}  // namespace
}  // namespace kinemo
