#include "geometry/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "container_test_support.h"
#include "core/numbers.h"

using namespace kinemo;
using kinemo::testing::MessageCapture;

namespace {

MatrixF randomMatrix(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    MatrixF m(n, n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) m.at(r, c) = d(rng) + (r == c ? 2.0f + 0.5f * static_cast<float>(n) : 0.0f);
    return m;
}

// Inverse by cofactors, in double: an independent check of the LU inversion.
double det(const std::vector<double>& a, int n) {
    if (n == 1) return a[0];
    double sum = 0;
    for (int c = 0; c < n; ++c) {
        std::vector<double> minor;
        for (int r = 1; r < n; ++r)
            for (int k = 0; k < n; ++k)
                if (k != c) minor.push_back(a[r * n + k]);
        sum += ((c % 2) ? -1 : 1) * a[c] * det(minor, n - 1);
    }
    return sum;
}

std::vector<double> cofactorInverse(const MatrixF& m) {
    int n = m.rows();
    std::vector<double> a(n * n);
    for (int i = 0; i < n * n; ++i) a[i] = m.data()[i];
    double d = det(a, n);
    std::vector<double> inv(n * n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            std::vector<double> minor;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j)
                    if (i != r && j != c) minor.push_back(a[i * n + j]);
            // adjugate: transpose of the cofactor matrix
            inv[c * n + r] = (((r + c) % 2) ? -1 : 1) * det(minor, n - 1) / d;
        }
    return inv;
}

double maxDeviationFromIdentity(const MatrixF& a, const MatrixF& b) {
    int n = a.rows();
    double worst = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            double s = 0;
            for (int k = 0; k < n; ++k) s += static_cast<double>(a.at(i, k)) * b.at(k, j);
            worst = std::max(worst, std::fabs(s - (i == j ? 1.0 : 0.0)));
        }
    return worst;
}

}  // namespace

TEST(MatrixStorage, ResizeGrowsToExactlyTheElementCount) {
    MatrixF m;
    m.resize(0, 3);
    EXPECT_EQ(m.capacity(), 1);
    m.resize(4, 3);
    EXPECT_EQ(m.capacity(), 12);
    EXPECT_EQ(m.elementCount(), 12);
}

TEST(MatrixStorage, ShrinksOnlyBelowHalfOfABlockLargerThanTwenty) {
    MatrixF m(10, 3);
    m.resize(6, 3);  // 2 x 18 > 30: kept
    EXPECT_EQ(m.capacity(), 30);
    m.resize(4, 3);  // 2 x 12 < 30 and 30 > 20: shrinks
    EXPECT_EQ(m.capacity(), 12);
    MatrixF small(5, 4);
    small.resize(1, 2);  // 20 is not above 20: kept
    EXPECT_EQ(small.capacity(), 20);
}

TEST(MatrixStorage, ElementsKeepTheirLinearOrderWhenTheShapeChanges) {
    MatrixF m(2, 3);
    for (int i = 0; i < 6; ++i) m.data()[i] = static_cast<float>(i + 1);
    m.resize(3, 2);
    EXPECT_EQ(m.at(1, 0), 3.0f);
    EXPECT_EQ(m.at(2, 1), 6.0f);
    m.resize(10, 3);  // grows with a copy
    EXPECT_EQ(m.data()[5], 6.0f);
    EXPECT_EQ(m.data()[29], 0.0f);
    m.resize(2, 1);  // shrinks with a copy of what fits
    EXPECT_EQ(m.data()[1], 2.0f);
}

TEST(MatrixStorage, CheckedAccessRaisesTheBoundsMessage) {
    MatrixF m(3, 3);
    try {
        m.w(3, 0);
        FAIL() << "no exception";
    } catch (const ContainerBoundsError& e) {
        EXPECT_STREQ(e.what(), "MatrixF.w index (3,0) out of bounds (3,3)");
    }
    EXPECT_THROW(m.w(0, -1), ContainerBoundsError);
    MatrixL l(2, 2);
    try {
        l.w(1, 2);
        FAIL() << "no exception";
    } catch (const ContainerBoundsError& e) {
        EXPECT_STREQ(e.what(), "MatrixL.w index (1,2) out of bounds (2,2)");
    }
}

TEST(MatrixCopy, CloneAndCopyFromTakeShapeElementsAndKind) {
    MatrixF m(1, 2, 3, 4, 5, 6, 7, 8, 9);
    m.setKind(MatrixF::KindNormals);
    EXPECT_EQ(m.at(1, 2), 6.0f);
    auto c = m.clone();
    EXPECT_EQ(MatrixF::compare(c.get(), &m), 0);
    EXPECT_EQ(c->kind(), MatrixF::KindNormals);
    MatrixF d(5, 5);
    d.copyFrom(&m);
    EXPECT_EQ(d.rows(), 3);
    EXPECT_EQ(d.kind(), MatrixF::KindNormals);
    d.copyFrom(nullptr);
    EXPECT_EQ(d.rows(), 0);
    EXPECT_EQ(d.columns(), 0);
}

TEST(MatrixCopy, CopyOverlapCopiesTheTopLeftBlock) {
    MatrixF m(1, 2, 3, 4, 5, 6, 7, 8, 9);
    MatrixF small(2, 4);
    small.copyOverlap(&m);
    EXPECT_EQ(small.at(1, 2), 6.0f);
    EXPECT_EQ(small.at(1, 3), 0.0f);
    small.copyOverlap(nullptr);
    EXPECT_EQ(small.elementCount(), 0);
}

TEST(MatrixMath, SetIdentityWorksOnAnyShape) {
    MatrixF m(2, 3);
    m.setIdentity();
    EXPECT_EQ(m.at(0, 0), 1.0f);
    EXPECT_EQ(m.at(1, 1), 1.0f);
    EXPECT_EQ(m.at(1, 2), 0.0f);
    MatrixL l(3, 3);
    l.setIdentity();
    EXPECT_EQ(l.at(2, 2), 1);
    EXPECT_EQ(l.at(2, 0), 0);
}

TEST(MatrixMath, MultiplyMayWorkInPlace) {
    MatrixF m(0, -1, 0, 1, 0, 0, 0, 0, 2);
    float v[3] = {1, 2, 3};
    m.multiply(v, v);
    EXPECT_EQ(v[0], -2.0f);
    EXPECT_EQ(v[1], 1.0f);
    EXPECT_EQ(v[2], 6.0f);
}

TEST(MatrixMath, SetProductTransposedGivesTheTransposeOfTheProduct) {
    MatrixF a(2, 3), b(3, 4);
    for (int i = 0; i < 6; ++i) a.data()[i] = static_cast<float>(i + 1);
    for (int i = 0; i < 12; ++i) b.data()[i] = static_cast<float>(i % 5) - 1.5f;
    MatrixF t;
    ASSERT_TRUE(t.setProductTransposed(a, b));
    ASSERT_EQ(t.rows(), 4);
    ASSERT_EQ(t.columns(), 2);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 4; ++j) {
            float s = 0;
            for (int k = 0; k < 3; ++k) s += a.at(i, k) * b.at(k, j);
            EXPECT_FLOAT_EQ(t.at(j, i), s);
        }
}

TEST(MatrixMath, SetProductTransposedRefusesShapesThatDoNotMultiply) {
    MatrixF a(2, 3), b(2, 3);
    MatrixF t(1, 1);
    t.at(0, 0) = 5;
    EXPECT_FALSE(t.setProductTransposed(a, b));
    EXPECT_EQ(t.rows(), 1);
    EXPECT_EQ(t.at(0, 0), 5.0f);
}

TEST(MatrixMath, SetProductTransposedMayTakeItselfAsOperand) {
    MatrixF a(1, 2, 3, 4, 5, 6, 7, 8, 9);
    MatrixF copy(a);
    ASSERT_TRUE(a.setProductTransposed(a, a));
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            float s = 0;
            for (int k = 0; k < 3; ++k) s += copy.at(j, k) * copy.at(k, i);
            EXPECT_FLOAT_EQ(a.at(i, j), s);
        }
}

TEST(MatrixMath, DeterminantIsThreeByThreeOnly) {
    MatrixF m(2, 0, 1, 1, 3, 2, 1, 1, 2);
    EXPECT_FLOAT_EQ(m.determinant(), 6.0f);
    MatrixF four(4, 4);
    four.setIdentity();
    EXPECT_EQ(four.determinant(), 0.0f);
}

TEST(MatrixInversion, MatchesTheCofactorInverseForThreeAndFourRows) {
    for (int n : {3, 4}) {
        for (unsigned seed = 1; seed < 6; ++seed) {
            MatrixF source = randomMatrix(n, seed);
            MatrixF keep(source);
            MatrixF inverse(n, n);
            ASSERT_TRUE(inverse.invert(source));
            std::vector<double> expected = cofactorInverse(keep);
            for (int i = 0; i < n * n; ++i) EXPECT_NEAR(inverse.data()[i], expected[i], 1e-5) << n << " " << seed;
        }
    }
}

TEST(MatrixInversion, LargerMatricesMultiplyBackToTheIdentity) {
    for (int n : {1, 2, 10, 40, 99}) {
        MatrixF source = randomMatrix(n, 42u + static_cast<unsigned>(n));
        MatrixF keep(source);
        MatrixF inverse(n, n);
        ASSERT_TRUE(inverse.invert(source)) << n;
        EXPECT_LT(maxDeviationFromIdentity(keep, inverse), 1e-4) << n;
    }
}

TEST(MatrixInversion, NeedsPivotingForAZeroLeadingElement) {
    MatrixF source(0, 1, 0, 1, 0, 0, 0, 0, 1);
    MatrixF keep(source);
    MatrixF inverse(3, 3);
    ASSERT_TRUE(inverse.invert(source));
    EXPECT_EQ(MatrixF::compare(&inverse, &keep), 0);
}

TEST(MatrixInversion, InvertingInPlaceGivesTheInverse) {
    MatrixF m = randomMatrix(4, 7);
    MatrixF keep(m);
    ASSERT_TRUE(m.invert(m));
    EXPECT_LT(maxDeviationFromIdentity(keep, m), 1e-5);
}

TEST(MatrixInversion, LeavesTheLuFactorsInTheSource) {
    MatrixF source(4, 3, 0, 6, 3, 0, 0, 0, 1);
    MatrixF inverse(3, 3);
    ASSERT_TRUE(inverse.invert(source));
    // Row 1 pivots first (scaled weight 6/6 against 4/4 ties to the later row): U's first row is (6, 3, 0)
    // and L holds 4/6 below it.
    EXPECT_FLOAT_EQ(source.at(0, 0), 6.0f);
    EXPECT_FLOAT_EQ(source.at(1, 0), 4.0f / 6.0f);
}

TEST(MatrixInversion, ANinetyNineRowMatrixIsAllowedAndAHundredIsNot) {
    MessageCapture capture;
    MatrixF source(100, 100), inverse(100, 100);
    source.setIdentity();
    EXPECT_FALSE(inverse.invert(source));
    ASSERT_EQ(capture.boxTexts().size(), 1u);
    EXPECT_EQ(capture.boxTexts()[0], "Error, MatrixF::Cannot invert matrix with dimension (100, 100)");
    EXPECT_EQ(capture.boxCaptions()[0], "Error");
}

TEST(MatrixInversion, ShapeChecksComeInTheirOrderWithTheirMessages) {
    MessageCapture capture;
    MatrixF notSquare(2, 3), square(3, 3), wide(3, 4), other(4, 4);
    EXPECT_FALSE(wide.invert(notSquare));
    EXPECT_FALSE(wide.invert(square));
    EXPECT_FALSE(other.invert(square));
    auto texts = capture.boxTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Error, MatrixF::Cannot invert matrix with dimension (2, 3)");
    EXPECT_EQ(texts[1], "Error, MatrixF::Cannot invert matrix with result dimension (3, 4)");
    EXPECT_EQ(texts[2], "Error, MatrixF::Cannot invert matrix for matrix with different result dimension (4, 4)");
}

TEST(MatrixInversion, AnAllZeroRowShowsTheLudcmpMessage) {
    MessageCapture capture;
    MatrixF source(1, 2, 3, 0, 0, 0, 7, 8, 9), inverse(3, 3);
    EXPECT_FALSE(inverse.invert(source));
    ASSERT_EQ(capture.boxTexts().size(), 1u);
    EXPECT_EQ(capture.boxTexts()[0], "Singular matrix in routine ludcmp");
}

TEST(MatrixInversion, AZeroPivotFailsAfterTheDecomposition) {
    MessageCapture capture;
    MatrixF source(2, 2), inverse(2, 2);
    source.at(0, 0) = 1;
    source.at(0, 1) = 2;
    source.at(1, 0) = 2;
    source.at(1, 1) = 4;
    EXPECT_FALSE(inverse.invert(source));
    EXPECT_TRUE(capture.boxTexts().empty());
    EXPECT_FLOAT_EQ(source.at(1, 1), 1e-20f);  // the zero pivot was replaced and the factors completed
}

TEST(MatrixInversion, NonFiniteElementsAreRefused) {
    MessageCapture capture;
    for (float bad : {NAN, INFINITY, -INFINITY}) {
        MatrixF source(1, 0, 0, 0, 1, 0, 0, 0, 1), inverse(3, 3);
        source.at(1, 2) = bad;
        EXPECT_FALSE(inverse.invert(source));
    }
    EXPECT_EQ(capture.boxTexts().size(), 3u);
}

TEST(MatrixCompare, OrdersByRowsThenColumnsThenElements) {
    MatrixF a(2, 3), b(3, 2), c(2, 3);
    c.at(1, 2) = 1;
    EXPECT_EQ(MatrixF::compare(&a, &a), 0);
    EXPECT_LT(MatrixF::compare(nullptr, &a), 0);
    EXPECT_GT(MatrixF::compare(&a, nullptr), 0);
    EXPECT_LT(MatrixF::compare(&a, &b), 0);  // 2 rows before 3
    EXPECT_LT(MatrixF::compare(&a, &c), 0);
    MatrixF d(2, 4);
    EXPECT_LT(MatrixF::compare(&a, &d), 0);
}

TEST(MatrixTextWriter, WritesNonLastRowsFixedAndTheLastRowCompact) {
    MatrixF m(2, 3);
    const float row[3] = {1.0000004f, 0.0f, 2.5f};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) m.at(r, c) = row[c];
    std::string out;
    m.writeText(out, 3, false);
    EXPECT_EQ(out, "[1.000 0.000 2.500,1 0 2.500 ]");
}

TEST(MatrixTextWriter, WrapsAfterEverySixthRow) {
    MatrixF m(8, 2);
    for (int r = 0; r < 8; ++r) {
        m.at(r, 0) = static_cast<float>(r);
        m.at(r, 1) = 0.5f;
    }
    std::string out;
    m.writeText(out, 1, true);
    EXPECT_EQ(out, "[ 0.0  0.5, 1.0  0.5, 2.0  0.5, 3.0  0.5, 4.0  0.5, 5.0  0.5,\n         6.0  0.5,7  0.5 ]");
}

TEST(MatrixTextWriter, AnEmptyMatrixWritesEmptyBrackets) {
    MatrixF m;
    std::string out;
    m.writeText(out, 3, true);
    EXPECT_EQ(out, "[]");
    MatrixF noColumns(4, 0);
    out.clear();
    noColumns.writeText(out, 3, true);
    EXPECT_EQ(out, "[]");
}

TEST(MatrixTextWriter, WholeValuesTooLargeForAnIntegerUseTheFixedForm) {
    MatrixF m(1, 3);
    m.at(0, 0) = 3e9f;
    m.at(0, 1) = -2147483648.0f;
    m.at(0, 2) = 1e20f;
    std::string out;
    m.writeText(out, 3, false);
    EXPECT_EQ(out, "[3000000000.000 -2147483648 " + formatC("%4.3f", static_cast<double>(1e20f)) + " ]");
}

TEST(MatrixTextWriter, NearlyWholeValuesUseTheIntegerForm) {
    MatrixF m(1, 4);
    m.at(0, 0) = -7.0000005f;
    m.at(0, 1) = 100.001f;
    m.at(0, 2) = -0.5f;
    m.at(0, 3) = 12345678.0f;
    std::string out;
    m.writeText(out, 2, false);
    EXPECT_EQ(out, "[-7 100.00 -0.50 12345678 ]");
}

TEST(IndexTextWriter, WritesTwelvePerLineAndEmptyBrackets) {
    VectorL empty;
    std::string out;
    empty.writeText(out);
    EXPECT_EQ(out, "[]");
    VectorL v;
    for (int i = 0; i < 14; ++i) v.push(i == 3 ? -1 : i);
    out.clear();
    v.writeText(out);
    EXPECT_EQ(out, "[0,1,2,-1,4,5,6,7,8,9,10,11,\n      12,13]");
}

TEST(FloatTextWriter, WritesTheFixedFormNinePerLine) {
    VectorF v;
    for (int i = 0; i < 10; ++i) v.push(static_cast<float>(i) * 0.5f);
    std::string out;
    v.writeText(out, 2, true);
    EXPECT_EQ(out, "(0.00 0.50 1.00 1.50 2.00 2.50 3.00 3.50 4.00\n4.50)\n");
    out.clear();
    VectorF one;
    one.push(-1.25f);
    one.writeText(out, 0, false);
    EXPECT_EQ(out, "  -1");
}
