// Any bytes given to the JPEG decoder must come back as a result, never as an exit or a crash.
#include <cstddef>
#include <cstdint>

#include "geometry/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kinemo::ImageLimits limits;
    limits.maxPixels = std::int64_t{1} << 20;
    kinemo::DecodedImage image;
    kinemo::decodeJpeg({data, size}, image, nullptr, limits);
    return 0;
}
