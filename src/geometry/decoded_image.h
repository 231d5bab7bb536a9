#pragma once
// The common result of the image decoders: 8-bit RGB, rows top to bottom, no padding.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kinemo {

// Sizes beyond these are refused before any pixel memory is taken: a file header can claim
// 65535 x 65535 pixels in a few bytes.
struct ImageLimits {
    std::int32_t maxDimension = 16384;
    std::int64_t maxPixels = std::int64_t{1} << 26;

    bool allows(std::int64_t width, std::int64_t height) const {
        return width > 0 && height > 0 && width <= maxDimension && height <= maxDimension &&
               width * height <= maxPixels;
    }
};

struct DecodedImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3 bytes
    // width * height bytes, 0 where the picture is see-through; empty for an opaque picture.
    std::vector<std::uint8_t> opacity;

    const std::uint8_t* pixel(std::int32_t x, std::int32_t y) const {
        return rgb.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 3;
    }
};

}  // namespace kinemo
