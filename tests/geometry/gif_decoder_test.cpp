#include "geometry/gif_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "geometry/image.h"
#include "image_test_support.h"

namespace kinemo {
namespace {

using testing::geometryData;
using testing::largestDifference;
using testing::readBytes;
using testing::readPpm;

struct GifCase {
    const char* name;
    int bitsPerPixel;
};

class GifReference : public ::testing::TestWithParam<GifCase> {};

TEST_P(GifReference, DecodesLikeAnIndependentDecoder) {
    const GifCase& c = GetParam();
    CDIB dib;
    std::string error;
    ASSERT_TRUE(decodeGif(readBytes(geometryData(std::string(c.name) + ".gif")), dib, &error)) << error;
    EXPECT_EQ(dib.bitsPerPixel(), c.bitsPerPixel);
    const DecodedImage reference = readPpm(geometryData(std::string(c.name) + ".ppm"));
    ASSERT_GT(reference.width, 0);
    EXPECT_EQ(largestDifference(dib.toRgb(), reference), 0);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GifReference,
                         ::testing::Values(GifCase{"two_colour_21x13", 1}, GifCase{"eight_colour_19x11", 4},
                                           GifCase{"interlaced_25x19", 4}, GifCase{"many_colour_33x17", 8}));

TEST(GifDecoder, PadsPaletteRowsToWholeWords) {
    CDIB dib;
    ASSERT_TRUE(decodeGif(readBytes(geometryData("two_colour_21x13.gif")), dib));
    EXPECT_EQ(dib.stride(), 4u);  // 21 pixels at 1 bit: one 32-pixel unit
    ASSERT_TRUE(decodeGif(readBytes(geometryData("eight_colour_19x11.gif")), dib));
    EXPECT_EQ(dib.stride(), 12u);          // 19 pixels at 4 bits: three 8-pixel units
    EXPECT_EQ(dib.colours().size(), 16u);  // 8 entries widened to 16
    ASSERT_TRUE(decodeGif(readBytes(geometryData("many_colour_33x17.gif")), dib));
    EXPECT_EQ(dib.stride(), 36u);
}

// A GIF made by hand: 4 x 2 pixels, two colours, LZW data given as the codes of a 2-bit stream.
std::vector<std::uint8_t> handMadeGif(std::vector<std::uint8_t> lzw, std::uint16_t width = 4, std::uint16_t height = 2,
                                      std::uint8_t minCodeSize = 2) {
    std::vector<std::uint8_t> gif{'G', 'I', 'F', '8', '9', 'a', static_cast<std::uint8_t>(width),
                                  static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(height),
                                  static_cast<std::uint8_t>(height >> 8), 0x80, 0, 0,
                                  // colour table: black, white
                                  0, 0, 0, 255, 255, 255,
                                  // a comment extension that must be skipped
                                  '!', 0xFE, 3, 'a', 'b', 'c', 0, ',', 0, 0, 0, 0, static_cast<std::uint8_t>(width),
                                  static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(height),
                                  static_cast<std::uint8_t>(height >> 8), 0, minCodeSize};
    for (std::size_t i = 0; i < lzw.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, lzw.size() - i);
        gif.push_back(static_cast<std::uint8_t>(n));
        gif.insert(gif.end(), lzw.begin() + static_cast<std::ptrdiff_t>(i),
                   lzw.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    gif.push_back(0);
    gif.push_back(';');
    return gif;
}

// Packs codes of the given widths, least significant bit first.
std::vector<std::uint8_t> packCodes(const std::vector<std::pair<int, int>>& codes) {
    std::vector<std::uint8_t> out;
    std::uint32_t bits = 0;
    int count = 0;
    for (auto [code, width] : codes) {
        bits |= static_cast<std::uint32_t>(code) << count;
        count += width;
        while (count >= 8) {
            out.push_back(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0) out.push_back(static_cast<std::uint8_t>(bits));
    return out;
}

TEST(GifDecoder, DecodesTheRepeatedStringCode) {
    // clear, 1, 6 (= "1 1", the code being defined), 7 (= "1 1 1"), 0, end: 1 1 1 1 1 1 | 0
    const auto lzw = packCodes({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {0, 4}, {5, 4}});
    CDIB dib;
    ASSERT_TRUE(decodeGif(handMadeGif(lzw, 7, 1), dib));
    for (int x = 0; x < 6; ++x) EXPECT_EQ(dib.index(x, 0), 1) << x;
    EXPECT_EQ(dib.index(6, 0), 0);
}

TEST(GifDecoder, StopsAtACodeBeyondTheTableAndKeepsThePixelsSoFar) {
    // clear, 1, then 30: no such entry yet
    const auto lzw = packCodes({{4, 3}, {1, 3}, {7, 3}, {1, 3}});
    CDIB dib;
    ASSERT_TRUE(decodeGif(handMadeGif(lzw), dib));
    EXPECT_EQ(dib.index(0, 0), 1);
    EXPECT_EQ(dib.index(1, 0), 0);
    EXPECT_EQ(dib.index(3, 1), 0);
}

TEST(GifDecoder, IgnoresPixelsBeyondTheImage) {
    // Each clear code restarts the table, so every code stays 3 bits wide.
    std::vector<std::pair<int, int>> codes;
    for (int i = 0; i < 40; ++i) {
        codes.push_back({4, 3});
        codes.push_back({1, 3});
    }
    CDIB dib;
    ASSERT_TRUE(decodeGif(handMadeGif(packCodes(codes)), dib));
    EXPECT_EQ(dib.index(3, 1), 1);
}

TEST(GifDecoder, MapsIndicesPastTheColourTableToTheFirstColour) {
    // Code size 2 allows indices up to 3 in a 1-bit bitmap.
    const auto lzw = packCodes({{4, 3}, {3, 3}, {2, 3}, {5, 3}});
    CDIB dib;
    ASSERT_TRUE(decodeGif(handMadeGif(lzw), dib));
    EXPECT_EQ(dib.index(0, 0), 0);
    EXPECT_EQ(dib.index(1, 0), 0);
}

TEST(GifDecoder, RefusesFilesWithoutSignatureImageOrColours) {
    CDIB dib;
    std::vector<std::uint8_t> gif = handMadeGif(packCodes({{4, 3}, {1, 3}, {5, 3}}));
    std::vector<std::uint8_t> bad = gif;
    bad[3] = 'x';
    EXPECT_FALSE(decodeGif(bad, dib));
    bad = gif;
    bad[10] = 0;  // no global colour table, and the image has no local one
    bad.erase(bad.begin() + 13, bad.begin() + 19);
    EXPECT_FALSE(decodeGif(bad, dib));
    // Only the header and screen: no image follows.
    bad.assign(gif.begin(), gif.begin() + 19);
    bad.push_back(';');
    EXPECT_FALSE(decodeGif(bad, dib));
}

TEST(GifDecoder, SurvivesEveryTruncation) {
    const std::vector<std::uint8_t> gif = readBytes(geometryData("interlaced_25x19.gif"));
    for (std::size_t n = 0; n < gif.size(); ++n) {
        CDIB dib;
        decodeGif(std::span(gif.data(), n), dib);
    }
}

TEST(GifDecoder, RefusesAHugeClaimedSizeWithoutTakingMemory) {
    CDIB dib;
    std::string error;
    EXPECT_FALSE(decodeGif(handMadeGif(packCodes({{4, 3}, {5, 3}}), 65535, 65535), dib, &error));
    EXPECT_NE(error.find("refused"), std::string::npos);
}

TEST(GifDecoder, RefusesAnLzwCodeSizeAboveEightBits) {
    CDIB dib;
    EXPECT_FALSE(decodeGif(handMadeGif(packCodes({{4, 3}}), 4, 2, 12), dib));
}

// Seven pixels 1 1 1 1 1 1 0 with a graphic control extension before the image.
std::vector<std::uint8_t> gifWithControl(std::uint8_t flags, std::uint8_t transparentIndex) {
    std::vector<std::uint8_t> gif = handMadeGif(packCodes({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {0, 4}, {5, 4}}), 7, 1);
    const std::vector<std::uint8_t> control{'!', 0xF9, 4, flags, 10, 0, transparentIndex, 0};
    const auto image = std::find(gif.begin() + 19, gif.end(), ',');
    gif.insert(image, control.begin(), control.end());
    return gif;
}

TEST(GifTransparency, TheGraphicControlExtensionNamesTheSeeThroughColour) {
    CDIB dib;
    ASSERT_TRUE(decodeGif(gifWithControl(1, 1), dib));
    EXPECT_EQ(dib.transparentIndex(), 1);
    const DecodedImage rgb = dib.toRgb();
    ASSERT_EQ(rgb.opacity.size(), 7u);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(rgb.opacity[std::size_t(x)], 0) << x;
    EXPECT_EQ(rgb.opacity[6], 255);
}

TEST(GifTransparency, ImageMagicksTransparentColourIsSeeThrough) {
    // convert -size 5x3 xc:red -fill blue -draw "point 1,1" -transparent blue
    CDIB dib;
    ASSERT_TRUE(decodeGif(readBytes(geometryData("see_through_5x3.gif")), dib));
    const DecodedImage rgb = dib.toRgb();
    ASSERT_EQ(rgb.opacity.size(), 15u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool clear = x == 1 && y == 1;
            EXPECT_EQ(rgb.opacity[std::size_t(y * 5 + x)], clear ? 0 : 255) << x << "," << y;
            if (!clear) {
                EXPECT_EQ(rgb.pixel(x, y)[0], 255);
            }
        }
}

TEST(GifTransparency, WithoutTheTransparentFlagEveryPixelIsOpaque) {
    CDIB dib;
    ASSERT_TRUE(decodeGif(gifWithControl(0, 1), dib));
    EXPECT_EQ(dib.transparentIndex(), -1);
    EXPECT_TRUE(dib.toRgb().opacity.empty());
}

TEST(GifTransparency, AnIndexPastThePaletteMakesNothingSeeThrough) {
    CDIB dib;
    ASSERT_TRUE(decodeGif(gifWithControl(1, 200), dib));
    EXPECT_EQ(dib.transparentIndex(), -1);
}

TEST(GifTransparency, SeeThroughPixelsOfATextureGetAlphaZero) {
    ImageImpl image("clear.gif");
    ASSERT_TRUE(image.decode(gifWithControl(1, 1), true, true));
    ASSERT_EQ(image.width(), 4);
    EXPECT_TRUE(image.seeThrough());
    auto alpha = [&](int x) { return reinterpret_cast<const std::uint8_t*>(&image.pixels()[std::size_t(x)])[3]; };
    // Texture columns 0, 1, 2, 3 take the file's columns 0, 2, 4, 6.
    EXPECT_EQ(alpha(0), 0);
    EXPECT_EQ(alpha(2), 0);
    EXPECT_EQ(alpha(3), kTextureAlpha);
}

TEST(GifTransparency, AnOpaqueGifTextureIsNotSeeThrough) {
    ImageImpl image("plain.gif");
    ASSERT_TRUE(image.decode(gifWithControl(0, 1), true, true));
    EXPECT_FALSE(image.seeThrough());
}

}  // namespace
}  // namespace kinemo
