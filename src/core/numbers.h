#pragma once
// Locale-independent number text. Files must never depend on the user's locale: a German
// desktop would otherwise write "1,5" where every reader expects "1.5".
#include <cstdint>
#include <string>
#include <string_view>

namespace kinemo {

// printf-style formatting pinned to the C locale; gives exactly printf's bytes.
std::string formatC(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Appends the same bytes as printf("%*.*f", width, precision, value), without the locale.
void appendFixed(std::string& out, double value, int precision, int width = 0);
// Appends the same bytes as printf("%.*e", precision, value).
void appendExponent(std::string& out, double value, int precision = 6);
// Appends the decimal form of an integer (printf "%d" / "%lld").
void appendInt(std::string& out, long long value);

// Reads a floating-point number at the start of text like strtod in the C locale: optional
// leading white space, an optional "+" or "-", forms such as ".5" and "5." and an exponent.
// Returns the number of characters consumed (0 when there is no number; value is then 0).
std::size_t parseDoublePrefix(std::string_view text, double& value);
// Reads a decimal integer like strtol (leading blanks, sign, digits); saturates on overflow
// instead of wrapping. Returns the characters consumed, 0 when there are no digits.
std::size_t parseLongPrefix(std::string_view text, long long& value);

// atof and atoi without locale and without undefined behaviour on overflow.
double atofC(std::string_view text);
std::int32_t atoiC(std::string_view text);

}  // namespace kinemo
