#pragma once
// The number formats every scene writer shares. Each value is written as printf "%4.<p>f" (p the
// precision, 0 to 9; a precision outside is clamped), with the C locale's decimal point.
#include <cstddef>
#include <cstdio>
#include <string>

namespace kinemo {

// The n values separated by one blank.
void writeFloats(std::string& out, const float* values, std::size_t n, int precision);
// "(", the n values separated by ", ", ")".
void writeFloatTuple(std::string& out, const float* values, std::size_t n, int precision);
// "[", the values separated by one blank, with "\n# " after every ninth separator, "]\n": a list
// that stays inside comment lines.
void writeFloatList(std::string& out, const float* values, std::size_t n, int precision);

// The same onto a file; false when a write failed.
bool writeFloats(std::FILE* file, const float* values, std::size_t n, int precision);
bool writeFloatTuple(std::FILE* file, const float* values, std::size_t n, int precision);
bool writeFloatList(std::FILE* file, const float* values, std::size_t n, int precision);

}  // namespace kinemo
