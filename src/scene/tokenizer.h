#pragma once
// Small scanning functions that read values after a keyword: "key: value" lines of the comment
// blocks, name="value" attributes of the markup tags, and number lists.
//
// Scene text is one read-only, zero-terminated buffer: nothing here ever writes into it. Where a
// function takes an end pointer, reading stops at end as well as at a zero byte; nullptr means
// "to the zero byte". Limits given as character counts never look past a zero byte.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kinemo {

class VectorF;

// A set of byte values. The zero byte is never a member: it always ends the text.
class CharSet {
public:
    constexpr CharSet() = default;
    constexpr explicit CharSet(std::string_view chars) {
        for (char c : chars) {
            if (c != 0) member_[static_cast<unsigned char>(c)] = true;
        }
    }
    constexpr bool contains(char c) const { return member_[static_cast<unsigned char>(c)]; }

private:
    std::array<bool, 256> member_{};
};

// Blank, comma, tab, CR and LF: what separates the numbers of a list.
inline constexpr CharSet kNumberSeparators{" ,\t\r\n"};

// The position just after the first occurrence of key, or null (also for null text or empty key).
const char* findAfter(const char* text, const char* key);
const char* findAfter(std::string_view text, std::string_view key);
// As findAfter, giving fallback when key does not occur.
const char* findAfterOr(const char* text, const char* key, const char* fallback);

// The first position before limit whose character is not in set; null when a zero byte or limit
// comes first. limit nullptr: no limit.
const char* skipAllOf(std::string_view set, const char* text, const char* limit);
// The first position before limit whose character is in set; null when a zero byte or limit comes first.
const char* findFirstOf(std::string_view set, const char* text, const char* limit);

// The number of tokens (runs of characters not in separators) up to the zero byte or end. The
// text stays as it is; TokenReader walks the same tokens.
std::size_t countTokens(const char* text, std::string_view separators);
std::size_t countTokens(const char* text, const char* end, const CharSet& separators);

// Steps over separators / over one token; both stop at end or a zero byte.
const char* skipSeparators(const char* p, const char* end, const CharSet& separators);
const char* skipToken(const char* p, const char* end, const CharSet& separators);

// Walks the tokens of text[.., end) in order: while (r.next(token)) { ... }.
class TokenReader {
public:
    TokenReader(const char* text, const char* end, const CharSet& separators)
        : p_(text), end_(end), separators_(&separators) {}
    bool next(std::string_view& token);
    // Where the next token is looked for.
    const char* position() const { return p_; }

private:
    const char* p_;
    const char* end_;
    const CharSet* separators_;
};

// Value readers after a position: ":", blank and tab are skipped (at most 100 characters), the
// value ends at the first blank, tab, CR or LF within 100 characters. Null or missing values give
// 0, 0.0 and false. A float that is not finite ("nan", "inf", 1e999) reads as 0.
std::int32_t readInt(const char* p);
double readFloat(const char* p);
// True when the first character is "y", "t", "Y" or "T".
bool readBool(const char* p);
// The text up to the first blank, CR or LF, at most 5000 characters (a view into the text).
std::string_view readToken(const char* p);

// The value after the first occurrence of key; fallback when key does not occur.
std::int32_t readIntAfterKey(const char* text, const char* key, std::int32_t fallback);
double readFloatAfterKey(const char* text, const char* key, double fallback);
bool readBoolAfterKey(const char* text, const char* key, bool fallback);
// fallback when text is null or key is missing (empty when fallback is null); otherwise the value
// after key (": " skipped, at most 100 characters), ending at a blank, CR or LF within 5000
// characters, else at the end of the text.
std::string_view readStringAfterKey(const char* text, const char* key, const char* fallback);

// ":", blank and tab skipped; "y", "t", "Y", "T" give true, "n", "f", "N", "F" false, else fallback.
bool parseBool(const char* text, bool fallback);

// Markup attributes name="value". The name must stand on its own (not inside a longer name such
// as "width" for "id") and be followed by "=" within 5 characters; returns the position just
// after the opening double quote (after the "=" and blanks when the value has no quote), or null.
const char* findAttributeValue(const char* text, const char* name);
std::int32_t readIntAttribute(const char* text, const char* name, std::int32_t fallback);
// The text up to the closing double quote (within 5000 characters, else to the end of the text),
// after ":" and blanks; fallback when the attribute is missing.
std::string_view readStringAttribute(const char* text, const char* name, std::string_view fallback);

// A copy of the text between the first double quote (within 100 characters) and the next one
// (within 5000 characters, else up to 5000 characters); fallback when there is no opening quote.
std::string readQuoted(const char* text, std::string_view fallback);

// Reads expected floats: up to the line end when stopAtLineEnd (else to the end of text, or end),
// cut at a ")" before that, after a leading run of blanks and "(". A brace or bracket also ends
// the block (it is left for the caller's counting). When the number of values found differs,
// logs "Warning in Tokenizer::readFloatBlock, expected %ld, found %ld" and still fills all
// expected values (missing ones are 0). Returns the position after a ")" or line feed that ended
// the block, else the position of the character that ended it.
const char* readFloatBlock(float* out, const char* text, std::size_t expected, bool stopAtLineEnd,
                           const char* end = nullptr);

// Reads a bracketed float list of any length, up to the first "]" or ")" (or the end of the
// text). A leading run of blanks, "[", "(", "#" and LF is skipped; "#" counts as a separator, so a
// list may go on over comment lines. Every token is one value; a token that is not a finite
// number reads as 0. A brace ends a list whose "]" is missing, so that it does not run on through
// the rest of the scene. Returns the position after a "]" or ")" that ended the list, else the
// position of the brace or the end of the text.
const char* readFloatList(VectorF& out, const char* text, const char* end = nullptr);
// The same into a std::vector.
const char* readFloatList(std::vector<float>& out, const char* text, const char* end = nullptr);

// Reads a bracketed list of signed decimal integers (an index list such as coordIndex): "[",
// then tokens separated by blank, comma, tab, CR, LF and parentheses, then "]". Tokens without
// digits are skipped; values saturate at the 32-bit range. Returns the position after "]", or
// null (with out emptied) when the "[" or the "]" is missing.
const char* readIntList(std::vector<std::int32_t>& out, const char* text, const char* end = nullptr);

// The float at the start of token, exactly as std::from_chars reads it (with a leading "+"
// accepted); false, with value 0, when there is no number or it is not finite. Plain decimals
// take a fast path with the same results.
bool parseFloatToken(std::string_view token, float& value);

}  // namespace kinemo
