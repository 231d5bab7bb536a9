#include "scene/number_writers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace kinemo {
namespace {

TEST(NumberWriters, WriteValuesAsPrintfWithWidthFour) {
    const float v[] = {1.5f, -0.25f, 12345.678f};
    std::string s;
    writeFloats(s, v, 3, 3);
    EXPECT_EQ(s, "1.500 -0.250 12345.678");
    s.clear();
    writeFloats(s, v, 2, 0);
    EXPECT_EQ(s, "   2   -0");
}

TEST(NumberWriters, TupleIsParenthesisedAndCommaSeparated) {
    const float v[] = {0.0f, 1.0f, 0.5f};
    std::string s;
    writeFloatTuple(s, v, 3, 2);
    EXPECT_EQ(s, "(0.00, 1.00, 0.50)");
}

TEST(NumberWriters, ListBreaksTheCommentLineAfterEveryNinthSeparator) {
    float v[19];
    for (int i = 0; i < 19; ++i) v[i] = float(i);
    std::string s;
    writeFloatList(s, v, 19, 1);
    EXPECT_EQ(s, "[ 0.0  1.0  2.0  3.0  4.0  5.0  6.0  7.0  8.0 \n#  9.0 10.0 11.0 12.0 13.0 14.0 15.0 16.0 17.0 \n# 18.0]\n");
}

TEST(NumberWriters, PrecisionOutsideZeroToNineIsClamped) {
    const float v[] = {0.125f};
    std::string s;
    writeFloats(s, v, 1, 12);
    EXPECT_EQ(s, "0.125000000");
}

TEST(NumberWriters, IgnoreTheUsersLocale) {
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale here";
    const float v[] = {1.5f};
    std::string s;
    writeFloatTuple(s, v, 1, 1);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(s, "( 1.5)");
}

}  // namespace
}  // namespace kinemo
