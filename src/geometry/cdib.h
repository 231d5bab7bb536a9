#pragma once
// A device-independent bitmap in memory: palette bitmaps of 1, 4 or 8 bits per pixel (what
// the GIF decoder produces) and 24-bit colour bitmaps of blue, green, red bytes (dialog images).
// Rows run from the top of the picture down; every row is padded to a multiple of 4 bytes.
#include <array>
#include <cstdint>
#include <vector>

#include "geometry/decoded_image.h"

namespace kinemo {

class CDIB {
public:
    struct Colour {
        std::uint8_t red = 0, green = 0, blue = 0;
    };

    // A palette bitmap; the palette is widened with black to the full 2^bits entries, so every
    // index a row can hold has a colour.
    static CDIB palette(std::int32_t width, std::int32_t height, int bitsPerPixel, std::vector<Colour> colours);
    // A 24-bit colour bitmap from RGB, its width rounded up to a multiple of 4 pixels.
    static CDIB fromRgb(const DecodedImage& image);

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    int bitsPerPixel() const { return bits_; }
    std::size_t stride() const { return stride_; }
    const std::vector<Colour>& colours() const { return colours_; }
    const std::vector<std::uint8_t>& bits() const { return data_; }

    // Palette bitmaps only: sets or reads the index of one pixel (the value is masked to the depth).
    void setIndex(std::int32_t x, std::int32_t y, std::uint8_t index);
    std::uint8_t index(std::int32_t x, std::int32_t y) const;
    Colour colour(std::int32_t x, std::int32_t y) const;
    // The whole bitmap as RGB, rows top to bottom; with a transparent index also its opacity.
    DecodedImage toRgb() const;
    // Palette bitmaps: the index shown as see-through (a GIF's graphic control extension), -1 none.
    int transparentIndex() const { return transparent_; }
    void setTransparentIndex(int index) { transparent_ = index; }

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    int bits_ = 0;
    int transparent_ = -1;
    std::size_t stride_ = 0;
    std::vector<Colour> colours_;
    std::vector<std::uint8_t> data_;
};

}  // namespace kinemo
