#include "geometry/gif_decoder.h"

#include <array>
#include <cctype>
#include <vector>

namespace kinemo {

namespace {

class GifReader {
public:
    explicit GifReader(std::span<const std::uint8_t> data) : data_(data) {}

    bool byte(std::uint8_t& value) {
        if (pos_ >= data_.size()) return false;
        value = data_[pos_++];
        return true;
    }
    bool word(std::uint16_t& value) {
        if (data_.size() - pos_ < 2) return false;
        value = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return true;
    }
    bool skip(std::size_t count) {
        if (data_.size() - pos_ < count) return false;
        pos_ += count;
        return true;
    }
    std::span<const std::uint8_t> take(std::size_t count) {
        const std::size_t n = std::min(count, data_.size() - pos_);
        auto part = data_.subspan(pos_, n);
        pos_ += n;
        return part;
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

bool fail(std::string* error, const char* text) {
    if (error) *error = text;
    return false;
}

bool readColourTable(GifReader& in, int sizeBits, std::vector<CDIB::Colour>& colours) {
    const std::size_t count = std::size_t{1} << (sizeBits + 1);
    colours.resize(count);
    for (auto& c : colours) {
        if (!in.byte(c.red) || !in.byte(c.green) || !in.byte(c.blue)) return false;
    }
    return true;
}

// Concatenates data sub-blocks up to the terminating empty block (or the end of the file).
std::vector<std::uint8_t> readSubBlocks(GifReader& in) {
    std::vector<std::uint8_t> out;
    std::uint8_t length = 0;
    while (in.byte(length) && length != 0) {
        auto part = in.take(length);
        out.insert(out.end(), part.begin(), part.end());
        if (part.size() < length) break;
    }
    return out;
}

// Row order of an interlaced image: every 8th row from 0, every 8th from 4, every 4th from 2,
// every 2nd from 1.
std::vector<std::int32_t> rowOrder(std::int32_t height, bool interlaced) {
    std::vector<std::int32_t> rows;
    rows.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (std::int32_t y = 0; y < height; ++y) rows.push_back(y);
        return rows;
    }
    static constexpr std::array<std::array<int, 2>, 4> passes{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};
    for (const auto& pass : passes) {
        for (std::int32_t y = pass[0]; y < height; y += pass[1]) rows.push_back(y);
    }
    return rows;
}

class LzwDecoder {
public:
    LzwDecoder(std::span<const std::uint8_t> data, int minCodeSize) : data_(data), minCodeSize_(minCodeSize) {
        clear_ = 1 << minCodeSize;
        reset();
    }

    // Calls emit(index) for every decoded pixel until the end code, the end of the data, a
    // corrupt code, or emit returning false.
    template <class Emit>
    void run(Emit&& emit) {
        const int endCode = clear_ + 1;
        int previous = -1;
        std::uint8_t first = 0;
        for (;;) {
            const int code = nextCode();
            if (code < 0 || code == endCode) return;
            if (code == clear_) {
                reset();
                previous = -1;
                continue;
            }
            if (previous < 0) {
                if (code > clear_) return;  // a table code before any entry exists
                first = static_cast<std::uint8_t>(code);
                if (!emit(first)) return;
                previous = code;
                continue;
            }
            int walk = code;
            std::size_t depth = 0;
            if (code == next_) {
                stack_[depth++] = first;
                walk = previous;
            } else if (code > next_) {
                return;
            }
            while (walk > endCode) {
                if (depth >= stack_.size()) return;
                stack_[depth++] = suffix_[walk];
                walk = prefix_[walk];
            }
            first = static_cast<std::uint8_t>(walk);
            if (depth >= stack_.size()) return;
            stack_[depth++] = first;
            while (depth > 0) {
                if (!emit(stack_[--depth])) return;
            }
            if (next_ < kTableSize) {
                prefix_[next_] = static_cast<std::uint16_t>(previous);
                suffix_[next_] = first;
                ++next_;
                if (next_ == (1 << codeSize_) && codeSize_ < 12) ++codeSize_;
            }
            previous = code;
        }
    }

private:
    static constexpr int kTableSize = 4096;

    void reset() {
        codeSize_ = minCodeSize_ + 1;
        next_ = clear_ + 2;
    }

    int nextCode() {
        while (bitCount_ < codeSize_) {
            if (pos_ >= data_.size()) return -1;
            bits_ |= static_cast<std::uint32_t>(data_[pos_++]) << bitCount_;
            bitCount_ += 8;
        }
        const int code = static_cast<int>(bits_ & ((1u << codeSize_) - 1));
        bits_ >>= codeSize_;
        bitCount_ -= codeSize_;
        return code;
    }

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::uint32_t bits_ = 0;
    int bitCount_ = 0;
    int minCodeSize_;
    int clear_;
    int codeSize_ = 0;
    int next_ = 0;
    std::array<std::uint16_t, kTableSize> prefix_{};
    std::array<std::uint8_t, kTableSize> suffix_{};
    std::array<std::uint8_t, kTableSize + 1> stack_{};
};

}  // namespace

bool decodeGif(std::span<const std::uint8_t> data, CDIB& out, std::string* error, const ImageLimits& limits) {
    GifReader in(data);
    std::array<std::uint8_t, 6> signature{};
    for (auto& c : signature) {
        if (!in.byte(c)) return fail(error, "not a GIF file");
    }
    if (signature[0] != 'G' || signature[1] != 'I' || signature[2] != 'F' || !std::isdigit(signature[3]) ||
        !std::isdigit(signature[4]) || !std::isalpha(signature[5])) {
        return fail(error, "not a GIF file");
    }
    std::uint16_t screenWidth = 0, screenHeight = 0;
    std::uint8_t screenFlags = 0, background = 0, aspect = 0;
    if (!in.word(screenWidth) || !in.word(screenHeight) || !in.byte(screenFlags) || !in.byte(background) ||
        !in.byte(aspect)) {
        return fail(error, "truncated logical screen");
    }
    std::vector<CDIB::Colour> colours;
    if ((screenFlags & 0x80) && !readColourTable(in, screenFlags & 7, colours)) {
        return fail(error, "truncated colour table");
    }
    // The graphic control extension before the image names its see-through colour.
    int transparent = -1;
    for (;;) {
        std::uint8_t block = 0;
        if (!in.byte(block)) return fail(error, "no image in file");
        if (block == '!') {
            std::uint8_t label = 0;
            if (!in.byte(label)) return fail(error, "no image in file");
            const std::vector<std::uint8_t> body = readSubBlocks(in);
            if (label == 0xF9) transparent = body.size() >= 4 && (body[0] & 1) ? body[3] : -1;
            continue;
        }
        if (block != ',') return fail(error, "no image in file");
        break;
    }
    std::uint16_t left = 0, top = 0, width = 0, height = 0;
    std::uint8_t flags = 0;
    if (!in.word(left) || !in.word(top) || !in.word(width) || !in.word(height) || !in.byte(flags)) {
        return fail(error, "truncated image descriptor");
    }
    // A local colour table replaces the global one for this image.
    if ((flags & 0x80) && !readColourTable(in, flags & 7, colours)) return fail(error, "truncated colour table");
    if (colours.empty()) return fail(error, "no colour table");
    if (!limits.allows(width, height)) return fail(error, "image size refused");
    std::uint8_t minCodeSize = 0;
    if (!in.byte(minCodeSize) || minCodeSize < 2 || minCodeSize > 8) return fail(error, "bad LZW code size");
    const std::vector<std::uint8_t> lzw = readSubBlocks(in);

    const int depth = colours.size() <= 2 ? 1 : (colours.size() <= 16 ? 4 : 8);
    out = CDIB::palette(width, height, depth, std::move(colours));
    // An index the bitmap cannot hold is never drawn, so nothing is see-through.
    if (transparent >= 0 && transparent < (1 << depth)) out.setTransparentIndex(transparent);
    const std::vector<std::int32_t> rows = rowOrder(height, (flags & 0x40) != 0);
    std::int32_t x = 0;
    std::size_t row = 0;
    LzwDecoder decoder(lzw, minCodeSize);
    decoder.run([&](std::uint8_t index) {
        out.setIndex(x, rows[row], index < (1u << depth) ? index : 0);
        if (++x == width) {
            x = 0;
            if (++row == rows.size()) return false;
        }
        return true;
    });
    return true;
}

}  // namespace kinemo
