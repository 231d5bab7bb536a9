#include "scene/scene_binary.h"

#include <bzlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <thread>

#include "core/file_type.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/utilities.h"
#include "scene/bzip2_blocks.h"
#include "scene/scene_report.h"

namespace kinemo {
namespace {

int decompressions = 0;
// Below this many compressed bytes a document decodes faster in one pass than with helpers.
constexpr std::size_t kParallelPayloadBytes = 256 * 1024;

void putInt32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xffu);
}

std::uint32_t getInt32(const char* p) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(static_cast<unsigned char>(p[i])) << (8 * i);
    return v;
}

}  // namespace

bool looksCompressed(std::string_view bytes) {
    return bytes.size() > kKinembinHeader.size() && bytes.substr(0, 11) == kKinembinHeader.substr(0, 11);
}

std::optional<std::string> compressContent(std::string_view content) {
    if (content.size() > std::size_t(kMaxDocumentContentBytes)) {
        sceneReport("Compression failed: the document is too large", 3, true);
        return std::nullopt;
    }
    const std::size_t n = content.size();
    unsigned int capacity = static_cast<unsigned int>(double(n) * 1.01 + 601);
    std::string out;
    out.reserve(kKinembinHeader.size() + 8 + capacity);
    out.append(kKinembinHeader);
    putInt32(out, std::uint32_t(n));
    putInt32(out, ~std::uint32_t(n));
    const std::size_t head = out.size();
    out.resize(head + capacity);
    // bzip2 takes a non-const source pointer but never writes through it.
    int rc = BZ2_bzBuffToBuffCompress(out.data() + head, &capacity, const_cast<char*>(content.data()),
                                      static_cast<unsigned int>(n), 1, 0, 30);
    if (rc != BZ_OK) {
        sceneReport(formatC("Compression failed (bzip2 error %d)", rc), 3, true);
        return std::nullopt;
    }
    out.resize(head + capacity);
    return out;
}

std::optional<std::string> decompressContent(const char* data, std::size_t length, std::int64_t maxBytes) {
    if (!data || length < 8) {
        sceneReport("File is Corrupt", 3, true);
        return std::nullopt;
    }
    const std::uint32_t raw = getInt32(data);
    const std::uint32_t complement = getInt32(data + 4);
    const std::int32_t n = static_cast<std::int32_t>(raw);
    if (complement != ~raw || n < 0 || std::int64_t(n) > maxBytes) {
        sceneReport("File is corrupt", 3, true);
        return std::nullopt;
    }
    const std::size_t payload = length - 8;
    const bool showProgress = payload > 10000 || decompressions == 0;
    ++decompressions;
    if (showProgress) showStatus("Preparing...");

    // A large document decodes its blocks side by side; a stream that does not split cleanly, or
    // any fault, is left to the one-pass decoder below, which reports it.
    if (payload >= kParallelPayloadBytes) {
        const unsigned cores = std::thread::hardware_concurrency();
        std::string out;
        if (cores >= 2 && decodeBlocksInParallel(data + 8, payload, std::size_t(n), out, std::min(cores, 4u))) {
            if (showProgress) showStatus("Loading...");
            return out;
        }
    }

    bz_stream stream{};
    if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK) {
        sceneReport("File is corrupt", 3, true);
        return std::nullopt;
    }
    std::string out;
    // A bzip2 stream expands a byte into at most a few kilobytes in practice; room for a common
    // ratio is set aside at once, so that the output is rarely moved, and it is filled as output
    // really arrives.
    out.reserve(std::min<std::size_t>(std::size_t(n), std::max<std::size_t>(payload * 16, 1 << 20)));
    std::size_t initial = std::min<std::size_t>(std::size_t(n), std::max<std::size_t>(payload * 4, 1 << 16));
    out.resize(initial);
    stream.next_in = const_cast<char*>(data + 8);
    std::size_t inLeft = payload;
    std::size_t produced = 0;
    int rc = BZ_OK;
    bool ok = false;
    for (;;) {
        if (stream.avail_in == 0 && inLeft > 0) {
            unsigned int take = static_cast<unsigned int>(std::min<std::size_t>(inLeft, UINT_MAX / 2));
            stream.avail_in = take;
            inLeft -= take;
        }
        if (produced == out.size()) {
            if (out.size() >= std::size_t(n)) {
                // n bytes are out: the stream must end here, without another byte.
                char probe;
                stream.next_out = &probe;
                stream.avail_out = 1;
                rc = BZ2_bzDecompress(&stream);
                ok = rc == BZ_STREAM_END && stream.avail_out == 1;
                break;
            }
            out.resize(std::min<std::size_t>(std::size_t(n), std::max<std::size_t>(out.size() * 2, 1 << 16)));
        }
        const std::size_t room = std::min<std::size_t>(out.size() - produced, UINT_MAX / 2);
        stream.next_out = out.data() + produced;
        stream.avail_out = static_cast<unsigned int>(room);
        rc = BZ2_bzDecompress(&stream);
        produced += room - stream.avail_out;
        if (rc == BZ_STREAM_END) {
            ok = produced == std::size_t(n);
            break;
        }
        if (rc != BZ_OK) break;
        // No progress with input exhausted: the stream is cut short.
        if (stream.avail_in == 0 && inLeft == 0 && stream.avail_out != 0) break;
    }
    BZ2_bzDecompressEnd(&stream);
    if (!ok) {
        sceneReport("File is corrupt", 3, true);
        sceneLog(formatC("decompressContent: bzip2 result %d after %zu of %d bytes\n", rc, produced, n));
        return std::nullopt;
    }
    out.resize(produced);
    if (showProgress) showStatus("Loading...");
    return out;
}

std::optional<std::string> documentText(std::string_view path, std::string bytes) {
    const FileType type = fileTypeOf(path);
    if ((type == FileTypeBvr || type == FileTypeRos) && looksCompressed(bytes))
        return decompressContent(bytes.data() + kKinembinHeader.size(), bytes.size() - kKinembinHeader.size());
    return bytes;
}

bool compressFile(std::string_view path) {
    showStatus("Compressing...");
    std::string content;
    if (readFileText(path, content) != ReadResult::Ok) {
        sceneReport("Compression failed: cannot read " + std::string(path), 3, true);
        return false;
    }
    std::optional<std::string> packed = compressContent(content);
    if (!packed) return false;
    if (!writeWholeFile(path, *packed)) {
        sceneReport("Compression failed, the file stays uncompressed: " + std::string(path) + " (" + lastErrorText() + ")",
                    3, true);
        return false;
    }
    showStatus("OK");
    return true;
}

}  // namespace kinemo
