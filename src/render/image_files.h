#pragma once
// Writing rendered pixels to image files: the Windows bitmap layout of the bitmap contexts and PNG.
#include <cstdint>
#include <string>
#include <vector>

namespace kinemo {

// The bytes of a 32-bit Windows bitmap file: the 14-byte file header ("BM", total size, 0, 0,
// offset 54), the 40-byte information header (width rounded up to a multiple of 4, height,
// 1 plane, 32 bits, no compression) and the pixels as blue, green, red, alpha, bottom row first.
// rgba holds sourceWidth x height pixels as red, green, blue, alpha, bottom row first; columns
// past sourceWidth up to the rounded width are zero.
std::vector<std::uint8_t> encodeBitmap(int width, int height, const std::uint8_t* rgba, int sourceWidth);

// Writes encodeBitmap's bytes to a new file; false (reported) when it cannot be written.
bool writeBitmapFile(const std::string& path, int width, int height, const std::uint8_t* rgba, int sourceWidth);

// Writes an 8-bit RGBA PNG; rgba rows run bottom to top as OpenGL reads them. False (reported)
// when the file cannot be written.
bool writePngFile(const std::string& path, int width, int height, const std::uint8_t* rgba);

}  // namespace kinemo
