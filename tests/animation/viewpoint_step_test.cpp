#include "animation/viewpoint_step.h"

#include <gtest/gtest.h>

#include "animation/stop_pause_steps.h"
#include "animation_test_support.h"
#include "scene/testing/tree_builder.h"
#include "scene/viewpoint.h"

namespace kinemo::testing {
namespace {

class ViewpointStepTest : public AnimationTest {
protected:
    TestScene scene;
    ViewPoint* one = nullptr;
    ViewPoint* two = nullptr;
    void SetUp() override {
        AnimationTest::SetUp();
        clearViewpoints();
        one = place(0, 0, 10);
        two = place(10, 0, 10);
    }
    void TearDown() override {
        setCurrentViewpoint(nullptr);
        clearViewpoints();
        AnimationTest::TearDown();
    }
    ViewPoint* place(float x, float y, float z) {
        ViewPoint* v = scene.root->createChild<ViewPoint>();
        v->initialTransform.setTranslation(x, y, z);
        v->currentTransform.setTranslation(x, y, z);
        registerViewpoint(*v);
        return v;
    }
    ViewpointAnimationObject* flight(AnimationGroup& c, ViewPoint* to, double seconds) {
        auto f = std::make_unique<ViewpointAnimationObject>(nullptr, true);
        f->setViewpoint(to);
        f->setDuration(seconds);
        ViewpointAnimationObject* raw = f.get();
        std::unique_ptr<AnimationAtom> a = std::move(f);
        EXPECT_TRUE(c.appendChild(a));
        return raw;
    }
};

TEST_F(ViewpointStepTest, AFlightMovesTheCameraFromThePreviousViewpointToItsOwn) {
    AnimationGroup* c = chapter("c");
    flight(*c, one, 0);
    std::unique_ptr<AnimationAtom> s = std::make_unique<StopAnimationObject>();
    c->appendChild(s);
    flight(*c, two, 2);
    rebuildTimelines(*c);
    setCurrentSection(c);
    // The first flight has no previous viewpoint: the camera stands on its own pose at once.
    EXPECT_EQ(currentViewpoint(), one);
    EXPECT_FLOAT_EQ(one->currentTransform.translation()[0], 0);
    c->runTo(1.0001, true, true, false, KindAll, -1, false);
    EXPECT_EQ(currentViewpoint(), two);
    EXPECT_NEAR(two->currentTransform.translation()[0], 5, 1e-3);
    c->runTo(1e30, true, true, false, KindAll, -1, false);
    EXPECT_NEAR(two->currentTransform.translation()[0], 10, 1e-4);
    // Backward the camera is the previous viewpoint, flying back.
    c->runTo(1.0001, false, true, false, KindAll, -1, false);
    EXPECT_EQ(currentViewpoint(), one);
    EXPECT_NEAR(one->currentTransform.translation()[0], 5, 1e-3);
}

TEST_F(ViewpointStepTest, ADurationFromOutsideIsFiniteAndNotNegative) {
    ViewpointAnimationObject f;
    f.setDuration(-3);
    EXPECT_EQ(f.getRunTime(), 0);
    f.setDuration(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(f.getRunTime(), 0);
}

TEST_F(ViewpointStepTest, RemovingOneOfTwoStepsSharingAViewpointLeavesItInTheScene) {
    AnimationGroup* c = chapter("c");
    ViewpointAnimationObject* a = flight(*c, one, 1);
    flight(*c, one, 1);
    std::unique_ptr<AnimationAtom> taken = c->removeChild(a);
    EXPECT_EQ(one->parent(), scene.root);
    // The last step going takes the viewpoint out, and brings it back when it returns.
    ViewpointAnimationObject* b = static_cast<ViewpointAnimationObject*>(c->child(0));
    std::unique_ptr<AnimationAtom> second = c->removeChild(b);
    EXPECT_EQ(one->parent(), nullptr);
    EXPECT_TRUE(c->appendChild(second));
    EXPECT_EQ(one->parent(), scene.root);
}


TEST_F(ViewpointStepTest, AFlightFromAViewpointOnAMovedPartStartsWhereThatViewpointIsInTheScene) {
    TreeBuilder(*scene.root).group("carrier").translate(100, 0, 0).end();
    GroupNode* carrier = findGroup(*scene.root, "carrier");
    ViewPoint* onPart = carrier->createChild<ViewPoint>();
    onPart->initialTransform.setTranslation(0, 0, 10);
    onPart->currentTransform.setTranslation(0, 0, 10);
    registerViewpoint(*onPart);
    AnimationGroup* c = chapter("c");
    flight(*c, onPart, 0);
    std::unique_ptr<AnimationAtom> s = std::make_unique<StopAnimationObject>();
    c->appendChild(s);
    flight(*c, one, 2);
    rebuildTimelines(*c);
    setCurrentSection(c);
    c->runTo(0.0002, true, true, false, KindAll, -1, false);
    EXPECT_EQ(currentViewpoint(), one);
    // At the start of the flight the camera stands where the part's viewpoint is: x = 100.
    EXPECT_NEAR(one->currentTransform.translation()[0], 100, 0.01);
    c->runTo(1.0001, true, true, false, KindAll, -1, false);
    EXPECT_NEAR(one->currentTransform.translation()[0], 50, 1e-3);
    EXPECT_NEAR(onPart->currentTransform.translation()[0], 0, 1e-6);
}

}  // namespace
}  // namespace kinemo::testing
