#include "geometry/image_list.h"

#include "geometry/image_settings.h"

namespace kinemo {

std::string ImageList::keyOf(std::string_view name) {
    return resolveImagePath(name, imageReadContext().documentDirectory);
}

std::shared_ptr<ImageImpl> ImageList::find(std::string_view name, bool gif) const {
    const std::string key = keyOf(name);
    for (const auto& entry : entries_) {
        if (entry.gif == gif && entry.key == key) return entry.image;
    }
    return nullptr;
}

std::shared_ptr<ImageImpl> ImageList::findOrLoad(std::string_view name, bool gif) {
    if (auto listed = find(name, gif)) return listed;
    auto image = std::make_shared<ImageImpl>(std::string(name));
    image->setGif(gif);
    std::string key = keyOf(name);
    for (const auto& entry : failed_) {
        if (entry.gif == gif && entry.key == key) return image;
    }
    if (image->load()) {
        entries_.push_back(Entry{std::move(key), gif, image});
    } else {
        failed_.push_back(Entry{std::move(key), gif, nullptr});
    }
    return image;
}

void ImageList::add(std::shared_ptr<ImageImpl> image) {
    if (!image) return;
    std::string key = keyOf(image->name());
    for (auto& entry : entries_) {
        if (entry.gif == image->isGif() && entry.key == key) {
            entry.image = std::move(image);
            return;
        }
    }
    entries_.push_back(Entry{std::move(key), image->isGif(), std::move(image)});
}

void ImageList::clear() {
    entries_.clear();
    failed_.clear();
}

ImageList& imageList() {
    static ImageList list;
    return list;
}

std::shared_ptr<ImageImpl> findOrLoad(std::string_view name, bool gif) { return imageList().findOrLoad(name, gif); }

}  // namespace kinemo
