#pragma once
// The process-wide table of OpenGL texture names: one name per uploaded image, shared by every
// texture that shows it. Images are told apart by identity (the shared image object, which the
// image list hands out once per resolved file), never by their name and size: two PixelTextures
// of the same size, or equal relative names from different folders, are different images.
// This part holds no OpenGL calls: the renderer's side (texture_gl.h) generates and deletes names.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "geometry/image.h"

namespace kinemo {

struct TextureSettings {
    std::int32_t reportLevel = 9;       // TextureReportLevel
    std::int32_t maxNumTexture = 1000;  // MaxNumTexture
};

// Read from the definitions file at the first call (the first texture made).
TextureSettings& textureSettings();

class TextureTable {
public:
    struct Result {
        std::int32_t name = -2;  // the OpenGL name, or -2 when the names are used up
        bool fresh = false;      // a new entry: the caller uploads the pixels
    };
    using NameGenerator = std::function<void(std::vector<std::uint32_t>& names)>;
    using NameDeleter = std::function<void(const std::vector<std::uint32_t>& names)>;

    // The name for image (null for an image-less texture) in the given re-bind mode; at the first
    // call maxNumTexture - 1 names are generated. Running out reports the MaxNumTexture message.
    Result acquire(const std::shared_ptr<const ImageImpl>& image, bool rebind, std::int32_t maxNumTexture,
                   const NameGenerator& generate);
    // Deletes every name (a scene is closed).
    void clear(const NameDeleter& erase);
    // Keeps the entries whose image is still shown elsewhere; deletes the others' names.
    void compact(const NameDeleter& erase);

    std::size_t entryCount() const { return entries_.size(); }
    std::size_t namesInUse() const { return used_; }

private:
    struct Entry {
        std::shared_ptr<const ImageImpl> image;
        std::int32_t width = 0;
        std::int32_t height = 0;
        bool rebind = false;
        std::uint32_t name = 0;
    };
    std::vector<std::uint32_t> names_;
    std::vector<std::uint32_t> free_;
    std::size_t used_ = 0;
    std::vector<Entry> entries_;
};

TextureTable& textureTable();

}  // namespace kinemo
