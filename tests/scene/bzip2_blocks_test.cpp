#include "scene/bzip2_blocks.h"

#include <bzlib.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "scene/scene_binary.h"
#include "scene_files_support.h"

namespace kinemo {
namespace {

using testing::Reports;

// Decimal text that compresses about as well as a point list: many blocks at block size 1.
std::string numbers(std::size_t bytes, unsigned seed) {
    std::mt19937 random(seed);
    std::string s;
    while (s.size() < bytes) {
        s += std::to_string(random() % 100000);
        s += (random() % 8 == 0) ? ",\n" : " ";
        if (random() % 500 == 0) s += std::string(random() % 3000, 'x');  // runs for the run-length stage
    }
    return s;
}

std::string bzip2(const std::string& content, int level) {
    std::string packed(content.size() + content.size() / 50 + 1000, '\0');
    unsigned int length = unsigned(packed.size());
    EXPECT_EQ(BZ2_bzBuffToBuffCompress(packed.data(), &length, const_cast<char*>(content.data()),
                                       unsigned(content.size()), level, 0, 30),
              BZ_OK);
    packed.resize(length);
    return packed;
}

std::string le32(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xff);
    return s;
}

TEST(Bzip2Blocks, FindsOneBoundPerBlockAndTheEndMark) {
    const std::string content = numbers(1500000, 1);
    const std::string packed = bzip2(content, 1);
    const auto bounds = bzip2BlockBounds(reinterpret_cast<const unsigned char*>(packed.data()), packed.size());
    // Level 1 blocks hold at most 100000 bytes after the runs are shortened: many blocks, and the
    // end mark after them.
    ASSERT_GE(bounds.size(), 9u);
    EXPECT_EQ(bounds.front(), 32u);
    for (std::size_t k = 1; k < bounds.size(); ++k) EXPECT_GT(bounds[k], bounds[k - 1]);
    EXPECT_LE(bounds.back() + 80, packed.size() * 8);
}

TEST(Bzip2Blocks, DecodesBlocksSideBySideToExactlyTheContent) {
    for (int level : {1, 9}) {
        const std::string content = numbers(level == 1 ? 1000000 : 2000000, unsigned(level));
        const std::string packed = bzip2(content, level);
        for (unsigned threads : {1u, 2u, 4u}) {
            std::string out;
            ASSERT_TRUE(decodeBlocksInParallel(packed.data(), packed.size(), content.size(), out, threads))
                << level << " " << threads;
            EXPECT_TRUE(out == content) << level << " " << threads;
        }
    }
}

TEST(Bzip2Blocks, LeavesAnyStreamThatIsNotExactlyRightToTheOnePassDecoder) {
    const std::string content = numbers(800000, 3);
    const std::string packed = bzip2(content, 1);
    std::string out;
    // Another size than the content's.
    EXPECT_FALSE(decodeBlocksInParallel(packed.data(), packed.size(), content.size() - 1, out, 2));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(decodeBlocksInParallel(packed.data(), packed.size(), content.size() + 1, out, 2));
    // Cut short, one changed byte inside a block, and a stream of one block.
    EXPECT_FALSE(decodeBlocksInParallel(packed.data(), packed.size() / 2, content.size(), out, 2));
    for (std::size_t at : {std::size_t(200), packed.size() / 3, packed.size() - 30}) {
        std::string changed = packed;
        changed[at] = char(changed[at] ^ 0x10);
        EXPECT_FALSE(decodeBlocksInParallel(changed.data(), changed.size(), content.size(), out, 2)) << at;
        EXPECT_TRUE(out.empty());
    }
    const std::string small = bzip2(content.substr(0, 50000), 1);
    EXPECT_FALSE(decodeBlocksInParallel(small.data(), small.size(), 50000, out, 2));
    EXPECT_FALSE(decodeBlocksInParallel("BZh1", 4, 0, out, 2));
}

TEST(Bzip2Blocks, ABlockNeverGrowsPastTheClaimedSize) {
    // Zeros: each block expands far; a claim smaller than the truth stops the block that passes it.
    const std::string zeros(12u << 20, '\0');
    const std::string packed = bzip2(zeros, 1);
    std::string out;
    EXPECT_FALSE(decodeBlocksInParallel(packed.data(), packed.size(), 1 << 20, out, 2));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(decodeBlocksInParallel(packed.data(), packed.size(), zeros.size(), out, 2));
    EXPECT_TRUE(out == zeros);
}

TEST(Bzip2Blocks, ALargeDocumentDecompressesToItsContentAndAGarbledOneIsStillRefused) {
    const std::string content = numbers(1500000, 4);
    auto packed = compressContent(content);
    ASSERT_TRUE(packed);
    auto back = decompressContent(packed->data() + 13, packed->size() - 13);
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == content);

    Reports reports;
    std::string garbled = *packed;
    garbled[garbled.size() / 2] = char(garbled[garbled.size() / 2] ^ 0x01);
    EXPECT_FALSE(decompressContent(garbled.data() + 13, garbled.size() - 13));
    EXPECT_TRUE(reports.contains("File is corrupt"));
    std::string wrongSize = *packed;
    const std::uint32_t n = std::uint32_t(content.size() - 1);
    wrongSize.replace(13, 8, le32(n) + le32(~n));
    EXPECT_FALSE(decompressContent(wrongSize.data() + 13, wrongSize.size() - 13));
}

}  // namespace
}  // namespace kinemo
