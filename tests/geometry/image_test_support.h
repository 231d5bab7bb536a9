#pragma once
// Fixture files of the image tests and a reader for the binary PPM references beside them.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/decoded_image.h"

namespace kinemo::testing {

inline std::string geometryData(const std::string& name) { return std::string(KINEMO_TEST_DATA) + "/geometry/" + name; }

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads a "P6" file with maxval 255; an empty image when the file is not one.
inline DecodedImage readPpm(const std::string& path) {
    const std::vector<std::uint8_t> bytes = readBytes(path);
    std::string header(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 64));
    std::istringstream in(header);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    DecodedImage image;
    if (magic != "P6" || maxValue != 255 || !in) return image;
    const auto offset = static_cast<std::size_t>(in.tellg()) + 1;
    const std::size_t size = static_cast<std::size_t>(width) * height * 3;
    if (bytes.size() < offset + size) return image;
    image.width = width;
    image.height = height;
    image.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
    return image;
}

// The largest difference of one channel between two images of equal size; -1 when the sizes differ.
inline int largestDifference(const DecodedImage& a, const DecodedImage& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) return -1;
    int largest = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) largest = std::max(largest, std::abs(a.rgb[i] - b.rgb[i]));
    return largest;
}

}  // namespace kinemo::testing
