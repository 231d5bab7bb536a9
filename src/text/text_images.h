#pragma once
// Pictures that texts carry. A text names a picture by file name in a rich-text object; the
// scene file carries the picture's bytes as an image-data block next to the text. The image
// code installs its own store here; until it does, records are kept as the bytes read, so a
// picture read from a file is written back unchanged.
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace kinemo {

class TextImageStore {
public:
    virtual ~TextImageStore() = default;
    // Reads one image record that starts right after the "<ImageData>" keyword and makes the
    // picture known by its name. Returns the number of bytes the record takes; 0 when the record
    // is broken (it is then reported and nothing is kept).
    virtual std::size_t readImageData(std::string_view afterKeyword) = 0;
    // Appends the image-data block of the named picture; false (after a report) when it has
    // no bytes for it.
    virtual bool writeImageData(std::string& out, std::string_view fileName) = 0;
};

// Keeps image records by name, as raw bytes. A picture it has not read is loaded from its file.
class VerbatimImageStore : public TextImageStore {
public:
    std::size_t readImageData(std::string_view afterKeyword) override;
    bool writeImageData(std::string& out, std::string_view fileName) override;

    bool has(std::string_view fileName) const;
    // The picture's file bytes; empty when unknown.
    std::string bytes(std::string_view fileName) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::string, std::less<>> images_;
};

// The block "\n<ImageData>\n", the name length with its zero byte and the data length as
// little-endian int32, the name, a zero byte, the bytes, "\n</ImageData>".
void appendImageDataBlock(std::string& out, std::string_view fileName, std::string_view bytes);

// One image record as a file carries it: the name (up to its zero byte) and the file bytes, both
// viewing the text they were split from.
struct ImageDataRecord {
    std::string_view name;
    std::string_view bytes;
};
// Splits the record that starts right after the "<ImageData>" keyword (the separator byte, the two
// lengths, the name, the bytes); none when the lengths do not fit in what follows. Reports nothing:
// the reader that decodes the record tells the user.
std::optional<ImageDataRecord> splitImageDataRecord(std::string_view afterKeyword);

// The store texts use; an observing pointer, nullptr goes back to the built-in verbatim store.
void setTextImageStore(TextImageStore* store);
TextImageStore& textImageStore();
VerbatimImageStore& builtInTextImageStore();

}  // namespace kinemo
