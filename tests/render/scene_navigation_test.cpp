#include "render/scene_navigation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "geometry/shape_node.h"
#include "render/projection.h"
#include "scene/reading_state.h"
#include "scene/testing/tree_builder.h"
#include "scene/viewpoint.h"

namespace kinemo {
namespace {

class SceneNavigationTest : public ::testing::Test {
protected:
    void SetUp() override {
        registerShapeReaders();
        readingState().source = SourceType::Vrml2;
        testing::TreeBuilder(*scene.root).group("part").translate(3.0f, 0.0f, 0.0f);
        part = scene.root->child(0)->asGroupNode();
        testing::readInto(*part, "Shape { geometry Box { size 2 2 2 } }\n");
        auto vp = std::make_unique<ViewPoint>();
        vp->initialTransform.setTranslation(0.0f, 0.0f, 10.0f);
        vp->currentTransform.setTranslation(0.0f, 0.0f, 10.0f);
        viewpoint = vp.get();
        scene.root->addChild(std::move(vp));
        setCurrentViewpoint(viewpoint);
    }
    void TearDown() override { setCurrentViewpoint(nullptr); }

    testing::TestScene scene;
    GroupNode* part = nullptr;
    ViewPoint* viewpoint = nullptr;
    SceneNavigation nav{*scene.root};
};

TEST_F(SceneNavigationTest, RayHitsTheShapeBoxAtItsNearFaceAndNamesTheShapesGroup) {
    const std::optional<RayHit> hit = nav.hitTest(Ray{{3.5f, 0.5f, 10.0f}, {0.0f, 0.0f, -1.0f}});
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->node, part);
    EXPECT_NEAR(hit->point[2], 1.0f, 1e-4f);
    EXPECT_NEAR(hit->distance, 9.0f, 1e-4f);
    EXPECT_FALSE(nav.hitTest(Ray{{0.0f, 0.0f, 10.0f}, {0.0f, 0.0f, -1.0f}}));
    part->hide();
    EXPECT_FALSE(nav.hitTest(Ray{{3.5f, 0.5f, 10.0f}, {0.0f, 0.0f, -1.0f}}));
}

TEST_F(SceneNavigationTest, RootBoundsAreInWorldCoordinates) {
    const Bounds b = nav.rootBounds();
    EXPECT_NEAR(b.min[0], 2.0f, 1e-4f);
    EXPECT_NEAR(b.max[0], 4.0f, 1e-4f);
}

TEST_F(SceneNavigationTest, CameraSetAndReadBackInWorldCoordinates) {
    Camera c;
    c.position = {1.0f, 2.0f, 3.0f};
    c.orientation = {0.0f, 1.0f, 0.0f, 0.5f};
    nav.setCamera(c);
    Camera back;
    ASSERT_TRUE(nav.getCamera(back));
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(back.position[i], c.position[i], 1e-5f);
    EXPECT_NEAR(back.orientation[3], 0.5f, 1e-5f);
}

TEST_F(SceneNavigationTest, FitPutsEveryCornerOfTheBoundsInView) {
    Camera away;
    away.position = {50.0f, -20.0f, 5.0f};
    nav.setCamera(away);
    nav.fitToWorkpart();
    Camera c;
    ASSERT_TRUE(nav.getCamera(c));
    const Bounds b = nav.rootBounds();
    const Matrix3 r = rotationOf(c.orientation);
    const float g = std::tan(float(viewpointFieldOfView()) * 3.14159265f / 360.0f);
    for (int k = 0; k < 8; ++k) {
        const Vec3 p{(k & 1) ? b.max[0] : b.min[0], (k & 2) ? b.max[1] : b.min[1], (k & 4) ? b.max[2] : b.min[2]};
        const Vec3 rel{p[0] - c.position[0], p[1] - c.position[1], p[2] - c.position[2]};
        const float x = r[0][0] * rel[0] + r[1][0] * rel[1] + r[2][0] * rel[2];
        const float y = r[0][1] * rel[0] + r[1][1] * rel[1] + r[2][1] * rel[2];
        const float z = r[0][2] * rel[0] + r[1][2] * rel[1] + r[2][2] * rel[2];
        ASSERT_LT(z, 0.0f) << k;
        EXPECT_LE(std::fabs(x / -z), g * 1.0001f) << k;
        EXPECT_LE(std::fabs(y / -z), g * 1.0001f) << k;
    }
}

TEST_F(SceneNavigationTest, InitialViewGoesBackToTheViewpointsInitialPose) {
    Camera c;
    c.position = {7.0f, 7.0f, 7.0f};
    nav.setCamera(c);
    nav.initialView();
    Camera back;
    ASSERT_TRUE(nav.getCamera(back));
    EXPECT_NEAR(back.position[2], 10.0f, 1e-5f);
    EXPECT_NEAR(back.position[0], 0.0f, 1e-5f);
}

TEST(RayBox, StartsInsideAtZeroAndParallelRaysOutsideMiss) {
    Bounds box;
    box.min = {-1.0f, -1.0f, -1.0f};
    box.max = {1.0f, 1.0f, 1.0f};
    EXPECT_EQ(rayEntersBox(Ray{{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}}, box), 0.0f);
    EXPECT_FALSE(rayEntersBox(Ray{{0.0f, 2.0f, 5.0f}, {0.0f, 0.0f, -1.0f}}, box));
    EXPECT_FALSE(rayEntersBox(Ray{{0.0f, 0.0f, 5.0f}, {0.0f, 0.0f, 1.0f}}, box));
}

}  // namespace
}  // namespace kinemo
