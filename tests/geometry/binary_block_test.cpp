// The binary blocks of point and index lists in document files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "container_test_support.h"
#include "geometry/binary_io.h"
#include "geometry/matrix.h"
#include "geometry/vector.h"

using namespace kinemo;
using kinemo::testing::GuardedText;
using kinemo::testing::MessageCapture;

namespace {

MatrixF points(int rows, int columns, unsigned seed = 3) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-50.0f, 80.0f);
    MatrixF m(rows, columns);
    for (int i = 0; i < rows * columns; ++i) m.data()[i] = d(rng);
    return m;
}

std::unique_ptr<MatrixF> readBack(const std::string& bytes, int expectedColumns, const char** endOut = nullptr) {
    GuardedText t(bytes);
    std::unique_ptr<MatrixF> m;
    const char* end = MatrixF::readBinary(t.begin(), t.end(), expectedColumns, m);
    EXPECT_EQ(end, t.end());
    if (endOut) *endOut = end;
    return m;
}

std::string block(std::initializer_list<std::int32_t> ints) {
    std::string out;
    ByteWriter w(out);
    for (auto v : ints) w.i32(v);
    return out;
}

}  // namespace

TEST(MatrixBinary, FiveRowsOfThreeColumnsAreQuantised) {
    MatrixF m = points(5, 3);
    std::string words, bytes;
    m.writeBinary(words, 2);
    m.writeBinary(bytes, 1);
    EXPECT_EQ(words.size(), 4u + 2 + 2 + 3 * 4 * 2 + 15 * 2);
    EXPECT_EQ(bytes.size(), 4u + 2 + 2 + 3 * 4 * 2 + 15);
}

TEST(MatrixBinary, FourRowsOrSevenColumnsAreRawFloats) {
    for (auto [rows, columns] : {std::pair{4, 3}, std::pair{9, 7}}) {
        MatrixF m = points(rows, columns);
        std::string out;
        m.writeBinary(out, 1);
        ASSERT_EQ(out.size(), 8u + 4u * rows * columns);
        auto back = readBack(out, columns);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(MatrixF::compare(back.get(), &m), 0);
    }
}

TEST(MatrixBinary, QuantisedValuesComeBackWithinHalfAStep) {
    for (int mode : {1, 2}) {
        MatrixF m = points(200, 3);
        std::string out;
        m.writeBinary(out, mode);
        auto back = readBack(out, 3);
        ASSERT_NE(back, nullptr);
        double step = 130.0 / (mode == 1 ? 255.0 : 65535.0);
        for (int i = 0; i < 600; ++i) EXPECT_LE(std::fabs(back->data()[i] - m.data()[i]), 0.5 * step + 1e-5) << i;
    }
}

TEST(MatrixBinary, RepeatedSavesDoNotDrift) {
    MatrixF m = points(50, 3);
    std::string out;
    m.writeBinary(out, 1);
    auto first = readBack(out, 3);
    ASSERT_NE(first, nullptr);
    std::unique_ptr<MatrixF> current = first->clone();
    for (int round = 0; round < 10; ++round) {
        std::string again;
        current->writeBinary(again, 1);
        current = readBack(again, 3);
        ASSERT_NE(current, nullptr);
    }
    for (int i = 0; i < 150; ++i) EXPECT_NEAR(current->data()[i], first->data()[i], 1e-4) << i;
}

TEST(MatrixBinary, AConstantColumnComesBackExactly) {
    MatrixF m(6, 3);
    for (int r = 0; r < 6; ++r) {
        m.at(r, 0) = 7.25f;
        m.at(r, 1) = static_cast<float>(r);
        m.at(r, 2) = -3.0f;
    }
    std::string out;
    m.writeBinary(out, 2);
    auto back = readBack(out, 3);
    ASSERT_NE(back, nullptr);
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(back->at(r, 0), 7.25f);
        EXPECT_EQ(back->at(r, 2), -3.0f);
        EXPECT_NEAR(back->at(r, 1), static_cast<float>(r), 1e-4);
    }
}

TEST(MatrixBinary, TheColumnExtremesComeBackExactlyAtTheirEnds) {
    MatrixF m = points(30, 3);
    std::string out;
    m.writeBinary(out, 1);
    auto back = readBack(out, 3);
    ASSERT_NE(back, nullptr);
    float lo = m.at(0, 0), hi = m.at(0, 0);
    for (int r = 0; r < 30; ++r) {
        lo = std::min(lo, m.at(r, 0));
        hi = std::max(hi, m.at(r, 0));
    }
    float backLo = back->at(0, 0), backHi = back->at(0, 0);
    for (int r = 0; r < 30; ++r) {
        backLo = std::min(backLo, back->at(r, 0));
        backHi = std::max(backHi, back->at(r, 0));
    }
    EXPECT_EQ(backLo, lo);
    EXPECT_NEAR(backHi, hi, 1e-4);  // the old truncating writer lost up to a whole step at the top
}

TEST(MatrixBinary, TheReaderRestoresQTimesStepPlusMinimum) {
    std::string out;
    ByteWriter w(out);
    w.i32(5);
    w.i16(2);
    w.i16(1);
    w.f32(10.0f);
    w.f32(-1.0f);
    w.f32(0.5f);
    w.f32(2.0f);
    for (int r = 0; r < 5; ++r) {
        w.u8(static_cast<std::uint8_t>(r));
        w.u8(static_cast<std::uint8_t>(255 - r));
    }
    auto m = readBack(out, 2);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->at(3, 0), 11.5f);
    EXPECT_EQ(m->at(3, 1), 503.0f);
}

TEST(MatrixBinary, NonFiniteValuesDoNotSpoilTheirColumn) {
    MatrixF m = points(8, 3);
    m.at(2, 1) = NAN;
    m.at(5, 1) = INFINITY;
    std::string out;
    m.writeBinary(out, 2);
    auto back = readBack(out, 3);
    ASSERT_NE(back, nullptr);
    for (int r = 0; r < 8; ++r)
        if (r != 2 && r != 5) {
            EXPECT_NEAR(back->at(r, 1), m.at(r, 1), 0.01) << r;
        }
    EXPECT_TRUE(std::isfinite(back->at(5, 1)));
}

TEST(MatrixBinary, AnEmptyMatrixIsOneZeroWord) {
    MatrixF m;
    std::string out;
    m.writeBinary(out, 2);
    EXPECT_EQ(out, block({0}));
    auto back = readBack(out, 3);
    EXPECT_EQ(back, nullptr);
}

TEST(MatrixBinary, UnexpectedColumnsAreReportedAndTheExpectedCountIsUsed) {
    MessageCapture capture;
    std::string out;
    ByteWriter w(out);
    w.i32(2);
    w.i16(2);
    w.i16(2);
    for (int i = 0; i < 6; ++i) w.f32(static_cast<float>(i));
    auto m = readBack(out, 3);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->columns(), 3);
    EXPECT_EQ(m->at(1, 2), 5.0f);
    ASSERT_EQ(capture.boxTexts().size(), 1u);
    EXPECT_EQ(capture.boxTexts()[0], "Matrix reads unexpected number of columns");
}

TEST(MatrixBinary, EveryTruncationOfABlockIsRefusedAsCorrupt) {
    for (auto [rows, mode] : {std::pair{3, 2}, std::pair{12, 1}, std::pair{12, 2}}) {
        MatrixF m = points(rows, 3);
        std::string out;
        m.writeBinary(out, mode);
        for (std::size_t cut = 0; cut < out.size(); ++cut) {
            MessageCapture capture;
            GuardedText t(std::string_view(out.data(), cut));
            std::unique_ptr<MatrixF> back = std::make_unique<MatrixF>();
            EXPECT_EQ(MatrixF::readBinary(t.begin(), t.end(), 3, back), nullptr) << cut;
            EXPECT_EQ(back, nullptr);
            ASSERT_EQ(capture.boxTexts().size(), 1u) << cut;
            EXPECT_EQ(capture.boxTexts()[0], "File is corrupt");
        }
    }
}

TEST(MatrixBinary, SizesFromTheFileAreCheckedBeforeAnythingIsAllocated) {
    for (std::int32_t rows : {INT32_MAX, -5, 1 << 28}) {
        MessageCapture capture;
        std::string out = block({rows, 0x00020003});  // 3 columns, mode 2
        out += std::string(64, '\0');
        GuardedText t(out);
        std::unique_ptr<MatrixF> back;
        EXPECT_EQ(MatrixF::readBinary(t.begin(), t.end(), 3, back), nullptr) << rows;
        EXPECT_EQ(back, nullptr);
    }
    std::string noColumns = block({6, 0x00020000});
    GuardedText t(noColumns);
    std::unique_ptr<MatrixF> back;
    EXPECT_EQ(MatrixF::readBinary(t.begin(), t.end(), 0, back), nullptr);
}

TEST(MatrixBinary, WriteTextEmitsTheBlockInBinaryWriteMode) {
    MatrixF m = points(6, 3);
    std::string text, binary, direct;
    m.writeText(text, 3, true, 1);
    {
        BinaryWriteModeScope scope(true);
        m.writeText(binary, 3, true, 1);
    }
    m.writeBinary(direct, 1);
    EXPECT_EQ(text.front(), '[');
    EXPECT_EQ(binary, direct);
    EXPECT_FALSE(binaryWriteMode());
}

TEST(IndexBinary, TheOffsetWidthFollowsTheRange) {
    struct Case {
        std::vector<int> values;
        std::size_t size;
    };
    const Case cases[] = {
        {{100, 354, 99, 300}, 13u + 4},
        {{-1, 65533, 0}, 13u + 6},
        {{-1, 65535, 0}, 13u + 12},
        {{INT32_MIN, INT32_MAX}, 13u + 8},
    };
    for (const auto& c : cases) {
        VectorL v;
        for (int x : c.values) v.push(x);
        std::string out;
        v.writeBinary(out);
        EXPECT_EQ(out.size(), c.size);
        EXPECT_EQ(out[0], '\0');
        GuardedText t(out);
        std::unique_ptr<VectorL> back;
        EXPECT_EQ(VectorL::readBinary(t.begin(), t.end(), back), t.end());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(VectorL::compare(back.get(), &v), 0);
    }
}

TEST(IndexBinary, TriangleListsAreWrittenInModeZeroWhateverTheRequest) {
    VectorL v;
    for (int x : {0, 1, 2, -1, 2, 1, 3, -1}) v.push(x);
    std::string asked, plain;
    v.writeBinary(asked, 1);
    v.writeBinary(plain, 0);
    EXPECT_EQ(asked, plain);
    EXPECT_EQ(asked[0], '\0');
}

TEST(IndexBinary, CompressedModesAreReportedAsUnsupportedAndRefused) {
    for (char mode : {'\x01', '\x02'}) {
        MessageCapture capture;
        std::string out(1, mode);
        out += block({6, 0, 1, 2, 3, 4, 5});
        GuardedText t(out);
        std::unique_ptr<VectorL> back = std::make_unique<VectorL>();
        EXPECT_EQ(VectorL::readBinary(t.begin(), t.end(), back), nullptr);
        EXPECT_EQ(back, nullptr);
        ASSERT_EQ(capture.boxTexts().size(), 1u);
        EXPECT_NE(capture.boxTexts()[0].find("not supported"), std::string::npos);
    }
}

TEST(IndexBinary, BrokenBlocksAreRefusedAsCorrupt) {
    VectorL v;
    for (int i = 0; i < 40; ++i) v.push(i * 1000);
    std::string good;
    v.writeBinary(good);
    std::vector<std::string> broken;
    for (std::size_t cut = 0; cut < good.size(); ++cut) broken.push_back(good.substr(0, cut));
    broken.push_back(std::string(1, '\x07') + good.substr(1));
    broken.push_back(std::string(1, '\0') + block({-1, 0, 0}));
    broken.push_back(std::string(1, '\0') + block({INT32_MAX, 0, 1}) + std::string(100, 'x'));
    broken.push_back(std::string(1, '\0') + block({2, 10, 5}) + "ab");
    for (const auto& bytes : broken) {
        MessageCapture capture;
        GuardedText t(bytes);
        std::unique_ptr<VectorL> back;
        EXPECT_EQ(VectorL::readBinary(t.begin(), t.end(), back), nullptr) << bytes.size();
        EXPECT_EQ(back, nullptr);
        ASSERT_EQ(capture.boxTexts().size(), 1u);
        EXPECT_EQ(capture.boxTexts()[0], "File is corrupt");
    }
}

TEST(IndexBinary, AnEmptyListReadsBackAsNoList) {
    VectorL v;
    std::string out;
    v.writeBinary(out);
    EXPECT_EQ(out.size(), 13u);
    GuardedText t(out);
    auto back = std::make_unique<VectorL>();
    EXPECT_EQ(VectorL::readBinary(t.begin(), t.end(), back), t.end());
    EXPECT_EQ(back, nullptr);
}

TEST(IndexBinary, WriteTextEmitsTheBlockInBinaryWriteMode) {
    VectorL v;
    for (int x : {4, 5, 6, -1}) v.push(x);
    std::string binary, direct;
    {
        BinaryWriteModeScope scope(true);
        v.writeText(binary);
    }
    v.writeBinary(direct);
    EXPECT_EQ(binary, direct);
}

TEST(ByteReader, RefusesEveryReadPastTheEnd) {
    const char data[3] = {1, 2, 3};
    ByteReader in(data, data + 3);
    std::int32_t v = 0;
    EXPECT_FALSE(in.i32(v));
    std::uint16_t u = 0;
    EXPECT_TRUE(in.u16(u));
    EXPECT_EQ(u, 0x0201);
    EXPECT_FALSE(in.u16(u));
    EXPECT_TRUE(in.has(1, 1));
    EXPECT_FALSE(in.has(UINT64_MAX / 2, 4));
}
