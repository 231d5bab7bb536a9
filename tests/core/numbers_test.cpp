#include "core/numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

using namespace kinemo;

namespace {
std::string printfFixed(double v, int precision, int width) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%*.*f", width, precision, v);
    return buffer;
}
}  // namespace

TEST(Numbers, FixedGivesPrintfBytes) {
    const double values[] = {0.0, -0.0, 1.5, -1.5, 0.0005, 0.00049999, 123456.789, -1e-7, 1e20, 2.5, 3.14159265358979, 1e300};
    for (double v : values) {
        for (int precision : {0, 1, 3, 6}) {
            for (int width : {0, 4, 6, 12}) {
                std::string out;
                appendFixed(out, v, precision, width);
                EXPECT_EQ(out, printfFixed(v, precision, width)) << v << " " << precision << " " << width;
            }
        }
    }
}

TEST(Numbers, FormattingIgnoresTheUserLocale) {
    // A German locale may be missing on the machine; then the test shows nothing.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale";
    EXPECT_EQ(formatC("%4.3f", 1.5), "1.500");
    EXPECT_EQ(formatC("%e", 1.5), "1.500000e+00");
    std::string out;
    appendFixed(out, 2.25, 2);
    EXPECT_EQ(out, "2.25");
    EXPECT_DOUBLE_EQ(atofC("2.5"), 2.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Numbers, NonFiniteValuesArePrintedLikePrintf) {
    std::string out;
    appendFixed(out, std::numeric_limits<double>::infinity(), 3, 6);
    EXPECT_EQ(out, "   inf");
    out.clear();
    appendFixed(out, -std::numeric_limits<double>::infinity(), 3);
    EXPECT_EQ(out, "-inf");
}

TEST(Numbers, ParsesTheFormsStrtodAccepts) {
    double v = 0;
    EXPECT_EQ(parseDoublePrefix("+1.5", v), 4u);
    EXPECT_DOUBLE_EQ(v, 1.5);
    EXPECT_EQ(parseDoublePrefix(".5", v), 2u);
    EXPECT_DOUBLE_EQ(v, 0.5);
    EXPECT_EQ(parseDoublePrefix("-.25e1x", v), 6u);
    EXPECT_DOUBLE_EQ(v, -2.5);
    EXPECT_EQ(parseDoublePrefix("  7.", v), 4u);
    EXPECT_DOUBLE_EQ(v, 7.0);
    EXPECT_EQ(parseDoublePrefix("1,5", v), 1u);
    EXPECT_DOUBLE_EQ(v, 1.0);
    EXPECT_EQ(parseDoublePrefix("abc", v), 0u);
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(parseDoublePrefix("+-1", v), 0u);
    EXPECT_EQ(parseDoublePrefix("", v), 0u);
    EXPECT_EQ(parseDoublePrefix("-", v), 0u);
    parseDoublePrefix("1e999", v);
    EXPECT_TRUE(std::isinf(v));
    parseDoublePrefix("1e-999", v);
    EXPECT_EQ(v, 0.0);
}

TEST(Numbers, IntegersParseLikeAtoiAndSaturate) {
    EXPECT_EQ(atoiC("  42abc"), 42);
    EXPECT_EQ(atoiC("-17"), -17);
    EXPECT_EQ(atoiC("+8"), 8);
    EXPECT_EQ(atoiC("abc"), 0);
    EXPECT_EQ(atoiC("99999999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(atoiC("-99999999999999999999999"), std::numeric_limits<std::int32_t>::min());
    long long v = 0;
    EXPECT_EQ(parseLongPrefix("12 3", v), 2u);
    EXPECT_EQ(v, 12);
}
