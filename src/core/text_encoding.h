#pragma once
// Texts stay Windows-1252 bytes inside the program; they become UTF-8 only where they meet
// the window system or a format that demands it.
#include <string>
#include <string_view>

namespace kinemo {

std::string cp1252ToUtf8(std::string_view text);
// Characters that Windows-1252 cannot hold become '?'; broken UTF-8 sequences too.
std::string utf8ToCp1252(std::string_view text);
// The Unicode code point of one Windows-1252 byte (0xFFFD for the five unassigned bytes).
char32_t cp1252ToCodePoint(unsigned char byte);

}  // namespace kinemo
