// Runs every keyword matcher and every value reader over arbitrary text. The input is copied
// into a block of exactly its size plus the terminator, so any read past the end is caught, and
// the text must come out unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "geometry/vector.h"
#include "scene/matchers.h"
#include "scene/tokenizer.h"

using namespace kinemo;

namespace {

void scanAll(const KeyWordMatcher& m, const char* text, const char* end) {
    const char* p = text;
    for (int guard = 0; guard < 1000000; ++guard) {
        KeywordHit hit = m.scan(p, end);
        if (hit.keyword == kw::EndOfString) {
            if (hit.after < text || hit.after > end) std::abort();
            return;
        }
        // Every step moves forward and stays inside the text.
        if (hit.after <= p && !(hit.after == p && *p == '{')) std::abort();
        if (hit.begin < text || hit.after > end || hit.begin > hit.after) std::abort();
        if (hit.after == p) {
            // A brace left for the next call must come back as a brace.
            if (m.scan(p, end).keyword != kw::OpenBrace) std::abort();
            ++p;
            continue;
        }
        p = hit.after;
    }
}

void checkInside(const char* p, const char* text, const char* end) {
    if (p != nullptr && (p < text || p > end)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<char[]> block(new char[size + 1]);
    std::memcpy(block.get(), data, size);
    block[size] = 0;
    const char* text = block.get();
    const char* end = text + size;
    const char* zeroEnd = text + std::strlen(text);

    for (const NamedMatcher& m : allMatchers()) {
        scanAll(*m.matcher, text, end);
        // The zero-terminated form must stop at the first zero byte.
        KeywordHit hit = m.matcher->scan(text);
        if (hit.after != nullptr && hit.after > zeroEnd) std::abort();
    }

    VectorF floats;
    checkInside(readFloatList(floats, text), text, zeroEnd);
    checkInside(readFloatList(floats, text, end), text, end);
    std::vector<std::int32_t> ints;
    checkInside(readIntList(ints, text, end), text, end);
    float block3[6];
    checkInside(readFloatBlock(block3, text, 3, true), text, zeroEnd);
    checkInside(readFloatBlock(block3, text, 6, false, end), text, end);

    (void)readIntAfterKey(text, "id", -1);
    (void)readFloatAfterKey(text, "duration", 0.0);
    (void)readBoolAfterKey(text, "dowait", true);
    (void)readStringAfterKey(text, "name", nullptr);
    (void)readToken(text);
    (void)parseBool(text, true);
    (void)readIntAttribute(text, "id", -1);
    (void)readStringAttribute(text, "name", "");
    (void)readQuoted(text, "");
    (void)countTokens(text, end, kNumberSeparators);
    float f = 0.0f;
    (void)parseFloatToken(std::string_view(text, size), f);

    if (std::memcmp(block.get(), data, size) != 0) std::abort();
    return 0;
}
