#include "scene/scene_binary.h"

#include <bzlib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "scene_files_support.h"

namespace kinemo {
namespace {

using testing::fileText;
using testing::putFile;
using testing::Reports;
using testing::TempFolder;

std::string sampleContent() {
    std::string s = "#KINEMML V2.0 utf8\n";
    for (int i = 0; i < 2000; ++i) s += "Transform { #name part" + std::to_string(i) + " children [ ] }\n";
    return s;
}

std::string le32(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xff);
    return s;
}

// The part after the 13-byte header of a file whose stream is bzip2 of payload but claims n.
std::string bodyClaiming(std::int32_t n, const std::string& payload) {
    std::string packed(payload.size() * 2 + 600, '\0');
    unsigned int len = unsigned(packed.size());
    BZ2_bzBuffToBuffCompress(packed.data(), &len, const_cast<char*>(payload.data()), unsigned(payload.size()), 1, 0, 30);
    packed.resize(len);
    return le32(std::uint32_t(n)) + le32(~std::uint32_t(n)) + packed;
}

TEST(SceneBinary, CompressedContentDecompressesToTheSameBytes) {
    const std::string content = sampleContent();
    auto packed = compressContent(content);
    ASSERT_TRUE(packed);
    EXPECT_EQ(packed->substr(0, 13), "#KINEMBIN V01");
    auto back = decompressContent(packed->data() + 13, packed->size() - 13);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, content);
}

TEST(SceneBinary, PayloadIsWhatBzip2MinusOneMakesAndTailGivesTheContentBack) {
    TempFolder dir;
    const std::string content = sampleContent();
    putFile(dir.file("content.txt"), content);
    auto packed = compressContent(content);
    ASSERT_TRUE(packed);
    putFile(dir.file("guide.bvr"), *packed);
    ASSERT_EQ(std::system(("bzip2 -1 -c " + dir.file("content.txt") + " > " + dir.file("content.bz2")).c_str()), 0);
    EXPECT_EQ(packed->substr(21), fileText(dir.file("content.bz2")));
    ASSERT_EQ(std::system(("tail -c +22 " + dir.file("guide.bvr") + " | bzip2 -dc > " + dir.file("back.txt")).c_str()), 0);
    EXPECT_EQ(fileText(dir.file("back.txt")), content);
}

TEST(SceneBinary, RefusesAnAlteredComplement) {
    Reports reports;
    std::string body = bodyClaiming(5, "hello");
    body[4] ^= 1;
    EXPECT_FALSE(decompressContent(body.data(), body.size()));
    EXPECT_TRUE(reports.contains("File is corrupt"));
}

TEST(SceneBinary, RefusesTooShortABody) {
    Reports reports;
    EXPECT_FALSE(decompressContent("1234567", 7));
    EXPECT_TRUE(reports.contains("File is Corrupt"));
}

TEST(SceneBinary, RefusesNegativeAndHugeSizesBeforeAllocating) {
    Reports reports;
    const std::string negative = bodyClaiming(-5, "hello");
    EXPECT_FALSE(decompressContent(negative.data(), negative.size()));
    const std::string huge = bodyClaiming(0x7fffffff, "hello");
    EXPECT_FALSE(decompressContent(huge.data(), huge.size()));
    const std::string aboveLimit = bodyClaiming(2000, std::string(2000, 'a'));
    EXPECT_FALSE(decompressContent(aboveLimit.data(), aboveLimit.size(), 1000));
}

TEST(SceneBinary, RefusesAStreamThatGivesOtherThanTheClaimedSize) {
    Reports reports;
    const std::string shorter = bodyClaiming(100000, std::string(99999, 'x'));
    EXPECT_FALSE(decompressContent(shorter.data(), shorter.size()));
    const std::string longer = bodyClaiming(1000, std::string(1001, 'x'));
    EXPECT_FALSE(decompressContent(longer.data(), longer.size()));
}

TEST(SceneBinary, RefusesATruncatedOrGarbledStream) {
    Reports reports;
    const std::string content = sampleContent();
    std::string body = bodyClaiming(std::int32_t(content.size()), content);
    const std::string cut = body.substr(0, body.size() / 2);
    EXPECT_FALSE(decompressContent(cut.data(), cut.size()));
    std::string garbled = body;
    for (std::size_t i = 20; i < garbled.size(); i += 7) garbled[i] = char(garbled[i] ^ 0x5a);
    EXPECT_FALSE(decompressContent(garbled.data(), garbled.size()));
}

TEST(SceneBinary, ABombClaimingItsTrueSizeBeyondTheLimitIsRefused) {
    Reports reports;
    // 64 MB of zeros compress to a few hundred bytes.
    const std::string zeros(64u << 20, '\0');
    const std::string body = bodyClaiming(std::int32_t(zeros.size()), zeros);
    EXPECT_LT(body.size(), 10000u);
    EXPECT_FALSE(decompressContent(body.data(), body.size(), 1 << 20));
}

TEST(SceneBinary, OtherVersionCharactersAreDecompressedAllTheSame) {
    auto packed = compressContent("#KINEMML V2.0 utf8\n");
    ASSERT_TRUE(packed);
    std::string bytes = *packed;
    bytes[11] = '7';
    bytes[12] = 'x';
    auto text = documentText("guide.bvr", bytes);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "#KINEMML V2.0 utf8\n");
}

TEST(SceneBinary, OnlyOwnDocumentTypesAreDecompressed) {
    auto packed = compressContent("#VRML V2.0 utf8\n");
    ASSERT_TRUE(packed);
    auto asWrl = documentText("model.wrl", *packed);
    ASSERT_TRUE(asWrl);
    EXPECT_EQ(*asWrl, *packed);
    auto asRos = documentText("model.ros", *packed);
    ASSERT_TRUE(asRos);
    EXPECT_EQ(*asRos, "#VRML V2.0 utf8\n");
}

TEST(SceneBinary, CompressFileReplacesTheFileOnlyWhenItCan) {
    TempFolder dir;
    const std::string path = dir.file("guide.bvr");
    putFile(path, sampleContent());
    ASSERT_TRUE(compressFile(path));
    EXPECT_TRUE(looksCompressed(fileText(path)));
    Reports reports;
    EXPECT_FALSE(compressFile(dir.file("missing.bvr")));
}

}  // namespace
}  // namespace kinemo
