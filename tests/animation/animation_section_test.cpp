#include "animation/animation_section.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "animation/animation_group_ref.h"
#include "animation/colour_steps.h"
#include "animation/move_animation.h"
#include "animation/stop_pause_steps.h"
#include "animation/text_step.h"
#include "animation/visibility_steps.h"
#include "animation_test_support.h"
#include "scene/reading_state.h"
#include "scene/testing/tree_builder.h"
#include "text/translator.h"

namespace kinemo::testing {
namespace {

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(KINEMO_TEST_DATA) + "/animation/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class AnimationSectionTest : public AnimationTest {
protected:
    TestScene scene;
    void SetUp() override {
        AnimationTest::SetUp();
        TreeBuilder(*scene.root).leaf("A").leaf("B").leaf("C");
    }
    void read(const std::string& blocks, float version = 8.09f) {
        readingState().fileVersion = version;
        const std::string text = "\n\n# ANIMATIONS\n" + blocks;
        readAnimations(text.data(), text.data() + text.size());
    }
    void reread(const std::string& blocks, float version = 8.09f) {
        resetRootChapter();
        read(blocks, version);
    }
};

TEST_F(AnimationSectionTest, EveryStepKindSurvivesASaveAndAReloadByteForByte) {
    const std::string golden = fixture("all_kinds.txt");
    ASSERT_FALSE(golden.empty());
    read(golden);
    EXPECT_EQ(animationBlocks(), golden);
    const std::string first = animationBlocks();
    reread(first);
    EXPECT_EQ(animationBlocks(), first);
}

TEST_F(AnimationSectionTest, ReadingBuildsTheChapterTreeAndMakesTheFirstListedChapterCurrent) {
    read(fixture("all_kinds.txt"));
    const std::vector<AnimationGroup*>& list = chapterList();
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(animationState().currentChapter, list[0]);
    EXPECT_EQ(list[0]->getName(), "Opening");
    AnimationGroup* opening = list[0];
    ASSERT_GE(opening->childCount(), 3u);
    EXPECT_NE(dynamic_cast<AppearAnimationObject*>(opening->child(0)), nullptr);
    EXPECT_EQ(opening->child(0)->getComponent(), findGroup(*scene.root, "A"));
}

TEST_F(AnimationSectionTest, AColourBlockWithoutDurationDoesNotTakeTheNextBlocksDuration) {
    read(
        "\n\n# [ACTION>>NEWGROUP]\n# DisplayInChapter true\n\n# <kmxTEXT id = \"1\">\n# </kmxTEXT>\n# [END]\n"
        "\n# [ACTION>>COLOR]\n# id 2\n# dowait true\n# transparency  0.500\n# colorDirection  1.000  0.000  0.000\n"
        "\n# [ACTION>>VIEWPOINT]\n# index 0\n# duration  3.00\n"
        "\n# ANIMGROUP_END\n");
    ASSERT_EQ(chapterList().size(), 1u);
    AnimationGroup* c = chapterList()[0];
    ASSERT_EQ(c->childCount(), 2u);
    EXPECT_DOUBLE_EQ(c->child(0)->getRunTime(), 0);
    EXPECT_DOUBLE_EQ(c->child(1)->getRunTime(), 3);
}

TEST_F(AnimationSectionTest, OlderFilesPutEveryChapterAtTheTopEvenWithoutGroupEnds) {
    read(
        "\n\n# [ACTION>>NEWGROUP]\n# <kmxTEXT id = \"1\">\n# </kmxTEXT>\n# [END]\n# [ACTION>>STOP]\n"
        "\n\n# [ACTION>>NEWGROUP]\n# <kmxTEXT id = \"2\">\n# </kmxTEXT>\n# [END]\n# [ACTION>>STOP]\n",
        6.0f);
    EXPECT_EQ(rootChapter().childCount(), 2u);
    EXPECT_EQ(chapterList().size(), 2u);
}

TEST_F(AnimationSectionTest, AStepOutsideAnyChapterGoesIntoANewChapterNotTheRoot) {
    read("\n# [ACTION>>STOP]\n");
    ASSERT_EQ(rootChapter().childCount(), 1u);
    EXPECT_NE(rootChapter().child(0)->asAnimationGroup(), nullptr);
    EXPECT_TRUE(reported("outside any chapter"));
}

TEST_F(AnimationSectionTest, AppearNamingNoNodeIsDroppedAndAGroupEndAtTheRootIsReported) {
    read(
        "\n\n# [ACTION>>NEWGROUP]\n# <kmxTEXT id = \"1\">\n# </kmxTEXT>\n# [END]\n"
        "\n# [ACTION>>APPEAR]\n# id 999999\n\n# [ACTION>>DISAPPEAR]\n# id -5\n"
        "\n# ANIMGROUP_END\n\n# ANIMGROUP_END\n");
    EXPECT_TRUE(reported("invalid node referenced by APPEAR"));
    EXPECT_TRUE(reported("invalid node referenced by DISAPPEAR"));
    EXPECT_TRUE(reported("Unexpected animation group end"));
    EXPECT_EQ(chapterList().size(), 0u);
}

TEST_F(AnimationSectionTest, AMoveWhoseNodeIsMissingKeepsItsMovesAndWritesNoStaleId) {
    read(
        "\n\n# [ACTION>>NEWGROUP]\n# <kmxTEXT id = \"1\">\n# </kmxTEXT>\n# [END]\n"
        "\n# [ACTION>>MOVE]\n# id 77\n# dowait true\n#\n#   [STEP>>TRANS]\n#   speed 1.000000\n"
        "#   displ (0.000, 0.000, 5.000)\n#\n# [END]\n\n# ANIMGROUP_END\n");
    EXPECT_TRUE(reported("MoveAnimationObject has invalid GroupNode"));
    const std::string out = animationBlocks();
    EXPECT_NE(out.find("# id -1"), std::string::npos);
    EXPECT_NE(out.find("[STEP>>TRANS]"), std::string::npos);
}

TEST_F(AnimationSectionTest, AMoveBlockIsNotTakenForATextAreaMove) {
    read(
        "\n\n# [ACTION>>NEWGROUP]\n# <kmxTEXT id = \"1\">\n# </kmxTEXT>\n# [END]\n"
        "\n# [ACTION>>MOVE_TEXT]\n# index 0\n# posX 1.000000\n# posY 2.000000\n# sizeX 3\n# sizeY 4\n"
        "# duration  2.00\n\n# ANIMGROUP_END\n");
    ASSERT_EQ(chapterList().size(), 1u);
    AnimationGroup* c = chapterList()[0];
    ASSERT_EQ(c->childCount(), 1u);
    EXPECT_EQ(dynamic_cast<MoveAnimationObject*>(c->child(0)), nullptr);
    EXPECT_DOUBLE_EQ(c->child(0)->getRunTime(), 2);
}

TEST_F(AnimationSectionTest, MotionValuesKeepThreeDecimals) {
    read(
        "\n\n# [ACTION>>NEWGROUP]\n# <kmxTEXT id = \"1\">\n# </kmxTEXT>\n# [END]\n"
        "\n# [ACTION>>MOVE]\n# id 2\n# dowait true\n#\n#   [STEP>>ROT]\n#   speed 1.000000\n"
        "#   center (0.000, 0.000, 0.000)\n#   rot (0.000, 0.000, 1.000, 1.23456)\n# [END]\n\n# ANIMGROUP_END\n");
    const std::string out = animationBlocks();
    reread(out);
    auto* m = dynamic_cast<MoveAnimationObject*>(chapterList().at(0)->child(0));
    ASSERT_TRUE(m);
    auto* r = dynamic_cast<RotationAnimationObject*>(m->move(0));
    ASSERT_TRUE(r);
    EXPECT_FLOAT_EQ(r->rot[3], 1.235f);
}

TEST_F(AnimationSectionTest, AReferenceToALaterChapterIsResolvedAndACycleIsRefused) {
    read(
        "\n\n# [ACTION>>NEWGROUP]\n# <kmxTEXT id = \"1\">\n# </kmxTEXT>\n# [END]\n"
        "\n# [ACTION>>ANIM_REF]\n# id 1\n# dowait true\n#\n# [END]\n\n# ANIMGROUP_END\n"
        "\n\n# [ACTION>>NEWGROUP]\n# <kmxTEXT id = \"2\">\n# </kmxTEXT>\n# [END]\n"
        "\n# [ACTION>>ANIM_REF]\n# id 0\n# dowait true\n#\n# [END]\n\n# ANIMGROUP_END\n");
    ASSERT_EQ(chapterList().size(), 2u);
    AnimationAtom* first = chapterList()[0]->child(0);
    AnimationAtom* second = chapterList()[1]->child(0);
    EXPECT_EQ(first->referencedChapter(), chapterList()[1]);
    EXPECT_EQ(second->referencedChapter(), nullptr);
    EXPECT_TRUE(reported("Rejected chapter reference"));
}

TEST_F(AnimationSectionTest, ThresholdVersionsTakeTheirOwnBranch) {
    EXPECT_TRUE(versionAtLeast(2.015f, 2.015));
    EXPECT_FALSE(versionAbove(2.015f, 2.015));
    EXPECT_TRUE(versionAtLeast(6.11f, 6.11));
    EXPECT_TRUE(versionAtLeast(5.03f, 5.03));
    EXPECT_FALSE(versionAtLeast(5.029f, 5.03));
}

TEST_F(AnimationSectionTest, ATextWithoutSectionIsReportedAndNothingRead) {
    const std::string text = "# nothing here";
    EXPECT_EQ(readAnimations(text.data(), text.data() + text.size()), text.data());
    EXPECT_TRUE(reported("No Animations available"));
}


TEST_F(AnimationSectionTest, AColourBlockWritesTheIdItsNodeHasAtTheSave) {
    read(
        "\n\n# [ACTION>>NEWGROUP]\n# <kmxTEXT id = \"1\">\n# </kmxTEXT>\n# [END]\n"
        "\n# [ACTION>>COLOR]\n# id 3\n# transparency  0.500\n# colorDirection  1.000  0.000  0.000\n"
        "\n# ANIMGROUP_END\n");
    findGroup(*scene.root, "B")->setId(40);  // renumbered before a save
    EXPECT_NE(animationBlocks().find("# [ACTION>>COLOR]\n# id 40\n# dowait true\n# transparency"), std::string::npos);
}


TEST_F(AnimationSectionTest, OldColourKeysGiveTheColourDirectionAndAnInitialColourRestores) {
    const std::string chapterHead = "\n\n# [ACTION>>NEWGROUP]\n# <kmxTEXT id = \"1\">\n# </kmxTEXT>\n# [END]\n";
    read(chapterHead +
             "\n# [ACTION>>COLOR]\n# id 2\n# transparency 0.25\n# diffuseColor 0.5 0.25 0\n# duration 1\n"
             "\n# [ACTION>>COLOR]\n# id 2\n# diffuseColor initalColor\n\n# ANIMGROUP_END\n",
         2.1f);
    AnimationGroup* c = chapterList().at(0);
    auto* first = dynamic_cast<ColorAnimationObject*>(c->child(0));
    auto* second = dynamic_cast<ColorAnimationObject*>(c->child(1));
    ASSERT_TRUE(first && second);
    EXPECT_FLOAT_EQ(first->change.colourDirection[0], 1);
    EXPECT_FLOAT_EQ(first->change.colourDirection[1], 0.5f);
    EXPECT_FLOAT_EQ(first->change.diffuseIntensity, 0.5f);
    EXPECT_FLOAT_EQ(first->change.transparency, 0.25f);
    EXPECT_DOUBLE_EQ(first->getRunTime(), 1);
    // Before version 3.005 a colour block has no dowait of its own.
    EXPECT_TRUE(first->dowait);
    EXPECT_EQ(second->change.colourDirection[0], MaterialChange::kRestore);
    EXPECT_EQ(second->change.diffuseIntensity, MaterialChange::kRestore);
}


const std::string kChapterHead = "\n\n# [ACTION>>NEWGROUP]\n# <kmxTEXT id = \"1\">\n# </kmxTEXT>\n# [END]\n";

TEST_F(AnimationSectionTest, APositionBlockTurnsAndMovesThePartToItsNewPose) {
    GroupNode* a = findGroup(*scene.root, "A");
    a->initialTransform.setCenter(1, 0, 0);
    a->currentTransform.setCenter(1, 0, 0);
    read(kChapterHead +
         "\n# [ACTION>>POSITION]\n# id 2\n# po (0, 0, 0)\n# pn (10, 0, 5)\n# ro (0, 0, 1, 0)\n"
         "# rn (0, 1, 0, 1.5708)\n# [END]\n"
         "\n# [ACTION>>POSITION]\n# id 3\n# po (1, 1, 1)\n# pn (1, 4, 1)\n# ro (0, 0, 1, 0)\n# rn (0, 0, 1, 0)\n"
         "# [END]\n\n# ANIMGROUP_END\n");
    AnimationGroup* c = chapterList().at(0);
    ASSERT_EQ(c->childCount(), 2u);
    auto* turnAndMove = dynamic_cast<MoveAnimationObject*>(c->child(0));
    auto* moveOnly = dynamic_cast<MoveAnimationObject*>(c->child(1));
    ASSERT_TRUE(turnAndMove && moveOnly);
    ASSERT_EQ(turnAndMove->moveCount(), 2u);
    EXPECT_EQ(moveOnly->moveCount(), 1u);
    auto* turn = dynamic_cast<RotationAnimationObject*>(turnAndMove->move(0));
    ASSERT_NE(turn, nullptr);
    EXPECT_FLOAT_EQ(turn->center[0], 1);  // about the part's centre: its position stays
    EXPECT_FLOAT_EQ(turnAndMove->move(1)->speed, 1.0f);
    c->runChapterToEnd();
    const float* t = a->currentTransform.translation();
    const float* r = a->currentTransform.rotation();
    EXPECT_NEAR(t[0], 10, 1e-3);
    EXPECT_NEAR(t[1], 0, 1e-3);
    EXPECT_NEAR(t[2], 5, 1e-3);
    EXPECT_NEAR(r[1], 1, 1e-4);
    EXPECT_NEAR(r[3], 1.5708, 1e-4);
    EXPECT_NEAR(findGroup(*scene.root, "B")->currentTransform.translation()[1], 3, 1e-3);
}

TEST_F(AnimationSectionTest, TranslationsOfFilesBefore2075AreTakenIntoThePartsFrameAtItsPoseThen) {
    const std::string blocks = kChapterHead +
                               "\n# [ACTION>>MOVE]\n# id 2\n# dowait true\n#\n#   [STEP>>ROT]\n#   speed 1.0\n"
                               "#   center (0, 0, 0)\n#   rot (0, 0, 1, 1.5708)\n# [END]\n"
                               "\n# [ACTION>>MOVE]\n# id 2\n# dowait true\n#\n#   [STEP>>TRANS]\n#   speed 10\n"
                               "#   displ (10, 0, 0)\n#\n# [END]\n\n# ANIMGROUP_END\n";
    GroupNode* a = findGroup(*scene.root, "A");
    for (float version : {2.07f, 2.075f}) {
        reread(blocks, version);
        AnimationGroup* c = chapterList().at(0);
        auto* move = dynamic_cast<TranslationAnimationObject*>(c->child(1)->moveAt(0));
        ASSERT_NE(move, nullptr);
        // Reading leaves the part in its initial pose.
        EXPECT_NEAR(a->currentTransform.rotation()[3], 0, 1e-6);
        c->runChapterToEnd();
        const float* t = a->currentTransform.translation();
        if (version < 2.075f) {
            // Along x of the frame the part hangs in, whatever the turn before.
            EXPECT_NEAR(move->displ[1], -10, 1e-3);
            EXPECT_NEAR(t[0], 10, 1e-3);
            EXPECT_NEAR(t[1], 0, 1e-3);
        } else {
            EXPECT_FLOAT_EQ(move->displ[0], 10);
            EXPECT_NEAR(t[0], 0, 1e-3);
            EXPECT_NEAR(t[1], 10, 1e-3);
        }
    }
}

}  // namespace
}  // namespace kinemo::testing
