#include "text/text_images.h"

#include <atomic>
#include <cstring>

#include "core/messages.h"
#include "core/numbers.h"
#include "core/utilities.h"

namespace kinemo {
namespace {

void appendInt32(std::string& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

std::int32_t readInt32(std::string_view bytes) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(bits);
}

// Files named in texts written on Windows keep their backslashes.
std::string diskPath(std::string_view name) {
    std::string path(name);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

std::atomic<TextImageStore*> installedStore{nullptr};

}  // namespace

void appendImageDataBlock(std::string& out, std::string_view fileName, std::string_view bytes) {
    out += "\n<ImageData>\n";
    appendInt32(out, static_cast<std::int32_t>(fileName.size() + 1));
    appendInt32(out, static_cast<std::int32_t>(bytes.size()));
    out += fileName;
    out.push_back('\0');
    out += bytes;
    out += "\n</ImageData>";
}

std::optional<ImageDataRecord> splitImageDataRecord(std::string_view afterKeyword) {
    constexpr std::size_t kHeader = 1 + 4 + 4;
    if (afterKeyword.size() < kHeader) return std::nullopt;
    const std::int32_t nameLength = readInt32(afterKeyword.substr(1, 4));
    const std::int32_t dataLength = readInt32(afterKeyword.substr(5, 4));
    const std::size_t available = afterKeyword.size() - kHeader;
    if (nameLength < 0 || dataLength < 0 || static_cast<std::size_t>(nameLength) > available ||
        static_cast<std::size_t>(dataLength) > available - static_cast<std::size_t>(nameLength))
        return std::nullopt;
    ImageDataRecord record;
    record.name = afterKeyword.substr(kHeader, static_cast<std::size_t>(nameLength));
    if (const std::size_t zero = record.name.find('\0'); zero != std::string_view::npos)
        record.name = record.name.substr(0, zero);
    record.bytes =
        afterKeyword.substr(kHeader + static_cast<std::size_t>(nameLength), static_cast<std::size_t>(dataLength));
    return record;
}

std::size_t VerbatimImageStore::readImageData(std::string_view afterKeyword) {
    // One separator byte, then two lengths; both are checked against what the buffer holds.
    constexpr std::size_t kHeader = 1 + 4 + 4;
    if (afterKeyword.size() < kHeader) {
        reportMessage("Image data block is cut short", 1, true);
        return 0;
    }
    const std::int32_t nameLength = readInt32(afterKeyword.substr(1, 4));
    const std::int32_t dataLength = readInt32(afterKeyword.substr(5, 4));
    const std::size_t available = afterKeyword.size() - kHeader;
    if (nameLength < 1 || dataLength < 0 || static_cast<std::size_t>(nameLength) > available ||
        static_cast<std::size_t>(dataLength) > available - static_cast<std::size_t>(nameLength)) {
        reportMessage(formatC("Image data block with invalid sizes (name %d, data %d bytes)", nameLength, dataLength),
                      1, true);
        return 0;
    }
    std::string_view name = afterKeyword.substr(kHeader, static_cast<std::size_t>(nameLength));
    if (const std::size_t zero = name.find('\0'); zero != std::string_view::npos) name = name.substr(0, zero);
    const std::string_view data =
        afterKeyword.substr(kHeader + static_cast<std::size_t>(nameLength), static_cast<std::size_t>(dataLength));
    {
        std::lock_guard lock(mutex_);
        images_[std::string(name)] = std::string(data);
    }
    return kHeader + static_cast<std::size_t>(nameLength) + static_cast<std::size_t>(dataLength);
}

bool VerbatimImageStore::writeImageData(std::string& out, std::string_view fileName) {
    {
        std::lock_guard lock(mutex_);
        if (auto it = images_.find(fileName); it != images_.end()) {
            appendImageDataBlock(out, fileName, it->second);
            return true;
        }
    }
    FileBuffer file = readWholeFile(diskPath(fileName));
    if (!file) {
        reportMessage(formatC("Missing data for image %.*s", static_cast<int>(fileName.size()), fileName.data()), 3,
                      true);
        return false;
    }
    appendImageDataBlock(out, fileName, file.view());
    return true;
}

bool VerbatimImageStore::has(std::string_view fileName) const {
    std::lock_guard lock(mutex_);
    return images_.find(fileName) != images_.end();
}

std::string VerbatimImageStore::bytes(std::string_view fileName) const {
    std::lock_guard lock(mutex_);
    auto it = images_.find(fileName);
    return it == images_.end() ? std::string() : it->second;
}

void VerbatimImageStore::clear() {
    std::lock_guard lock(mutex_);
    images_.clear();
}

void setTextImageStore(TextImageStore* store) { installedStore.store(store); }

TextImageStore& textImageStore() {
    TextImageStore* store = installedStore.load();
    return store ? *store : builtInTextImageStore();
}

VerbatimImageStore& builtInTextImageStore() {
    static VerbatimImageStore store;
    return store;
}

}  // namespace kinemo
