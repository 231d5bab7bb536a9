#pragma once
// The compressed form of our document files: "#KINEMBIN V01", the content's length n and its
// bitwise complement (int32, little-endian), then the bzip2 stream of the content (block size 1,
// work factor 30: the bytes of "bzip2 -1").
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kinemo {

inline constexpr std::string_view kKinembinHeader = "#KINEMBIN V01";
// The largest content a document may claim; a larger n is refused before anything is allocated.
inline constexpr std::int64_t kMaxDocumentContentBytes = std::int64_t(1) << 30;

// True when bytes are longer than the header and begin with "#KINEMBIN V" (the two version
// characters after it are not checked).
bool looksCompressed(std::string_view bytes);

// The whole file form for content; none (reported) when bzip2 fails or content is too large.
std::optional<std::string> compressContent(std::string_view content);

// Decodes the part after the 13-byte header: n, ~n, the bzip2 stream. The output buffer grows as
// output arrives and never past n, so a small file claiming a huge n costs only what it decodes.
// Refused (reported "File is Corrupt" / "File is corrupt", level 3) when the length is below 8,
// the complement does not match, n is negative or past maxBytes, the stream is broken, ends
// early, or does not give exactly n bytes.
std::optional<std::string> decompressContent(const char* data, std::size_t length,
                                             std::int64_t maxBytes = kMaxDocumentContentBytes);

// The text to parse from a file's bytes: compressed bytes are decoded, anything else is the text.
// Only files of our own types (".bvr", ".ros") are ever decoded; other types are text.
std::optional<std::string> documentText(std::string_view path, std::string bytes);

// Turns the file at path into the compressed form: the new bytes go to a new file in the same
// folder, which replaces the old one only when every write succeeded. On failure (reported) the
// uncompressed file, which still reads, is left in place and false is returned.
bool compressFile(std::string_view path);

}  // namespace kinemo
