#include "animation/move_animation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "animation/motion_data.h"
#include "core/definitions.h"
#include "animation_test_support.h"
#include "scene/testing/tree_builder.h"

namespace kinemo::testing {
namespace {

class MoveAnimationTest : public AnimationTest {
protected:
    TestScene scene;
    GroupNode* part = nullptr;
    void SetUp() override {
        AnimationTest::SetUp();
        TreeBuilder(*scene.root).leaf("part");
        part = findGroup(*scene.root, "part");
    }
    template <class M>
    M* prepared(std::unique_ptr<M>& m) {
        m->setComponent(part);
        m->getRef().getCurrentState();
        return m.get();
    }
    const float* t() const { return part->currentTransform.translation(); }
};

TEST_F(MoveAnimationTest, ATranslationRunsAlongThePartsOwnAxesAtItsSpeed) {
    part->currentTransform.setRotation(1, 0, 0, float(3.14159265358979 / 2));  // local z is world -y
    auto m = std::make_unique<TranslationAnimationObject>();
    m->displ = {0, 0, 100};
    prepared(m);
    EXPECT_DOUBLE_EQ(m->getRunTime(), 2.0);
    EXPECT_FALSE(m->animate(m->getRef(), 1.0, true));
    EXPECT_NEAR(t()[0], 0, 1e-3);
    EXPECT_NEAR(t()[1], -50, 1e-3);
    EXPECT_NEAR(t()[2], 0, 1e-3);
    EXPECT_TRUE(m->animate(m->getRef(), 2.5, true));
    EXPECT_NEAR(t()[1], -100, 1e-3);
}

TEST_F(MoveAnimationTest, ARotationKeepsItsPivotInPlace) {
    auto m = std::make_unique<RotationAnimationObject>();
    m->center = {1, 0, 0};
    m->rot = {0, 0, 1, 3.14159265f};
    prepared(m);
    m->setToEnd(m->getRef());
    // The origin of the part turns half about (1, 0, 0): it ends at (2, 0, 0).
    EXPECT_NEAR(t()[0], 2, 1e-4);
    EXPECT_NEAR(t()[1], 0, 1e-4);
    m->setToStart(m->getRef());
    EXPECT_NEAR(t()[0], 0, 1e-4);
}

TEST_F(MoveAnimationTest, AScalingKeepsItsCentreInPlace) {
    auto m = std::make_unique<ScaleAnimationObject>();
    m->center = {1, 0, 0};
    m->factor = {2, 2, 2};
    prepared(m);
    m->setToEnd(m->getRef());
    EXPECT_FLOAT_EQ(part->currentTransform.scale()[0], 2);
    // x' = t + s * x must keep x = 1 fixed: t = -1.
    EXPECT_NEAR(t()[0], -1, 1e-5);
}

TEST_F(MoveAnimationTest, InvertingAScalingTakesReciprocalsAndResetsAZeroFactorWithAWarning) {
    ScaleAnimationObject s;
    s.factor = {2, 0.5f, 1};
    s.invert();
    EXPECT_FLOAT_EQ(s.factor[0], 0.5f);
    EXPECT_FLOAT_EQ(s.factor[1], 2);
    s.factor = {0, 1, 1};
    s.invert();
    EXPECT_FLOAT_EQ(s.factor[0], 1);
    EXPECT_TRUE(reported("Inverted scale factor of value below smallest allowed boundary has been set to 1."));
}

TEST_F(MoveAnimationTest, DurationGuardsForZeroAndInstantSpeeds) {
    TranslationAnimationObject m;
    m.displ = {0, 0, 10};
    m.speed = 0;
    EXPECT_DOUBLE_EQ(m.getRunTime(), 1e-6);
    m.speed = 1e-12f;
    EXPECT_DOUBLE_EQ(m.getRunTime(), 1e-6);  // 1e13 s would be above the limit
    ScaleAnimationObject s;
    s.factor = {2, 1, 1};
    s.speed = 1e-12f;
    EXPECT_DOUBLE_EQ(s.getRunTime(), 1e6);
    RotationAnimationObject r;
    EXPECT_DOUBLE_EQ(r.getRunTime(), 0);
}

TEST_F(MoveAnimationTest, AnInstantMotionReachesItsEndAtTheFirstForwardFrame) {
    auto m = std::make_unique<TranslationAnimationObject>();
    m->displ = {4, 0, 0};
    prepared(m);
    m->makeInstantaneous();
    EXPECT_TRUE(m->animate(m->getRef(), 0, true));
    EXPECT_NEAR(t()[0], 4, 1e-5);
    EXPECT_TRUE(m->animate(m->getRef(), 0, false));
    EXPECT_NEAR(t()[0], 0, 1e-5);
}

TEST_F(MoveAnimationTest, ReverseStepsPlayTheMovesBackwardInReverseOrder) {
    MoveAnimationObject c;
    auto a = std::make_unique<TranslationAnimationObject>();
    a->displ = {1, 2, 3};
    c.appendMove(std::move(a));
    auto r = std::make_unique<RotationAnimationObject>();
    r->rot = {0, 1, 0, 0.5f};
    c.appendMove(std::move(r));
    c.setComponent(part);
    AnimationGroup chapter(nullptr, false);
    StepList back = c.createReverseSteps(chapter);
    ASSERT_EQ(back.size(), 1u);
    auto* b = dynamic_cast<MoveAnimationObject*>(back[0].get());
    ASSERT_TRUE(b);
    ASSERT_EQ(b->moveCount(), 2u);
    EXPECT_FLOAT_EQ(dynamic_cast<RotationAnimationObject*>(b->move(0))->rot[3], -0.5f);
    EXPECT_FLOAT_EQ(dynamic_cast<TranslationAnimationObject*>(b->move(1))->displ[2], -3);
    EXPECT_EQ(b->getComponent(), part);
    EXPECT_DOUBLE_EQ(MoveAnimationObject().getRunTime(), 1.0);
}

TEST_F(MoveAnimationTest, AContainerTakesOnlyGroupNodes) {
    MoveAnimationObject c;
    EXPECT_FALSE(c.setComponent(nullptr));
    EXPECT_TRUE(c.setComponent(part));
}

TEST_F(MoveAnimationTest, MotionDataEndAtARowWhoseTimeDoesNotIncrease) {
    auto m = importMotionData("center 0 0 0\njump local all\n0 1 0 0 0 0 1 0\n0 2 0 0 0 0 1 0\n1 3 0 0 0 0 1 0\n",
                              "data.txt", part);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->times.size(), 1u);
    EXPECT_TRUE(reported("Data error: time does not increase monotonically for row 2"));
}

TEST_F(MoveAnimationTest, MotionDataRefuseNonNumbersAndNonFiniteValuesWithoutLosingEarlierRows) {
    auto m = importMotionData(
        "defaultcenter nojump global all\n0 1 1 1 0 0 1 0\n1 2 1 1 0 0 1 0\nabc\n2 3 1 1 0 0 1 0\n", "data.txt", part);
    ASSERT_TRUE(m);
    ASSERT_EQ(m->times.size(), 2u);
    EXPECT_TRUE(m->global);
    EXPECT_FLOAT_EQ(m->translations[1][0], 1);  // relative to the first row
    EXPECT_FLOAT_EQ(m->translations[0][0], 0);
    auto inf = importMotionData("defaultcenter jump local x 2\n0 1\n1 inf\n", "d", part);
    ASSERT_TRUE(inf);
    EXPECT_EQ(inf->times.size(), 1u);
}

TEST_F(MoveAnimationTest, MotionDataHeaderErrorsNameTheFile) {
    EXPECT_FALSE(importMotionData("middle 0 0 0", "f.txt", part));
    EXPECT_TRUE(
        reported("Error: found 'middle' instead of 'defaultcenter' or 'center' on first line of file in f.txt"));
    EXPECT_FALSE(importMotionData("center 0 0", "f.txt", part));
    EXPECT_TRUE(reported("No center data (or empty first line) found in f.txt"));
    EXPECT_FALSE(importMotionData("defaultcenter hop", "f.txt", part));
    EXPECT_FALSE(importMotionData("defaultcenter jump local q 1", "f.txt", part));
    EXPECT_FALSE(importMotionData("defaultcenter jump local all\n\n", "f.txt", part));
    EXPECT_TRUE(reported("No data (or empty lines) found in f.txt"));
    EXPECT_FALSE(importMotionDataFile("/nonexistent/motion.txt", part));
    EXPECT_TRUE(reported("Could not open text file /nonexistent/motion.txt"));
}

TEST_F(MoveAnimationTest, OneSampleIsAConstantPoseAndItsRunTimeIsGuarded) {
    auto m = importMotionData("defaultcenter jump local all\n0 5 0 0 0 0 1 0\n", "d", part);
    ASSERT_TRUE(m);
    EXPECT_DOUBLE_EQ(m->getRunTime(), 0);
    EXPECT_TRUE(m->animate(m->getRef(), 0, true));
    EXPECT_NEAR(t()[0], 5, 1e-5);
}

TEST_F(MoveAnimationTest, ADataMotionInterpolatesBetweenSamplesAtItsSpeed) {
    auto m = importMotionData("defaultcenter jump local z 2\n0 0\n2 10\n", "d", part);
    ASSERT_TRUE(m);
    m->speed = 2;  // 1 s of step time covers the 2 s of data
    EXPECT_DOUBLE_EQ(m->getRunTime(), 1);
    m->animate(m->getRef(), 0.5, true);
    EXPECT_NEAR(t()[2], 5, 1e-4);
}

TEST_F(MoveAnimationTest, SampleListsOfDifferentLengthsAreCutToTheShortest) {
    ComplexMoveAnimationObject m;
    m.readBlock(
        BlockText(std::string_view("\n#   speed 1.0\n#   center (0, 0, 0)\n#   times [0 1 2]\n"
                                   "#   translations [0 0 0 1 1 1]\n#   rotations [0 0 1 0 0 0 1 0 0 0 1 0]\n")));
    EXPECT_EQ(m.times.size(), 2u);
    EXPECT_EQ(m.rotations.size(), 2u);
}


TEST_F(MoveAnimationTest, AnOldScalingSpeedIsConvertedOnceWhenItsStartIsFirstCaptured) {
    auto m = std::make_unique<ScaleAnimationObject>();
    m->factor = {2, 1, 1};
    m->speed = 1;
    m->speedAdjusted = false;
    m->setComponent(part);
    const double oldTime = 1.0 / 1;  // the scale change of 1 at speed 1
    m->getRef().getCurrentState();
    EXPECT_TRUE(m->speedAdjusted);
    EXPECT_NEAR(m->getRunTime(), oldTime, 1e-6);
    const float speed = m->speed;
    m->getRef().getCurrentState();
    EXPECT_EQ(m->speed, speed);
}


class AlignClonesTest : public MoveAnimationTest {
protected:
    GroupNode* turned = nullptr;
    void SetUp() override {
        MoveAnimationTest::SetUp();
        TreeBuilder(*scene.root).group("turned").rotate(0, 0, 1, float(3.14159265358979 / 2)).end();
        turned = findGroup(*scene.root, "turned");
    }
    void TearDown() override {
        preferencesFile().setFloat("AlignClonesGlobally", 0);
        MoveAnimationTest::TearDown();
    }
};

TEST_F(AlignClonesTest, WithTheSettingACopiedMotionMovesTheNewPartTheSameWayInTheScene) {
    preferencesFile().setFloat("AlignClonesGlobally", 1);
    auto container = std::make_unique<MoveAnimationObject>();
    auto t = std::make_unique<TranslationAnimationObject>();
    t->displ = {10, 0, 0};
    auto r = std::make_unique<RotationAnimationObject>();
    r->rot = {1, 0, 0, 0.5f};
    container->appendMove(std::move(t));
    container->appendMove(std::move(r));
    ASSERT_TRUE(container->setComponent(part));
    ASSERT_TRUE(container->setComponent(turned));
    // The part's x is the turned part's -y.
    auto* moved = dynamic_cast<TranslationAnimationObject*>(container->move(0));
    EXPECT_NEAR(moved->displ[0], 0, 1e-4);
    EXPECT_NEAR(moved->displ[1], -10, 1e-4);
    auto* spun = dynamic_cast<RotationAnimationObject*>(container->move(1));
    EXPECT_NEAR(spun->rot[1], -1, 1e-4);
    EXPECT_FLOAT_EQ(spun->rot[3], 0.5f);
    EXPECT_FALSE(container->move(0)->setComponent(nullptr));
    EXPECT_TRUE(reported("Some nodes are undefined"));
}

TEST_F(AlignClonesTest, WithoutTheSettingTheMotionKeepsItsOwnNumbers) {
    auto t = std::make_unique<TranslationAnimationObject>();
    t->displ = {10, 0, 0};
    t->setComponent(part);
    t->setComponent(turned);
    EXPECT_FLOAT_EQ(t->displ[0], 10);
    EXPECT_FALSE(t->setComponent(nullptr));
    EXPECT_FALSE(reported("Some nodes are undefined"));
}

}  // namespace
}  // namespace kinemo::testing
