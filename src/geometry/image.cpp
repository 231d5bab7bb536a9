#include "geometry/image.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/messages.h"
#include "core/numbers.h"
#include "core/paths.h"
#include "core/utilities.h"
#include "geometry/gif_decoder.h"
#include "geometry/image_converter.h"
#include "geometry/image_settings.h"
#include "geometry/jpeg_decoder.h"

static_assert(std::endian::native == std::endian::little, "pixel words are laid out for little-endian memory");

namespace kinemo {

namespace {

void imageLog(int grade, const std::string& text) {
    if (imageSettings().reportLevel >= grade) logLine(text);
}

constexpr std::uint32_t packPixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
           (static_cast<std::uint32_t>(b) << 16) | (static_cast<std::uint32_t>(a) << 24);
}

std::int32_t largestPowerOfTwoNotAbove(std::int32_t size) {
    if (size < 2) return size;
    return static_cast<std::int32_t>(std::bit_floor(static_cast<std::uint32_t>(size)));
}

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }
bool isTerminator(char c) { return c == '}' || c == ']' || c == '\0'; }

const char* skipSeparators(const char* p, const char* end) {
    while (p < end && isSeparator(*p)) ++p;
    return p;
}

// One decimal integer token; false when none is there.
bool readDecimal(const char*& p, const char* end, long long& value) {
    p = skipSeparators(p, end);
    const std::size_t used = parseLongPrefix(std::string_view(p, static_cast<std::size_t>(end - p)), value);
    if (used == 0) return false;
    p += used;
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One hexadecimal token like scanf's "%x": an optional "0x", then digits; words beyond 32 bits
// keep their low 32 bits. False (position unchanged) when the token is not a number.
bool readHexWord(const char*& p, const char* end, std::uint32_t& value) {
    const char* q = p;
    bool negative = false;
    if (q < end && (*q == '+' || *q == '-')) negative = *q++ == '-';
    if (end - q >= 3 && q[0] == '0' && (q[1] == 'x' || q[1] == 'X') && hexDigit(q[2]) >= 0) q += 2;
    if (q >= end || hexDigit(*q) < 0) return false;
    std::uint32_t v = 0;
    while (q < end && hexDigit(*q) >= 0) v = (v << 4) | static_cast<std::uint32_t>(hexDigit(*q++));
    // "0x12ab" must end there: "fade" would be a word, but "fader" is the next keyword.
    if (q < end && !isSeparator(*q) && !isTerminator(*q)) return false;
    value = negative ? 0u - v : v;
    p = q;
    return true;
}

void appendHexWord(std::string& out, std::uint32_t v) {
    static constexpr char digits[] = "0123456789abcdef";
    char buffer[8];
    int n = 0;
    do {
        buffer[n++] = digits[v & 15];
        v >>= 4;
    } while (v != 0);
    out += " 0x";
    while (n > 0) out += buffer[--n];
}

bool writeAll(std::FILE* file, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

void appendInt32(std::string& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out += static_cast<char>((u >> (8 * i)) & 0xff);
}

std::int32_t loadInt32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                     (static_cast<std::uint32_t>(b[2]) << 16) |
                                     (static_cast<std::uint32_t>(b[3]) << 24));
}

// The other component counts VRML allows: 0xGG grey, 0xGGAA grey and alpha, 0xRRGGBBAA; read as
// they are, their bytes would land in the wrong channels.
std::uint32_t pixelTextureWord(std::uint32_t w, long long components) {
    const auto byte = [w](int shift) { return static_cast<std::uint8_t>((w >> shift) & 0xffu); };
    switch (components) {
        case 1:
            return packPixel(byte(0), byte(0), byte(0), 0xff);
        case 2:
            return packPixel(byte(8), byte(8), byte(8), byte(0));
        case 4:
            return packPixel(byte(24), byte(16), byte(8), byte(0));
        default:
            return w;
    }
}

constexpr std::string_view kImageDataEnd = "\n</ImageData>";

}  // namespace

namespace {
std::int32_t imageWritePass = -1;
}

std::int32_t beginImageWritePass() { return ++imageWritePass; }

std::int32_t currentImageWritePass() { return imageWritePass; }

bool isAbsoluteImageName(std::string_view name) {
    return (!name.empty() && name[0] == '/') || name.find(':') != std::string_view::npos;
}

std::string resolveImagePath(std::string_view name, std::string_view documentDirectory) {
    std::string path =
        isAbsoluteImageName(name) ? std::string(name) : std::string(documentDirectory) + std::string(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

void resampleForTexture(const DecodedImage& image, std::vector<std::uint32_t>& pixels, std::int32_t& width,
                        std::int32_t& height, float& scaleX, float& scaleY) {
    width = largestPowerOfTwoNotAbove(image.width);
    height = largestPowerOfTwoNotAbove(image.height);
    scaleX = static_cast<float>(width) / static_cast<float>(image.width);
    scaleY = static_cast<float>(height) / static_cast<float>(image.height);
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    // Columns and rows are clamped: near the end of a wide image float rounding can reach the
    // file's width.
    std::vector<std::int32_t> columns(static_cast<std::size_t>(width));
    for (std::int32_t x = 0; x < width; ++x) {
        const auto column = static_cast<std::int32_t>((static_cast<float>(x) + 0.5f) / scaleX);
        columns[static_cast<std::size_t>(x)] = std::clamp(column, 0, image.width - 1);
    }
    std::uint32_t* target = pixels.data();
    for (std::int32_t y = 0; y < height; ++y) {
        const auto fromTop = static_cast<std::int32_t>((static_cast<float>(y) + 0.5f) / scaleY);
        const std::int32_t row = std::clamp(image.height - fromTop - 1, 0, image.height - 1);
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint8_t* p = image.pixel(columns[static_cast<std::size_t>(x)], row);
            // See-through pixels (GIF) get alpha 0; drawing leaves them out.
            const bool clear =
                !image.opacity.empty() &&
                image.opacity[std::size_t(row) * std::size_t(image.width) + std::size_t(columns[std::size_t(x)])] == 0;
            *target++ = packPixel(p[0], p[1], p[2], clear ? 0 : kTextureAlpha);
        }
    }
}

ImageImpl::ImageImpl() { imageSettings(); }

ImageImpl::ImageImpl(std::string name) : name_(std::move(name)) { imageSettings(); }

void ImageImpl::clearPixels() {
    pixels_.clear();
    width_ = height_ = 0;
    scaleX_ = scaleY_ = 1.0f;
    bitmap_.reset();
    loaded_ = false;
    seeThrough_ = false;
}

void ImageImpl::setTexturePixels(const DecodedImage& image) {
    resampleForTexture(image, pixels_, width_, height_, scaleX_, scaleY_);
    seeThrough_ = false;
    for (std::uint32_t p : pixels_)
        if (reinterpret_cast<const std::uint8_t*>(&p)[3] == 0) {
            seeThrough_ = true;
            break;
        }
}

bool ImageImpl::decode(std::vector<std::uint8_t> bytes, bool gif, bool forTexture) {
    clearPixels();
    gif_ = gif;
    std::string error;
    if (gif) {
        auto dib = std::make_unique<CDIB>();
        if (!decodeGif(bytes, *dib, &error)) {
            imageLog(2, "ImageImpl::decode: " + name_ + ": " + error);
            return false;
        }
        if (forTexture) {
            setTexturePixels(dib->toRgb());
        } else {
            width_ = dib->width();
            height_ = dib->height();
            bitmap_ = std::move(dib);
        }
    } else {
        DecodedImage image;
        if (!decodeJpeg(bytes, image, &error)) {
            imageLog(2, "ImageImpl::decode: " + name_ + ": " + error);
            return false;
        }
        if (forTexture) {
            setTexturePixels(image);
        } else {
            width_ = image.width;
            height_ = image.height;
            bitmap_ = std::make_unique<CDIB>(CDIB::fromRgb(image));
        }
    }
    rawData_ = std::move(bytes);
    loaded_ = true;
    return true;
}

bool ImageImpl::load(bool forTexture) {
    clearPixels();
    if (name_ == "\"\"") {
        imageLog(1, "Not processing Image " + name_);
        return false;
    }
    const std::string extension = extensionOf(name_);
    const bool jpeg = extension == "JPG" || extension == "JPEG";
    const bool gif = extension == "GIF";
    const bool convert = needsConversion(extension);
    if (!jpeg && !gif && !convert) {
        reportMessage("Cannot process Image " + name_, 1, true);
        return false;
    }
    if (isAbsoluteImageName(name_)) imageLog(1, "Image file path is absolute: " + name_);
    const std::string path = resolveImagePath(name_, imageReadContext().documentDirectory);
    std::vector<std::uint8_t> bytes;
    if (convert) {
        // The converted bytes stand in for the file; the name stays the user's.
        if (!convertToJpeg(path, name_, bytes)) return false;
    } else {
        FileBuffer file = readWholeFile(path);
        if (!file) {
            reportMessage(formatC("Can't open image file %s", path.c_str()), 1, true);
            return false;
        }
        const auto* p = reinterpret_cast<const std::uint8_t*>(file.get());
        bytes.assign(p, p + file.size);
    }
    if (!decode(std::move(bytes), gif, forTexture)) {
        reportMessage("Could not read Image " + name_, 1, true);
        return false;
    }
    return true;
}

const char* ImageImpl::readImageFromString(const char* text, const char* end) {
    clearPixels();
    rawData_.clear();
    const char* p = text;
    long long width = 0, height = 0, components = 0;
    if (!readDecimal(p, end, width) || !readDecimal(p, end, height) || !readDecimal(p, end, components)) {
        reportMessage("Invalid image header ImageImpl::readImageFromString ", 1, true);
        return p;
    }
    if (width <= 0) {
        reportMessage(formatC("Invalid width in ImageImpl::readImageFromString %lld", width), 1, true);
        return p;
    }
    if (height <= 0) {
        reportMessage(formatC("Invalid height in ImageImpl::readImageFromString %lld", height), 1, true);
        return p;
    }
    if (components != 3) {
        reportMessage(formatC("Detected unsupported number of elements in image Image %lld", components), 1, true);
    }
    // The count comes from the file: check it before taking memory, and never reserve more than
    // the remaining text can hold (every word takes at least two characters).
    const ImageLimits limits;
    const bool tooLarge = !limits.allows(width, height);
    const std::uint64_t expected = tooLarge ? 0 : static_cast<std::uint64_t>(width * height);
    if (!tooLarge) pixels_.reserve(std::min<std::uint64_t>(expected, static_cast<std::uint64_t>(end - p) / 2 + 1));
    const bool swap = imageSettings().swapPixelTextureBytes() && imageReadContext().fileFromOtherProgram;
    std::uint64_t count = 0;
    for (;;) {
        p = skipSeparators(p, end);
        if (p >= end || isTerminator(*p)) break;
        if (!tooLarge && count == expected) break;
        std::uint32_t word = 0;
        if (!readHexWord(p, end, word)) {
            reportMessage("Problem inVectorL.readFromString", 1, true);
            break;
        }
        ++count;
        if (tooLarge) continue;
        if (components == 3) {
            // 0xRRGGBB read as a number puts blue into the first byte; files of other programs mean red.
            if (swap) word = (word & 0xff00ff00u) | ((word & 0xffu) << 16) | ((word >> 16) & 0xffu);
        } else {
            word = pixelTextureWord(word, components);
        }
        pixels_.push_back(word);
    }
    if (tooLarge) {
        reportMessage(formatC("Image too large in ImageImpl::readImageFromString %lld x %lld", width, height), 1, true);
        pixels_.clear();
        return p;
    }
    if (count != expected) {
        reportMessage(formatC("Unexpected number of image elements in ImageImpl::readImageFromString %d",
                              static_cast<int>(std::min<std::uint64_t>(count, 0x7fffffff))),
                      1, true);
        pixels_.clear();
        return p;
    }
    width_ = static_cast<std::int32_t>(width);
    height_ = static_cast<std::int32_t>(height);
    loaded_ = true;
    return p;
}

void ImageImpl::appendImageText(std::string& out) const {
    out += formatC("\n      image %ld %ld %ld", static_cast<long>(width_), static_cast<long>(height_), 3L);
    out.reserve(out.size() + pixels_.size() * 12);
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
        if (i % 4 == 0) out += "\n   ";
        appendHexWord(out, pixels_[i]);
    }
}

bool ImageImpl::writeImageText(std::FILE* file) const {
    std::string out;
    appendImageText(out);
    return writeAll(file, out);
}

const char* ImageImpl::readImageData(const char* data, const char* end, bool forTexture) {
    clearPixels();
    rawData_.clear();
    const char* p = data;
    auto skipToClosingTag = [&]() -> const char* {
        const std::string_view rest(p, static_cast<std::size_t>(end - p));
        const std::size_t found = rest.find(kImageDataEnd.substr(1));
        return found == std::string_view::npos ? end : p + found + kImageDataEnd.size() - 1;
    };
    // The separator byte after the keyword, then the two sizes.
    if (end - p < 9) {
        reportMessage("Corrupt image data record", 1, true);
        return end;
    }
    ++p;
    const std::int32_t nameLength = loadInt32(p);
    const std::int32_t dataLength = loadInt32(p + 4);
    p += 8;
    const auto remaining = static_cast<std::uint64_t>(end - p);
    if (nameLength < 0 || dataLength < 0 ||
        static_cast<std::uint64_t>(nameLength) + static_cast<std::uint64_t>(dataLength) > remaining) {
        reportMessage("Corrupt image data record", 1, true);
        return skipToClosingTag();
    }
    // The stored length counts the name's terminating zero.
    std::string_view stored(p, static_cast<std::size_t>(nameLength));
    stored = stored.substr(0, stored.find('\0'));
    name_ = std::string(stored);
    p += nameLength;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(p);
    std::vector<std::uint8_t> raw(bytes, bytes + dataLength);
    p += dataLength;
    if (static_cast<std::size_t>(end - p) >= kImageDataEnd.size() &&
        std::string_view(p, kImageDataEnd.size()) == kImageDataEnd) {
        p += kImageDataEnd.size();
    }
    if (!decode(std::move(raw), extensionOf(name_) == "GIF", forTexture)) {
        reportMessage("Could not read Image " + name_, 1, true);
    }
    return p;
}

bool ImageImpl::appendImageData(std::string& out) const {
    if (rawData_.empty()) {
        reportMessage(formatC("Missing data for image %s", name_.c_str()), 3, true);
        return false;
    }
    if (rawData_.size() > 0x7fffffffu - 64 || name_.size() > 0x7fffffffu - 64) {
        reportMessage(formatC("Image %s is too large to be written inline", name_.c_str()), 3, true);
        return false;
    }
    out += "\n<ImageData>\n";
    appendInt32(out, static_cast<std::int32_t>(name_.size() + 1));
    appendInt32(out, static_cast<std::int32_t>(rawData_.size()));
    out.append(name_.c_str(), name_.size() + 1);
    out.append(reinterpret_cast<const char*>(rawData_.data()), rawData_.size());
    out += kImageDataEnd;
    return true;
}

bool ImageImpl::writeImageData(std::FILE* file) const {
    std::string out;
    if (!appendImageData(out)) return true;
    return writeAll(file, out);
}

void ImageImpl::makePlaceholder() {
    clearPixels();
    width_ = height_ = 32;
    pixels_.resize(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            pixels_[static_cast<std::size_t>(y * 32 + x)] = ((x / 8 + y / 8) % 2 == 0) ? 0x00FF0099u : 0xFF00FF99u;
        }
    }
    loaded_ = true;
}

}  // namespace kinemo
