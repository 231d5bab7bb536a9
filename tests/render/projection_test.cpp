#include "render/projection.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kinemo {
namespace {

TEST(Frustum, MatchesTheFourDigitValuesFor800x600At45Degrees) {
    const FrustumBounds f = frustumBounds(45.0, 800.0 / 600.0, 1.0, 100.0);
    EXPECT_NEAR(f.left, -1.0 * 0.4142 * 1.3333, 1e-4);
    EXPECT_NEAR(f.right, 0.5523, 1e-4);
    EXPECT_NEAR(f.bottom, -0.4142, 1e-4);
    EXPECT_NEAR(f.top, 0.4142, 1e-4);
}

TEST(Frustum, JitterOfTheSecondPassShiftsByAQuarterPixelRightAndDown) {
    const std::array<double, 2> j = smoothingJitter(2, 800, 600);
    EXPECT_DOUBLE_EQ(j[0], 0.25 / 800);
    EXPECT_DOUBLE_EQ(j[1], -0.25 / 600);
    const FrustumBounds plain = frustumBounds(45.0, 800.0 / 600.0, 1.0, 100.0);
    const FrustumBounds shifted = frustumBounds(45.0, 800.0 / 600.0, 1.0, 100.0, j[0], j[1]);
    const double pixelWidth = (plain.right - plain.left) / 800.0;
    const double pixelHeight = (plain.top - plain.bottom) / 600.0;
    EXPECT_NEAR(shifted.left - plain.left, 0.25 * pixelWidth, 1e-12);
    EXPECT_NEAR(shifted.right - plain.right, 0.25 * pixelWidth, 1e-12);
    EXPECT_NEAR(shifted.top - plain.top, -0.25 * pixelHeight, 1e-12);
}

TEST(Frustum, PassesOtherThanOneToFourHaveNoJitterAndZeroSizesAreClamped) {
    EXPECT_EQ(smoothingJitter(0, 800, 600)[0], 0.0);
    EXPECT_EQ(smoothingJitter(5, 800, 600)[1], 0.0);
    const std::array<double, 2> j = smoothingJitter(4, 0, 0);
    EXPECT_TRUE(std::isfinite(j[0]) && std::isfinite(j[1]));
    EXPECT_DOUBLE_EQ(j[0], 0.25);
}

TEST(ClippingPlanes, WidenTheShapesDepthsByTenPercent) {
    const ClipPlanes c = clippingPlanes(10.0f, true, 4.0f, 6.0f);
    EXPECT_FLOAT_EQ(c.farPlane, 6.6f);
    // 4 / 1.1 exceeds far / 100, so near becomes far / 100.
    EXPECT_FLOAT_EQ(c.nearPlane, 0.066f);
}

TEST(ClippingPlanes, RaiseNearToATenthPercentOfTheDiagonal) {
    const ClipPlanes c = clippingPlanes(500.0f, true, -3.0f, 2000.0f);
    EXPECT_FLOAT_EQ(c.nearPlane, 0.5f);
    EXPECT_FLOAT_EQ(c.farPlane, 2200.0f);
}

TEST(ClippingPlanes, UseOneAsSmallestNearForScenesOverAThousandUnits) {
    const ClipPlanes c = clippingPlanes(5000.0f, true, -10.0f, 9000.0f);
    EXPECT_FLOAT_EQ(c.nearPlane, 1.0f);
}

TEST(ClippingPlanes, PutFarAHundredTimesNearWhenNothingIsInFront) {
    const ClipPlanes c = clippingPlanes(10.0f, false, -8.0f, -2.0f);
    EXPECT_FLOAT_EQ(c.nearPlane, 0.01f);
    EXPECT_FLOAT_EQ(c.farPlane, 1.0f);
}

TEST(ClippingPlanes, NeverGiveAZeroNearForAnEmptyScene) {
    const ClipPlanes c = clippingPlanes(0.0f, false, 0.0f, 0.0f);
    EXPECT_GT(c.nearPlane, 0.0f);
    EXPECT_GT(c.farPlane, c.nearPlane);
}

TEST(DepthRange, OfTheUnitCubeSeenFromFiveAlongZIsFourToSix) {
    Bounds box;
    box.extend({-1, -1, -1});
    box.extend({1, 1, 1});
    Camera camera;
    camera.position = {0, 0, 5};
    float nearest = 0, farthest = 0;
    ASSERT_TRUE(depthRangeOfBox(box, camera, nearest, farthest));
    EXPECT_FLOAT_EQ(nearest, 4.0f);
    EXPECT_FLOAT_EQ(farthest, 6.0f);
}

TEST(DepthRange, FollowsTheCameraOrientation) {
    Bounds box;
    box.extend({-1, -1, -1});
    box.extend({1, 1, 1});
    Camera camera;
    camera.position = {5, 0, 0};  // turned a quarter about y: looks along -x
    camera.orientation = {0, 1, 0, 1.5707963f};
    float nearest = 0, farthest = 0;
    ASSERT_TRUE(depthRangeOfBox(box, camera, nearest, farthest));
    EXPECT_NEAR(nearest, 4.0f, 1e-5);
    EXPECT_NEAR(farthest, 6.0f, 1e-5);
    camera.orientation = {0, 1, 0, -1.5707963f};  // looks along +x, away from the box
    EXPECT_FALSE(depthRangeOfBox(box, camera, nearest, farthest));
}

TEST(PickRay, ThroughTheViewCentreIsTheViewAxis) {
    const Vec3 d = pickRayDirection(400, 300, 800, 600, 45);
    EXPECT_FLOAT_EQ(d[0], 0.0f);
    EXPECT_FLOAT_EQ(d[1], 0.0f);
    EXPECT_FLOAT_EQ(d[2], -1.0f);
}

TEST(PickRay, ThroughTheTopRightCornerMeetsTheFrustumEdges) {
    const Vec3 d = pickRayDirection(800, 0, 800, 600, 45);
    const float g = std::tan(45.0f * 3.14159265f / 360.0f);
    EXPECT_NEAR(d[0], g * 800.0f / 600.0f, 1e-6);
    EXPECT_NEAR(d[1], g, 1e-6);
}

TEST(PickRay, StaysFiniteForAZeroSizedView) {
    const Vec3 d = pickRayDirection(0, 0, 0, 0, 45);
    for (float c : d) EXPECT_TRUE(std::isfinite(c));
}

TEST(ViewMatrix, BringsTheCameraToTheOriginLookingDownMinusZ) {
    Camera camera;
    camera.position = {5, 0, 0};
    camera.orientation = {0, 1, 0, 1.5707963f};
    const std::array<float, 16> m = viewMatrix(camera);
    auto apply = [&](Vec3 p) {
        return Vec3{m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12], m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13],
                    m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14]};
    };
    const Vec3 eye = apply({5, 0, 0});
    const Vec3 origin = apply({0, 0, 0});
    EXPECT_NEAR(eye[0], 0, 1e-5);
    EXPECT_NEAR(eye[2], 0, 1e-5);
    EXPECT_NEAR(origin[0], 0, 1e-5);
    EXPECT_NEAR(origin[2], -5, 1e-5);
}

TEST(ViewMatrix, EyeShiftMovesTheCameraAlongItsOwnXAxis) {
    Camera camera;
    camera.position = {0, 0, 5};
    const std::array<float, 16> m = viewMatrix(camera, 0.5f);
    // The world origin now lies half a unit to the camera's left.
    EXPECT_FLOAT_EQ(m[12], -0.5f);
    EXPECT_FLOAT_EQ(m[14], -5.0f);
}

}  // namespace
}  // namespace kinemo
