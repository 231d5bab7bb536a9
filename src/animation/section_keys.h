#pragma once
// The key readers of the animation section. A block is the text from a step's keyword to its
// "[END]" or, for blocks written without an end line, to the next block header: keys are never
// taken from a later block, so a step whose block lacks a key gets the default.
#include <cstdint>
#include <string>
#include <string_view>

namespace kinemo {

class GroupNode;

class BlockText {
public:
    // The block from text up to the first endMarker (none: up to the next block header). When
    // endMarker is missing too, the block runs to the next header.
    BlockText(const char* text, const char* endMarker);
    BlockText(std::string_view text) : text_(text), after_(text.data() + text.size()) {}

    std::string_view text() const { return text_; }
    // The position after the block (after its end marker when it had one).
    const char* after() const { return after_; }
    bool hadEnd() const { return hadEnd_; }

    // Absent keys give the default. Integers and floats must be finite numbers; a key followed
    // by no number gives the default.
    std::int32_t integer(std::string_view key, std::int32_t fallback) const;
    double number(std::string_view key, double fallback) const;
    bool boolean(std::string_view key, bool fallback) const;
    std::string word(std::string_view key, std::string_view fallback) const;
    // The rest of the key's line, blanks inside kept and trailing ones dropped: for file names.
    std::string line(std::string_view key, std::string_view fallback) const;
    // n numbers after key (found or not); false when the key or a number is missing.
    bool numbers(std::string_view key, double* out, int n) const;
    bool has(std::string_view key) const { return text_.find(key) != std::string_view::npos; }
    // Position of key after from, npos when absent.
    std::size_t find(std::string_view key, std::size_t from = 0) const { return text_.find(key, from); }

private:
    std::string_view text_;
    const char* after_;
    bool hadEnd_ = false;
};

// Where the next block header begins at or after text, or the end of the zero-terminated text.
const char* nextBlockHeader(const char* text);

// The part a block's "id" names in the node table of the read, for a step of class className. A
// missing id is a parse error ("Parser error in <class>: id not found" in the log, "Parsing
// Error!" to the user); an id that names no group reports "<class> has invalid GroupNode". The
// id read (-1 when missing) goes to componentId either way.
GroupNode* readPartId(const BlockText& block, const char* className, std::int32_t& componentId);

// A time, duration or count from a file or typed in: finite and at least 0, at most limit.
double clampDuration(double value, double limit = 1.0e9);

}  // namespace kinemo
