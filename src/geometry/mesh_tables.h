#pragma once
// Small flat hash tables for the mesh passes: rows of floats and index tuples mapped to their
// first occurrence in linear time (the sorted passes they replace were n log n and allocated per
// element).
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kinemo::mesh {

inline std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

// The bit pattern of a float with -0 taken as +0, so that equal values hash alike.
inline std::uint32_t floatBits(float v) {
    if (v == 0.0f) return 0;
    std::uint32_t b;
    std::memcpy(&b, &v, 4);
    return b;
}

inline std::size_t tableSizeFor(std::size_t n) {
    std::size_t size = 16;
    while (size < 2 * n + 1) size <<= 1;
    return size;
}

// Maps each of n rows of `columns` floats to the first row equal to it (exact comparison).
// first[r] is the representative row of r; returns true when some row has an earlier equal.
inline bool firstEqualRows(const float* data, std::int32_t n, std::int32_t columns, std::vector<std::int32_t>& first) {
    first.assign(static_cast<std::size_t>(n), 0);
    const std::size_t size = tableSizeFor(static_cast<std::size_t>(n));
    std::vector<std::int32_t> slots(size, -1);
    bool duplicates = false;
    for (std::int32_t r = 0; r < n; ++r) {
        const float* row = data + static_cast<std::int64_t>(r) * columns;
        // One multiply per value and one final mix: the rows of a point list differ in every bit.
        std::uint64_t h = 0x9e3779b97f4a7c15ULL;
        for (std::int32_t c = 0; c < columns; ++c) h = (h ^ floatBits(row[c])) * 0xff51afd7ed558ccdULL;
        h = mix(h);
        std::size_t s = h & (size - 1);
        for (;;) {
            std::int32_t other = slots[s];
            if (other < 0) {
                slots[s] = r;
                first[static_cast<std::size_t>(r)] = r;
                break;
            }
            const float* o = data + static_cast<std::int64_t>(other) * columns;
            bool equal = true;
            for (std::int32_t c = 0; c < columns && equal; ++c) equal = row[c] == o[c];
            if (equal) {
                first[static_cast<std::size_t>(r)] = other;
                duplicates = true;
                break;
            }
            s = (s + 1) & (size - 1);
        }
    }
    return duplicates;
}

// Tuples of four 32-bit values numbered in order of first insertion.
class TupleTable {
public:
    explicit TupleTable(std::size_t expected) : slots_(tableSizeFor(expected), -1) { keys_.reserve(expected * 4); }
    // The number of the tuple, inserting it when new.
    std::int32_t insert(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
        if (keys_.size() / 4 * 2 + 2 > slots_.size()) grow();
        std::uint64_t h = mix((std::uint64_t(std::uint32_t(a)) << 32 | std::uint32_t(b)) ^
                              mix(std::uint64_t(std::uint32_t(c)) << 32 | std::uint32_t(d)));
        std::size_t mask = slots_.size() - 1;
        for (std::size_t s = h & mask;; s = (s + 1) & mask) {
            std::int32_t id = slots_[s];
            if (id < 0) {
                id = std::int32_t(keys_.size() / 4);
                keys_.insert(keys_.end(), {a, b, c, d});
                slots_[s] = id;
                return id;
            }
            const std::int32_t* k = &keys_[std::size_t(id) * 4];
            if (k[0] == a && k[1] == b && k[2] == c && k[3] == d) return id;
        }
    }
    // The number of the tuple, or -1 when it was never inserted.
    std::int32_t find(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) const {
        std::uint64_t h = mix((std::uint64_t(std::uint32_t(a)) << 32 | std::uint32_t(b)) ^
                              mix(std::uint64_t(std::uint32_t(c)) << 32 | std::uint32_t(d)));
        std::size_t mask = slots_.size() - 1;
        for (std::size_t s = h & mask;; s = (s + 1) & mask) {
            std::int32_t id = slots_[s];
            if (id < 0) return -1;
            const std::int32_t* k = &keys_[std::size_t(id) * 4];
            if (k[0] == a && k[1] == b && k[2] == c && k[3] == d) return id;
        }
    }
    std::int32_t size() const { return std::int32_t(keys_.size() / 4); }
    const std::int32_t* key(std::int32_t id) const { return &keys_[std::size_t(id) * 4]; }

private:
    void grow() {
        std::vector<std::int32_t> slots(slots_.size() * 2, -1);
        std::size_t mask = slots.size() - 1;
        for (std::int32_t id = 0; id < size(); ++id) {
            const std::int32_t* k = key(id);
            std::uint64_t h = mix((std::uint64_t(std::uint32_t(k[0])) << 32 | std::uint32_t(k[1])) ^
                                  mix(std::uint64_t(std::uint32_t(k[2])) << 32 | std::uint32_t(k[3])));
            std::size_t s = h & mask;
            while (slots[s] >= 0) s = (s + 1) & mask;
            slots[s] = id;
        }
        slots_.swap(slots);
    }
    std::vector<std::int32_t> slots_;
    std::vector<std::int32_t> keys_;
};

}  // namespace kinemo::mesh
