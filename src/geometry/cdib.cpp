#include "geometry/cdib.h"

#include <cassert>

namespace kinemo {

CDIB CDIB::palette(std::int32_t width, std::int32_t height, int bitsPerPixel, std::vector<Colour> colours) {
    assert(bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8);
    CDIB dib;
    dib.width_ = width;
    dib.height_ = height;
    dib.bits_ = bitsPerPixel;
    // 32 pixels a row unit at 1 bit, 8 at 4 bits, 4 at 8 bits: always whole 4-byte words.
    const std::size_t pixelsPerWord = 32 / static_cast<std::size_t>(bitsPerPixel);
    dib.stride_ = (static_cast<std::size_t>(width) + pixelsPerWord - 1) / pixelsPerWord * 4;
    colours.resize(std::size_t{1} << bitsPerPixel);
    dib.colours_ = std::move(colours);
    dib.data_.assign(dib.stride_ * static_cast<std::size_t>(height), 0);
    return dib;
}

CDIB CDIB::fromRgb(const DecodedImage& image) {
    CDIB dib;
    dib.width_ = image.width;
    dib.height_ = image.height;
    dib.bits_ = 24;
    dib.stride_ = (static_cast<std::size_t>(image.width) + 3) / 4 * 4 * 3;
    dib.data_.assign(dib.stride_ * static_cast<std::size_t>(image.height), 0);
    for (std::int32_t y = 0; y < image.height; ++y) {
        std::uint8_t* row = dib.data_.data() + dib.stride_ * static_cast<std::size_t>(y);
        for (std::int32_t x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.pixel(x, y);
            row[x * 3] = p[2];
            row[x * 3 + 1] = p[1];
            row[x * 3 + 2] = p[0];
        }
    }
    return dib;
}

void CDIB::setIndex(std::int32_t x, std::int32_t y, std::uint8_t value) {
    assert(bits_ <= 8 && x >= 0 && x < width_ && y >= 0 && y < height_);
    std::uint8_t* row = data_.data() + stride_ * static_cast<std::size_t>(y);
    const std::size_t bit = static_cast<std::size_t>(x) * bits_;
    const int shift = 8 - bits_ - static_cast<int>(bit % 8);
    const auto mask = static_cast<std::uint8_t>(((1u << bits_) - 1) << shift);
    row[bit / 8] = static_cast<std::uint8_t>((row[bit / 8] & ~mask) | ((value << shift) & mask));
}

std::uint8_t CDIB::index(std::int32_t x, std::int32_t y) const {
    assert(bits_ <= 8 && x >= 0 && x < width_ && y >= 0 && y < height_);
    const std::uint8_t* row = data_.data() + stride_ * static_cast<std::size_t>(y);
    const std::size_t bit = static_cast<std::size_t>(x) * bits_;
    const int shift = 8 - bits_ - static_cast<int>(bit % 8);
    return static_cast<std::uint8_t>((row[bit / 8] >> shift) & ((1u << bits_) - 1));
}

CDIB::Colour CDIB::colour(std::int32_t x, std::int32_t y) const {
    if (bits_ == 24) {
        const std::uint8_t* p = data_.data() + stride_ * static_cast<std::size_t>(y) + static_cast<std::size_t>(x) * 3;
        return Colour{p[2], p[1], p[0]};
    }
    return colours_[index(x, y)];
}

DecodedImage CDIB::toRgb() const {
    DecodedImage out;
    out.width = width_;
    out.height = height_;
    out.rgb.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3);
    const bool seeThrough = bits_ <= 8 && transparent_ >= 0;
    if (seeThrough) out.opacity.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 255);
    std::uint8_t* t = out.rgb.data();
    std::uint8_t* o = out.opacity.data();
    for (std::int32_t y = 0; y < height_; ++y) {
        for (std::int32_t x = 0; x < width_; ++x) {
            const Colour c = colour(x, y);
            *t++ = c.red;
            *t++ = c.green;
            *t++ = c.blue;
            if (seeThrough) *o++ = index(x, y) == transparent_ ? 0 : 255;
        }
    }
    return out;
}

}  // namespace kinemo
