#include "geometry/cdib.h"

#include <gtest/gtest.h>

namespace kinemo {
namespace {

TEST(CDIB, PacksFourBitIndicesHighNibbleFirst) {
    CDIB dib = CDIB::palette(3, 2, 4, {{1, 2, 3}, {4, 5, 6}});
    dib.setIndex(0, 0, 0xA);
    dib.setIndex(1, 0, 0x5);
    dib.setIndex(2, 1, 0xF);
    EXPECT_EQ(dib.bits()[0], 0xA5);
    EXPECT_EQ(dib.bits()[dib.stride()], 0x0);
    EXPECT_EQ(dib.index(2, 1), 0xF);
    EXPECT_EQ(dib.colours().size(), 16u);
    // Entries the file did not give are black.
    EXPECT_EQ(dib.colour(2, 1).red, 0);
}

TEST(CDIB, KeepsNeighbouringOneBitPixels) {
    CDIB dib = CDIB::palette(9, 1, 1, {{0, 0, 0}, {255, 255, 255}});
    for (int x = 0; x < 9; x += 2) dib.setIndex(x, 0, 1);
    dib.setIndex(2, 0, 0);
    EXPECT_EQ(dib.bits()[0], 0b10001010);
    EXPECT_EQ(dib.bits()[1], 0b10000000);
    EXPECT_EQ(dib.colour(8, 0).green, 255);
}

TEST(CDIB, StoresColourBitmapsAsBlueGreenRed) {
    DecodedImage image;
    image.width = 2;
    image.height = 1;
    image.rgb = {10, 20, 30, 40, 50, 60};
    CDIB dib = CDIB::fromRgb(image);
    EXPECT_EQ(dib.stride(), 12u);
    EXPECT_EQ(dib.bits()[0], 30);
    EXPECT_EQ(dib.bits()[2], 10);
    EXPECT_EQ(dib.toRgb().rgb, image.rgb);
}

}  // namespace
}  // namespace kinemo
