#include "render/image_files.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "core/messages.h"

namespace kinemo {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::vector<std::uint8_t> encodeBitmap(int width, int height, const std::uint8_t* rgba, int sourceWidth) {
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    const std::uint32_t padded = (std::uint32_t(width) + 3u) & ~3u;
    const std::uint32_t imageBytes = padded * std::uint32_t(height) * 4u;
    std::vector<std::uint8_t> out;
    out.reserve(54 + imageBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + imageBytes);
    put16(out, 0);
    put16(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, padded);
    put32(out, std::uint32_t(height));
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);  // no compression
    put32(out, imageBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    const int columns = rgba != nullptr ? std::min<int>(sourceWidth, int(padded)) : 0;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = rgba != nullptr ? rgba + std::size_t(y) * std::size_t(sourceWidth) * 4 : nullptr;
        for (std::uint32_t x = 0; x < padded; ++x) {
            if (int(x) < columns) {
                const std::uint8_t* p = row + x * 4;
                out.push_back(p[2]);
                out.push_back(p[1]);
                out.push_back(p[0]);
                out.push_back(p[3]);
            } else {
                out.insert(out.end(), 4, 0);
            }
        }
    }
    return out;
}

bool writeBitmapFile(const std::string& path, int width, int height, const std::uint8_t* rgba, int sourceWidth) {
    const std::vector<std::uint8_t> bytes = encodeBitmap(width, height, rgba, sourceWidth);
    File file(std::fopen(path.c_str(), "wb"));
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        reportMessage("Cannot write bitmap file " + path, 1, true);
        return false;
    }
    if (std::fclose(file.release()) != 0) {
        reportMessage("Cannot write bitmap file " + path, 1, true);
        return false;
    }
    return true;
}

bool writePngFile(const std::string& path, int width, int height, const std::uint8_t* rgba) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        reportMessage("Cannot write PNG file " + path, 1, true);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        reportMessage("Cannot write PNG file " + path, 1, true);
        return false;
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[std::size_t(y)] = const_cast<png_bytep>(rgba + std::size_t(height - 1 - y) * std::size_t(width) * 4);
    volatile bool ok = false;  // survives the longjmp of a libpng error
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file.get());
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        png_write_image(png, rows.data());
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file.release()) != 0) ok = false;
    if (!ok) reportMessage("Cannot write PNG file " + path, 1, true);
    return ok;
}

}  // namespace kinemo
