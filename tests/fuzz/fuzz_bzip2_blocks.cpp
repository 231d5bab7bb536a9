// Decodes bzip2 blocks side by side over hostile streams. The input is taken two ways: as a
// stream of its own, and as changes to a real stream of several blocks made at start (which a
// fuzzer's short inputs could not reach): each five bytes give a position and a byte to put
// there; a first byte chooses a cut and a change of the claimed size.
#include <bzlib.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "scene/bzip2_blocks.h"

using namespace kinemo;

namespace {

const std::string& content() {
    static const std::string text = [] {
        std::string s;
        std::uint32_t seed = 1;
        while (s.size() < 400000) {
            seed = seed * 1103515245u + 12345u;
            s += std::to_string((seed >> 8) % 100000);
            s += (seed & 7) ? " " : ",\n";
        }
        return s;
    }();
    return text;
}

const std::string& stream() {
    static const std::string packed = [] {
        std::string out(content().size() + 10000, '\0');
        unsigned int length = unsigned(out.size());
        BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char*>(content().data()), unsigned(content().size()),
                                 1, 0, 30);
        out.resize(length);
        return out;
    }();
    return packed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string out;
    decodeBlocksInParallel(reinterpret_cast<const char*>(data), size, size * 4, out, 2);

    if (size == 0) return 0;
    std::string changed = stream();
    std::size_t n = content().size();
    const std::uint8_t mode = data[0];
    if (mode & 1) changed.resize(changed.size() - (mode >> 1) % changed.size());
    if (mode & 2) n = n + (mode >> 4) - 8;
    for (std::size_t i = 1; i + 5 <= size; i += 5) {
        std::uint32_t at;
        std::memcpy(&at, data + i, 4);
        if (!changed.empty()) changed[at % changed.size()] = static_cast<char>(data[i + 4]);
    }
    const bool ok = decodeBlocksInParallel(changed.data(), changed.size(), n, out, 2);
    // Whatever was changed, a stream that passes every check gives exactly n bytes.
    if (ok && out.size() != n) __builtin_trap();
    if (!ok && !out.empty()) __builtin_trap();
    return 0;
}
