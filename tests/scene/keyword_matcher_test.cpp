#include "scene/keyword_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/headless_platform.h"
#include "core/platform.h"
#include "scene/matchers.h"

namespace kinemo {
namespace {

constexpr char kShapeHints[] = "ShapeHints";
constexpr char kAbc[] = "abc";
constexpr char kAb[] = "ab";
constexpr char kAbcd[] = "abcd";
constexpr char kAbx[] = "abx";
constexpr char kOther[] = "abc";  // the same text as kAbc, another constant

// Every keyword the matcher returns from text, in order, up to the end of the text.
std::vector<Keyword> allFound(const KeyWordMatcher& m, std::string_view text) {
    std::string buffer(text);
    std::vector<Keyword> found;
    const char* p = buffer.c_str();
    for (int guard = 0; guard < 10000; ++guard) {
        KeywordHit hit = m.scan(p);
        if (hit.keyword == kw::EndOfString) break;
        found.push_back(hit.keyword);
        p = hit.after;
    }
    return found;
}

using Found = std::vector<Keyword>;

// A small VRML matcher built like the process-wide ones.
KeyWordMatcher smallVrmlMatcher() {
    KeyWordMatcher m(true);
    m.addEquivalence(" \n\r\t");
    for (Keyword k : {static_cast<Keyword>(kw::Shape), static_cast<Keyword>(kShapeHints),
                      static_cast<Keyword>(kw::OpenBrace), static_cast<Keyword>(kw::CloseBrace),
                      static_cast<Keyword>(kw::OpenBracket), static_cast<Keyword>(kw::CloseBracket),
                      static_cast<Keyword>(kw::hashVRML), static_cast<Keyword>(kw::commentDefViewpoint),
                      static_cast<Keyword>(kw::point)})
        EXPECT_TRUE(m.addKeyword(k)) << k;
    return m;
}

class MatcherMessages : public ::testing::Test {
protected:
    void SetUp() override { setPlatform(&platform_); }
    void TearDown() override { setPlatform(nullptr); }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : platform_.messageBoxes()) texts.push_back(box.text);
        return texts;
    }
    HeadlessPlatform platform_;
};

TEST(KeyWordMatcher, GivesEndOfStringAtOnceForEmptyOrNullText) {
    KeyWordMatcher m = smallVrmlMatcher();
    EXPECT_EQ(m.findNext(""), kw::EndOfString);
    EXPECT_EQ(m.findNext(nullptr), kw::EndOfString);
    KeywordHit hit = m.scan(std::string_view());
    EXPECT_EQ(hit.keyword, kw::EndOfString);
}

TEST(KeyWordMatcher, GivesEndOfStringForTextEndingInsideAKeyword) {
    KeyWordMatcher m = smallVrmlMatcher();
    const char text[] = "  Shap";
    KeywordHit hit = m.scan(text);
    EXPECT_EQ(hit.keyword, kw::EndOfString);
    EXPECT_EQ(hit.after, text + 6);
}

TEST(KeyWordMatcher, ReturnsTheConstantItselfNotACopyOfItsText) {
    KeyWordMatcher m = smallVrmlMatcher();
    const char text[] = "DEF a Shape { }";
    EXPECT_EQ(m.findNext(text), kw::Shape);
    EXPECT_EQ(m.positionAfter(), text + 12);
    EXPECT_EQ(m.lastHit().begin, text + 6);
}

TEST(KeyWordMatcher, FindsShapeDirectlyFollowedByABraceAndThenTheBrace) {
    KeyWordMatcher m = smallVrmlMatcher();
    const char text[] = "Shape{ }";
    EXPECT_EQ(m.findNext(text), kw::Shape);
    EXPECT_EQ(m.positionAfter(), text + 5);
    EXPECT_EQ(m.findNext(m.positionAfter()), kw::OpenBrace);
    EXPECT_EQ(m.positionAfter(), text + 6);
    EXPECT_EQ(m.findNext(m.positionAfter()), kw::CloseBrace);
}

TEST(KeyWordMatcher, DoesNotReexamineTheLetterThatBrokeAMatch) {
    KeyWordMatcher m = smallVrmlMatcher();
    EXPECT_EQ(allFound(m, "SShape x"), Found{});
    EXPECT_EQ(allFound(m, "xShape x"), Found{kw::Shape});
}

TEST(KeyWordMatcher, MatchesTheTrailingBlankWithAnyWhiteSpace) {
    KeyWordMatcher m = smallVrmlMatcher();
    EXPECT_EQ(allFound(m, "Shape\t\r\n  {"), (Found{kw::Shape, kw::OpenBrace}));
    EXPECT_EQ(allFound(m, "Shape\n"), Found{kw::Shape});
    EXPECT_EQ(allFound(m, "ShapeHints {"), (Found{kShapeHints, kw::OpenBrace}));
    EXPECT_EQ(allFound(m, "Shapex"), Found{});
}

TEST(KeyWordMatcher, SkipsTheRestOfALineAfterAnUnknownHashWord) {
    KeyWordMatcher m = smallVrmlMatcher();
    EXPECT_EQ(allFound(m, "# a comment with Shape { in it\nShape {"), (Found{kw::Shape, kw::OpenBrace}));
    EXPECT_EQ(allFound(m, "#VRMX Shape {\r\nShape "), (Found{kw::Shape}));
    EXPECT_EQ(allFound(m, "#VRML V2.0 utf8\nShape "), (Found{kw::hashVRML, kw::Shape}));
}

TEST(KeyWordMatcher, EndsACommentAtTheLineBreakAfterABareHash) {
    KeyWordMatcher m = smallVrmlMatcher();
    EXPECT_EQ(allFound(m, "#\nShape {"), (Found{kw::Shape, kw::OpenBrace}));
    EXPECT_EQ(allFound(m, "#\r\nShape {"), (Found{kw::Shape, kw::OpenBrace}));
    // "# " continues "# [DEF>>VIEWPOINT]"; the line break must still end the comment.
    EXPECT_EQ(allFound(m, "# \nShape "), (Found{kw::Shape}));
    EXPECT_EQ(allFound(m, "# [DEF>>VIEW\nShape "), (Found{kw::Shape}));
    EXPECT_EQ(allFound(m, "#VR\nShape "), (Found{kw::Shape}));
}

TEST(KeyWordMatcher, EndsAtALoneHashAtTheEndOfTheText) {
    KeyWordMatcher m = smallVrmlMatcher();
    EXPECT_EQ(allFound(m, "Shape #"), Found{kw::Shape});
    EXPECT_EQ(allFound(m, "#"), Found{});
    EXPECT_EQ(allFound(m, "# [DEF>>"), Found{});
}

TEST(KeyWordMatcher, DoesNotCountBracketsInsideAComment) {
    KeyWordMatcher m = smallVrmlMatcher();
    const long braces = KeyWordMatcher::braceDepth();
    const long brackets = KeyWordMatcher::bracketDepth();
    EXPECT_EQ(allFound(m, "#{\n# { [ ] }\n#[x\n# [\n#  }\nShape {"), (Found{kw::Shape, kw::OpenBrace}));
    EXPECT_EQ(KeyWordMatcher::braceDepth(), braces + 1);
    EXPECT_EQ(KeyWordMatcher::bracketDepth(), brackets);
}

TEST(KeyWordMatcher, FindsAHashKeywordThatHoldsBrackets) {
    KeyWordMatcher m = smallVrmlMatcher();
    EXPECT_EQ(allFound(m, "\n# [DEF>>VIEWPOINT]\n# [x]"), Found{kw::commentDefViewpoint});
}

TEST(KeyWordMatcher, ReturnsBracketsThatBreakAKeyword) {
    KeyWordMatcher m = smallVrmlMatcher();
    EXPECT_EQ(allFound(m, "Shap]poin[Shap{"), (Found{kw::CloseBracket, kw::OpenBracket, kw::OpenBrace}));
}

TEST(KeyWordMatcher, ReturnsBracketsAlsoWithoutBracketKeywords) {
    KeyWordMatcher m(true);
    m.addKeyword(kw::Shape);
    EXPECT_EQ(allFound(m, "Shape { [ ] }"),
              (Found{kw::Shape, kw::OpenBrace, kw::OpenBracket, kw::CloseBracket, kw::CloseBrace}));
}

TEST(KeyWordMatcher, MovesTheProcessWideDepthCountersForEveryReturnedBracket) {
    KeyWordMatcher m = smallVrmlMatcher();
    const long braces = KeyWordMatcher::braceDepth();
    const long brackets = KeyWordMatcher::bracketDepth();
    allFound(m, "{ { [ [ [ ] } Shape{");
    EXPECT_EQ(KeyWordMatcher::braceDepth(), braces + 2);
    EXPECT_EQ(KeyWordMatcher::bracketDepth(), brackets + 2);
}

TEST(KeyWordMatcher, CountBracketsMovesTheCallersCountersOnlyForBrackets) {
    long braces = 1, brackets = 0;
    EXPECT_TRUE(KeyWordMatcher::countBrackets(braces, brackets, kw::OpenBracket));
    EXPECT_TRUE(KeyWordMatcher::countBrackets(braces, brackets, kw::CloseBrace));
    EXPECT_FALSE(KeyWordMatcher::countBrackets(braces, brackets, kw::Shape));
    EXPECT_FALSE(KeyWordMatcher::countBrackets(braces, brackets, kw::EndOfString));
    EXPECT_EQ(braces, 0);
    EXPECT_EQ(brackets, 1);
}

TEST(KeyWordMatcher, StopsAtAZeroByteInsideTheText) {
    KeyWordMatcher m = smallVrmlMatcher();
    const char text[] = "Sha\0pe Shape {";
    KeywordHit hit = m.scan(std::string_view(text, sizeof text - 1));
    EXPECT_EQ(hit.keyword, kw::EndOfString);
    EXPECT_EQ(hit.after, text + 3);
}

TEST(KeyWordMatcher, StopsAtTheEndOfARangeThatHasNoZeroByte) {
    KeyWordMatcher m = smallVrmlMatcher();
    const std::string text = "x Shape {";
    // The range ends before the blank that completes "Shape ".
    KeywordHit hit = m.scan(std::string_view(text.data(), 7));
    EXPECT_EQ(hit.keyword, kw::EndOfString);
    EXPECT_EQ(hit.after, text.data() + 7);
    // A comment that runs to the end of the range.
    hit = m.scan(std::string_view("# abc", 3));
    EXPECT_EQ(hit.keyword, kw::EndOfString);
}

TEST(KeyWordMatcher, TreatsHashAsAnOrdinaryCharacterWithoutComments) {
    constexpr char kTag[] = "</x>";
    KeyWordMatcher m(false);
    m.addKeyword(kTag);
    EXPECT_EQ(allFound(m, "# </x>\n#</x>"), (Found{kTag, kTag}));
}

TEST(KeyWordMatcher, ScanLeavesTheMatcherAsItWas) {
    KeyWordMatcher m = smallVrmlMatcher();
    const char text[] = "Shape { point [ ] }";
    m.findNext(text);
    const char* after = m.positionAfter();
    KeywordHit hit = m.scan(after);
    EXPECT_EQ(hit.keyword, kw::OpenBrace);
    EXPECT_EQ(m.positionAfter(), after);
}

TEST_F(MatcherMessages, RefusesAKeywordThatIsAlreadyPresent) {
    KeyWordMatcher m(false);
    EXPECT_TRUE(m.addKeyword(kAbc));
    EXPECT_FALSE(m.addKeyword(kOther));
    EXPECT_EQ(boxTexts(),
              std::vector<std::string>{"KeyWordMatcher cannot add abc to list due to conflict with other keyword"});
    EXPECT_EQ(m.keywordCount(), 2u);
    ASSERT_EQ(m.rejectedKeywords().size(), 1u);
    EXPECT_EQ(m.rejectedKeywords()[0], kOther);
    // The first one stays reachable.
    EXPECT_EQ(allFound(m, "abc"), Found{kAbc});
}

TEST_F(MatcherMessages, RefusesAPrefixOfAPresentKeyword) {
    KeyWordMatcher m(false);
    m.addKeyword(kAbc);
    EXPECT_FALSE(m.addKeyword(kAb));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"KeyWordMatcher cannot add ab to list"});
    EXPECT_EQ(allFound(m, "ab abc"), Found{kAbc});
}

TEST_F(MatcherMessages, RefusesAKeywordThatStartsWithAPresentOne) {
    KeyWordMatcher m(false);
    m.addKeyword(kAbc);
    EXPECT_FALSE(m.addKeyword(kAbcd));
    EXPECT_EQ(boxTexts(),
              std::vector<std::string>{"KeyWordMatcher cannot add abcd to list due to conflict with other keyword"});
    EXPECT_TRUE(m.addKeyword(kAbx));
    EXPECT_EQ(allFound(m, "abcd abx"), (Found{kAbc, kAbx}));
}

TEST_F(MatcherMessages, KeepsTheFirstKeywordOfAMatcherWithoutCommentsReachable) {
    // Keyword 0's accept value must not be taken for a free slot.
    KeyWordMatcher m(false);
    m.addKeyword(kAb);
    EXPECT_FALSE(m.addKeyword(kAbc));
    EXPECT_EQ(allFound(m, "ab abc"), (Found{kAb, kAb}));
}

TEST_F(MatcherMessages, RefusesEquivalencesAfterTheFirstKeyword) {
    KeyWordMatcher m(true);
    m.addEquivalence(" \t");  // still allowed: only "#" is present
    m.addKeyword(kw::Shape);
    m.addEquivalence(" \n");
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Equivalent characters must be defined befor first keyword"});
    EXPECT_EQ(allFound(m, "Shape\tShape\n"), Found{kw::Shape});
}

TEST_F(MatcherMessages, ReportsNothingWhenTheProcessWideMatchersAreFilled) {
    std::size_t total = 0;
    for (const NamedMatcher& named : allMatchers()) {
        EXPECT_TRUE(named.matcher->rejectedKeywords().empty()) << named.name << " refused "
                                                               << named.matcher->rejectedKeywords()[0];
        total += named.matcher->keywordCount();
    }
    EXPECT_GT(total, 700u);
    EXPECT_TRUE(boxTexts().empty());
}

}  // namespace
}  // namespace kinemo
