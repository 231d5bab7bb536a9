#include "animation/text_move_step.h"

#include <gtest/gtest.h>

#include <map>

#include "animation_test_support.h"
#include "scene/testing/tree_builder.h"

namespace kinemo::testing {
namespace {

// Text areas as the text-area layer would lend them: saved layouts and the layouts shown now.
class TextMoveStepTest : public AnimationTest {
protected:
    TestScene scene;
    std::map<std::int32_t, TextAreaLayout> saved{{0, {10, 20, 100, 50}}};
    std::map<std::int32_t, TextAreaLayout> shown;
    void SetUp() override {
        AnimationTest::SetUp();
        TextAreaHooks h;
        h.savedLayout = [this](std::int32_t area, TextAreaLayout& out) {
            auto it = saved.find(area);
            if (it == saved.end()) return false;
            out = it->second;
            return true;
        };
        h.setLayout = [this](std::int32_t area, const TextAreaLayout& l) { shown[area] = l; };
        setTextAreaHooks(h);
    }
    void TearDown() override {
        setTextAreaHooks({});
        AnimationTest::TearDown();
    }
    MoveTextObject* moveStep(AnimationGroup& in, std::int32_t area, TextAreaLayout target, double duration) {
        auto m = std::make_unique<MoveTextObject>(nullptr, true);
        m->textAreaIndex = area;
        m->target = target;
        m->setDuration(duration);
        MoveTextObject* raw = m.get();
        std::unique_ptr<AnimationAtom> a = std::move(m);
        EXPECT_TRUE(in.appendChild(a));
        return raw;
    }
};

TEST_F(TextMoveStepTest, AMoveBlendsFromTheSavedLayoutAndTruncatesTheSize) {
    AnimationGroup* c = chapter("c");
    MoveTextObject* m = moveStep(*c, 0, {30, 40, 201, 60}, 2);
    EXPECT_FALSE(m->animate(1, true));
    EXPECT_FLOAT_EQ(shown[0].x, 20);
    EXPECT_FLOAT_EQ(shown[0].y, 30);
    EXPECT_EQ(shown[0].width, 150);  // 150.5 truncated
    EXPECT_EQ(shown[0].height, 55);
    EXPECT_TRUE(m->animate(2.5, true));
    EXPECT_EQ(shown[0].width, 201);
}

TEST_F(TextMoveStepTest, WithoutDurationItJumpsToTheTargetForwardAndToTheStartBackward) {
    AnimationGroup* c = chapter("c");
    MoveTextObject* m = moveStep(*c, 0, {30, 40, 200, 60}, 0);
    EXPECT_TRUE(m->animate(0, true));
    EXPECT_FLOAT_EQ(shown[0].x, 30);
    EXPECT_TRUE(m->animate(0, false));
    EXPECT_FLOAT_EQ(shown[0].x, 10);
    EXPECT_EQ(shown[0].height, 50);
}

TEST_F(TextMoveStepTest, AStepWithoutItsTextAreaFinishesAtOnceAndMovesNothing) {
    AnimationGroup* c = chapter("c");
    MoveTextObject* m = moveStep(*c, 7, {30, 40, 200, 60}, 2);
    EXPECT_TRUE(m->animate(1, true));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(m->getName(), "NULL TextArea");
    setTextAreaHooks({});
    MoveTextObject* other = moveStep(*c, 0, {30, 40, 200, 60}, 2);
    EXPECT_TRUE(other->animate(1, true));
    EXPECT_TRUE(shown.empty());
}

TEST_F(TextMoveStepTest, ASecondMoveOfAnAreaStartsWhereTheFirstEndedAndThePassPutsTheAreaBack) {
    AnimationGroup* c = chapter("c");
    moveStep(*c, 0, {30, 40, 200, 60}, 1);
    MoveTextObject* second = moveStep(*c, 0, {50, 40, 200, 60}, 1);
    rebuildTimelines(*c);
    EXPECT_FLOAT_EQ(shown[0].x, 10);  // saved layout after the preparation pass
    animationState().currentChapter = c;
    c->runTo(1.5, true, true, false, KindAll, -1, false);
    EXPECT_FLOAT_EQ(shown[0].x, 40);
    EXPECT_FALSE(second->animate(second->getRef(), 0.5, false));
    EXPECT_FLOAT_EQ(shown[0].x, 40);
    EXPECT_TRUE(second->animate(second->getRef(), -1, false));
    EXPECT_FLOAT_EQ(shown[0].x, 30);
}

}  // namespace
}  // namespace kinemo::testing
