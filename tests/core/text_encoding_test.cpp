#include "core/text_encoding.h"

#include <gtest/gtest.h>

using namespace kinemo;

TEST(TextEncoding, HighBytesUseTheWindowsTable) {
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC");          // euro sign
    EXPECT_EQ(cp1252ToUtf8("\x93x\x94"), "\xE2\x80\x9Cx\xE2\x80\x9D");
    EXPECT_EQ(cp1252ToUtf8("Gr\xFC\xDF"), "Gr\xC3\xBC\xC3\x9F");  // Latin-1 range
}

TEST(TextEncoding, EveryAssignedByteRoundTrips) {
    for (int b = 1; b < 256; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue;
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(one)), one) << b;
    }
}

TEST(TextEncoding, UnmappableAndBrokenUtf8BecomeQuestionMarks) {
    EXPECT_EQ(utf8ToCp1252("\xE4\xB8\xAD"), "?");     // a CJK character
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?");           // truncated sequence
    EXPECT_EQ(utf8ToCp1252("\xC3("), "?(");           // bad continuation
    EXPECT_EQ(utf8ToCp1252("\xF0\x9F\x98\x80!"), "?!");  // outside the BMP
}
