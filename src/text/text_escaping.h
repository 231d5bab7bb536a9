#pragma once
// Texts live inside comment lines of the scene file. These functions turn a text into the bytes
// that stand between its tags and back again, and make the plain-letter names used where only
// ASCII is welcome.
#include <string>
#include <string_view>

namespace kinemo {

// Decodes the characters of a text as stored in a comment line, left to right:
// "#" and the character after it are dropped (only the "#" before a line feed); the character
// after a dropped pair is copied as it is, even a "#"; a tab becomes two blanks; a line feed not
// preceded by a carriage return in the output becomes CR LF, except at the very start.
// An empty result gives "No text available".
std::string unescapeText(std::string_view text);

// Encodes a text for the tag form, so that unescapeText gives it back: every line feed is
// followed by "# ", a "#" the user typed survives, and text that looks like one of the text tags
// cannot end the element early. Tabs and lone line feeds are left for the reader to normalise.
std::string escapeTagText(std::string_view text);
// The same for the old bracket form, whose text ends at the first closing quote and bracket.
std::string escapeBracketText(std::string_view text);

// Replaces the German umlauts and the two accented e by plain letters (Windows-1252 input);
// every other character stays.
std::string toAsciiName(std::string_view text);

}  // namespace kinemo
