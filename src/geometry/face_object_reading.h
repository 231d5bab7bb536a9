#pragma once
// Shared pieces of the geometry readers: list reading (text or binary blocks), words, and the
// copies that DEF names point to.
#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>

#include "core/basic_object.h"
#include "geometry/matrix.h"
#include "geometry/vector.h"
#include "scene/keyword_matcher.h"
#include "scene/keywords.h"

namespace kinemo {

class FaceObject;

// Forgets the copies of DEF'd point, normal and index lists (the scene is closed).
void clearDefSnapshots();

namespace reading {

// end when given; else the end of the text being read, or the zero byte.
const char* textEndFor(const char* text, const char* end);
// Our own document files hold their lists as binary blocks.
bool binaryLists();
std::string_view readWord(const char*& p, const char* end);
// A DEF'd list is registered as a copy of its own, so that cleaning the face set that read it
// (which renumbers its points) cannot change what a later USE gets.
void registerSnapshot(std::unique_ptr<BasicObject> copy);
// A list of rows of columns floats into dest (null when empty); registered under a pending DEF.
const char* readMatrix(const char* p, const char* end, std::int32_t columns, std::unique_ptr<MatrixF>& dest,
                       std::int32_t kind);
const char* readIndexList(const char* p, const char* end, std::unique_ptr<VectorL>& dest, std::int32_t kind,
                          bool registerDef);
// The body of a node such as "Coordinate { point [...] }": the list after field inside it.
const char* readNodeList(const char* p, const char* end, Keyword field, std::int32_t columns,
                         std::unique_ptr<MatrixF>& dest, std::int32_t kind);
// Inventor's "VertexProperty { ... }" after "vertexProperty": its lists go into the face set's
// points, normals, texture points and colours, its bindings into the face set (each only with its
// list). Returns the position after the node's body.
const char* readVertexProperty(FaceObject& f, const char* p, const char* end);

// The body loop of a geometry node: brackets are counted here (the body ends when its braces
// close; a closing brace of the caller's is left to it), every other keyword goes to
// field(keyword, pos), which moves pos past its value or returns false for a keyword that is not
// the node's: that ends the body before the keyword. A field that also takes the brace depth is
// given it (field(keyword, pos, braces)). At most budget keywords. closed, when given, tells
// whether the body ran to its closing brace or its keyword budget.
template <class Field>
const char* readBody(const char* text, const char* end, const KeyWordMatcher& m, int budget, Field field,
                     bool* closed = nullptr) {
    long braces = 0, brackets = 0;
    bool opened = false;
    const char* pos = text;
    if (closed) *closed = false;
    for (int n = 0; n < budget; ++n) {
        KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return hit.after;
        const Keyword k = hit.keyword;
        if (isBracketToken(k)) {
            if (k == kw::CloseBrace && braces == 0) return hit.begin;
            KeyWordMatcher::countBrackets(braces, brackets, k);
            pos = hit.after;
            if (k == kw::OpenBrace) opened = true;
            if (opened && braces <= 0 && brackets <= 0) {
                if (closed) *closed = true;
                return pos;
            }
            continue;
        }
        pos = hit.after;
        bool known;
        if constexpr (std::is_invocable_v<Field&, Keyword, const char*&, long>)
            known = field(k, pos, braces);
        else
            known = field(k, pos);
        if (!known) return hit.begin;
    }
    if (closed) *closed = true;
    return pos;
}

}  // namespace reading
}  // namespace kinemo
