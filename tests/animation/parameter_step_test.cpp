#include "animation/parameter_step.h"

#include <gtest/gtest.h>

#include <string>

#include "animation/stop_pause_steps.h"
#include "animation_test_support.h"
#include "geometry/face_object.h"
#include "geometry/shape_node.h"
#include "scene/reading_state.h"
#include "scene/testing/tree_builder.h"

namespace kinemo::testing {
namespace {

class ParameterStepTest : public AnimationTest {
protected:
    TestScene scene;
    GroupNode* part = nullptr;
    FaceObject* outer = nullptr;
    FaceObject* inner = nullptr;
    void SetUp() override {
        AnimationTest::SetUp();
        TreeBuilder(*scene.root).group("part").leaf("piece").end();
        part = findGroup(*scene.root, "part");
        outer = geometryUnder(*part);
        inner = geometryUnder(*findGroup(*scene.root, "piece"));
    }
    static FaceObject* geometryUnder(GroupNode& g) {
        ShapeNode* s = g.createChild<ShapeNode>(true);
        auto f = std::make_unique<FaceObject>();
        FaceObject* raw = f.get();
        s->setGeometry(std::move(f));
        return raw;
    }
    ParameterAnimationAtom* parameterStep(AnimationGroup& in, float start, float end, double duration) {
        auto p = std::make_unique<ParameterAnimationAtom>(nullptr, true);
        p->setComponent(part);
        p->startValue = start;
        p->endValue = end;
        p->setDuration(duration);
        ParameterAnimationAtom* raw = p.get();
        std::unique_ptr<AnimationAtom> a = std::move(p);
        EXPECT_TRUE(in.appendChild(a));
        return raw;
    }
};

TEST_F(ParameterStepTest, EveryGeometryBelowThePartFollowsTheStepFromStartToEnd) {
    AnimationGroup* c = chapter("c");
    ParameterAnimationAtom* p = parameterStep(*c, 0, 10, 2);
    EXPECT_FALSE(p->animate(1, true));
    EXPECT_FLOAT_EQ(outer->lineLengthLimit(), 5);
    EXPECT_FLOAT_EQ(inner->lineLengthLimit(), 5);
    EXPECT_TRUE(p->animate(3, true));
    EXPECT_FLOAT_EQ(inner->lineLengthLimit(), 10);
    EXPECT_FALSE(p->animate(0.5, false));
    EXPECT_FLOAT_EQ(inner->lineLengthLimit(), 2.5);
    EXPECT_TRUE(p->animate(-1, false));
    EXPECT_FLOAT_EQ(outer->lineLengthLimit(), 0);
}

TEST_F(ParameterStepTest, AStepWithoutDurationSetsTheStartValueAtOnce) {
    AnimationGroup* c = chapter("c");
    ParameterAnimationAtom* p = parameterStep(*c, 3, 7, 0);
    EXPECT_TRUE(p->animate(100, true));
    EXPECT_FLOAT_EQ(outer->lineLengthLimit(), 3);
}

TEST_F(ParameterStepTest, ThePreparationPassPutsBackTheParametersItPlayedThrough) {
    AnimationGroup* c = chapter("c");
    parameterStep(*c, 2, 8, 1);
    rebuildTimelines(*c);
    // No step had set the parameter before: it shows the first step's start value.
    EXPECT_FLOAT_EQ(outer->lineLengthLimit(), 2);
    animationState().currentChapter = c;
    c->runChapterToEnd();
    EXPECT_FLOAT_EQ(outer->lineLengthLimit(), 8);
    rebuildTimelines(*c);
    EXPECT_FLOAT_EQ(outer->lineLengthLimit(), 8);
}

TEST_F(ParameterStepTest, ABlockWithoutIdIsReportedAndKeepsItsOtherKeys) {
    readingState().fileVersion = 8.09f;
    ParameterAnimationAtom p;
    const std::string block = "\n# startValue 0.5\n# parameterIndex 2\n# duration 1e400\n# [ACTION>>STOP]\n";
    p.readFromText(block.c_str());
    EXPECT_TRUE(reported("Parsing Error!"));
    EXPECT_EQ(p.getComponent(), nullptr);
    EXPECT_FLOAT_EQ(p.startValue, 0.5f);
    EXPECT_FLOAT_EQ(p.endValue, 1.0f);
    EXPECT_EQ(p.parameterIndex, 2);
    EXPECT_EQ(p.duration(), 1.0);  // a number too large for a double is no number: the default
    EXPECT_EQ(p.getName(), "No Object!");
}


TEST_F(ParameterStepTest, PlayedBackPastItsStartAStepGivesBackTheValueAnEarlierStepLeft) {
    AnimationGroup* c = chapter("c");
    parameterStep(*c, 0, 4, 1);
    std::unique_ptr<AnimationAtom> stop = std::make_unique<StopAnimationObject>();
    ASSERT_TRUE(c->appendChild(stop));
    parameterStep(*c, 6, 9, 1);
    rebuildTimelines(*c);
    animationState().currentChapter = c;
    c->runChapterToEnd();
    EXPECT_FLOAT_EQ(outer->lineLengthLimit(), 9);
    c->runTo(0, false, true, false, KindAll, -1, false);
    EXPECT_FLOAT_EQ(outer->lineLengthLimit(), 4);
}

}  // namespace
}  // namespace kinemo::testing
