#include "scene/tokenizer.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "geometry/vector.h"

namespace kinemo {
namespace {

// A zero-terminated copy of text in a heap block of exactly its size, so that the sanitizer build
// catches any read past the terminator; unchanged() tells whether the text was written.
class Text {
public:
    explicit Text(std::string_view text) : original_(text), bytes_(new char[text.size() + 1]) {
        std::memcpy(bytes_.get(), text.data(), text.size());
        bytes_[text.size()] = 0;
    }
    const char* c() const { return bytes_.get(); }
    const char* at(std::size_t i) const { return bytes_.get() + i; }
    const char* end() const { return bytes_.get() + original_.size(); }
    bool unchanged() const { return std::memcmp(bytes_.get(), original_.data(), original_.size() + 1) == 0; }

private:
    std::string original_;
    std::unique_ptr<char[]> bytes_;
};

float fromChars(std::string_view s) {
    float f = 0.0f;
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    std::from_chars(s.data(), s.data() + s.size(), f);
    return f;
}

std::vector<float> listOf(const VectorF& v) { return std::vector<float>(v.begin(), v.end()); }

// --- float block

TEST(ReadFloatBlock, ReadsThreeNumbersInParenthesesAndContinuesAfterTheParenthesis) {
    Text t("(1.5, -2, 3e2) rest");
    float out[3];
    const char* next = readFloatBlock(out, t.c(), 3, false);
    EXPECT_EQ(out[0], 1.5f);
    EXPECT_EQ(out[1], -2.0f);
    EXPECT_EQ(out[2], 300.0f);
    EXPECT_EQ(next, t.at(14));
    EXPECT_TRUE(t.unchanged());
}

TEST(ReadFloatBlock, StopsAtTheLineEndWhenAsked) {
    Text t(" 1 2 3\r\n4 5");
    float out[3];
    const char* next = readFloatBlock(out, t.c(), 3, true);
    EXPECT_EQ(out[2], 3.0f);
    EXPECT_EQ(next, t.at(8));
    EXPECT_TRUE(t.unchanged());
}

TEST(ReadFloatBlock, LogsTheWarningAndFillsMissingValuesWithZero) {
    Text t("7 8");
    float out[4] = {9, 9, 9, 9};
    ::testing::internal::CaptureStdout();
    const char* next = readFloatBlock(out, t.c(), 4, true);
    const std::string log = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Warning in Tokenizer::readFloatBlock, expected 4, found 2"), std::string::npos) << log;
    EXPECT_EQ(out[0], 7.0f);
    EXPECT_EQ(out[1], 8.0f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_EQ(out[3], 0.0f);
    EXPECT_EQ(next, t.end());
}

TEST(ReadFloatBlock, LeavesABraceToTheCallersCounting) {
    Text t("1 2 3 }\nShape {");
    float out[3];
    const char* next = readFloatBlock(out, t.c(), 3, false);
    EXPECT_EQ(out[2], 3.0f);
    EXPECT_EQ(*next, '}');
}

TEST(ReadFloatBlock, ReadsNothingFromNullText) {
    float out[2] = {5, 5};
    EXPECT_EQ(readFloatBlock(out, nullptr, 2, true), nullptr);
    EXPECT_EQ(out[0], 0.0f);
}

// --- float list

TEST(ReadFloatList, ReadsABracketedListSeparatedByABlankAndAComma) {
    Text t("[1 2, 3] next");
    VectorF v;
    const char* next = readFloatList(v, t.c());
    EXPECT_EQ(listOf(v), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(next, t.at(8));
    EXPECT_TRUE(t.unchanged());
}

TEST(ReadFloatList, TakesTabsCarriageReturnsAndLineFeedsAsSeparators) {
    Text t("[\t1\t2\r\n3,\r\n4\n]");
    VectorF v;
    readFloatList(v, t.c());
    EXPECT_EQ(listOf(v), (std::vector<float>{1, 2, 3, 4}));
}

TEST(ReadFloatList, GoesOnOverCommentLines) {
    Text t("[ 1 2\n#  3 4\n# 5 ]");
    VectorF v;
    readFloatList(v, t.c());
    EXPECT_EQ(listOf(v), (std::vector<float>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(t.unchanged());
}

TEST(ReadFloatList, EndsAtAClosingParenthesis) {
    Text t("(0.25 0.5) ]");
    std::vector<float> v;
    const char* next = readFloatList(v, t.c());
    EXPECT_EQ(v, (std::vector<float>{0.25f, 0.5f}));
    EXPECT_EQ(next, t.at(10));
}

TEST(ReadFloatList, ReadsAnUnterminatedListToTheEndOfTheTextAndNoFurther) {
    Text t("[1 2 3");
    VectorF v;
    const char* next = readFloatList(v, t.c());
    EXPECT_EQ(listOf(v), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(next, t.end());
}

TEST(ReadFloatList, StopsAtAZeroByteInTheMiddleOfTheText) {
    const char text[] = "[1 2\0 3 ]";
    VectorF v;
    EXPECT_EQ(readFloatList(v, text), text + 4);
    EXPECT_EQ(listOf(v), (std::vector<float>{1, 2}));
    std::vector<std::int32_t> indices;
    EXPECT_EQ(readIntList(indices, text), nullptr);
}

TEST(ReadFloatList, StopsAtABraceWhenTheBracketIsMissing) {
    Text t("[1 2 } } Shape { point [ 5 6 ]");
    VectorF v;
    const char* next = readFloatList(v, t.c());
    EXPECT_EQ(listOf(v), (std::vector<float>{1, 2}));
    EXPECT_EQ(next, t.at(5));
}

TEST(ReadFloatList, StopsAtTheEndOfARangeWithoutZeroByte) {
    const std::string s = "[1 2 3 4]";
    VectorF v;
    const char* next = readFloatList(v, s.data(), s.data() + 4);
    EXPECT_EQ(listOf(v), (std::vector<float>{1, 2}));
    EXPECT_EQ(next, s.data() + 4);
}

TEST(ReadFloatList, ReadsAnEmptyListAsNoValues) {
    VectorF v(3);
    Text t("[ ]");
    EXPECT_EQ(readFloatList(v, t.c()), t.end());
    EXPECT_EQ(v.count(), 0);
    Text empty("");
    EXPECT_EQ(readFloatList(v, empty.c()), empty.c());
    EXPECT_EQ(v.count(), 0);
}

TEST(ReadFloatList, ReadsNonNumbersAndNonFiniteNumbersAsZero) {
    Text t("[nan inf -infinity 1e999 abc 2 1e-60 -]");
    VectorF v;
    readFloatList(v, t.c());
    ASSERT_EQ(v.count(), 8);
    for (float f : v) EXPECT_TRUE(std::isfinite(f));
    EXPECT_EQ(listOf(v), (std::vector<float>{0, 0, 0, 0, 0, 2, 0, 0}));
}

TEST(ReadFloatList, ReadsHugeDigitStringsWithoutHarm) {
    std::string digits(5000, '7');
    Text t("[" + digits + " 0." + digits + " " + std::string(300, '0') + "1.5 ]");
    VectorF v;
    readFloatList(v, t.c());
    ASSERT_EQ(v.count(), 3);
    EXPECT_EQ(v[0], 0.0f);  // far beyond the float range
    EXPECT_EQ(v[1], fromChars("0." + digits));
    EXPECT_EQ(v[2], 1.5f);
}

TEST(ReadFloatList, ReadsZeroTerminatedTextAndRangesToTheSameValues) {
    // The zero-terminated form reads plain decimals where they stand; the range form token by
    // token. Both must give from_chars' value for every token.
    std::mt19937 random(3);
    const char* odd[] = {"-", "-.5", "+2.5", "1.5e3", "1.5abc", "--1", ".", "-0.0", "00001.5000", "7.",
                         "12345678901234567890.5", "0.00000000000000000000000001", "#", "1e-3x", "-x"};
    std::string text = "[";
    std::vector<std::string> tokens;
    for (int i = 0; i < 20000; ++i) {
        std::string token;
        if (i % 10 == 0) {
            token = odd[random() % (sizeof odd / sizeof odd[0])];
        } else {
            const double v = (static_cast<double>(random()) / 4294967296.0 - 0.5) * 2000.0;
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(3 + random() % 4), v);
            token = buffer;
        }
        if (token != "#") tokens.push_back(token);
        text += token;
        text += (i % 3 == 0) ? ",\n" : (i % 3 == 1 ? " " : "\t");
    }
    text += "]";
    Text t(text);
    VectorF zeroTerminated;
    std::vector<float> ranged;
    EXPECT_EQ(readFloatList(zeroTerminated, t.c()), t.end());
    EXPECT_EQ(readFloatList(ranged, t.c(), t.end()), t.end());
    ASSERT_EQ(zeroTerminated.count(), static_cast<std::int32_t>(tokens.size()));
    ASSERT_EQ(ranged.size(), tokens.size());
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        float reference = 0.0f;
        parseFloatToken(tokens[i], reference);
        const float a = zeroTerminated[static_cast<std::int32_t>(i)];
        EXPECT_EQ(std::memcmp(&a, &reference, sizeof a), 0) << tokens[i];
        EXPECT_EQ(std::memcmp(&ranged[i], &reference, sizeof a), 0) << tokens[i];
    }
}

// --- integer lists

TEST(ReadIntList, ReadsAnIndexListWithFaceSeparators) {
    Text t("[ 0, 1, 2, -1,\n 2 3 (4) -1 ] x");
    std::vector<std::int32_t> v;
    const char* next = readIntList(v, t.c());
    EXPECT_EQ(v, (std::vector<std::int32_t>{0, 1, 2, -1, 2, 3, 4, -1}));
    EXPECT_EQ(next, t.at(28));
    EXPECT_TRUE(t.unchanged());
}

TEST(ReadIntList, RefusesAListWithoutBrackets) {
    std::vector<std::int32_t> v{1};
    Text open("[ 1 2 3");
    EXPECT_EQ(readIntList(v, open.c()), nullptr);
    EXPECT_TRUE(v.empty());
    Text broken("[ 1 2 } Shape { coordIndex [ 3 ]");
    EXPECT_EQ(readIntList(v, broken.c()), nullptr);
    EXPECT_TRUE(v.empty());
    Text bare("1 2 3 ]");
    EXPECT_EQ(readIntList(v, bare.c()), nullptr);
}

TEST(ReadIntList, SaturatesOverlongNumbersAndSkipsWords) {
    Text t("[ 99999999999999999999999 -99999999999 x 5 7.9 ]");
    std::vector<std::int32_t> v;
    ASSERT_NE(readIntList(v, t.c()), nullptr);
    EXPECT_EQ(v, (std::vector<std::int32_t>{INT32_MAX, INT32_MIN, 5, 7}));
}

TEST(ReadIntList, ReadsZeroTerminatedTextAndRangesToTheSameValues) {
    Text t("[ 0, -1, +7, 2147483647, 2147483648, -2147483648, -2147483649, 123456789012345, x, -, 5x, (3), 4 ]");
    std::vector<std::int32_t> zeroTerminated, ranged;
    ASSERT_NE(readIntList(zeroTerminated, t.c()), nullptr);
    ASSERT_NE(readIntList(ranged, t.c(), t.end()), nullptr);
    EXPECT_EQ(zeroTerminated, ranged);
    EXPECT_EQ(zeroTerminated, (std::vector<std::int32_t>{0, -1, 7, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN,
                                                         INT32_MAX, 5, 3, 4}));
}

TEST(ReadIntList, ReadsNumbersOfEveryLengthWhereverTheRangeEnds) {
    // Numbers are read eight characters at a time where eight are left: every length, sign and
    // separator, and ranges ending right after a number, give what a digit-by-digit read gives.
    std::mt19937 random(11);
    std::string text = "[";
    std::vector<std::int32_t> expected;
    for (int i = 0; i < 5000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 12);
        std::string token = (random() % 3 == 0) ? "-" : "";
        for (int d = 0; d < digits; ++d) token += static_cast<char>('0' + random() % 10);
        long long v = 0;
        std::from_chars(token.data(), token.data() + token.size(), v);
        expected.push_back(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(v));
        text += token;
        text += (i % 4 == 0) ? ",\n                " : (i % 4 == 1 ? ", " : (i % 4 == 2 ? "\t" : ","));
    }
    text += "]";
    std::vector<std::int32_t> v;
    Text whole(text);
    ASSERT_EQ(readIntList(v, whole.c(), whole.end()), whole.end());
    EXPECT_EQ(v, expected);
    for (std::size_t cut = 1; cut < 40; ++cut) {
        // The last number ends the range itself (no "]"): the list is cut off and refused.
        const std::string head = text.substr(0, text.size() - cut);
        Text part(head);
        EXPECT_EQ(readIntList(v, part.c(), part.end()), nullptr) << cut;
        Text closed(head + "]");
        ASSERT_EQ(readIntList(v, closed.c(), closed.end()), closed.end()) << cut;
        std::vector<std::int32_t> zeroTerminated;
        ASSERT_NE(readIntList(zeroTerminated, closed.c()), nullptr);
        EXPECT_EQ(v, zeroTerminated) << cut;
    }
}

TEST(ReadFloatList, ReadsLongDigitRunsAndNumbersAtTheEndOfARangeLikeSingleTokens) {
    std::mt19937 random(5);
    std::string text = "[";
    std::vector<std::string> tokens;
    for (int i = 0; i < 5000; ++i) {
        std::string token = (random() % 2) ? "-" : "";
        const int whole = static_cast<int>(random() % 10), fraction = static_cast<int>(random() % 10);
        for (int d = 0; d < whole; ++d) token += static_cast<char>('0' + random() % 10);
        if (fraction > 0 || random() % 4 == 0) token += '.';
        for (int d = 0; d < fraction; ++d) token += static_cast<char>('0' + random() % 10);
        if (token.empty() || token == "-") token += '0';
        if (random() % 20 == 0) token += "e-2";
        tokens.push_back(token);
        text += token;
        text += (i % 3 == 0) ? ",\n                  " : " ";
    }
    for (std::size_t cut = 0; cut < 24; ++cut) {
        const std::string body = text.substr(0, text.size() - cut);
        Text t(body + "]");
        std::vector<float> ranged;
        VectorF zeroTerminated;
        EXPECT_EQ(readFloatList(ranged, t.c(), t.end()), t.end());
        readFloatList(zeroTerminated, t.c());
        ASSERT_EQ(zeroTerminated.count(), static_cast<std::int32_t>(ranged.size()));
        for (std::size_t i = 0; i < ranged.size(); ++i) {
            const float a = zeroTerminated[static_cast<std::int32_t>(i)];
            ASSERT_EQ(std::memcmp(&a, &ranged[i], sizeof a), 0) << i << " cut " << cut;
        }
        if (cut == 0) {
            ASSERT_EQ(ranged.size(), tokens.size());
            for (std::size_t i = 0; i < tokens.size(); ++i) {
                float reference = 0.0f;
                parseFloatToken(tokens[i], reference);
                ASSERT_EQ(std::memcmp(&ranged[i], &reference, sizeof reference), 0) << tokens[i];
            }
        }
    }
}

// --- the float parser

TEST(ParseFloatToken, GivesExactlyWhatFromCharsGivesForPlainDecimals) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> length(1, 20);
    int tested = 0;
    for (int i = 0; i < 200000; ++i) {
        std::string s;
        if (i % 3 == 0) s += '-';
        int whole = length(random) % 8;
        for (int k = 0; k < whole; ++k) s += static_cast<char>('0' + digit(random));
        s += '.';
        int fraction = length(random);
        for (int k = 0; k < fraction; ++k) s += static_cast<char>('0' + digit(random));
        if (i % 7 == 0) {
            s += 'e';
            s += std::to_string(digit(random) * 5 - 25);
        }
        if (s == "." || s == "-.") continue;
        float fast = 0.0f;
        ASSERT_TRUE(parseFloatToken(s, fast)) << s;
        const float reference = fromChars(s);
        ASSERT_EQ(std::memcmp(&fast, &reference, sizeof fast), 0) << s << " " << fast << " " << reference;
        ++tested;
    }
    EXPECT_GT(tested, 190000);
}

TEST(ParseFloatToken, RoundsDecimalsNextToAFloatMidpointLikeFromChars) {
    // Each lies within half a double step of a point half way between two floats: rounding
    // through double would round twice.
    for (const char* s : {"1.0000000596046448", "1.0000000596046446", "16777217.000000001", "0.30000001192092896",
                          "3.4028235677973366e38", "1.1754943508222875e-38", "7.0064923216240861e-46"}) {
        float value = 0.0f;
        parseFloatToken(s, value);
        const float reference = fromChars(s);
        EXPECT_EQ(std::memcmp(&value, &reference, sizeof value), 0) << s;
    }
}

TEST(ParseFloatToken, AcceptsTheFormsFilesUse) {
    float v = 0.0f;
    EXPECT_TRUE(parseFloatToken("+.5", v));
    EXPECT_EQ(v, 0.5f);
    EXPECT_TRUE(parseFloatToken("5.", v));
    EXPECT_EQ(v, 5.0f);
    EXPECT_TRUE(parseFloatToken("-0", v));
    EXPECT_TRUE(std::signbit(v));
    EXPECT_TRUE(parseFloatToken("1E3", v));
    EXPECT_EQ(v, 1000.0f);
    EXPECT_TRUE(parseFloatToken("2e", v));
    EXPECT_EQ(v, 2.0f);
    EXPECT_TRUE(parseFloatToken("1.5abc", v));
    EXPECT_EQ(v, 1.5f);
    EXPECT_FALSE(parseFloatToken("+-1", v));
    EXPECT_FALSE(parseFloatToken(".", v));
    EXPECT_FALSE(parseFloatToken("", v));
    EXPECT_FALSE(parseFloatToken("NaN", v));
    EXPECT_EQ(v, 0.0f);
}

// --- tokens

TEST(CountTokens, CountsWithoutWritingIntoTheText) {
    Text t(" a,b  c,,d ");
    EXPECT_EQ(countTokens(t.c(), " ,"), 4u);
    EXPECT_TRUE(t.unchanged());
    EXPECT_EQ(countTokens("", " "), 0u);
    EXPECT_EQ(countTokens(nullptr, " "), 0u);
}

TEST(TokenReader, WalksTheSameTokensThatCountTokensCounts) {
    Text t(" 1.5,  -2\t3\n");
    TokenReader reader(t.c(), nullptr, kNumberSeparators);
    std::vector<std::string> tokens;
    std::string_view token;
    while (reader.next(token)) tokens.emplace_back(token);
    EXPECT_EQ(tokens, (std::vector<std::string>{"1.5", "-2", "3"}));
    EXPECT_EQ(tokens.size(), countTokens(t.c(), nullptr, kNumberSeparators));
    EXPECT_EQ(reader.position(), t.end());
}

TEST(SkipAllOf, GivesTheFirstOtherCharacterOrNull) {
    Text t("  (x");
    EXPECT_EQ(skipAllOf(" (", t.c(), nullptr), t.at(3));
    EXPECT_EQ(skipAllOf(" (", t.c(), t.at(3)), nullptr);
    EXPECT_EQ(skipAllOf(" (x", t.c(), nullptr), nullptr);
    EXPECT_EQ(findFirstOf("x", t.c(), nullptr), t.at(3));
    EXPECT_EQ(findFirstOf("x", t.c(), t.at(2)), nullptr);
    EXPECT_EQ(findFirstOf("y", t.c(), nullptr), nullptr);
}

TEST(FindAfter, GivesThePositionAfterTheKeyOrTheFallback) {
    Text t("a id 5");
    EXPECT_EQ(findAfter(t.c(), "id"), t.at(4));
    EXPECT_EQ(findAfter(t.c(), "xx"), nullptr);
    EXPECT_EQ(findAfterOr(t.c(), "xx", t.c()), t.c());
    EXPECT_EQ(findAfter(std::string_view("a id 5", 3), "id"), nullptr);
    EXPECT_EQ(findAfter(nullptr, "id"), nullptr);
}

// --- values after keys

TEST(ReadAfterKey, ReadsIntegersFloatsAndBooleansAfterColonsAndBlanks) {
    Text t("# id: 42\n# duration 2.50\n# dowait: Yes\n# other: 1\n");
    EXPECT_EQ(readIntAfterKey(t.c(), "id", -1), 42);
    EXPECT_EQ(readFloatAfterKey(t.c(), "duration", 0), 2.5);
    EXPECT_TRUE(readBoolAfterKey(t.c(), "dowait", false));
    EXPECT_FALSE(readBoolAfterKey(t.c(), "other", true));
    EXPECT_EQ(readIntAfterKey(t.c(), "missing", -1), -1);
    EXPECT_EQ(readFloatAfterKey(t.c(), "missing", 0.5), 0.5);
    EXPECT_TRUE(readBoolAfterKey(t.c(), "missing", true));
    EXPECT_TRUE(t.unchanged());
}

TEST(ReadAfterKey, SaturatesOverlongIntegersAndRefusesNonFiniteFloats) {
    Text t("id 99999999999999999999999999 x nan y 1e400 z -12abc");
    EXPECT_EQ(readIntAfterKey(t.c(), "id", 0), INT32_MAX);
    EXPECT_EQ(readFloatAfterKey(t.c(), "x", 1), 0.0);
    EXPECT_EQ(readFloatAfterKey(t.c(), "y", 1), 0.0);
    EXPECT_EQ(readIntAfterKey(t.c(), "z", 0), -12);
}

TEST(ReadAfterKey, GivesZeroWhenOnlyBlanksFollowTheKey) {
    Text t(std::string("id") + std::string(200, ' ') + "5");
    EXPECT_EQ(readIntAfterKey(t.c(), "id", -1), 0);
    Text end("id: ");
    EXPECT_EQ(readIntAfterKey(end.c(), "id", -1), 0);
    EXPECT_FALSE(readBoolAfterKey(end.c(), "id", true));
}

TEST(ReadStringAfterKey, GivesTheWordAfterTheKeyOrTheDefault) {
    Text t("ChapterIconName: icon_3.jpg more\n");
    EXPECT_EQ(readStringAfterKey(t.c(), "ChapterIconName", "x"), "icon_3.jpg");
    EXPECT_EQ(readStringAfterKey(t.c(), "Missing", "x"), "x");
    EXPECT_EQ(readStringAfterKey(t.c(), "Missing", nullptr), "");
    EXPECT_EQ(readStringAfterKey(nullptr, "ChapterIconName", "d"), "d");
    Text tab("key: a\tb c");
    EXPECT_EQ(readStringAfterKey(tab.c(), "key", nullptr), "a\tb");
}

TEST(ReadStringAfterKey, RunsToTheEndOfTheTextWhenNoBlankFollowsWithinTheLimit) {
    std::string long_value(6000, 'v');
    Text t("key " + long_value);
    EXPECT_EQ(readStringAfterKey(t.c(), "key", nullptr).size(), 6000u);
}

TEST(ReadToken, StopsAtABlankOrLineBreakAndAtFiveThousandCharacters) {
    Text t(":  word\tstill rest");
    EXPECT_EQ(readToken(t.c()), "word\tstill");
    Text long_token(std::string(6000, 'w'));
    EXPECT_EQ(readToken(long_token.c()).size(), 5000u);
    EXPECT_EQ(readToken(nullptr), "");
}

TEST(ParseBool, KnowsYesTrueNoFalseAndOtherwiseGivesTheDefault) {
    EXPECT_TRUE(parseBool(": TRUE", false));
    EXPECT_TRUE(parseBool(" y", false));
    EXPECT_FALSE(parseBool("\tFALSE", true));
    EXPECT_FALSE(parseBool("no", true));
    EXPECT_TRUE(parseBool("1", true));
    EXPECT_FALSE(parseBool("1", false));
    EXPECT_TRUE(parseBool("", true));
    EXPECT_TRUE(parseBool(nullptr, true));
}

// --- attributes

TEST(Attributes, FindTheNameOnItsOwnNotInsideALongerName) {
    Text t("<kmxLANGUAGE width=\"3\" id=\"5\" name=\"English\">");
    EXPECT_EQ(readIntAttribute(t.c(), "id", -1), 5);
    EXPECT_EQ(readIntAttribute(t.c(), "width", -1), 3);
    EXPECT_EQ(readStringAttribute(t.c(), "name", "none"), "English");
    EXPECT_EQ(readIntAttribute(t.c(), "height", -1), -1);
}

TEST(Attributes, NeedTheEqualsSignWithinFiveCharacters) {
    Text near("<x id   = \"7\">");
    EXPECT_EQ(readIntAttribute(near.c(), "id", -1), 7);
    Text far("<x id      =\"7\">");
    EXPECT_EQ(findAttributeValue(far.c(), "id"), nullptr);
    EXPECT_EQ(readIntAttribute(far.c(), "id", -1), -1);
    Text noValue("<x id=\"\">");
    EXPECT_EQ(readIntAttribute(noValue.c(), "id", -1), -1);
}

TEST(Attributes, ReadAStringWithBlanksAndAnUnclosedOneToTheEnd) {
    Text t("<kmxFONT face=\"Arial Black\" size=\"3\">");
    EXPECT_EQ(readStringAttribute(t.c(), "face", ""), "Arial Black");
    Text open("<kmxFONT face=\"Arial");
    EXPECT_EQ(readStringAttribute(open.c(), "face", ""), "Arial");
    EXPECT_EQ(readStringAttribute(open.c(), "size", "d"), "d");
}

TEST(ReadQuoted, CopiesTheTextBetweenTheQuotesOrGivesTheFallback) {
    Text t(" url \"sounds/a b.wav\" loop TRUE");
    EXPECT_EQ(readQuoted(t.c(), "none"), "sounds/a b.wav");
    Text none(" url sounds");
    EXPECT_EQ(readQuoted(none.c(), "none"), "none");
    Text far(std::string(150, ' ') + "\"x\"");
    EXPECT_EQ(readQuoted(far.c(), "none"), "none");
    Text open("\"abc");
    EXPECT_EQ(readQuoted(open.c(), "none"), "abc");
    EXPECT_EQ(readQuoted(nullptr, "none"), "none");
}

}  // namespace
}  // namespace kinemo
