// PixelTexture text and inline image records, as a scene file brings them. The first byte picks
// the reader and the settings.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/messages.h"
#include "geometry/image.h"
#include "geometry/image_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    kinemo::imageReadContext().fileFromOtherProgram = (mode & 1) != 0;
    kinemo::imageSettings().changeTextureByteOrder = (mode & 2) != 0;
    kinemo::ImageImpl image;
    if (mode & 4) {
        image.readImageData(text.data(), text.data() + text.size(), (mode & 8) != 0);
        std::string record;
        if (image.loaded()) image.appendImageData(record);
    } else {
        const char* end = image.readImageFromString(text.data(), text.data() + text.size());
        if (end < text.data() || end > text.data() + text.size()) __builtin_trap();
    }
    return 0;
}
