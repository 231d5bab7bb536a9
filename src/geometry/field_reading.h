#pragma once
// Reading the values of one field of a node body: a few floats, a name, a file name.
#include <cstddef>
#include <string>
#include <string_view>

#include "scene/keyword_matcher.h"

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

// The body loop of the appearance nodes: brackets are counted here (a closing brace below the
// body's own is left to the caller; the body ends when its braces close), every other keyword
// goes to field(keyword, pos), which moves pos past its value or returns false for a keyword
// that ends the body before it. At most budget keywords.
template <class Field>
const char* readFieldBody(const char* text, const char* end, const KeyWordMatcher& m, int budget, Field field) {
    long braces = 0, brackets = 0;
    const char* pos = text;
    for (int n = 0; n < budget; ++n) {
        const KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (braces < 0) return hit.begin;
            pos = hit.after;
            if (hit.keyword == kw::CloseBrace && braces == 0) return pos;
            continue;
        }
        pos = hit.after;
        if (!field(hit.keyword, pos)) return hit.begin;
    }
    return pos;
}

}  // namespace kinemo
