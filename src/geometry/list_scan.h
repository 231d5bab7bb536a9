#pragma once
// The number-list scanner shared by the float, integer and matrix readers. It never writes into the
// text and never looks past end.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "core/numbers.h"

namespace kinemo::list_scan {

enum CharClass : unsigned char { Other = 0, Separator = 1, Terminator = 2, Blank = 4 };

// Separators: blank, tab, CR, LF, comma and the zero byte; terminators "}" and "]". Blank marks the
// characters skipped before a list (blank, tab, CR, LF).
struct Classes {
    unsigned char table[256] = {};
    constexpr Classes() {
        table[static_cast<unsigned char>(' ')] = Separator | Blank;
        table[static_cast<unsigned char>('\t')] = Separator | Blank;
        table[static_cast<unsigned char>('\r')] = Separator | Blank;
        table[static_cast<unsigned char>('\n')] = Separator | Blank;
        table[static_cast<unsigned char>(',')] = Separator;
        table[0] = Separator;
        table[static_cast<unsigned char>('}')] = Terminator;
        table[static_cast<unsigned char>(']')] = Terminator;
    }
};
inline constexpr Classes kClasses{};

inline unsigned char classOf(char c) { return kClasses.table[static_cast<unsigned char>(c)]; }
inline bool isNumberStart(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '+'; }

// double to float as strtof would round it, without the undefined out-of-range conversion.
inline float toFloat(double v) {
    constexpr double kOverflow = static_cast<double>(FLT_MAX) + 0x1p103;  // FLT_MAX plus half an ulp
    if (v >= kOverflow) return INFINITY;
    if (v <= -kOverflow) return -INFINITY;
    if (v > FLT_MAX) return FLT_MAX;
    if (v < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(v);
}

inline std::int32_t clampToInt32(long long v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

// The end of the token that starts at p.
inline const char* tokenEnd(const char* p, const char* end) {
    while (p < end && classOf(*p) == Other) ++p;
    return p;
}

// Reads the float at the start of the token at p like atof on the token alone; returns the token end.
inline const char* parseFloatToken(const char* p, const char* end, float& out) {
    double v = 0.0;
    if (isNumberStart(*p)) {
        // A number never holds a separator or terminator, so parsing over the rest stays inside
        // the token; a sign followed by a blank parses as nothing.
        std::size_t n = parseDoublePrefix(std::string_view(p, static_cast<std::size_t>(end - p)), v);
        const char* q = p + n;
        out = toFloat(v);
        if (q >= end || classOf(*q) != Other) return q;
        return tokenEnd(q, end);
    }
    const char* q = tokenEnd(p, end);
    parseDoublePrefix(std::string_view(p, static_cast<std::size_t>(q - p)), v);
    out = toFloat(v);
    return q;
}

// Reads a decimal integer at the start of token like "%d"; false when there are no digits.
inline bool parseDecimal(std::string_view token, std::int32_t& out) {
    long long v = 0;
    if (parseLongPrefix(token, v) == 0) return false;
    out = clampToInt32(v);
    return true;
}

// Reads a hexadecimal integer like "%x": optional sign, optional "0x", hex digits; the value
// saturates at 0xFFFFFFFF and is kept as its 32-bit pattern. Zero when there are no digits.
inline std::int32_t parseHex(std::string_view t) {
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (i + 2 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X') && digit(t[i + 2]) >= 0) i += 2;
    std::uint64_t acc = 0;
    for (; i < t.size(); ++i) {
        int d = digit(t[i]);
        if (d < 0) break;
        acc = acc * 16 + static_cast<unsigned>(d);
        if (acc > 0xFFFFFFFFull) acc = 0xFFFFFFFFull;
    }
    auto u = static_cast<std::uint32_t>(acc);
    if (negative) u = 0u - u;
    return static_cast<std::int32_t>(u);
}

}  // namespace kinemo::list_scan
