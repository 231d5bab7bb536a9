#include "animation/colour_steps.h"

#include <gtest/gtest.h>

#include "animation_test_support.h"
#include "geometry/shape_node.h"
#include "scene/testing/tree_builder.h"

namespace kinemo::testing {
namespace {

class ColourStepTest : public AnimationTest {
protected:
    TestScene scene;
    GroupNode* part = nullptr;
    ShapeNode* shape = nullptr;
    void SetUp() override {
        AnimationTest::SetUp();
        TreeBuilder(*scene.root).leaf("part");
        part = findGroup(*scene.root, "part");
        shape = part->createChild<ShapeNode>(true);
    }
    float transparency() { return shape->appearance().material().transparency(); }
};

TEST_F(ColourStepTest, AColourStepBlendsHalfWayAtHalfItsDuration) {
    ColorAnimationObject c;
    c.setComponent(part);
    c.change.transparency = 0.8f;
    c.setDuration(2);
    c.getRef().getCurrentState();
    EXPECT_FALSE(c.animate(c.getRef(), 1, true));
    EXPECT_NEAR(transparency(), 0.4f, 1e-5);
    EXPECT_TRUE(c.animate(c.getRef(), 3, true));
    EXPECT_NEAR(transparency(), 0.8f, 1e-5);
    EXPECT_TRUE(c.animate(c.getRef(), -1, false));
    EXPECT_NEAR(transparency(), 0, 1e-5);
}

TEST_F(ColourStepTest, AnInstantColourStepAppliesForwardAndRestoresBackward) {
    ColorAnimationObject c;
    c.setComponent(part);
    c.change.transparency = 0.5f;
    c.getRef().getCurrentState();
    EXPECT_TRUE(c.animate(c.getRef(), 0, true));
    EXPECT_NEAR(transparency(), 0.5f, 1e-5);
    EXPECT_TRUE(c.animate(c.getRef(), 0, false));
    EXPECT_NEAR(transparency(), 0, 1e-5);
}

TEST_F(ColourStepTest, ABlinkAlternatesAndEndsWithTheStartLook) {
    BlinkAnimationAtom b;
    b.setComponent(part);
    b.change.transparency = 0.5f;
    b.getRef().getCurrentState();
    EXPECT_DOUBLE_EQ(b.getRunTime(), 5);
    EXPECT_FALSE(b.animate(b.getRef(), 0.25, true));
    EXPECT_NEAR(transparency(), 0.5f, 1e-5);
    EXPECT_FALSE(b.animate(b.getRef(), 0.75, true));
    EXPECT_NEAR(transparency(), 0, 1e-5);
    EXPECT_FALSE(b.animate(b.getRef(), 1.25, true));
    EXPECT_TRUE(b.animate(b.getRef(), 5.1, true));
    EXPECT_NEAR(transparency(), 0, 1e-5);
}

TEST_F(ColourStepTest, ABlinkPlayedBackwardOrWithoutPeriodRestoresAndFinishes) {
    BlinkAnimationAtom b;
    b.setComponent(part);
    b.change.transparency = 0.5f;
    b.getRef().getCurrentState();
    b.animate(b.getRef(), 0.25, true);
    EXPECT_TRUE(b.animate(b.getRef(), 2.25, false));
    EXPECT_NEAR(transparency(), 0, 1e-5);
    b.onDuration = 0;
    b.offDuration = 0;
    EXPECT_TRUE(b.animate(b.getRef(), 0, true));
}

}  // namespace
}  // namespace kinemo::testing
