#pragma once
// One pixel image for textures and dialogs: decoded from a JPEG or GIF file, from another format
// after the outside converter, from a PixelTexture's pixel list or from an inline image record of
// a document file. The bytes of the file it came from are kept so that a document can carry it.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/basic_object.h"
#include "geometry/cdib.h"
#include "geometry/decoded_image.h"

namespace kinemo {

// Every texture pixel gets this alpha, as stored files expect.
inline constexpr std::uint8_t kTextureAlpha = 129;

// The path to open for an image name: absolute names (starting with "/" or holding a drive
// letter's ":") as they are, others after the document directory; "\" becomes "/".
std::string resolveImagePath(std::string_view name, std::string_view documentDirectory);
bool isAbsoluteImageName(std::string_view name);

class ImageImpl : public BasicObject {
public:
    ImageImpl();
    explicit ImageImpl(std::string name);

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    // One word per pixel; in memory the bytes are red, green, blue, alpha. Texture images start
    // with the bottom row of the file.
    const std::vector<std::uint32_t>& pixels() const { return pixels_; }
    // Some texture pixels are see-through (alpha 0): a GIF with a transparent colour.
    bool seeThrough() const { return seeThrough_; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    bool loaded() const { return loaded_; }
    bool isGif() const { return gif_; }
    void setGif(bool gif) { gif_ = gif; }
    // Texture size over file size, 1 when no resampling took place.
    float scaleX() const { return scaleX_; }
    float scaleY() const { return scaleY_; }
    std::int32_t writeMark() const { return writeMark_; }
    void setWriteMark(std::int32_t mark) { writeMark_ = mark; }
    const std::vector<std::uint8_t>& rawData() const { return rawData_; }
    // The palette or colour bitmap of a dialog image (null for textures).
    const CDIB* bitmap() const { return bitmap_.get(); }

    // Resolves the name against the document directory of the scene being read, picks the
    // decoder by the extension (JPG and JPEG, GIF; TIFF, TIF, PNG, BMP, PPM, TGA, PGM and PCX
    // through the outside converter) and decodes. Failures are reported; false leaves the image
    // not loaded.
    bool load(bool forTexture = true);
    // Decodes file bytes held in memory; the bytes become the raw data. No message on failure.
    bool decode(std::vector<std::uint8_t> bytes, bool gif, bool forTexture = true);

    // Reads the value of a PixelTexture "image" field: width, height, components, then
    // width x height hexadecimal words. Returns the position after what was read.
    const char* readImageFromString(const char* text, const char* end);
    // Writes the "image" field of a PixelTexture.
    bool writeImageText(std::FILE* file) const;
    void appendImageText(std::string& out) const;

    // Reads an inline image record; data points just after the "<ImageData>" keyword. Sizes are
    // checked against the bytes before end; a corrupt record is reported and skipped up to its
    // closing tag. Returns the position after the record.
    const char* readImageData(const char* data, const char* end, bool forTexture);
    // Writes an inline image record; an image without raw data is reported and nothing written.
    bool writeImageData(std::FILE* file) const;
    // The same record into memory (what writeImageData writes).
    bool appendImageData(std::string& out) const;

    // A 32 x 32 test pattern of 8 x 8 squares.
    void makePlaceholder();

private:
    void setTexturePixels(const DecodedImage& image);
    void clearPixels();

    std::string name_;
    std::vector<std::uint32_t> pixels_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    bool loaded_ = false;
    bool gif_ = false;
    bool seeThrough_ = false;
    float scaleX_ = 1.0f;
    float scaleY_ = 1.0f;
    std::int32_t writeMark_ = -1;
    std::vector<std::uint8_t> rawData_;
    std::unique_ptr<CDIB> bitmap_;
};

// The scene writer starts a numbered pass for every save; within a pass a binary document carries
// each image's inline record once, where the first texture showing it is written. Before the
// first pass (-1) every texture writes its record.
std::int32_t beginImageWritePass();
std::int32_t currentImageWritePass();

// Resamples decoded pixels into texture words: power-of-two sizes not above the file's (sizes
// below 2 stay), the first row taken from the bottom of the file, alpha kTextureAlpha (0 where the
// picture is see-through).
void resampleForTexture(const DecodedImage& image, std::vector<std::uint32_t>& pixels, std::int32_t& width,
                        std::int32_t& height, float& scaleX, float& scaleY);

}  // namespace kinemo
