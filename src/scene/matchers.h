#pragma once
// The process-wide keyword matchers, one per reading context. Each accessor fills all of them
// on first use (once, thread-safe); they never change afterwards.
//
// The reader loop every node reader follows (limit is the reader's own keyword budget):
//
//     long braces = 1, brackets = 0;     // the reader starts just after its opening "{"
//     const KeyWordMatcher& m = faceSetMatcher();
//     for (int n = 0; n < limit; ++n) {
//         KeywordHit hit = m.scan(pos);
//         if (hit.keyword == kw::EndOfString) return hit.after;
//         pos = hit.after;
//         if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
//             if (braces <= 0) return pos;
//             continue;
//         }
//         if (hit.keyword == kw::point) { pos = readFloatList(points, pos); continue; }
//         ...
//         return hit.begin;             // not ours: the caller sees the keyword again
//     }
//
// scan leaves the matcher untouched, so nested readers may share a matcher and readers may run
// on several threads. findNext/positionAfter keep the cursor in the matcher instead.
#include <span>

#include "scene/keyword_matcher.h"

namespace kinemo {

KeyWordMatcher& headerMatcher();
KeyWordMatcher& groupMatcher();
KeyWordMatcher& separatorMatcher();
KeyWordMatcher& transformMatcher();
KeyWordMatcher& lodMatcher();
KeyWordMatcher& faceSetMatcher();
KeyWordMatcher& elevationGridMatcher();
KeyWordMatcher& extrusionMatcher();
KeyWordMatcher& appearanceMatcher();
KeyWordMatcher& textureMatcher();
KeyWordMatcher& lightMatcher();
KeyWordMatcher& viewpointMatcher();
KeyWordMatcher& navigationMatcher();
KeyWordMatcher& animationMatcher();
KeyWordMatcher& textMatcher();
KeyWordMatcher& definitionsMatcher();
// The rich-text matchers: embedded objects and marks; paragraphs; fonts.
KeyWordMatcher& richTextObjectMatcher();
KeyWordMatcher& paragraphMatcher();
KeyWordMatcher& fontMatcher();

struct NamedMatcher {
    const char* name;
    KeyWordMatcher* matcher;
};
// All nineteen matchers with their names, filled.
std::span<const NamedMatcher> allMatchers();

}  // namespace kinemo
