#pragma once
// Reading the values of one field of a node body: a few floats, a name, a file name.
#include <cstddef>
#include <string>
#include <string_view>

namespace kinemo {

// Reads up to count floats after p, separated by blanks, commas, tabs and line breaks; stops at
// the first token that is no finite number ("nan" and "inf" are refused). Returns how many were
// read; p moves past them.
std::size_t readFieldFloats(const char*& p, const char* end, float* out, std::size_t count);
// The word after p (up to a blank, line break, brace or bracket); p moves past it.
std::string_view readFieldWord(const char*& p, const char* end);
// A file name field: an optional "[" ... "]" around it, blanks and double quotes removed.
std::string readFileNameField(const char*& p, const char* end);
// end, or the zero byte that ends the text when end is null.
const char* textEnd(const char* text, const char* end);

}  // namespace kinemo
