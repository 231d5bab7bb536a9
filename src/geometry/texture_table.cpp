#include "geometry/texture_table.h"

#include "core/definitions.h"
#include "core/messages.h"
#include "core/numbers.h"

namespace kinemo {

TextureSettings& textureSettings() {
    static TextureSettings settings = [] {
        TextureSettings s;
        s.reportLevel = getDefinitionLong("TextureReportLevel", 9);
        s.maxNumTexture = getDefinitionLong("MaxNumTexture", 1000);
        return s;
    }();
    return settings;
}

TextureTable::Result TextureTable::acquire(const std::shared_ptr<const ImageImpl>& image, bool rebind,
                                           std::int32_t maxNumTexture, const NameGenerator& generate) {
    if (names_.empty() && maxNumTexture > 1) {
        names_.assign(static_cast<std::size_t>(maxNumTexture - 1), 0);
        generate(names_);
    }
    const std::int32_t width = image ? image->width() : 1;
    const std::int32_t height = image ? image->height() : 1;
    for (const Entry& e : entries_) {
        if (e.image == image && e.width == width && e.height == height && e.rebind == rebind) {
            return {static_cast<std::int32_t>(e.name), false};
        }
    }
    std::uint32_t name = 0;
    if (!free_.empty()) {
        name = free_.back();
        free_.pop_back();
    } else if (used_ < names_.size()) {
        name = names_[used_++];
    } else {
        reportMessage(formatC("Maximum number of Textures (%ld) exceeded, increase MaxNumTexture in Definitions.txt",
                              static_cast<long>(maxNumTexture)),
                      1, true);
        return {-2, false};
    }
    entries_.push_back(Entry{image, width, height, rebind, name});
    return {static_cast<std::int32_t>(name), true};
}

void TextureTable::clear(const NameDeleter& erase) {
    if (!names_.empty()) erase(names_);
    names_.clear();
    free_.clear();
    entries_.clear();
    used_ = 0;
}

void TextureTable::compact(const NameDeleter& erase) {
    std::vector<std::uint32_t> released;
    std::vector<Entry> kept;
    for (Entry& e : entries_) {
        // The table's own reference does not count as a use.
        if (e.image && e.image.use_count() > 1) {
            kept.push_back(std::move(e));
        } else {
            released.push_back(e.name);
        }
    }
    entries_ = std::move(kept);
    if (released.empty()) return;
    // Deleted names are generated anew by OpenGL on their next use; keep them for reuse.
    erase(released);
    free_.insert(free_.end(), released.begin(), released.end());
}

TextureTable& textureTable() {
    static TextureTable table;
    return table;
}

}  // namespace kinemo
