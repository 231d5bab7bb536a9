#include "scene/scene_light.h"

#include <gtest/gtest.h>

#include <cmath>

#include "extra_nodes_test_support.h"

namespace kinemo::testing {
namespace {

using SceneLightTest = SpecialNodesTest;

TEST_F(SceneLightTest, DirectionalLightSetsBothCopiesAndMarksTheDirectionGiven) {
    readInto(root(), "DirectionalLight { direction 0 -1 0 color 1 0.5 0 intensity 0.8 ambientIntensity 0.2 }");
    const SceneLight& l = sceneLight();
    EXPECT_TRUE(l.directionGiven);
    EXPECT_FLOAT_EQ(l.live.direction[1], -1.0f);
    EXPECT_FLOAT_EQ(l.committed.direction[1], -1.0f);
    EXPECT_FLOAT_EQ(l.live.colour[1], 0.5f);
    EXPECT_FLOAT_EQ(l.committed.intensity, 0.8f);
    EXPECT_FLOAT_EQ(l.live.ambientIntensity, 0.2f);
}

TEST_F(SceneLightTest, FieldsAfterTheLightsBodyAreNotItsOwn) {
    const std::string text = "{ intensity 0.5 }\n  direction 1 0 0\n";
    const char* after = readDirectionalLight(text.c_str());
    EXPECT_EQ(*(after - 1), '}');
    EXPECT_FALSE(sceneLight().directionGiven);
    EXPECT_FLOAT_EQ(sceneLight().live.direction[2], -1.0f);
}

TEST_F(SceneLightTest, WriteReadWriteIsByteIdentical) {
    readInto(root(), "DirectionalLight { direction 0.577 -0.577 -0.577 color 0.9 0.8 0.7 intensity 0.75 }");
    std::string first;
    writeDirectionalLight(first);
    EXPECT_EQ(first.rfind("\n\nDirectionalLight {\n  direction  ", 0), 0u);
    prepareSceneLightForRead();
    readInto(root(), first);
    std::string second;
    writeDirectionalLight(second);
    EXPECT_EQ(first, second);
}

TEST_F(SceneLightTest, CancelRevertsTheLiveValuesAndOkCommitsThem) {
    SceneLight before = sceneLight();
    readInto(root(), "DirectionalLight { intensity 0.5 }");
    prepareSceneLightForRead();
    EXPECT_FLOAT_EQ(sceneLight().live.intensity, before.committed.intensity);
    // The dialog edits the live copy only; this stands in for it.
    const_cast<SceneLight&>(sceneLight()).live.intensity = 0.25f;
    revertSceneLight();
    EXPECT_FLOAT_EQ(sceneLight().live.intensity, 1.0f);
    const_cast<SceneLight&>(sceneLight()).live.intensity = 0.25f;
    commitSceneLight();
    revertSceneLight();
    EXPECT_FLOAT_EQ(sceneLight().live.intensity, 0.25f);
}

TEST_F(SceneLightTest, SwitchingToCameraModeTwiceConvertsTheDirectionOnce) {
    ViewPoint* vp = root().createChild<ViewPoint>();
    vp->initialTransform.setRotation(0, 1, 0, float(M_PI / 2));
    activate(*vp);
    readInto(root(), "DirectionalLight { direction 1 0 0 }");
    setLightMode(1);
    // World +x seen from a camera turned 90 degrees about y is the camera's +z.
    EXPECT_NEAR(sceneLight().live.direction[2], 1.0, 1e-6);
    EXPECT_NEAR(sceneLight().committed.direction[0], 0.0, 1e-6);
    setLightMode(1);
    EXPECT_NEAR(sceneLight().live.direction[2], 1.0, 1e-6);

    // The writer gives the world direction again.
    std::string out;
    writeDirectionalLight(out);
    EXPECT_NE(out.find("direction  1.000000 0.000000 0.000000"), std::string::npos) << out;
}

TEST_F(SceneLightTest, WithoutAGivenDirectionNothingIsConvertedButLaterSwitchesAre) {
    ViewPoint* vp = root().createChild<ViewPoint>();
    vp->initialTransform.setRotation(0, 1, 0, float(M_PI / 2));
    activate(*vp);
    setLightMode(1);
    EXPECT_FLOAT_EQ(sceneLight().live.direction[2], -1.0f);
    EXPECT_TRUE(sceneLight().directionGiven);
}

TEST_F(SceneLightTest, SwitchingWithoutViewpointIsReported) {
    setLightMode(1);
    EXPECT_TRUE(recorder_.reported("Cannot Adjust Light Because Viewpoint is Missing"));
    EXPECT_EQ(sceneLight().lightMode, 1);
}

}  // namespace
}  // namespace kinemo::testing
