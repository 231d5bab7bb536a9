// Readers of bracketed and bare number lists in scene text. Every text sits in read-only memory
// that ends at an inaccessible page: a reader that writes into the text or looks past its end
// crashes the test.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "container_test_support.h"
#include "core/definitions.h"
#include "geometry/matrix.h"
#include "geometry/vector.h"

using namespace kinemo;
using kinemo::testing::GuardedText;
using kinemo::testing::MessageCapture;

namespace {

std::vector<float> values(const VectorF& v) { return std::vector<float>(v.begin(), v.end()); }
std::vector<int> values(const VectorL& v) { return std::vector<int>(v.begin(), v.end()); }

}  // namespace

TEST(FloatListReader, ReadsABracketedListAndStopsAtTheClosingBracket) {
    GuardedText t("  [ 1.5, -2\t3e2\r\n.5,+4 ] rest");
    VectorF v;
    const char* end = v.readFromString(t.begin(), t.end());
    EXPECT_EQ(values(v), (std::vector<float>{1.5f, -2.0f, 300.0f, 0.5f, 4.0f}));
    EXPECT_EQ(*end, ']');
}

TEST(FloatListReader, ABareListStopsAtTheSeparatorAfterCountValues) {
    GuardedText t("1 2 3 4 }");
    VectorF v;
    const char* end = v.readFromString(t.begin(), t.end(), 3);
    EXPECT_EQ(values(v), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(t.offsetOf(end), 6u);  // after the blank that follows "3"
}

TEST(FloatListReader, ABareListEndsAtTheBraceWhenFewerValuesCome) {
    GuardedText t("1 2}");
    VectorF v;
    const char* end = v.readFromString(t.begin(), t.end(), 3);
    EXPECT_EQ(values(v), (std::vector<float>{1, 2}));
    EXPECT_EQ(*end, '}');
}

TEST(FloatListReader, AltCountStandsInForANegativeCount) {
    GuardedText t("1 2 3 4 5 }");
    VectorF v;
    v.readFromString(t.begin(), t.end(), -1, 2);
    EXPECT_EQ(values(v), (std::vector<float>{1, 2}));
    v.readFromString(t.begin(), t.end(), -1, -1);
    EXPECT_EQ(v.count(), 5);
}

TEST(FloatListReader, ValuesThatEndAtTheEndOfTheTextAreAccepted) {
    GuardedText t("0 0 1");
    VectorF v;
    const char* end = v.readFromString(t.begin(), t.end(), 3);
    EXPECT_EQ(values(v), (std::vector<float>{0, 0, 1}));
    EXPECT_EQ(end, t.end());
}

TEST(FloatListReader, AListWithoutItsEndIsReportedAndGivesTheStart) {
    for (const char* text : {"[ 1 2 3", "[", "1 2 3", "[ 1 2,\n"}) {
        MessageCapture capture;
        GuardedText t(text);
        VectorF v;
        v.push(7);
        EXPECT_EQ(v.readFromString(t.begin(), t.end()), t.begin()) << text;
        EXPECT_EQ(v.count(), 0) << text;
        ASSERT_EQ(capture.boxTexts().size(), 1u) << text;
        EXPECT_EQ(capture.boxTexts()[0], "Problem inVectorF.readFromString");
    }
}

TEST(FloatListReader, MoreThanAHundredBlanksEndTheReadQuietly) {
    MessageCapture capture;
    std::string text(100, ' ');
    GuardedText t(text + "[1]");
    VectorF v;
    EXPECT_EQ(v.readFromString(t.begin(), t.end()), t.begin());
    EXPECT_TRUE(capture.boxTexts().empty());
    GuardedText shorter(std::string(99, '\n') + "[1]");
    v.readFromString(shorter.begin(), shorter.end());
    EXPECT_EQ(values(v), (std::vector<float>{1}));
}

TEST(FloatListReader, EmptyTextReadsNothing) {
    VectorF v;
    const char* p = "";
    EXPECT_EQ(v.readFromString(p, p), p);
}

TEST(FloatListReader, ATokenThatIsNoNumberCountsAsZero) {
    GuardedText t("[1 abc 2x 1e 1.5.5 - ]");
    VectorF v;
    v.readFromString(t.begin(), t.end());
    EXPECT_EQ(values(v), (std::vector<float>{1, 0, 2, 1, 1.5f, 0}));
}

TEST(FloatListReader, ValuesBeyondTheFloatRangeBecomeInfinite) {
    GuardedText t("[1e39 -1e39 1e-50]");
    VectorF v;
    v.readFromString(t.begin(), t.end());
    ASSERT_EQ(v.count(), 3);
    EXPECT_TRUE(std::isinf(v[0]) && v[0] > 0);
    EXPECT_TRUE(std::isinf(v[1]) && v[1] < 0);
    EXPECT_EQ(v[2], 0.0f);
}

TEST(FloatListReader, NumbersIgnoreTheUserLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale";
    GuardedText t("[1.5 2,5]");
    VectorF v;
    v.readFromString(t.begin(), t.end());
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(values(v), (std::vector<float>{1.5f, 2, 5}));
}

TEST(FloatListReader, ABraceInsideABracketedListEndsIt) {
    GuardedText t("[1 2 } 3 ]");
    VectorF v;
    const char* end = v.readFromString(t.begin(), t.end());
    EXPECT_EQ(values(v), (std::vector<float>{1, 2}));
    EXPECT_EQ(*end, '}');
}

TEST(IndexListReader, SplitsAtBlanksCommasParenthesesAndLineBreaks) {
    GuardedText t(" [0,1,2,-1,\n(3 4)\t5\r-1] tail");
    std::unique_ptr<VectorL> list;
    const char* end = VectorL::readFromString(t.begin(), t.end(), list);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(values(*list), (std::vector<int>{0, 1, 2, -1, 3, 4, 5, -1}));
    EXPECT_EQ(std::string(end, t.end()), " tail");
}

TEST(IndexListReader, ReplacesTheDestinationWithAFreshList) {
    GuardedText t("[7]");
    auto list = std::make_unique<VectorL>();
    list->setKind(VectorL::KindCoordinateIndex);
    list->push(99);
    VectorL::readFromString(t.begin(), t.end(), list);
    ASSERT_NE(list, nullptr);
    // nothing of the old list survives: neither its kind nor its elements
    EXPECT_EQ(list->kind(), VectorL::KindNone);
    EXPECT_EQ(values(*list), (std::vector<int>{7}));
}

TEST(IndexListReader, AListThatIsNeverClosedReadsNothing) {
    for (const char* text : {"[ 1 2 3", "[1 2 } ... point [ 1 2 3 ]", "[1 2 [3]", "["}) {
        GuardedText t(text);
        auto list = std::make_unique<VectorL>();
        EXPECT_EQ(VectorL::readFromString(t.begin(), t.end(), list), t.begin()) << text;
        EXPECT_EQ(list, nullptr) << text;
    }
}

TEST(IndexListReader, TextThatDoesNotStartWithABracketReadsNothing) {
    GuardedText t("USE faces [1 2 3]");
    std::unique_ptr<VectorL> list;
    EXPECT_EQ(VectorL::readFromString(t.begin(), t.end(), list), t.begin());
    EXPECT_EQ(list, nullptr);
}

TEST(IndexListReader, AnEmptyListGivesNullAndContinuesAfterTheBracket) {
    GuardedText t("[ , ]x");
    auto list = std::make_unique<VectorL>();
    const char* end = VectorL::readFromString(t.begin(), t.end(), list);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(*end, 'x');
}

TEST(IndexListReader, ReadsTheIntegerPrefixOfEachTokenAndSkipsWords) {
    GuardedText t("[1.7 +2 x -3y 99999999999 -99999999999]");
    std::unique_ptr<VectorL> list;
    VectorL::readFromString(t.begin(), t.end(), list);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(values(*list), (std::vector<int>{1, 2, -3, INT32_MAX, INT32_MIN}));
}

TEST(IndexListReader, TheClosingBracketMayBeTheLastByte) {
    GuardedText t("[1 2]");
    std::unique_ptr<VectorL> list;
    EXPECT_EQ(VectorL::readFromString(t.begin(), t.end(), list), t.end());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 2);
}

TEST(TokenReader, ReadsHexadecimalPixelsWithOrWithoutPrefix) {
    GuardedText t("2 2 3 0xFF0000 00ff00 0X0000FF FFFFFFFF }");
    VectorL v;
    const char* end = v.readTokens(t.begin(), t.end(), 7, true);
    EXPECT_EQ(values(v), (std::vector<int>{2, 2, 3, 0xFF0000, 0x00FF00, 0xFF, -1}));
    EXPECT_EQ(*end, '}');
}

TEST(TokenReader, ReadsDecimalsInABracketedList) {
    GuardedText t("[10, -20 abc]");
    VectorL v;
    v.readTokens(t.begin(), t.end(), -1, false);
    EXPECT_EQ(values(v), (std::vector<int>{10, -20, 0}));
}

TEST(TokenReader, AListWithoutItsEndIsReported) {
    MessageCapture capture;
    GuardedText t("0xFF 0x00");
    VectorL v;
    EXPECT_EQ(v.readTokens(t.begin(), t.end(), 5, true), t.begin());
    ASSERT_EQ(capture.boxTexts().size(), 1u);
    EXPECT_EQ(capture.boxTexts()[0], "Problem inVectorL.readFromString");
}

TEST(PointBlockReader, ReadsRowsOfTheGivenColumnCount) {
    GuardedText t("[0 0 0, 1 0 0,\n 0 1 0 ]");
    std::unique_ptr<MatrixF> m;
    const char* end = MatrixF::readFromString(t.begin(), t.end(), 3, m);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->rows(), 3);
    EXPECT_EQ(m->columns(), 3);
    EXPECT_EQ(m->at(2, 1), 1.0f);
    EXPECT_EQ(*end, ']');
}

TEST(PointBlockReader, SevenValuesInThreeColumnsGiveTwoRowsAndLogTheRemainder) {
    MessageCapture capture;
    GuardedText t("[1 2 3 4 5 6 7]");
    std::unique_ptr<MatrixF> m;
    MatrixF::readFromString(t.begin(), t.end(), 3, m);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->rows(), 2);
    EXPECT_EQ(m->at(1, 2), 6.0f);
    EXPECT_NE(capture.log().find("Matrix Parsing Error (7,1 in [1"), std::string::npos) << capture.log();
    EXPECT_EQ(capture.log().find("token "), std::string::npos);
}

TEST(PointBlockReader, LogsTheFirstTwentyValuesAtReportLevelTwo) {
    MessageCapture capture;
    definitionsFile().setLong("MatrixFReportLevel", 2);
    MatrixF::reportLevel().forget();
    std::string text = "[";
    for (int i = 0; i < 25; ++i) text += std::to_string(i) + " ";
    text += "]";
    GuardedText t(text);
    std::unique_ptr<MatrixF> m;
    MatrixF::readFromString(t.begin(), t.end(), 3, m);
    definitionsFile().setLong("MatrixFReportLevel", 0);
    MatrixF::reportLevel().forget();
    std::string log = capture.log();
    EXPECT_NE(log.find("token 0,0.000000"), std::string::npos) << log;
    EXPECT_NE(log.find("token 19,19.000000"), std::string::npos) << log;
    EXPECT_EQ(log.find("token 20,"), std::string::npos) << log;
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->rows(), 8);
}

TEST(PointBlockReader, AnEmptyOrUnreadableBlockLeavesNull) {
    for (const char* text : {"[]", "[1 2]", "[1 2 3", "  "}) {
        GuardedText t(text);
        auto m = std::make_unique<MatrixF>(2, 3);
        MatrixF::readFromString(t.begin(), t.end(), 3, m);
        EXPECT_EQ(m, nullptr) << text;
    }
}

TEST(PointBlockReader, AZeroColumnCountReadsNoMatrix) {
    GuardedText t("[1 2 3]");
    std::unique_ptr<MatrixF> m;
    MatrixF::readFromString(t.begin(), t.end(), 0, m);
    EXPECT_EQ(m, nullptr);
}

TEST(PointBlockReader, ReadsWhatTheTextWriterWrote) {
    MatrixF original(7, 3);
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 3; ++c) original.at(r, c) = static_cast<float>(r * 3 + c) * 0.25f - 2.0f;
    std::string text;
    original.writeText(text, 3, true);
    GuardedText t(text);
    std::unique_ptr<MatrixF> back;
    MatrixF::readFromString(t.begin(), t.end(), 3, back);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(MatrixF::compare(back.get(), &original), 0) << text;
}
