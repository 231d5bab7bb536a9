#include "geometry/texture_mapping.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kinemo {
namespace {

// The eight corners of a box of the given extents at the origin.
std::vector<float> boxCorners(float x, float y, float z) {
    std::vector<float> p;
    for (int i = 0; i < 8; ++i) {
        p.push_back((i & 1) ? x : 0);
        p.push_back((i & 2) ? y : 0);
        p.push_back((i & 4) ? z : 0);
    }
    return p;
}

TEST(TextureMapping, NamesTheModesOfTheShapeEditor) {
    EXPECT_EQ(mappingModeOf("y-Projection").kind, MappingKind::Projection);
    EXPECT_EQ(mappingModeOf("y-Projection").axis, 1);
    EXPECT_EQ(mappingModeOf("z-Cylinder").kind, MappingKind::Cylinder);
    EXPECT_EQ(mappingModeOf("Default mapping").kind, MappingKind::Default);
    EXPECT_EQ(mappingModeOf("").kind, MappingKind::Default);
    EXPECT_EQ(mappingModeOf("No Texture").kind, MappingKind::None);
}

TEST(TextureMapping, ProjectsAlongTheLongerAxisDividedByItsExtent) {
    const std::vector<float> points = boxCorners(4, 1, 2);
    const std::vector<std::int32_t> index{0, 1, 3, -1};
    const TextureMapping m = projectionMapping(points, index, 1);
    float maxU = 0, maxV = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        maxU = std::max(maxU, m.texCoord[2 * i]);
        maxV = std::max(maxV, m.texCoord[2 * i + 1]);
    }
    EXPECT_FLOAT_EQ(maxU, 1);
    EXPECT_FLOAT_EQ(maxV, 0.5f);
    EXPECT_FLOAT_EQ(m.texCoord[2 * 1], 1);  // corner x = 4
    EXPECT_EQ(m.texCoordIndex, index);
}

TEST(TextureMapping, GivesNoNanForFlatOrEmptyGeometry) {
    const std::vector<float> flat{1, 1, 1, 1, 1, 1, 1, 1, 1};
    const std::vector<std::int32_t> index{0, 1, 2, -1};
    for (const TextureMapping& m : {projectionMapping(flat, index, 2), cylinderMapping(flat, index, 0),
                                    defaultMapping(flat, index), defaultMapping({}, {})}) {
        for (float v : m.texCoord) EXPECT_TRUE(std::isfinite(v));
    }
    const std::vector<float> normals{0, 0, 0};
    const TextureMapping e = environmentMapping(flat, normals, index, std::vector<std::int32_t>{0, 0, 0, -1});
    for (float v : e.texCoord) EXPECT_TRUE(std::isfinite(v));
}

TEST(TextureMapping, DefaultMappingRunsAlongTheTwoLargestExtents) {
    const TextureMapping m = defaultMapping(boxCorners(1, 3, 2), std::vector<std::int32_t>{0, 1, 2, -1});
    // S = y (3), T = z (2): corner 6 is (0, 3, 2).
    EXPECT_FLOAT_EQ(m.texCoord[2 * 6], 1);
    EXPECT_FLOAT_EQ(m.texCoord[2 * 6 + 1], 2.0f / 3.0f);
    // Equal extents: z before x before y.
    const TextureMapping cube = defaultMapping(boxCorners(1, 1, 1), std::vector<std::int32_t>{});
    EXPECT_FLOAT_EQ(cube.texCoord[2 * 4], 1);      // corner 4 is (0, 0, 1): u is z
    EXPECT_FLOAT_EQ(cube.texCoord[2 * 1 + 1], 1);  // corner 1 is (1, 0, 0): v is x
}

TEST(TextureMapping, MovesCylinderSeamCornersByOnePeriod) {
    // Points around the z axis; a triangle straddles the seam at angle pi (u = 0 / 1).
    std::vector<float> points;
    auto add = [&](double angle, float z) {
        points.push_back(static_cast<float>(std::cos(angle)));
        points.push_back(static_cast<float>(std::sin(angle)));
        points.push_back(z);
    };
    add(M_PI - 0.2, 0);   // u just below 1
    add(-M_PI + 0.2, 0);  // u just above 0
    add(-M_PI + 0.3, 1);
    add(0, 1);  // widen the bounds symmetrically
    const std::vector<std::int32_t> index{0, 1, 2, -1};
    const TextureMapping m = cylinderMapping(points, index, 2);
    ASSERT_EQ(m.texCoordIndex.size(), 4u);
    // The corner near u = 1 gets a new point at u - 1, next to its neighbours near 0.
    const auto moved = static_cast<std::size_t>(m.texCoordIndex[0]);
    EXPECT_GE(moved, 4u);
    EXPECT_NEAR(m.texCoord[2 * moved], m.texCoord[0] - 1.0f, 1e-6);
    EXPECT_FLOAT_EQ(m.texCoord[2 * moved + 1], m.texCoord[1]);
    EXPECT_EQ(m.texCoordIndex[1], 1);
}

TEST(TextureMapping, DropsCoordinateIndicesPastThePoints) {
    const TextureMapping m = projectionMapping(boxCorners(1, 1, 1), std::vector<std::int32_t>{0, 9, 2, -1}, 0);
    EXPECT_EQ(m.texCoordIndex[1], -1);
}

TEST(TextureMapping, MakesOneUnitVectorPerPointAndNormalPair) {
    const std::vector<float> points = boxCorners(2, 2, 2);
    const std::vector<float> normals{0, 0, 1, 1, 0, 0};
    const std::vector<std::int32_t> coordIndex{0, 1, 2, -1, 0, 1, 2, -1};
    const std::vector<std::int32_t> normalIndex{0, 0, 0, -1, 1, 1, 0, -1};
    const TextureMapping m = environmentMapping(points, normals, coordIndex, normalIndex);
    EXPECT_EQ(m.texCoordComponents, 3);
    EXPECT_EQ(m.texCoord.size(), 5u * 3u);
    EXPECT_EQ(m.texCoordIndex[6], m.texCoordIndex[2]);
    for (std::size_t i = 0; i < m.texCoord.size(); i += 3) {
        const float len = std::hypot(m.texCoord[i], m.texCoord[i + 1], m.texCoord[i + 2]);
        EXPECT_NEAR(len, 1, 1e-5);
    }
    std::vector<float> work;
    updateEnvironmentMapping(m, {1, 0, 0, 0, 1, 0, 0, 0, 1}, work);
    EXPECT_EQ(work.size(), 10u);
    EXPECT_NEAR(work[0], (m.texCoord[0] + 1) / 2, 1e-6);
}

}  // namespace
}  // namespace kinemo
