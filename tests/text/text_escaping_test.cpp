#include "text/text_escaping.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace kinemo {
namespace {

TEST(UnescapeText, DropsTheContinuationMarkAfterALineBreak) { EXPECT_EQ(unescapeText("a\r\n# b"), "a\r\nb"); }

TEST(UnescapeText, CopiesTheCharacterAfterADroppedPairEvenWhenItIsAHash) {
    EXPECT_EQ(unescapeText("x# #y"), "x#y");
    EXPECT_EQ(unescapeText("###"), "#");
}

TEST(UnescapeText, DropsOnlyTheHashBeforeALineFeed) { EXPECT_EQ(unescapeText("a#\nb"), "a\r\nb"); }

TEST(UnescapeText, TurnsATabIntoTwoBlanks) { EXPECT_EQ(unescapeText("a\tb"), "a  b"); }

TEST(UnescapeText, TurnsALoneLineFeedIntoCrLfButKeepsOneAtTheVeryStart) {
    EXPECT_EQ(unescapeText("a\nb"), "a\r\nb");
    EXPECT_EQ(unescapeText("\nb"), "\nb");
}

TEST(UnescapeText, GivesNoTextAvailableForAnEmptyResult) {
    EXPECT_EQ(unescapeText(""), "No text available");
    EXPECT_EQ(unescapeText("#x"), "No text available");
}

TEST(UnescapeText, AHashAtTheEndDoesNotReadPastTheRange) {
    const std::string buffer = "ab#Z";
    EXPECT_EQ(unescapeText(std::string_view(buffer).substr(0, 3)), "ab");
}

TEST(EscapeTagText, FollowsEveryLineFeedWithTheContinuationMark) { EXPECT_EQ(escapeTagText("a\r\nb"), "a\r\n# b"); }

TEST(EscapeTagText, KeepsAHashThatTheUserTyped) {
    const std::string written = escapeTagText("Pos. #3");
    EXPECT_EQ(unescapeText(written), "Pos. #3");
}

TEST(EscapeTagText, WritesAHashAtTheStartOfALineAsItIs) {
    EXPECT_EQ(escapeTagText("a\r\n#b"), "a\r\n# #b");
    EXPECT_EQ(unescapeText(escapeTagText("a\r\n##b")), "a\r\n##b");
}

TEST(EscapeTagText, BreaksUpTheTagsTheReaderLooksFor) {
    for (const char* tag : {"</kmxTEXT>", "<kmxLANGUAGE", "</kmxLANGUAGE>", "<ImageData>"}) {
        const std::string text = std::string("a ") + tag + " b";
        const std::string written = escapeTagText(text);
        EXPECT_EQ(written.find(tag), std::string::npos) << tag;
        EXPECT_EQ(unescapeText(written), text) << tag;
    }
}

TEST(EscapeTagText, EndsATextThatEndsInPartOfATagWithAMarkThatReadsAsNothing) {
    const std::string written = escapeTagText("a <kmx");
    EXPECT_EQ(written, "a <kmx#");
    EXPECT_EQ(unescapeText(written), "a <kmx");
    EXPECT_EQ(escapeTagText("a < b"), "a < b");
}

TEST(EscapeTagText, LeavesRichTextMarkupAlone) {
    const std::string text = "<kmxFONT height = \"200\">x</kmxFONT>";
    EXPECT_EQ(escapeTagText(text), text);
}

TEST(EscapeBracketText, BreaksUpTheClosingQuoteAndTheEndMark) {
    const std::string text = "say \"]\" and [END] here";
    const std::string written = escapeBracketText(text);
    EXPECT_EQ(written.find("\"]"), std::string::npos);
    EXPECT_EQ(written.find("[END]"), std::string::npos);
    EXPECT_EQ(unescapeText(written), text);
}

// Texts as the program keeps them: Windows-1252 bytes, CR LF line breaks, no tabs.
std::string randomText(std::mt19937& random) {
    static const std::string pieces[] = {
        "#",           "##",   "\r\n", "\"", "\"]", "[END]", "<",    "</kmxTEXT>", "<kmxLANGUAGE", "</kmxLANGUAGE>",
        "<ImageData>", "<kmx", "</",   "a",  "Z",   " ",     "\xE4", "\xFC",       "\xDF",         "\x80",
        "\xFF",        "]",    "[",    ">",  "/>"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(1, 12);
    std::string text;
    for (int n = length(random); n > 0; --n) text += pieces[pick(random)];
    return text;
}

TEST(EscapeTagText, ReadsBackEveryTextUnchanged) {
    std::mt19937 random(7);
    for (int i = 0; i < 5000; ++i) {
        const std::string text = randomText(random);
        ASSERT_EQ(unescapeText(escapeTagText(text)), text) << i;
        ASSERT_EQ(unescapeText(escapeBracketText(text)), text) << i;
    }
}

TEST(ToAsciiName, ReplacesUmlautsAndKeepsTheSharpS) {
    EXPECT_EQ(toAsciiName("\xDC"
                          "bergr\xF6\xDF"
                          "e"),
              "Uebergroe\xDF"
              "e");
}

TEST(ToAsciiName, ReplacesAccentedEAndCapitalUmlauts) { EXPECT_EQ(toAsciiName("\xE8\xE9\xC4\xD6\xE4"), "eeAeOeae"); }

}  // namespace
}  // namespace kinemo
