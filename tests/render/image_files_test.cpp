#include "render/image_files.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace kinemo {
namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}
std::uint16_t le16(const std::vector<std::uint8_t>& b, std::size_t at) { return std::uint16_t(b[at] | b[at + 1] << 8); }

TEST(BitmapFile, RoundsAWidthOf301UpTo304WithTheRightHeaders) {
    std::vector<std::uint8_t> rgba(301 * 2 * 4, 7);
    const std::vector<std::uint8_t> b = encodeBitmap(301, 2, rgba.data(), 301);
    ASSERT_EQ(b.size(), 54u + 304u * 2u * 4u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), b.size());
    EXPECT_EQ(le32(b, 6), 0u);
    EXPECT_EQ(le32(b, 10), 54u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 304u);
    EXPECT_EQ(le32(b, 22), 2u);
    EXPECT_EQ(le16(b, 26), 1u);
    EXPECT_EQ(le16(b, 28), 32u);
    EXPECT_EQ(le32(b, 30), 0u);
}

TEST(BitmapFile, WritesBlueGreenRedAlphaBottomRowFirstWithZeroPadding) {
    // Two rows of width 3: bottom row red, top row green.
    const std::uint8_t rgba[] = {255, 0,   0, 10, 255, 0,   0, 10, 255, 0,   0, 10,
                                 0,   255, 0, 20, 0,   255, 0, 20, 0,   255, 0, 20};
    const std::vector<std::uint8_t> b = encodeBitmap(3, 2, rgba, 3);
    ASSERT_EQ(b.size(), 54u + 4u * 2u * 4u);
    const std::uint8_t* bottom = b.data() + 54;
    const std::uint8_t* top = bottom + 16;
    EXPECT_EQ(bottom[0], 0);
    EXPECT_EQ(bottom[2], 255);
    EXPECT_EQ(bottom[3], 10);
    EXPECT_EQ(top[1], 255);
    EXPECT_EQ(top[3], 20);
    for (int i = 12; i < 16; ++i) EXPECT_EQ(bottom[i], 0) << "padding column";
}

TEST(PngFile, StoresTheTopRowFirst) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("kinemo_png_" + std::to_string(getpid()) + ".png")).string();
    // Bottom row (first in memory) red, top row blue.
    const std::uint8_t rgba[] = {255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 128};
    ASSERT_TRUE(writePngFile(path, 2, 2, rgba));
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGBA;
    EXPECT_EQ(image.width, 2u);
    EXPECT_EQ(image.height, 2u);
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(pixels[2], 255) << "top row first: blue";
    EXPECT_EQ(pixels[7], 128);
    EXPECT_EQ(pixels[8], 255) << "then the red bottom row";
    std::filesystem::remove(path);
}

TEST(PngFile, ReportsAnUnwritablePath) {
    const std::uint8_t rgba[4] = {};
    EXPECT_FALSE(writePngFile("/nonexistent-folder/x.png", 1, 1, rgba));
}

}  // namespace
}  // namespace kinemo
