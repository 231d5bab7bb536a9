#include "scene/lod.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "extra_nodes_test_support.h"

namespace kinemo::testing {
namespace {

using LodTest = SpecialNodesTest;

LOD* lodWithLeaves(GroupNode& parent, int children) {
    LOD* lod = parent.createChild<LOD>();
    for (int i = 0; i < children; ++i) lod->createChild<GroupNode>(true)->setName("level" + std::to_string(i));
    return lod;
}

TEST_F(LodTest, TwoLevelsSwitchAtTheirRange) {
    LOD* lod = lodWithLeaves(root(), 2);
    lod->ranges.push(100.0f);
    EXPECT_EQ(lod->chooseLevel(50.0), 0);
    EXPECT_EQ(lod->chooseLevel(150.0), 1);
}

TEST_F(LodTest, ThreeLevelsBeyondTheLastRangeTakeTheLast) {
    LOD* lod = lodWithLeaves(root(), 3);
    lod->ranges.push(100.0f);
    lod->ranges.push(200.0f);
    EXPECT_EQ(lod->chooseLevel(150.0), 1);
    EXPECT_EQ(lod->chooseLevel(250.0), 2);
}

TEST_F(LodTest, MissingRangesCountAsInfinite) {
    LOD* lod = lodWithLeaves(root(), 4);
    EXPECT_EQ(lod->chooseLevel(1.0e20), 0);
    lod->ranges.push(100.0f);
    EXPECT_EQ(lod->chooseLevel(150.0), 1);
    EXPECT_EQ(lod->chooseLevel(50.0), 0);
}

TEST_F(LodTest, HiddenLevelsArePassedOverAndNoneVisibleGivesNone) {
    LOD* lod = lodWithLeaves(root(), 3);
    lod->ranges.push(100.0f);
    lod->ranges.push(200.0f);
    lod->child(0)->hide();
    EXPECT_EQ(lod->chooseLevel(50.0), 2);
    lod->child(1)->hide();
    lod->child(2)->hide();
    EXPECT_EQ(lod->chooseLevel(50.0), -1);
}

TEST_F(LodTest, FramePassMeasuresFromTheCurrentViewpointToTheCentre) {
    LOD* lod = lodWithLeaves(root(), 2);
    lod->ranges.push(100.0f);
    lod->center[0] = 10.0f;
    ViewPoint* vp = root().createChild<ViewPoint>();
    vp->initialTransform.setTranslation(10, 0, 150);
    activate(*vp);
    lod->prepareFrame(vp);
    EXPECT_EQ(lod->level, 1);
    vp->currentTransform.setTranslation(10, 0, 50);
    lod->prepareFrame(vp);
    EXPECT_EQ(lod->level, 0);
}

TEST_F(LodTest, ReadsCentreRangesAndLevelsAndStopsAtItsOwnEnd) {
    readInto(root(),
             "DEF Detail LOD { center 1 2 3 range [ 10, 20 ] level [ Transform { } Transform { } Group { } ] }\n"
             "Transform { }\n");
    ASSERT_EQ(root().childCount(), 2u);
    auto* lod = dynamic_cast<LOD*>(root().child(0));
    ASSERT_NE(lod, nullptr);
    EXPECT_EQ(lod->getName(), "Detail");
    EXPECT_FLOAT_EQ(lod->center[2], 3.0f);
    ASSERT_EQ(lod->ranges.count(), 2);
    EXPECT_FLOAT_EQ(lod->ranges[1], 20.0f);
    EXPECT_EQ(lod->childCount(), 3u);
}

TEST_F(LodTest, BareSingleRangeAndVrml1StyleChildrenStayInside) {
    readInto(root(), "LOD { range 50 Transform { } Transform { } }\nTransform { }\n");
    ASSERT_EQ(root().childCount(), 2u);
    auto* lod = dynamic_cast<LOD*>(root().child(0));
    ASSERT_NE(lod, nullptr);
    ASSERT_EQ(lod->ranges.count(), 1);
    EXPECT_FLOAT_EQ(lod->ranges[0], 50.0f);
    EXPECT_EQ(lod->childCount(), 2u);
}

TEST_F(LodTest, IsWrittenAsThePlainGroupItIs) {
    LOD* lod = lodWithLeaves(root(), 1);
    lod->setName("Detail");
    lod->ranges.push(5.0f);
    GroupNode* plain = root().createChild<GroupNode>(true);
    plain->setName("Detail");
    EXPECT_EQ(lod->transformText(), plain->transformText());
    char a[512] = {}, b[512] = {};
    std::FILE* fa = fmemopen(a, sizeof a - 1, "w");
    std::FILE* fb = fmemopen(b, sizeof b - 1, "w");
    lod->writeToFile(fa);
    plain->writeToFile(fb);
    std::fclose(fa);
    std::fclose(fb);
    EXPECT_STREQ(a, b);
}

TEST_F(LodTest, KeepingASingleChildReplacesTheFirstAndLeavesLaterOnesWithoutParent) {
    LOD::setKeepSingleChildPerLOD(2);
    readInto(root(),
             "LOD { level [ Transform { } DEF Second Transform { } Transform { Transform { } } ] }\n"
             "Transform { }\n");
    LOD::setKeepSingleChildPerLOD(-1);
    ASSERT_EQ(root().childCount(), 2u);
    auto* lod = dynamic_cast<LOD*>(root().child(0));
    ASSERT_NE(lod, nullptr);
    ASSERT_EQ(lod->childCount(), 1u);
    EXPECT_EQ(lod->child(0)->getName(), "Second");
    EXPECT_EQ(lod->addedChildren, 3);
}

TEST_F(LodTest, RemovingTheLastChildResetsTheCount) {
    LOD* lod = lodWithLeaves(root(), 1);
    EXPECT_EQ(lod->addedChildren, 1);
    lod->removeChild(lod->child(0));
    EXPECT_EQ(lod->addedChildren, 0);
}

}  // namespace
}  // namespace kinemo::testing
