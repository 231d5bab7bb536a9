#include "scene/matchers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace kinemo {
namespace {

const KeyWordMatcher* matcherNamed(std::string_view name) {
    for (const NamedMatcher& m : allMatchers()) {
        if (name == m.name) return m.matcher;
    }
    return nullptr;
}

bool holds(const KeyWordMatcher& m, Keyword k) {
    auto list = m.keywords();
    return std::find(list.begin(), list.end(), k) != list.end();
}

// The keywords found in text, brackets left out unless asked for.
std::vector<Keyword> keywordsIn(const KeyWordMatcher& m, const std::string& text, bool withBrackets = false) {
    std::vector<Keyword> found;
    const char* p = text.c_str();
    for (int guard = 0; guard < 100000; ++guard) {
        KeywordHit hit = m.scan(p);
        if (hit.keyword == kw::EndOfString) break;
        if (withBrackets || !isBracketToken(hit.keyword)) found.push_back(hit.keyword);
        p = hit.after;
    }
    return found;
}

// The texts a keyword is found in: a trailing blank may be any white space, except that a line
// break ends a comment line and so also a "#" keyword.
std::vector<std::string> writtenForms(std::string_view k) {
    std::vector<std::string> forms{" " + std::string(k) + " 1 2 3\n"};
    if (!k.empty() && k.back() == ' ') {
        std::string stem(k.substr(0, k.size() - 1));
        forms.push_back(stem + "\t[");
        if (k[0] != '#') {
            forms.push_back(stem + "\n");
            forms.push_back("\t" + stem + "\r\n");
        }
    }
    return forms;
}

TEST(Matchers, ThereAreNineteenAndAllAreFilled) {
    ASSERT_EQ(allMatchers().size(), 19u);
    for (const NamedMatcher& m : allMatchers()) EXPECT_GT(m.matcher->keywordCount(), 1u) << m.name;
}

TEST(Matchers, RefuseNoneOfTheirKeywords) {
    for (const NamedMatcher& m : allMatchers()) {
        for (Keyword k : m.matcher->rejectedKeywords()) ADD_FAILURE() << m.name << " refused \"" << k << "\"";
    }
}

TEST(Matchers, FindEveryKeywordTheyHoldInTheFormsFilesWriteIt) {
    for (const NamedMatcher& m : allMatchers()) {
        for (Keyword k : m.matcher->keywords()) {
            if (k == kw::Hash) continue;
            for (const std::string& text : writtenForms(k)) {
                KeywordHit hit = m.matcher->scan(text.c_str());
                EXPECT_EQ(hit.keyword, k) << m.name << " on \"" << text << "\"";
            }
        }
    }
}

TEST(Matchers, FindEveryKeywordAfterOtherText) {
    for (const NamedMatcher& m : allMatchers()) {
        for (Keyword k : m.matcher->keywords()) {
            if (k == kw::Hash) continue;
            // On a new line after numbers, as in the body of a node.
            std::string text = "0.5 -1.25e3, 7\n" + std::string(k) + " ";
            std::vector<Keyword> found = keywordsIn(*m.matcher, text, true);
            EXPECT_EQ(found, std::vector<Keyword>{k}) << m.name << " on \"" << text << "\"";
        }
    }
}

TEST(Matchers, DoNotFindAKeywordWithoutItsLastCharacter) {
    for (const NamedMatcher& m : allMatchers()) {
        for (Keyword k : m.matcher->keywords()) {
            const std::size_t n = std::strlen(k);
            if (n < 2) continue;
            std::string text(k, n - 1);
            text += '\x01';
            EXPECT_EQ(m.matcher->scan(text.c_str()).keyword, kw::EndOfString) << m.name << " on \"" << k << "\"";
        }
    }
}

TEST(Matchers, HoldEachKeywordOnce) {
    for (const NamedMatcher& m : allMatchers()) {
        std::vector<Keyword> list(m.matcher->keywords().begin(), m.matcher->keywords().end());
        std::sort(list.begin(), list.end());
        EXPECT_EQ(std::adjacent_find(list.begin(), list.end()), list.end()) << m.name;
    }
}

TEST(Matchers, BuildTheVrmlMatchersWithCommentsAndTheMarkupMatchersWithout) {
    for (const char* name : {"headerMatcher", "groupMatcher", "separatorMatcher", "transformMatcher", "lodMatcher",
                             "faceSetMatcher", "elevationGridMatcher", "extrusionMatcher", "appearanceMatcher",
                             "textureMatcher", "lightMatcher", "viewpointMatcher", "navigationMatcher"}) {
        ASSERT_NE(matcherNamed(name), nullptr) << name;
        EXPECT_TRUE(matcherNamed(name)->hasComment()) << name;
        EXPECT_EQ(matcherNamed(name)->keywords()[0], kw::Hash) << name;
    }
    for (const char* name : {"animationMatcher", "textMatcher", "definitionsMatcher", "richTextObjectMatcher",
                             "paragraphMatcher", "fontMatcher"}) {
        ASSERT_NE(matcherNamed(name), nullptr) << name;
        EXPECT_FALSE(matcherNamed(name)->hasComment()) << name;
    }
}

TEST(Matchers, TellScaleScaleFactorAndScaleOrientationApart) {
    const std::string text = "Transform { scale 1 1 1 scaleOrientation 0 0 1 0 scaleFactor 2 2 2 }";
    for (KeyWordMatcher* m : {&transformMatcher(), &groupMatcher(), &separatorMatcher(), &lodMatcher(),
                              &appearanceMatcher(), &textureMatcher(), &viewpointMatcher()}) {
        EXPECT_EQ(keywordsIn(*m, text), (std::vector<Keyword>{kw::Transform, kw::scale, kw::scaleOrientation,
                                                                kw::scaleFactor}));
    }
}

TEST(Matchers, FindTheHeightsOfAnElevationGrid) {
    const std::string text = "ElevationGrid { xDimension 2 zDimension 2 height [ 0 1 2 3 ] solid FALSE }";
    EXPECT_EQ(keywordsIn(elevationGridMatcher(), text),
              (std::vector<Keyword>{kw::ElevationGrid, kw::xDimension, kw::zDimension, kw::height, kw::solid}));
}

TEST(Matchers, FindTheFieldsOfAFaceSet) {
    const std::string text =
        "Shape {\n appearance Appearance { material Material { diffuseColor 1 0 0 } }\n"
        " geometry IndexedFaceSet {\n  coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0 ] }\n"
        "  coordIndex [ 0 1 2 -1 ]\n  creaseAngle 0.5\n  solid FALSE\n  ccw TRUE\n }\n}\n";
    EXPECT_EQ(keywordsIn(faceSetMatcher(), text),
              (std::vector<Keyword>{kw::Shape, kw::Appearance, kw::IndexedFaceSet, kw::point, kw::coordIndex,
                                    kw::creaseAngle, kw::solid, kw::ccw}));
}

TEST(Matchers, FindTheHeaderLinesOfAKinemoFile) {
    const std::string text =
        "#VRML V2.0 utf8\n#Kinemo 8.09\n#RequiresProgramVersion 8.03\n#CreationDate 2026-12-09\n"
        "DEF r1 Transform {\n}\n# <kmxDEFINITION>\n# [DEF>>VIEWPOINT]\n# ANIMATIONS\n";
    EXPECT_EQ(keywordsIn(headerMatcher(), text),
              (std::vector<Keyword>{kw::hashVRML, kw::hashKinemo, kw::hashRequiresProgramVersion,
                                    kw::hashCreationDate, kw::DEF, kw::Transform, kw::commentKmxDefinition,
                                    kw::commentDefViewpoint, kw::commentAnimations}));
}

TEST(Matchers, FindEveryStepOfTheAnimationSection) {
    const std::string text =
        "\n\n# ANIMATIONS\n\n\n# [ACTION>>NEWGROUP]\n# [ACTION>>APPEAR]\n# id 3\n# [ACTION>>DISAPPEAR]\n# id 4\n"
        "# [ACTION>>STOP]\n# [ACTION>>PAUSE]\n# delay 200\n# [ACTION>>POSITION]\n# [ACTION>>MOVE]\n# [END]\n"
        "# [ACTION>>VIEWPOINT]\n# [ACTION>>COLOR]\n# [ACTION>>LIGHT]\n# [ACTION>>ANIM_REF]\n"
        "# [ACTION>>SHAPE_PARAMETER]\n# ANIMGROUP_END\n";
    EXPECT_EQ(keywordsIn(animationMatcher(), text),
              (std::vector<Keyword>{kw::actionNewGroup, kw::actionAppear, kw::actionDisappear, kw::actionStop,
                                    kw::actionPause, kw::actionPosition, kw::actionMove, kw::actionViewpoint,
                                    kw::actionColor, kw::actionLight, kw::actionAnimRef, kw::actionShapeParameter,
                                    kw::animGroupEnd}));
}

TEST(Matchers, DoNotTakeAMoveTextHeaderForAMoveContainer) {
    EXPECT_EQ(keywordsIn(animationMatcher(), "# [ACTION>>MOVE_TEXT]\n# id 2\n# [END]\n"), std::vector<Keyword>{});
}

TEST(Matchers, FindTheMarkupTagsOfTextsDefinitionsAndRichText) {
    EXPECT_EQ(keywordsIn(textMatcher(), "<kmxTEXT id=\"1\"><kmxLANGUAGE name=\"English\">Hi</kmxLANGUAGE></kmxTEXT>"),
              (std::vector<Keyword>{kw::kmxLanguage, kw::kmxLanguageEnd, kw::kmxTextEnd}));
    EXPECT_EQ(keywordsIn(definitionsMatcher(),
                         "# <kmxCOMPANY_LOGO><ImageData>ff</kmxCOMPANY_LOGO><kmxHIGHESTINDEX 12>"),
              (std::vector<Keyword>{kw::kmxCompanyLogo, kw::ImageData, kw::kmxCompanyLogoEnd, kw::kmxHighestIndex}));
    EXPECT_EQ(keywordsIn(paragraphMatcher(), "<kmxPARAGRAPH align=1>a</kmxPARAGRAPH>"),
              (std::vector<Keyword>{kw::kmxParagraph, kw::kmxParagraphEnd}));
    EXPECT_EQ(keywordsIn(fontMatcher(), "<kmxFONT face=\"Arial\">a</kmxFONT>"),
              (std::vector<Keyword>{kw::kmxFont, kw::kmxFontEnd}));
    EXPECT_EQ(keywordsIn(richTextObjectMatcher(), "<kmxMETA_CIRCLE 1 2 3></kmxMETA_CIRCLE><kmxOLE_OBJECT>"),
              (std::vector<Keyword>{kw::kmxMetaCircle, kw::kmxMetaCircleEnd, kw::kmxOleObject}));
}

TEST(Matchers, HoldTheFieldsTheirReadersAskFor) {
    EXPECT_TRUE(holds(transformMatcher(), kw::scaleOrientation));
    EXPECT_TRUE(holds(transformMatcher(), kw::hashDateSolidworks));
    EXPECT_TRUE(holds(transformMatcher(), kw::height));
    EXPECT_TRUE(holds(extrusionMatcher(), kw::scale));
    EXPECT_TRUE(holds(lightMatcher(), kw::direction));
    EXPECT_TRUE(holds(lightMatcher(), kw::ambientIntensity));
    EXPECT_TRUE(holds(viewpointMatcher(), kw::position));
    EXPECT_TRUE(holds(navigationMatcher(), kw::skyColor));
    EXPECT_TRUE(holds(textureMatcher(), kw::hashEnvMap));
    EXPECT_TRUE(holds(groupMatcher(), kw::name));
    EXPECT_FALSE(holds(headerMatcher(), kw::OpenBrace));
    EXPECT_FALSE(holds(lightMatcher(), kw::point));
}

TEST(Matchers, CanBeFirstUsedFromSeveralThreadsAtOnce) {
    std::atomic<int> found{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&found] {
            if (groupMatcher().scan("x Shape {").keyword == kw::Shape) ++found;
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(found.load(), 4);
}

}  // namespace
}  // namespace kinemo
