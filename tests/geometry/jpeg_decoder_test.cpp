#include "geometry/jpeg_decoder.h"

#include <gtest/gtest.h>

#include "image_test_support.h"

namespace kinemo {
namespace {

using testing::geometryData;
using testing::largestDifference;
using testing::readBytes;
using testing::readPpm;

class JpegReference : public ::testing::TestWithParam<const char*> {};

TEST_P(JpegReference, DecodesLikeAnIndependentDecoder) {
    const std::string name = GetParam();
    DecodedImage decoded;
    std::string error;
    ASSERT_TRUE(decodeJpeg(readBytes(geometryData(name + ".jpg")), decoded, &error)) << error;
    const DecodedImage reference = readPpm(geometryData(name + ".ppm"));
    ASSERT_GT(reference.width, 0);
    EXPECT_EQ(largestDifference(decoded, reference), 0);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, JpegReference,
                         ::testing::Values("rgb_37x23", "grey_16x9", "cmyk_12x10", "progressive_40x30"));

TEST(JpegDecoder, GivesEqualChannelsForGreyFiles) {
    DecodedImage decoded;
    ASSERT_TRUE(decodeJpeg(readBytes(geometryData("grey_16x9.jpg")), decoded));
    for (std::size_t i = 0; i < decoded.rgb.size(); i += 3) {
        ASSERT_EQ(decoded.rgb[i], decoded.rgb[i + 1]);
        ASSERT_EQ(decoded.rgb[i], decoded.rgb[i + 2]);
    }
}

TEST(JpegDecoder, ReturnsWithAMessageForCorruptData) {
    std::vector<std::uint8_t> bytes = readBytes(geometryData("rgb_37x23.jpg"));
    // Overwrite the frame header's marker: libjpeg's default handler would end the process here.
    for (std::size_t i = 2; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 37);
    DecodedImage decoded;
    std::string error;
    EXPECT_FALSE(decodeJpeg(bytes, decoded, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(decoded.width, 0);
    EXPECT_TRUE(decoded.rgb.empty());
}

TEST(JpegDecoder, RefusesDataThatIsNoJpegAtAll) {
    const std::vector<std::uint8_t> text{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
    DecodedImage decoded;
    EXPECT_FALSE(decodeJpeg(text, decoded));
    EXPECT_FALSE(decodeJpeg({}, decoded));
}

TEST(JpegDecoder, KeepsTheImageOfATruncatedFile) {
    std::vector<std::uint8_t> bytes = readBytes(geometryData("rgb_37x23.jpg"));
    bytes.resize(bytes.size() * 2 / 3);
    DecodedImage decoded;
    ASSERT_TRUE(decodeJpeg(bytes, decoded));
    EXPECT_EQ(decoded.width, 37);
    EXPECT_EQ(decoded.height, 23);
}

TEST(JpegDecoder, RefusesSizesBeyondTheLimits) {
    const std::vector<std::uint8_t> bytes = readBytes(geometryData("rgb_37x23.jpg"));
    ImageLimits limits;
    limits.maxPixels = 37 * 23 - 1;
    DecodedImage decoded;
    std::string error;
    EXPECT_FALSE(decodeJpeg(bytes, decoded, &error, limits));
    EXPECT_NE(error.find("refused"), std::string::npos);
    limits.maxPixels = 37 * 23;
    EXPECT_TRUE(decodeJpeg(bytes, decoded, &error, limits));
}

TEST(JpegDecoder, RefusesAHugeSizeClaimedInTheHeader) {
    std::vector<std::uint8_t> bytes = readBytes(geometryData("rgb_37x23.jpg"));
    // Find the baseline frame header (FF C0) and claim 60000 x 60000 pixels.
    for (std::size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = bytes[i + 7] = 0xEA;
            bytes[i + 6] = bytes[i + 8] = 0x60;
            break;
        }
    }
    DecodedImage decoded;
    EXPECT_FALSE(decodeJpeg(bytes, decoded));
    EXPECT_TRUE(decoded.rgb.empty());
}

}  // namespace
}  // namespace kinemo
