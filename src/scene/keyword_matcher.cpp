#include "scene/keyword_matcher.h"

#include <atomic>
#include <cstring>
#include <string>

#include "core/messages.h"

namespace kinemo {
namespace {

std::atomic<long> gBraceDepth{0};
std::atomic<long> gBracketDepth{0};

inline bool isBracketChar(unsigned char c) { return c == '{' || c == '}' || c == '[' || c == ']'; }

Keyword bracketToken(unsigned char c) {
    switch (c) {
        case '{': return kw::OpenBrace;
        case '}': return kw::CloseBrace;
        case '[': return kw::OpenBracket;
        default: return kw::CloseBracket;
    }
}

void moveGlobalDepth(Keyword k) {
    if (k == kw::OpenBrace) gBraceDepth.fetch_add(1, std::memory_order_relaxed);
    else if (k == kw::CloseBrace) gBraceDepth.fetch_sub(1, std::memory_order_relaxed);
    else if (k == kw::OpenBracket) gBracketDepth.fetch_add(1, std::memory_order_relaxed);
    else if (k == kw::CloseBracket) gBracketDepth.fetch_sub(1, std::memory_order_relaxed);
}

}  // namespace

KeyWordMatcher::KeyWordMatcher(bool withComment) : withComment_(withComment) {
    for (int i = 0; i < 256; ++i) map_[i] = static_cast<unsigned char>(i);
    states_.emplace_back();  // the start state, empty until the first keyword
    if (withComment_) addKeyword(kw::Hash);
    refreshStartTable();
}

void KeyWordMatcher::addEquivalence(std::string_view chars) {
    if (keywords_.size() > (withComment_ ? 1u : 0u)) {
        reportMessage("Equivalent characters must be defined befor first keyword", 4, true);
        return;
    }
    if (chars.empty()) return;
    equivalenceDefined_ = true;
    const unsigned char target = static_cast<unsigned char>(chars[0]);
    for (std::size_t i = 1; i < chars.size(); ++i) map_[static_cast<unsigned char>(chars[i])] = target;
    refreshStartTable();
}

void KeyWordMatcher::reportConflict(Keyword keyword, bool prefix) {
    rejected_.push_back(keyword);
    std::string text = "KeyWordMatcher cannot add ";
    text += keyword;
    text += prefix ? " to list" : " to list due to conflict with other keyword";
    reportMessage(text, 4, true);
}

std::int32_t KeyWordMatcher::newChainState(std::string_view rest, std::int32_t accept) {
    const auto first = static_cast<std::int32_t>(states_.size());
    for (std::size_t j = 0; j < rest.size(); ++j) {
        State s;
        s.lo = map_[static_cast<unsigned char>(rest[j])];
        s.span = 1;
        const bool last = j + 1 == rest.size();
        s.entries.push_back(last ? accept : static_cast<std::int32_t>(states_.size()) + 1);
        states_.push_back(std::move(s));
    }
    return first;
}

bool KeyWordMatcher::addKeyword(Keyword keyword) {
    keywords_.push_back(keyword);
    const std::int32_t accept = -static_cast<std::int32_t>(keywords_.size());
    const std::string_view w(keyword ? keyword : "");
    if (w.empty()) {
        reportConflict(keyword ? keyword : "", false);
        return false;
    }
    // Gaps opened by a "#" keyword lead to the comment, so that an unknown "#word" stays a comment.
    const std::int32_t fill = (withComment_ && w[0] == '#') ? -1 : 0;
    std::int32_t st = 0;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const unsigned char c = map_[static_cast<unsigned char>(w[i])];
        State& s = states_[static_cast<std::size_t>(st)];
        std::size_t slot;
        if (s.span == 0) {
            s.lo = c;
            s.span = 1;
            s.entries.assign(1, 0);
            slot = 0;
        } else if (c < s.lo) {
            const std::size_t grow = s.lo - c;
            s.entries.insert(s.entries.begin(), grow, fill);
            s.lo = c;
            s.span = static_cast<std::uint16_t>(s.span + grow);
            slot = 0;
        } else if (c >= s.lo + s.span) {
            const std::size_t grow = c - (s.lo + s.span) + 1;
            s.entries.insert(s.entries.end(), grow, fill);
            s.span = static_cast<std::uint16_t>(s.span + grow);
            slot = s.span - 1u;
        } else {
            slot = c - s.lo;
            const std::int32_t e = s.entries[slot];
            const bool free = e == 0 || (withComment_ && e == -1);
            if (!free) {
                if (e < 0) {
                    reportConflict(keyword, false);
                    return false;
                }
                if (i + 1 == w.size()) {
                    reportConflict(keyword, true);
                    return false;
                }
                st = e;
                continue;
            }
        }
        // The slot of c is free: the rest of the keyword becomes a new chain.
        std::int32_t entry = accept;
        if (i + 1 < w.size()) entry = newChainState(w.substr(i + 1), accept);
        states_[static_cast<std::size_t>(st)].entries[slot] = entry;
        refreshStartTable();
        return true;
    }
    return false;  // not reached: the loop ends in one of the returns above
}

void KeyWordMatcher::refreshStartTable() {
    const State& s = states_[0];
    for (int ch = 0; ch < 256; ++ch) {
        const auto u = static_cast<unsigned char>(ch);
        bool idle = ch != 0 && !isBracketChar(u);
        if (idle) {
            const unsigned idx = static_cast<unsigned>(map_[u]) - s.lo;
            idle = idx >= s.span || s.entries[idx] == 0;
        }
        idleAtStart_[ch] = idle ? 1 : 0;
    }
}

template <bool Bounded>
KeywordHit KeyWordMatcher::scanImpl(const char* text, const char* end) const {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const auto* stop = reinterpret_cast<const unsigned char*>(end);
    auto atEnd = [=](const unsigned char* q) {
        if constexpr (Bounded) {
            if (q >= stop) return true;
        }
        return *q == 0;
    };
    auto endOfString = [](const unsigned char* q) {
        const auto* at = reinterpret_cast<const char*>(q);
        return KeywordHit{kw::EndOfString, at, at};
    };
    if (text == nullptr) return KeywordHit{kw::EndOfString, nullptr, nullptr};

    const State* states = states_.data();
    std::int32_t state = 0;
    bool commentSeen = false;
    const unsigned char* begin = p;
    for (;;) {
        if (state == 0) {
            if constexpr (Bounded) {
                while (p < stop && idleAtStart_[*p]) ++p;
                if (p >= stop) return endOfString(p);
            } else {
                while (idleAtStart_[*p]) ++p;
            }
            if (*p == 0) return endOfString(p);
            begin = p;
        }
        const unsigned char ch = *p;
        if (commentSeen && (ch == '\r' || ch == '\n')) {
            // A line break ends a comment line, also one that broke off inside a "#" keyword.
            state = 0;
            commentSeen = false;
        } else {
            unsigned c = map_[ch];
            // "Shape{": the brace stands for the blank that ends the keyword and comes back next time.
            if (c == '{' && state != 0 && !commentSeen) c = ' ';
            const State& s = states[state];
            const unsigned idx = c - s.lo;
            const bool inRange = idx < s.span;
            const std::int32_t e = inRange ? s.entries[idx] : 0;
            if (inRange && c == '#' && withComment_) commentSeen = true;
            if (e < 0 && !(withComment_ && e == -1)) {
                const Keyword k = keywords_[static_cast<std::size_t>(-e - 1)];
                const unsigned char* after = p + 1;
                if (ch == '{' && k != kw::OpenBrace) after = p;
                moveGlobalDepth(k);
                return KeywordHit{k, reinterpret_cast<const char*>(begin), reinterpret_cast<const char*>(after)};
            }
            if (!commentSeen && isBracketChar(ch)) {
                const Keyword k = bracketToken(ch);
                moveGlobalDepth(k);
                return KeywordHit{k, reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(p + 1)};
            }
            if (commentSeen && e <= 0) {
                // The rest of the line is a comment; stop on its last character.
                while (!atEnd(p + 1) && p[1] != '\r' && p[1] != '\n') ++p;
                state = 0;
                commentSeen = false;
            } else {
                state = e;
            }
        }
        ++p;
        if (atEnd(p)) return endOfString(p);
    }
}

KeywordHit KeyWordMatcher::scan(const char* text) const { return scanImpl<false>(text, nullptr); }

KeywordHit KeyWordMatcher::scan(const char* text, const char* end) const {
    if (end == nullptr) return scanImpl<false>(text, nullptr);
    return scanImpl<true>(text, end);
}

Keyword KeyWordMatcher::findNext(const char* text) {
    last_ = scan(text);
    return last_.keyword;
}

bool KeyWordMatcher::countBrackets(long& braceCount, long& bracketCount, Keyword keyword) {
    if (keyword == kw::OpenBrace) ++braceCount;
    else if (keyword == kw::CloseBrace) --braceCount;
    else if (keyword == kw::OpenBracket) ++bracketCount;
    else if (keyword == kw::CloseBracket) --bracketCount;
    else return false;
    return true;
}

long KeyWordMatcher::braceDepth() { return gBraceDepth.load(std::memory_order_relaxed); }
long KeyWordMatcher::bracketDepth() { return gBracketDepth.load(std::memory_order_relaxed); }

}  // namespace kinemo
