#include "animation/text_step.h"

#include <gtest/gtest.h>

#include <map>

#include "animation/stop_pause_steps.h"
#include "animation_test_support.h"
#include "scene/testing/tree_builder.h"

namespace kinemo::testing {
namespace {

class TextStepTest : public AnimationTest {
protected:
    TestScene scene;
    std::map<std::int32_t, std::string> shown;
    void SetUp() override {
        AnimationTest::SetUp();
        setTextShower(
            [this](const TextAnimationObject*, std::int32_t area, const std::string& text) { shown[area] = text; });
    }
    void TearDown() override {
        clearShownTexts();
        setTextShower(nullptr);
        AnimationTest::TearDown();
    }
    TextAnimationObject* text(AnimationGroup& c, const std::string& words, std::int32_t area) {
        auto t = std::make_unique<TextAnimationObject>(nullptr, true);
        t->addTranslation(words, Translator::currentLanguage());
        t->textAreaIndex = area;
        TextAnimationObject* raw = t.get();
        std::unique_ptr<AnimationAtom> a = std::move(t);
        EXPECT_TRUE(c.appendChild(a));
        return raw;
    }
    void stop(AnimationGroup& c) {
        std::unique_ptr<AnimationAtom> a = std::make_unique<StopAnimationObject>();
        c.appendChild(a);
    }
};

TEST_F(TextStepTest, PlayedBackwardATextStepShowsThePreviousTextOfItsOwnPlace) {
    AnimationGroup* c = chapter("c");
    text(*c, "panel one", -1);
    stop(*c);
    text(*c, "area text", 3);
    text(*c, "panel two", -1);
    stop(*c);
    rebuildTimelines(*c);
    setCurrentSection(c);
    EXPECT_EQ(shown[-1], "panel one");
    c->runTo(1e30, true, false, false, KindAll, -1, false);
    EXPECT_EQ(shown[-1], "panel two");
    EXPECT_EQ(shown[3], "area text");
    c->runTo(0, false, false, false, KindAll, -1, false);
    // The panel goes back to its own earlier text, not to the text area's.
    EXPECT_EQ(shown[-1], "panel one");
    // The first text of the area has none before it: it shows its own.
    EXPECT_EQ(shown[3], "area text");
}

TEST_F(TextStepTest, DestroyingTheShownStepClearsItsPlace) {
    AnimationGroup* c = chapter("c");
    TextAnimationObject* t = text(*c, "hello", -1);
    rebuildTimelines(*c);
    setCurrentSection(c);
    c->runChapterToEnd();
    EXPECT_EQ(shownTextStep(-1), t);
    c->removeChild(t);
    EXPECT_EQ(shownTextStep(-1), nullptr);
    EXPECT_EQ(shown[-1], "");
}

}  // namespace
}  // namespace kinemo::testing
