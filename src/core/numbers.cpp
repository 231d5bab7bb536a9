#include "core/numbers.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <locale.h>
#include <vector>

namespace kinemo {
namespace {

locale_t cLocale() {
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// Switches this thread to the C locale for the lifetime of the object.
class CLocaleScope {
public:
    CLocaleScope() : previous_(uselocale(cLocale())) {}
    ~CLocaleScope() { uselocale(previous_); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous_;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

std::string formatC(const char* format, ...) {
    CLocaleScope scope;
    char buffer[256];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::string result;
    if (n < 0) {
        va_end(copy);
        return result;
    }
    if (static_cast<std::size_t>(n) < sizeof buffer) {
        result.assign(buffer, static_cast<std::size_t>(n));
    } else {
        result.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(result.data(), result.size(), format, copy);
        result.resize(static_cast<std::size_t>(n));
    }
    va_end(copy);
    return result;
}

void appendFixed(std::string& out, double value, int precision, int width) {
    char buffer[400];
    if (!std::isfinite(value)) {
        // printf's spelling of infinities and NaN
        const char* text = std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan") : (value < 0 ? "-inf" : "inf");
        std::string_view t(text);
        for (int i = static_cast<int>(t.size()); i < width; ++i) out.push_back(' ');
        out.append(t);
        return;
    }
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    if (ec != std::errc()) {
        out += formatC("%*.*f", width, precision, value);
        return;
    }
    auto len = static_cast<int>(end - buffer);
    for (int i = len; i < width; ++i) out.push_back(' ');
    out.append(buffer, end);
}

void appendExponent(std::string& out, double value, int precision) {
    out += formatC("%.*e", precision, value);
}

void appendInt(std::string& out, long long value) {
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, end);
}

std::size_t parseDoublePrefix(std::string_view text, double& value) {
    value = 0.0;
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    std::size_t signPos = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // from_chars accepts neither "+" nor a second sign; the sign is taken above.
    if (i >= text.size() || text[i] == '+' || text[i] == '-') return 0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    double v = 0.0;
    auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ptr == first) {
        (void)signPos;
        return 0;
    }
    if (ec == std::errc::result_out_of_range) {
        // strtod gives +-HUGE_VAL on overflow and 0 on underflow; from_chars leaves v untouched.
        bool underflow = false;
        for (const char* p = first; p < ptr; ++p) {
            if (*p == 'e' || *p == 'E') {
                underflow = (p + 1 < ptr && p[1] == '-');
                break;
            }
        }
        v = underflow ? 0.0 : std::numeric_limits<double>::infinity();
    }
    value = negative ? -v : v;
    return static_cast<std::size_t>(ptr - text.data());
}

std::size_t parseLongPrefix(std::string_view text, long long& value) {
    value = 0;
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::size_t start = i;
    unsigned long long acc = 0;
    bool overflow = false;
    constexpr unsigned long long limit = static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        unsigned d = static_cast<unsigned>(text[i] - '0');
        if (!overflow) {
            if (acc > (limit - d) / 10) overflow = true;
            else acc = acc * 10 + d;
        }
        ++i;
    }
    if (i == start) return 0;
    if (overflow) value = negative ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
    else value = negative ? -static_cast<long long>(acc) : static_cast<long long>(acc);
    return i;
}

double atofC(std::string_view text) {
    double v = 0.0;
    parseDoublePrefix(text, v);
    return v;
}

std::int32_t atoiC(std::string_view text) {
    long long v = 0;
    parseLongPrefix(text, v);
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

}  // namespace kinemo
