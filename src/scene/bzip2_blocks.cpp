#include "scene/bzip2_blocks.h"

#include <bzlib.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <exception>
#include <thread>

namespace kinemo {
namespace {

constexpr std::uint64_t kBlockMark = 0x314159265359ULL;
constexpr std::uint64_t kEndMark = 0x177245385090ULL;
constexpr std::size_t kHeaderBits = 32;  // "BZh" and the block size digit

class BitSource {
public:
    BitSource(const unsigned char* data, std::size_t length) : data_(data), length_(length) {}
    unsigned byteAt(std::size_t i) const { return i < length_ ? data_[i] : 0u; }
    // The bits count (up to 56) from bit position p on, the first one highest.
    std::uint64_t bits(std::size_t p, int count) const {
        std::uint64_t w = 0;
        const std::size_t first = p >> 3;
        for (std::size_t i = 0; i < 8; ++i) w = (w << 8) | byteAt(first + i);
        return (w << (p & 7)) >> (64 - count);
    }
    std::size_t bitLength() const { return length_ * 8; }
    const unsigned char* data() const { return data_; }
    std::size_t length() const { return length_; }

private:
    const unsigned char* data_;
    std::size_t length_;
};

class BitSink {
public:
    void put(std::uint64_t value, int count) {  // count up to 32
        acc_ = (acc_ << count) | (value & ((std::uint64_t{1} << count) - 1));
        used_ += count;
        while (used_ >= 8) {
            used_ -= 8;
            bytes_.push_back(static_cast<char>((acc_ >> used_) & 0xFF));
        }
    }
    // Copies count bits of source from bit position p; the sink is on a byte boundary.
    void copy(const BitSource& source, std::size_t p, std::size_t count) {
        const std::size_t whole = count / 8, first = p >> 3;
        const unsigned shift = p & 7;
        const std::size_t at = bytes_.size();
        bytes_.resize(at + whole);
        char* out = bytes_.data() + at;
        // All but the last byte read straight from the source, which holds them.
        const std::size_t direct = source.length() > first + 1 ? std::min(whole, source.length() - first - 1) : 0;
        const unsigned char* in = source.data() + first;
        for (std::size_t j = 0; j < direct; ++j)
            out[j] = static_cast<char>(((unsigned(in[j]) << shift) | (unsigned(in[j + 1]) >> (8 - shift))) & 0xFF);
        for (std::size_t j = direct; j < whole; ++j) {
            const unsigned v = (source.byteAt(first + j) << shift) | (source.byteAt(first + j + 1) >> (8 - shift));
            out[j] = static_cast<char>(v & 0xFF);
        }
        const int rest = static_cast<int>(count % 8);
        if (rest) put(source.bits(p + whole * 8, rest), rest);
    }
    std::string finish() {
        if (used_) bytes_.push_back(static_cast<char>((acc_ << (8 - used_)) & 0xFF));
        used_ = 0;
        return std::move(bytes_);
    }

private:
    std::string bytes_;
    std::uint64_t acc_ = 0;
    int used_ = 0;
};

// Decodes one stream, never past limit bytes; false when it is broken or would be longer.
bool decodeStream(std::string& stream, std::size_t initial, std::size_t limit, std::string& out) {
    bz_stream s{};
    if (BZ2_bzDecompressInit(&s, 0, 0) != BZ_OK) return false;
    out.resize(std::min(initial, limit));
    s.next_in = stream.data();
    s.avail_in = static_cast<unsigned>(stream.size());
    std::size_t produced = 0;
    bool ok = false;
    for (;;) {
        if (produced == out.size()) {
            if (out.size() >= limit) break;
            out.resize(std::min(limit, std::max<std::size_t>(out.size() * 2, 4096)));
        }
        const std::size_t room = std::min<std::size_t>(out.size() - produced, UINT_MAX / 2);
        s.next_out = out.data() + produced;
        s.avail_out = static_cast<unsigned>(room);
        const int rc = BZ2_bzDecompress(&s);
        produced += room - s.avail_out;
        if (rc == BZ_STREAM_END) {
            ok = true;
            break;
        }
        if (rc != BZ_OK) break;
        if (s.avail_in == 0 && s.avail_out != 0) break;  // cut short
    }
    BZ2_bzDecompressEnd(&s);
    out.resize(ok ? produced : 0);
    return ok;
}

}  // namespace

std::vector<std::size_t> bzip2BlockBounds(const unsigned char* stream, std::size_t length) {
    std::vector<std::size_t> bounds;
    if (length < 4 + 10 || stream[0] != 'B' || stream[1] != 'Z' || stream[2] != 'h' || stream[3] < '1' ||
        stream[3] > '9')
        return bounds;
    // A mark starting at bit s of byte i fills byte i + 1 with its bits 8 - s to 15 - s: one table
    // look-up per byte finds the few places worth comparing in full.
    unsigned char blockShifts[256] = {}, endShifts[256] = {};
    for (int s = 0; s < 8; ++s) {
        blockShifts[(kBlockMark >> (32 + s)) & 0xFF] |= static_cast<unsigned char>(1u << s);
        endShifts[(kEndMark >> (32 + s)) & 0xFF] |= static_cast<unsigned char>(1u << s);
    }
    const BitSource source(stream, length);
    std::vector<std::size_t> ends;
    for (std::size_t i = 4; i + 1 < length; ++i) {
        const unsigned char next = stream[i + 1];
        const unsigned candidates = blockShifts[next] | endShifts[next];
        if (!candidates) continue;
        for (int s = 0; s < 8; ++s) {
            if (!(candidates & (1u << s))) continue;
            const std::size_t p = i * 8 + std::size_t(s);
            if (p + 80 > source.bitLength()) continue;
            const std::uint64_t mark = source.bits(p, 48);
            if (mark == kBlockMark) bounds.push_back(p);
            if (mark == kEndMark) ends.push_back(p);
        }
    }
    // The first block follows the header; exactly one end mark, after the last block.
    if (bounds.empty() || bounds.front() != kHeaderBits || ends.size() != 1 || ends.front() <= bounds.back() + 80) {
        bounds.clear();
        return bounds;
    }
    bounds.push_back(ends.front());
    return bounds;
}

bool decodeBlocksInParallel(const char* stream, std::size_t length, std::size_t n, std::string& out,
                            unsigned threads) {
    out.clear();
    const auto* bytes = reinterpret_cast<const unsigned char*>(stream);
    const std::vector<std::size_t> bounds = bzip2BlockBounds(bytes, length);
    if (bounds.size() < 3) return false;  // a single block gains nothing
    const std::size_t blocks = bounds.size() - 1;
    const BitSource source(bytes, length);

    // The combined check sum of the stream from the blocks' own, in order.
    std::uint32_t combined = 0;
    for (std::size_t k = 0; k < blocks; ++k) {
        const auto crc = static_cast<std::uint32_t>(source.bits(bounds[k] + 48, 32));
        combined = ((combined << 1) | (combined >> 31)) ^ crc;
    }
    if (combined != static_cast<std::uint32_t>(source.bits(bounds[blocks] + 48, 32))) return false;

    // A block holds at most the block size digit times 100000 bytes before its run-length stage.
    const std::size_t typical = std::size_t(bytes[3] - '0') * 100000 + 4096;
    std::vector<std::string> outputs(blocks);
    std::atomic<std::size_t> next{0}, total{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        try {
            for (std::size_t k = next++; k < blocks && !failed; k = next++) {
                // The block alone as a stream: header, the block's bits, the end mark and, as the
                // combined sum of one block, the block's own sum.
                BitSink sink;
                sink.put('B', 8);
                sink.put('Z', 8);
                sink.put('h', 8);
                sink.put(bytes[3], 8);
                sink.copy(source, bounds[k], bounds[k + 1] - bounds[k]);
                sink.put(kEndMark >> 24, 24);
                sink.put(kEndMark & 0xFFFFFF, 24);
                sink.put(source.bits(bounds[k] + 48, 32), 32);
                std::string single = sink.finish();
                const std::size_t used = total.load();
                if (used > n || !decodeStream(single, typical, n - used, outputs[k]) ||
                    (total += outputs[k].size()) > n)
                    failed = true;
            }
        } catch (const std::exception&) {
            failed = true;
        }
    };
    const unsigned helpers = std::min<unsigned>(threads > 0 ? threads - 1 : 0, unsigned(blocks - 1));
    std::vector<std::thread> pool;
    try {
        for (unsigned i = 0; i < helpers; ++i) pool.emplace_back(work);
    } catch (const std::exception&) {
        // No more threads to be had: the ones started and this one do the work.
    }
    work();
    for (std::thread& t : pool) t.join();
    if (failed || total != n) return false;
    try {
        out.reserve(n);
        for (std::string& o : outputs) {
            out += o;
            std::string().swap(o);
        }
    } catch (const std::exception&) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace kinemo
