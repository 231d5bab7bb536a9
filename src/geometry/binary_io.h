#pragma once
// Little-endian reading and writing of the binary geometry blocks of document files. The reader is
// a cursor over a byte range that refuses every read past the end; sizes taken from a file are
// checked in 64-bit arithmetic against the bytes that remain before anything is allocated.
#include <cstdint>
#include <cstring>
#include <string>

namespace kinemo {

// Process-wide: true while a document file is written, so that point and index lists are written
// as binary blocks instead of text.
bool binaryWriteMode();
void setBinaryWriteMode(bool on);

// Sets the binary write mode for the lifetime of the object and restores the previous one.
class BinaryWriteModeScope {
public:
    explicit BinaryWriteModeScope(bool on) : previous_(binaryWriteMode()) { setBinaryWriteMode(on); }
    ~BinaryWriteModeScope() { setBinaryWriteMode(previous_); }
    BinaryWriteModeScope(const BinaryWriteModeScope&) = delete;
    BinaryWriteModeScope& operator=(const BinaryWriteModeScope&) = delete;

private:
    bool previous_;
};

class ByteWriter {
public:
    explicit ByteWriter(std::string& out) : out_(out) {}
    void u8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v) {
        char b[2] = {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
        out_.append(b, 2);
    }
    void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void u32(std::uint32_t v) {
        char b[4] = {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff),
                     static_cast<char>((v >> 16) & 0xff), static_cast<char>(v >> 24)};
        out_.append(b, 4);
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void f32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    std::string& buffer() { return out_; }

private:
    std::string& out_;
};

class ByteReader {
public:
    ByteReader(const char* data, const char* end)
        : pos_(reinterpret_cast<const unsigned char*>(data)), end_(reinterpret_cast<const unsigned char*>(end)) {}

    const char* position() const { return reinterpret_cast<const char*>(pos_); }
    std::uint64_t remaining() const { return static_cast<std::uint64_t>(end_ - pos_); }
    // True when count items of size bytes each remain; computed without overflow.
    bool has(std::uint64_t count, std::uint64_t size) const {
        return size == 0 || count <= remaining() / size;
    }

    bool u8(std::uint8_t& v) {
        if (remaining() < 1) return false;
        v = *pos_++;
        return true;
    }
    bool u16(std::uint16_t& v) {
        if (remaining() < 2) return false;
        v = static_cast<std::uint16_t>(pos_[0] | (pos_[1] << 8));
        pos_ += 2;
        return true;
    }
    bool i16(std::int16_t& v) {
        std::uint16_t u;
        if (!u16(u)) return false;
        v = static_cast<std::int16_t>(u);
        return true;
    }
    bool u32(std::uint32_t& v) {
        if (remaining() < 4) return false;
        v = loadU32(pos_);
        pos_ += 4;
        return true;
    }
    bool i32(std::int32_t& v) {
        std::uint32_t u;
        if (!u32(u)) return false;
        v = static_cast<std::int32_t>(u);
        return true;
    }
    bool f32(float& v) {
        std::uint32_t u;
        if (!u32(u)) return false;
        std::memcpy(&v, &u, 4);
        return true;
    }

    // Unchecked forms for loops whose whole extent was checked with has().
    std::uint8_t u8Unchecked() { return *pos_++; }
    std::uint16_t u16Unchecked() {
        auto v = static_cast<std::uint16_t>(pos_[0] | (pos_[1] << 8));
        pos_ += 2;
        return v;
    }
    std::uint32_t u32Unchecked() {
        std::uint32_t v = loadU32(pos_);
        pos_ += 4;
        return v;
    }
    float f32Unchecked() {
        std::uint32_t u = u32Unchecked();
        float v;
        std::memcpy(&v, &u, 4);
        return v;
    }

private:
    static std::uint32_t loadU32(const unsigned char* p) {
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    const unsigned char* pos_;
    const unsigned char* end_;
};

// Reports a binary block that runs past the end of the data or holds impossible sizes.
void reportCorruptBlock(const char* what);

}  // namespace kinemo
