// Any bytes given to the GIF decoder, and the texture made from what it decodes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/gif_decoder.h"
#include "geometry/image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kinemo::ImageLimits limits;
    limits.maxPixels = std::int64_t{1} << 20;
    kinemo::CDIB dib;
    if (kinemo::decodeGif({data, size}, dib, nullptr, limits)) {
        std::vector<std::uint32_t> pixels;
        std::int32_t width = 0, height = 0;
        float sx = 0, sy = 0;
        kinemo::resampleForTexture(dib.toRgb(), pixels, width, height, sx, sy);
    }
    return 0;
}
