#include "scene/tokenizer.h"

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/messages.h"
#include "core/numbers.h"
#include "geometry/vector.h"

namespace kinemo {
namespace {

constexpr CharSet kColonBlankTab{": \t"};
constexpr CharSet kColonBlank{": "};
constexpr CharSet kValueEnd{" \t\r\n"};
constexpr CharSet kStringEnd{" \r\n"};
constexpr CharSet kQuote{"\""};
constexpr CharSet kNothing{};
constexpr CharSet kBlockLead{" ("};
constexpr CharSet kListLead{" [(#\n"};

inline bool atEnd(const char* p, const char* end) { return (end != nullptr && p >= end) || *p == 0; }

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Steps over characters of set, looking at most max characters ahead; null when a zero byte or
// the limit comes first.
const char* skipAtMost(const char* p, const CharSet& set, std::size_t max) {
    for (std::size_t i = 0; i < max; ++i, ++p) {
        if (*p == 0) return nullptr;
        if (!set.contains(*p)) return p;
    }
    return nullptr;
}

// Characters before the first one of stopSet, a zero byte, or max characters.
std::size_t runLength(const char* p, const CharSet& stopSet, std::size_t max) {
    std::size_t n = 0;
    while (n < max && p[n] != 0 && !stopSet.contains(p[n])) ++n;
    return n;
}

// As runLength, but a run that hits the limit goes on to the end of the text.
std::size_t runLengthOrToEnd(const char* p, const CharSet& stopSet, std::size_t max) {
    std::size_t n = runLength(p, stopSet, max);
    if (n == max && p[n] != 0 && !stopSet.contains(p[n])) n += std::strlen(p + n);
    return n;
}

bool isNameChar(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-';
}

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool slowFloat(const char* p, const char* e, float& value) {
    value = 0.0f;
    const char* first = p;
    if (first < e && *first == '+') {
        ++first;
        if (first < e && (*first == '+' || *first == '-')) return false;
    }
    float f = 0.0f;
    auto [ptr, ec] = std::from_chars(first, e, f, std::chars_format::general);
    if (ptr == first) return false;
    if (ec == std::errc::result_out_of_range) {
        // Too small rounds to zero; too large is no usable number.
        double d = 0.0;
        parseDoublePrefix(std::string_view(p, static_cast<std::size_t>(e - p)), d);
        if (std::fabs(d) < 1.0) {
            value = std::signbit(d) || (first < e && *first == '-') ? -0.0f : 0.0f;
            return true;
        }
        return false;
    }
    if (ec != std::errc() || !std::isfinite(f)) return false;
    value = f;
    return true;
}

}  // namespace

namespace {

// m / 10^fractionDigits (or m * 10^-exponent) rounded to float exactly as from_chars rounds the
// decimal. m and the power of ten are exact in double, so the quotient or product is rounded
// once; rounding that double to float gives the float nearest the decimal unless the double lies
// exactly half way between two floats. False for that case and for results outside the normal
// float range: the caller then asks from_chars.
inline bool scaleExactly(std::uint64_t m, int exponent, bool negative, float& value) {
    if (m == 0) {
        value = negative ? -0.0f : 0.0f;
        return true;
    }
    if (m > (std::uint64_t{1} << 53) || exponent < -22 || exponent > 22) return false;
    double d = static_cast<double>(m);
    d = exponent < 0 ? d / kPowersOfTen[-exponent] : d * kPowersOfTen[exponent];
    if (d > static_cast<double>(FLT_MAX) || d < static_cast<double>(FLT_MIN)) return false;
    const auto bits = std::bit_cast<std::uint64_t>(d);
    constexpr std::uint64_t kBelowFloat = (std::uint64_t{1} << 29) - 1;
    if ((bits & kBelowFloat) == (std::uint64_t{1} << 28)) return false;
    value = static_cast<float>(negative ? -d : d);
    return true;
}

}  // namespace

bool parseFloatToken(std::string_view token, float& value) {
    const char* p = token.data();
    const char* const e = p + token.size();
    const char* const start = p;
    value = 0.0f;
    if (p == e) return false;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Up to 19 digits fit in 64 bits; longer numbers go to from_chars.
    std::uint64_t m = 0;
    const char* digits = p;
    for (; p < e && isDigit(*p); ++p) m = m * 10 + static_cast<unsigned>(*p - '0');
    std::ptrdiff_t count = p - digits;
    int exponent = 0;
    if (p < e && *p == '.') {
        const char* fraction = ++p;
        for (; p < e && isDigit(*p); ++p) m = m * 10 + static_cast<unsigned>(*p - '0');
        exponent = -static_cast<int>(p - fraction);
        count += p - fraction;
    }
    if (count == 0 || count > 19) return slowFloat(start, e, value);
    if (p < e && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool negativeExponent = false;
        if (q < e && (*q == '+' || *q == '-')) {
            negativeExponent = *q == '-';
            ++q;
        }
        if (q < e && isDigit(*q)) {
            int x = 0;
            for (; q < e && isDigit(*q); ++q) {
                if (x < 100000) x = x * 10 + (*q - '0');
            }
            exponent += negativeExponent ? -x : x;
        }
    }
    if (!scaleExactly(m, exponent, negative, value)) return slowFloat(start, e, value);
    return true;
}

const char* findAfter(const char* text, const char* key) {
    if (text == nullptr || key == nullptr || *key == 0) return nullptr;
    const char* p = std::strstr(text, key);
    return p ? p + std::strlen(key) : nullptr;
}

const char* findAfter(std::string_view text, std::string_view key) {
    if (text.data() == nullptr || key.empty()) return nullptr;
    const std::size_t at = text.find(key);
    return at == std::string_view::npos ? nullptr : text.data() + at + key.size();
}

const char* findAfterOr(const char* text, const char* key, const char* fallback) {
    const char* p = findAfter(text, key);
    return p ? p : fallback;
}

const char* skipAllOf(std::string_view set, const char* text, const char* limit) {
    if (text == nullptr) return nullptr;
    for (const char* p = text; !atEnd(p, limit); ++p) {
        if (set.find(*p) == std::string_view::npos) return p;
    }
    return nullptr;
}

const char* findFirstOf(std::string_view set, const char* text, const char* limit) {
    if (text == nullptr) return nullptr;
    for (const char* p = text; !atEnd(p, limit); ++p) {
        if (set.find(*p) != std::string_view::npos) return p;
    }
    return nullptr;
}

const char* skipSeparators(const char* p, const char* end, const CharSet& separators) {
    while (!atEnd(p, end) && separators.contains(*p)) ++p;
    return p;
}

const char* skipToken(const char* p, const char* end, const CharSet& separators) {
    while (!atEnd(p, end) && !separators.contains(*p)) ++p;
    return p;
}

std::size_t countTokens(const char* text, const char* end, const CharSet& separators) {
    if (text == nullptr) return 0;
    std::size_t n = 0;
    const char* p = text;
    for (;;) {
        p = skipSeparators(p, end, separators);
        if (atEnd(p, end)) return n;
        ++n;
        p = skipToken(p, end, separators);
    }
}

std::size_t countTokens(const char* text, std::string_view separators) {
    return countTokens(text, nullptr, CharSet(separators));
}

bool TokenReader::next(std::string_view& token) {
    if (p_ == nullptr) return false;
    const char* start = skipSeparators(p_, end_, *separators_);
    if (atEnd(start, end_)) {
        p_ = start;
        return false;
    }
    p_ = skipToken(start, end_, *separators_);
    token = std::string_view(start, static_cast<std::size_t>(p_ - start));
    return true;
}

std::int32_t readInt(const char* p) {
    if (p == nullptr) return 0;
    const char* q = skipAtMost(p, kColonBlankTab, 100);
    if (q == nullptr) return 0;
    return atoiC(std::string_view(q, runLength(q, kValueEnd, 100)));
}

double readFloat(const char* p) {
    if (p == nullptr) return 0.0;
    const char* q = skipAtMost(p, kColonBlankTab, 100);
    if (q == nullptr) return 0.0;
    double v = 0.0;
    parseDoublePrefix(std::string_view(q, runLength(q, kValueEnd, 100)), v);
    return std::isfinite(v) ? v : 0.0;
}

bool readBool(const char* p) {
    if (p == nullptr) return false;
    const char* q = skipAtMost(p, kColonBlankTab, 100);
    return q != nullptr && (*q == 'y' || *q == 't' || *q == 'Y' || *q == 'T');
}

std::string_view readToken(const char* p) {
    if (p == nullptr) return {};
    const char* q = skipAtMost(p, kColonBlankTab, 100);
    if (q == nullptr) return {};
    return std::string_view(q, runLength(q, kStringEnd, 5000));
}

std::int32_t readIntAfterKey(const char* text, const char* key, std::int32_t fallback) {
    const char* p = findAfter(text, key);
    return p ? readInt(p) : fallback;
}

double readFloatAfterKey(const char* text, const char* key, double fallback) {
    const char* p = findAfter(text, key);
    return p ? readFloat(p) : fallback;
}

bool readBoolAfterKey(const char* text, const char* key, bool fallback) {
    const char* p = findAfter(text, key);
    return p ? readBool(p) : fallback;
}

std::string_view readStringAfterKey(const char* text, const char* key, const char* fallback) {
    const std::string_view orElse = fallback ? std::string_view(fallback) : std::string_view();
    if (text == nullptr) return orElse;
    const char* p = findAfter(text, key);
    if (p == nullptr) return orElse;
    const char* q = skipAtMost(p, kColonBlank, 100);
    if (q == nullptr) return {};
    return std::string_view(q, runLengthOrToEnd(q, kStringEnd, 5000));
}

bool parseBool(const char* text, bool fallback) {
    if (text == nullptr) return fallback;
    const char* q = skipAtMost(text, kColonBlankTab, 100);
    if (q == nullptr) return fallback;
    switch (*q) {
        case 'y': case 't': case 'Y': case 'T': return true;
        case 'n': case 'f': case 'N': case 'F': return false;
        default: return fallback;
    }
}

const char* findAttributeValue(const char* text, const char* name) {
    if (text == nullptr || name == nullptr || *name == 0) return nullptr;
    const std::size_t length = std::strlen(name);
    for (const char* p = std::strstr(text, name); p != nullptr; p = std::strstr(p + 1, name)) {
        if (p > text && isNameChar(p[-1])) continue;
        const char* q = p + length;
        std::size_t i = 0;
        while (i < 5 && (q[i] == ' ' || q[i] == '\t')) ++i;
        if (i == 5 || q[i] != '=') continue;
        q += i + 1;
        for (i = 0; i < 5 && (*q == ' ' || *q == '\t'); ++i) ++q;
        return *q == '"' ? q + 1 : q;
    }
    return nullptr;
}

std::int32_t readIntAttribute(const char* text, const char* name, std::int32_t fallback) {
    const char* p = findAttributeValue(text, name);
    if (p == nullptr) return fallback;
    long long v = 0;
    if (parseLongPrefix(std::string_view(p, runLength(p, kNothing, 100)), v) == 0) return fallback;
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

std::string_view readStringAttribute(const char* text, const char* name, std::string_view fallback) {
    const char* p = findAttributeValue(text, name);
    if (p == nullptr) return fallback;
    const char* q = skipAtMost(p, kColonBlank, 100);
    if (q == nullptr) return {};
    return std::string_view(q, runLengthOrToEnd(q, kQuote, 5000));
}

std::string readQuoted(const char* text, std::string_view fallback) {
    if (text == nullptr) return std::string(fallback);
    const std::size_t lead = runLength(text, kQuote, 100);
    if (text[lead] != '"') return std::string(fallback);
    const char* start = text + lead + 1;
    return std::string(start, runLength(start, kQuote, 5000));
}

namespace {

// Character classes of the number scanners: one table lookup per character.
enum : unsigned char { kOther = 0, kSeparator = 1, kStop = 2 };

struct Classes {
    unsigned char of[256] = {};
    constexpr Classes(std::string_view separators, std::string_view stops) {
        for (char c : separators) of[static_cast<unsigned char>(c)] = kSeparator;
        for (char c : stops) of[static_cast<unsigned char>(c)] = kStop;
        of[0] = kStop;
    }
};

// A float list ends at "]" or ")"; a brace cannot be part of it, so a list without its "]" ends
// there instead of running on through the rest of the scene. "#" separates: values may continue
// on comment lines.
constexpr Classes kFloatList{" ,\t\r\n#", "]){}"};
constexpr Classes kFloatBlock{" ,\t\r\n", "){}[]"};
constexpr Classes kFloatLine{" ,\t\r", "){}[]\n"};
constexpr Classes kIndexList{" ,\t\r\n()", "]{}["};

inline unsigned char classOf(const Classes& c, const char* p) { return c.of[static_cast<unsigned char>(*p)]; }

// Walks the tokens of a number list, calling take(token) for each, and returns the position of
// the character that ended the list (or end / the zero byte).
template <bool Bounded, class Take>
const char* walkTokens(const Classes& classes, const char* p, const char* end, Take&& take) {
    for (;;) {
        if constexpr (Bounded) {
            while (p < end && classOf(classes, p) == kSeparator) ++p;
            if (p >= end || classOf(classes, p) == kStop) return p;
            const char* t = p;
            while (p < end && classOf(classes, p) == kOther) ++p;
            take(std::string_view(t, static_cast<std::size_t>(p - t)));
        } else {
            while (classOf(classes, p) == kSeparator) ++p;
            if (classOf(classes, p) == kStop) return p;
            const char* t = p;
            while (classOf(classes, p) == kOther) ++p;
            take(std::string_view(t, static_cast<std::size_t>(p - t)));
        }
    }
}

template <class Take>
const char* walk(const Classes& classes, const char* p, const char* end, Take&& take) {
    return end ? walkTokens<true>(classes, p, end, take) : walkTokens<false>(classes, p, end, take);
}

// Where reading goes on after a number block or list that ended at e: past a ")", "]" or line
// feed; at a brace or bracket, which belongs to the caller's counting; at the end of the text.
const char* continueAfter(const char* e, const char* end, bool pastBracket) {
    if (atEnd(e, end)) return e;
    return (*e == ')' || *e == '\n' || (pastBracket && *e == ']')) ? e + 1 : e;
}

const char* skipLead(const char* p, const char* end, const CharSet& lead) {
    while (!atEnd(p, end) && lead.contains(*p)) ++p;
    return p;
}

// The leading decimal digits of the eight bytes at p, eight at a time: how many there are (8 when
// all are digits) and, when fewer, their value. Bytes past the first non-digit do not matter.
inline int leadingDigits(const char* p, std::uint64_t& value) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    const std::uint64_t t = w - 0x3030303030303030ULL;
    // A byte below '0' wraps to its top bit; one above '9' reaches it when 0x76 is added.
    const std::uint64_t other = (t | (t + 0x7676767676767676ULL)) & 0x8080808080808080ULL;
    if (other == 0) return 8;
    const int k = std::countr_zero(other) >> 3;
    if (k == 0) return 0;
    std::uint64_t v = (t << (8 * (8 - k))) & 0x0F0F0F0F0F0F0F0FULL;  // the digits at the high end
    v = (v * 2561) >> 8;
    v = ((v & 0x00FF00FF00FF00FFULL) * 6553601) >> 16;
    value = ((v & 0x0000FFFF0000FFFFULL) * 42949672960001ULL) >> 32;
    return k;
}

// The character at p, with the end of a bounded text read as the zero byte that stops a list.
template <bool Bounded>
inline char charAt(const char* p, const char* end) {
    if constexpr (Bounded) return p < end ? *p : '\0';
    return *p;
}

// Passes over the separators at p; a line's indentation goes eight blanks at a time.
template <bool Bounded>
inline const char* skipListSeparators(const unsigned char* classes, const char* p, const char* end) {
    for (;;) {
        const char c = charAt<Bounded>(p, end);
        if (classes[static_cast<unsigned char>(c)] != kSeparator) return p;
        ++p;
        if constexpr (Bounded) {
            if (c == '\n') {
                std::uint64_t w;
                while (end - p >= 8 && (std::memcpy(&w, p, 8), w == 0x2020202020202020ULL)) p += 8;
            }
        }
    }
}

// The float list in one pass: plain decimals ("-12.3456", the bulk of a point list) are read where
// they stand; anything else goes through parseFloatToken.
template <bool Bounded>
const char* readFloats(std::vector<float>& out, const char* p, const char* end) {
    const Classes& classes = kFloatList;
    auto cls = [&](const char* q) { return classes.of[static_cast<unsigned char>(charAt<Bounded>(q, end))]; };
    auto digit = [&](const char* q) { return isDigit(charAt<Bounded>(q, end)); };
    for (;;) {
        p = skipListSeparators<Bounded>(classes.of, p, end);
        if (cls(p) == kStop) return p;
        const char* t = p;
        bool negative = *p == '-';
        if (negative) ++p;
        if constexpr (Bounded) {
            // The common "-12.345678": both digit runs eight bytes at a time.
            std::uint64_t whole = 0, fraction = 0;
            int k1 = 0, k2 = 0;
            if (end - p >= 16 && (k1 = leadingDigits(p, whole)) > 0 && k1 < 8 && p[k1] == '.' &&
                (k2 = leadingDigits(p + k1 + 1, fraction)) > 0 && k2 < 8 && cls(p + k1 + 1 + k2) != kOther) {
                float v = 0.0f;
                const std::uint64_t m = whole * static_cast<std::uint64_t>(kPowersOfTen[k2]) + fraction;
                if (scaleExactly(m, -k2, negative, v)) {
                    out.push_back(v);
                    p += k1 + 1 + k2;
                    continue;
                }
            }
        }
        std::uint64_t m = 0;
        const char* digits = p;
        while (digit(p)) m = m * 10 + static_cast<unsigned>(*p++ - '0');
        std::ptrdiff_t count = p - digits;
        int exponent = 0;
        if (charAt<Bounded>(p, end) == '.') {
            const char* fraction = ++p;
            while (digit(p)) m = m * 10 + static_cast<unsigned>(*p++ - '0');
            exponent = -static_cast<int>(p - fraction);
            count += p - fraction;
        }
        float v = 0.0f;
        if (count == 0 || count > 19 || cls(p) == kOther || !scaleExactly(m, exponent, negative, v)) {
            p = t;
            while (cls(p) == kOther) ++p;
            parseFloatToken(std::string_view(t, static_cast<std::size_t>(p - t)), v);
        }
        out.push_back(v);
    }
}

const char* readList(std::vector<float>& out, const char* text, const char* end) {
    out.clear();
    const char* start = skipLead(text, end, kListLead);
    const char* e = nullptr;
    e = end == nullptr ? readFloats<false>(out, start, end) : readFloats<true>(out, start, end);
    return continueAfter(e, end, true);
}

}  // namespace

const char* readFloatBlock(float* out, const char* text, std::size_t expected, bool stopAtLineEnd, const char* end) {
    for (std::size_t i = 0; i < expected; ++i) out[i] = 0.0f;
    if (text == nullptr) return nullptr;
    const char* start = skipLead(text, end, kBlockLead);
    std::size_t found = 0;
    const char* e = walk(stopAtLineEnd ? kFloatLine : kFloatBlock, start, end, [&](std::string_view token) {
        if (found < expected) parseFloatToken(token, out[found]);
        ++found;
    });
    if (found != expected) {
        logLine(formatC("Warning in Tokenizer::readFloatBlock, expected %ld, found %ld", static_cast<long>(expected),
                        static_cast<long>(found)));
    }
    return continueAfter(e, end, false);
}

const char* readFloatList(std::vector<float>& out, const char* text, const char* end) {
    if (text == nullptr) {
        out.clear();
        return nullptr;
    }
    return readList(out, text, end);
}

const char* readFloatList(VectorF& out, const char* text, const char* end) {
    if (text == nullptr) {
        out.resize(0);
        return nullptr;
    }
    // Read into a scratch list first: the count is known only at the end.
    thread_local std::vector<float> scratch;
    const char* next = readList(scratch, text, end);
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    const std::size_t count = scratch.size() < kMax ? scratch.size() : kMax;
    out.resize(static_cast<std::int32_t>(count));
    if (count > 0) std::memcpy(out.data(), scratch.data(), count * sizeof(float));
    if (scratch.capacity() > (std::size_t{1} << 22)) std::vector<float>().swap(scratch);
    return next;
}

namespace {

inline std::int32_t saturated(std::uint64_t magnitude, bool negative) {
    if (negative) return magnitude >= (std::uint64_t{1} << 31) ? std::numeric_limits<std::int32_t>::min()
                                                              : -static_cast<std::int32_t>(magnitude);
    return magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
               ? std::numeric_limits<std::int32_t>::max()
               : static_cast<std::int32_t>(magnitude);
}

// Reads an index token like "%ld": an optional sign and digits; a token without digits is
// passed over. The magnitude stops growing once it is past the 32-bit range.
void takeIndex(std::vector<std::int32_t>& out, std::string_view token) {
    std::size_t i = 0;
    bool negative = false;
    if (token[0] == '+' || token[0] == '-') {
        negative = token[0] == '-';
        i = 1;
    }
    if (i >= token.size() || !isDigit(token[i])) return;
    std::uint64_t acc = 0;
    for (; i < token.size() && isDigit(token[i]); ++i) {
        if (acc <= std::uint64_t{1} << 32) acc = acc * 10 + static_cast<unsigned>(token[i] - '0');
    }
    out.push_back(saturated(acc, negative));
}

// The index list in one pass; plain numbers are read where they stand.
template <bool Bounded>
const char* readIndices(std::vector<std::int32_t>& out, const char* p, const char* end) {
    const Classes& classes = kIndexList;
    auto cls = [&](const char* q) { return classes.of[static_cast<unsigned char>(charAt<Bounded>(q, end))]; };
    for (;;) {
        p = skipListSeparators<Bounded>(classes.of, p, end);
        if (cls(p) == kStop) return p;
        const char* t = p;
        const bool negative = *p == '-';
        if (negative) ++p;
        const char* digits = p;
        std::uint64_t acc = 0;
        if constexpr (Bounded) {
            int k = 0;
            if (end - p >= 8 && (k = leadingDigits(p, acc)) > 0 && k < 8 && cls(p + k) != kOther) {
                out.push_back(saturated(acc, negative));
                p += k;
                continue;
            }
            acc = 0;
        }
        while (isDigit(charAt<Bounded>(p, end)) && p - digits < 12) acc = acc * 10 + static_cast<unsigned>(*p++ - '0');
        if (p != digits && p - digits < 12 && cls(p) != kOther) {
            out.push_back(saturated(acc, negative));
            continue;
        }
        p = t;
        while (cls(p) == kOther) ++p;
        takeIndex(out, std::string_view(t, static_cast<std::size_t>(p - t)));
    }
}

}  // namespace

const char* readIntList(std::vector<std::int32_t>& out, const char* text, const char* end) {
    out.clear();
    if (text == nullptr) return nullptr;
    const char* p = skipSeparators(text, end, kNumberSeparators);
    if (atEnd(p, end) || *p != '[') return nullptr;
    const char* e = end == nullptr ? readIndices<false>(out, p + 1, end) : readIndices<true>(out, p + 1, end);
    if (atEnd(e, end) || *e != ']') {
        // No "]" before a brace or the end: an index list never holds a brace, so it was cut off.
        out.clear();
        return nullptr;
    }
    return e + 1;
}

}  // namespace kinemo
