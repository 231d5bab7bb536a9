#include "geometry/field_reading.h"

#include <cmath>
#include <cstring>

#include "core/numbers.h"

namespace kinemo {

namespace {

bool isBlank(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n'; }

void skipBlanks(const char*& p, const char* end) {
    while (p < end && isBlank(*p)) ++p;
}

bool endsWord(char c) { return isBlank(c) || c == '{' || c == '}' || c == '[' || c == ']' || c == '\0'; }

}  // namespace

const char* textEnd(const char* text, const char* end) { return end ? end : text + std::strlen(text); }

std::size_t readFieldFloats(const char*& p, const char* end, float* out, std::size_t count) {
    std::size_t n = 0;
    while (n < count) {
        const char* q = p;
        skipBlanks(q, end);
        if (q >= end) break;
        double value = 0;
        const std::size_t used = parseDoublePrefix(std::string_view(q, static_cast<std::size_t>(end - q)), value);
        if (used == 0 || !std::isfinite(value) || std::fabs(value) > 3.4e38) break;
        if (q + used < end && !endsWord(q[used])) break;
        out[n++] = static_cast<float>(value);
        p = q + used;
    }
    return n;
}

std::string_view readFieldWord(const char*& p, const char* end) {
    skipBlanks(p, end);
    const char* start = p;
    while (p < end && !endsWord(*p)) ++p;
    return {start, static_cast<std::size_t>(p - start)};
}

std::string readFileNameField(const char*& p, const char* end) {
    skipBlanks(p, end);
    const bool bracketed = p < end && *p == '[';
    if (bracketed) ++p;
    skipBlanks(p, end);
    std::string name;
    if (p < end && *p == '"') {
        ++p;
        while (p < end && *p != '"' && *p != '\0') name += *p++;
        if (p < end && *p == '"') ++p;
    } else {
        while (p < end && !endsWord(*p)) name += *p++;
    }
    if (bracketed) {
        // Only the first name of a list is used; the rest of the list is passed over.
        while (p < end && *p != ']' && *p != '\0') ++p;
        if (p < end && *p == ']') ++p;
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    std::size_t first = 0;
    while (first < name.size() && (name[first] == ' ' || name[first] == '\t')) ++first;
    return name.substr(first);
}

}  // namespace kinemo
