#pragma once
// The process-wide list of loaded images, so that shapes naming the same file share one image.
// Images are shared: the list and every texture that shows one hold it.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/image.h"

namespace kinemo {

class ImageList {
public:
    // The listed image of that name (resolved against the document directory, so equal relative
    // names from different folders stay apart) and GIF flag, or a new image loaded from the file;
    // only images that loaded join the list. A file that failed is not tried (nor reported, nor
    // converted) again until the list is cleared: a thousand shapes naming one missing texture
    // would otherwise start the converter a thousand times.
    std::shared_ptr<ImageImpl> findOrLoad(std::string_view name, bool gif);
    // The listed image for the name, or null.
    std::shared_ptr<ImageImpl> find(std::string_view name, bool gif) const;
    // Lists an image made elsewhere (an inline record); an image of the same key is replaced.
    void add(std::shared_ptr<ImageImpl> image);
    void clear();
    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        std::string key;
        bool gif = false;
        std::shared_ptr<ImageImpl> image;
    };
    static std::string keyOf(std::string_view name);

    std::vector<Entry> entries_;
    std::vector<Entry> failed_;
};

ImageList& imageList();

// Shorthand for imageList().findOrLoad.
std::shared_ptr<ImageImpl> findOrLoad(std::string_view name, bool gif);

}  // namespace kinemo
