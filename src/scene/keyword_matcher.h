#pragma once
// KeyWordMatcher: a character trie that finds the next keyword of one reading context in scene
// text. Matching is one table lookup per character, with no backtracking and no allocation.
//
// Text outside keywords is skipped. In a matcher built with comments a "#" that does not start
// one of its "#" keywords makes the rest of the line a comment: a raw CR or LF ends it, and
// brackets inside it are not returned. The four bracket characters are returned as bracket
// tokens wherever else they occur, and every returned bracket moves the process-wide depth
// counters.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/basic_object.h"
#include "scene/keywords.h"

namespace kinemo {

// One keyword found in the text: where it begins and where reading goes on after it. For
// "End Of String" both are the position of the terminating zero byte (or the end of the range).
struct KeywordHit {
    Keyword keyword = kw::EndOfString;
    const char* begin = nullptr;
    const char* after = nullptr;
};

class KeyWordMatcher : public BasicObject {
public:
    // withComment: "#" becomes keyword 0 and lines starting with an unknown "#" keyword are skipped.
    explicit KeyWordMatcher(bool withComment);

    // Every character after the first is matched as the first one. Only before the first keyword
    // other than "#"; a later call reports "Equivalent characters must be defined befor first
    // keyword" and changes nothing.
    void addEquivalence(std::string_view chars);

    // Adds a keyword constant. A keyword that conflicts with one present (same text, a prefix, or
    // one that has a present keyword as prefix) is reported, stays in the list unreachable, and
    // the call returns false.
    bool addKeyword(Keyword keyword);

    // Scans zero-terminated text; remembers the result for positionAfter. Null or empty text gives
    // "End Of String".
    Keyword findNext(const char* text);
    // The position after the last keyword found (where the caller continues reading).
    const char* positionAfter() const { return last_.after; }
    const KeywordHit& lastHit() const { return last_; }

    // The same scan without touching the matcher: safe from several threads at once. The end
    // pointer form stops at end as well as at a zero byte.
    KeywordHit scan(const char* text) const;
    KeywordHit scan(const char* text, const char* end) const;
    KeywordHit scan(std::string_view text) const { return scan(text.data(), text.data() + text.size()); }

    std::size_t keywordCount() const { return keywords_.size(); }
    std::span<const Keyword> keywords() const { return keywords_; }
    // Keywords that addKeyword refused (reported when they were added).
    std::span<const Keyword> rejectedKeywords() const { return rejected_; }
    bool hasComment() const { return withComment_; }

    // Applies the depth rule to the caller's counters; true when keyword is a bracket token.
    static bool countBrackets(long& braceCount, long& bracketCount, Keyword keyword);

    // The process-wide depth counters, moved by every bracket any matcher returns.
    static long braceDepth();
    static long bracketDepth();

private:
    struct State {
        std::uint8_t lo = 0;
        std::uint16_t span = 0;  // number of entries: characters lo .. lo + span - 1
        std::vector<std::int32_t> entries;
    };

    template <bool Bounded>
    KeywordHit scanImpl(const char* text, const char* end) const;
    void refreshStartTable();
    std::int32_t newChainState(std::string_view rest, std::int32_t accept);
    void reportConflict(Keyword keyword, bool prefix);

    bool withComment_;
    bool equivalenceDefined_ = false;
    unsigned char map_[256];
    // 1 where a character at the start state changes nothing (and is no zero byte, bracket or
    // keyword start), so that the scan can run over such characters in a tight loop.
    unsigned char idleAtStart_[256];
    std::vector<State> states_;
    std::vector<Keyword> keywords_;
    std::vector<Keyword> rejected_;
    KeywordHit last_;
};

}  // namespace kinemo
