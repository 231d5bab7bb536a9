#pragma once
// JPEG decoding from memory with libjpeg. Corrupt data never ends the process: libjpeg's
// errors come back here as a false result with the library's message.
#include <cstdint>
#include <span>
#include <string>

#include "geometry/decoded_image.h"

namespace kinemo {

// Decodes a whole JPEG file held in memory into RGB. Grey files give equal red, green and blue;
// CMYK and YCCK files (Adobe-inverted or plain) are turned into RGB. Returns false, with the
// reason in error when given, for corrupt data or sizes that limits refuse.
bool decodeJpeg(std::span<const std::uint8_t> data, DecodedImage& out, std::string* error = nullptr,
                const ImageLimits& limits = ImageLimits{});

}  // namespace kinemo
