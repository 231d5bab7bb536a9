#pragma once
// GIF decoding into a palette bitmap: the first image of the file, interlaced or not.
#include <cstdint>
#include <span>
#include <string>

#include "geometry/cdib.h"
#include "geometry/decoded_image.h"

namespace kinemo {

// Reads the signature ("GIF", two digits, a letter), the logical screen with its colour table,
// skips extension blocks (taking the transparent index of a graphic control extension) and decodes the first image into a palette bitmap of 1, 4 or 8 bits per
// pixel chosen by the size of its colour table. A file whose LZW data end early keeps the pixels
// decoded so far (the rest take index 0). Returns false, with the reason in error when given, for
// files that are not GIF, have no image or colour table, or whose size limits refuse.
bool decodeGif(std::span<const std::uint8_t> data, CDIB& out, std::string* error = nullptr,
               const ImageLimits& limits = ImageLimits{});

}  // namespace kinemo
