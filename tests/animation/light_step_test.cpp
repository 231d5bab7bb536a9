#include "animation/light_step.h"

#include <gtest/gtest.h>

#include <string>

#include "animation/stop_pause_steps.h"
#include "animation_test_support.h"
#include "scene/light.h"
#include "scene/testing/tree_builder.h"

namespace kinemo::testing {
namespace {

class LightStepTest : public AnimationTest {
protected:
    TestScene scene;
    void TearDown() override {
        makeCurrent(nullptr);
        AnimationTest::TearDown();
    }
    LightAnimationObject* lightStep(AnimationGroup& in, float intensity) {
        auto l = std::make_unique<LightAnimationObject>(nullptr, true);
        l->light().intensity = intensity;
        LightAnimationObject* raw = l.get();
        std::unique_ptr<AnimationAtom> a = std::move(l);
        EXPECT_TRUE(in.appendChild(a));
        return raw;
    }
};

TEST_F(LightStepTest, ForwardItsLightIsCurrentBackwardTheLightBeforeIt) {
    AnimationGroup* c = chapter("c");
    LightAnimationObject* first = lightStep(*c, 0.5f);
    std::unique_ptr<AnimationAtom> stop = std::make_unique<StopAnimationObject>();
    ASSERT_TRUE(c->appendChild(stop));
    LightAnimationObject* second = lightStep(*c, 0.9f);
    rebuildTimelines(*c);
    // The preparation pass leaves the light as it found it.
    EXPECT_EQ(currentLight(), nullptr);
    animationState().currentChapter = c;
    c->runChapterToEnd();
    EXPECT_EQ(currentLight(), &second->light());
    c->runTo(0, false, false, false, KindAll, -1, false);
    EXPECT_EQ(currentLight(), &first->light());
    // The first light step of a chapter played backward leaves no light of its own.
    EXPECT_TRUE(first->animate(first->getRef(), 0, false));
    EXPECT_EQ(currentLight(), nullptr);
}

TEST_F(LightStepTest, ADeletedStepTakesItsCurrentLightAlong) {
    auto l = std::make_unique<LightAnimationObject>(nullptr, true);
    l->animate(0, true);
    EXPECT_EQ(currentLight(), &l->light());
    l.reset();
    EXPECT_EQ(currentLight(), nullptr);
}

TEST_F(LightStepTest, TheBlockIsTheLightsOwnTextAndReadsBack) {
    LightAnimationObject l;
    l.light().ambient = 0.25f;
    l.light().intensity = 0.75f;
    l.light().direction[1] = 1;
    std::string out;
    l.writeBlock(out);
    EXPECT_EQ(out, "\n# [ACTION>>LIGHT]\n# ambient 0.250000 \n# intensity 0.750000 \n# direction (0.000, 1.000, -1.000)\n");
    LightAnimationObject back;
    back.readFromText(out.c_str() + std::string("\n# [ACTION>>LIGHT]").size());
    EXPECT_FLOAT_EQ(back.light().ambient, 0.25f);
    EXPECT_FLOAT_EQ(back.light().intensity, 0.75f);
    EXPECT_FLOAT_EQ(back.light().direction[1], 1.0f);
}

}  // namespace
}  // namespace kinemo::testing
