#include "animation/reverse_steps.h"

#include <gtest/gtest.h>

#include "animation/colour_steps.h"
#include "animation/text_step.h"
#include "animation/viewpoint_step.h"
#include "animation/visibility_steps.h"
#include "animation_test_support.h"
#include "geometry/shape_node.h"
#include "scene/testing/tree_builder.h"
#include "scene/viewpoint.h"

namespace kinemo::testing {
namespace {

class ReverseStepsTest : public AnimationTest {
protected:
    TestScene scene;
    GroupNode* part = nullptr;
    GroupNode* piece = nullptr;
    GroupNode* other = nullptr;
    AnimationGroup* c = nullptr;
    AnimationGroup target{nullptr, false};
    void SetUp() override {
        AnimationTest::SetUp();
        TreeBuilder(*scene.root).group("part").leaf("piece").leaf("piece2").end().leaf("other");
        part = findGroup(*scene.root, "part");
        piece = findGroup(*scene.root, "piece");
        other = findGroup(*scene.root, "other");
        c = chapter("c");
    }
    template <class S>
    S* add(std::unique_ptr<S> s, Node* component) {
        if (component) s->setComponent(component);
        S* raw = s.get();
        std::unique_ptr<AnimationAtom> a = std::move(s);
        EXPECT_TRUE(c->appendChild(a));
        return raw;
    }
    static void play(const StepList& steps) {
        for (const auto& s : steps) s->animate(1.0e30, true);
    }
};

TEST_F(ReverseStepsTest, UndoingADisappearShowsThePartAndHidesAgainWhatWasHiddenBelowIt) {
    add(std::make_unique<DisappearAnimationObject>(nullptr, true), piece);
    add(std::make_unique<DisappearAnimationObject>(nullptr, true), other);
    auto* gone = add(std::make_unique<DisappearAnimationObject>(nullptr, true), part);
    StepList back = gone->createReverseSteps(target);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_NE(dynamic_cast<AppearAnimationObject*>(back[0].get()), nullptr);
    EXPECT_EQ(back[0]->getComponent(), part);
    EXPECT_NE(dynamic_cast<DisappearAnimationObject*>(back[1].get()), nullptr);
    EXPECT_EQ(back[1]->getComponent(), piece);
    EXPECT_EQ(back[1]->parent(), &target);
    part->hide();
    play(back);
    EXPECT_TRUE(part->visible());
    EXPECT_FALSE(piece->visible());
}

TEST_F(ReverseStepsTest, AnEarlierStepOnAnAncestorGivesThePartItsState) {
    add(std::make_unique<DisappearAnimationObject>(nullptr, true), part);
    auto* shown = add(std::make_unique<AppearAnimationObject>(nullptr, true), piece);
    StepList back = shown->createReverseSteps(target);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_NE(dynamic_cast<DisappearAnimationObject*>(back[0].get()), nullptr);
    EXPECT_EQ(back[0]->getComponent(), piece);
}

TEST_F(ReverseStepsTest, AStepWithoutPartOnTheWayGivesNothingAndAWarning) {
    add(std::make_unique<AppearAnimationObject>(nullptr, true), nullptr);
    auto* gone = add(std::make_unique<DisappearAnimationObject>(nullptr, true), part);
    EXPECT_TRUE(gone->createReverseSteps(target).empty());
    EXPECT_TRUE(reported("Warning: No Component associated with Disappear Animation Object"));
}

TEST_F(ReverseStepsTest, UndoingTheFirstColourStepRestoresEveryValueInTheSameTime) {
    ShapeNode* shape = piece->createChild<ShapeNode>(true);
    Material& m = shape->appearance().material();
    m.setBaseTransparency(0.25f);
    auto colour = std::make_unique<ColorAnimationObject>(nullptr, true);
    colour->change.transparency = 0.75f;
    colour->setDuration(2);
    ColorAnimationObject* step = add(std::move(colour), part);
    // A blink before it changes nothing lasting and is passed over.
    add(std::make_unique<BlinkAnimationAtom>(nullptr, true), part);
    step->getRef().getCurrentState();
    step->animate(step->getRef(), 5, true);
    EXPECT_FLOAT_EQ(m.transparency(), 0.75f);
    StepList back = step->createReverseSteps(target);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_DOUBLE_EQ(back[0]->getRunTime(), 2);
    back[0]->getRef().getCurrentState();
    back[0]->animate(back[0]->getRef(), 5, true);
    EXPECT_FLOAT_EQ(m.transparency(), 0.25f);
}

TEST_F(ReverseStepsTest, UndoingATextShowsTheEarlierTextOfTheSamePlace) {
    auto text = [&](const char* words, std::int32_t area) {
        auto t = std::make_unique<TextAnimationObject>(nullptr, true);
        t->addTranslation(words, Translator::currentLanguage());
        t->textAreaIndex = area;
        return add(std::move(t), nullptr);
    };
    text("first", -1);
    text("in an area", 3);
    TextAnimationObject* second = text("second", -1);
    StepList back = second->createReverseSteps(target);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0]->getName(), "first");
    TextAnimationObject* firstInArea = static_cast<TextAnimationObject*>(c->child(1));
    StepList blank = firstInArea->createReverseSteps(target);
    ASSERT_EQ(blank.size(), 1u);
    EXPECT_TRUE(static_cast<TextAnimationObject&>(*blank[0]).texts().empty());
    EXPECT_EQ(static_cast<TextAnimationObject&>(*blank[0]).textAreaIndex, 3);
}

TEST_F(ReverseStepsTest, UndoingAFlightFliesToTheEarlierViewpoint) {
    ViewPoint* front = scene.root->createChild<ViewPoint>();
    ViewPoint* side = scene.root->createChild<ViewPoint>();
    auto flight = [&](ViewPoint* to) {
        auto v = std::make_unique<ViewpointAnimationObject>(nullptr, true);
        v->setViewpoint(to);
        return add(std::move(v), nullptr);
    };
    ViewpointAnimationObject* first = flight(front);
    ViewpointAnimationObject* second = flight(side);
    StepList back = second->createReverseSteps(target);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0]->targetViewpoint(), front);
    EXPECT_EQ(first->createReverseSteps(target).at(0)->targetViewpoint(), front);
}

}  // namespace
}  // namespace kinemo::testing
