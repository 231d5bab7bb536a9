#include "scene/number_writers.h"

#include "core/numbers.h"

namespace kinemo {
namespace {

int clampPrecision(int p) { return p < 0 ? 0 : (p > 9 ? 9 : p); }

void appendValue(std::string& out, float v, int p) { appendFixed(out, double(v), p, 4); }

bool put(std::FILE* file, const std::string& text) {
    return file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

}  // namespace

void writeFloats(std::string& out, const float* values, std::size_t n, int precision) {
    const int p = clampPrecision(precision);
    for (std::size_t i = 0; i < n; ++i) {
        if (i) out += ' ';
        appendValue(out, values[i], p);
    }
}

void writeFloatTuple(std::string& out, const float* values, std::size_t n, int precision) {
    const int p = clampPrecision(precision);
    out += '(';
    for (std::size_t i = 0; i < n; ++i) {
        if (i) out += ", ";
        appendValue(out, values[i], p);
    }
    out += ')';
}

void writeFloatList(std::string& out, const float* values, std::size_t n, int precision) {
    const int p = clampPrecision(precision);
    out += '[';
    for (std::size_t i = 0; i < n; ++i) {
        if (i) {
            out += ' ';
            if (i % 9 == 0) out += "\n# ";
        }
        appendValue(out, values[i], p);
    }
    out += "]\n";
}

bool writeFloats(std::FILE* file, const float* values, std::size_t n, int precision) {
    std::string s;
    writeFloats(s, values, n, precision);
    return put(file, s);
}

bool writeFloatTuple(std::FILE* file, const float* values, std::size_t n, int precision) {
    std::string s;
    writeFloatTuple(s, values, n, precision);
    return put(file, s);
}

bool writeFloatList(std::FILE* file, const float* values, std::size_t n, int precision) {
    std::string s;
    writeFloatList(s, values, n, precision);
    return put(file, s);
}

}  // namespace kinemo
