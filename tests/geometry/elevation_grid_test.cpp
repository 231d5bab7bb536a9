#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geometry/primitives.h"
#include "shape_test_support.h"

namespace kinemo {
namespace {

using namespace shapetest;
using testing::ReportRecorder;

const ElevationGrid* gridOf(const ReadScene& r) {
    return r.shape() ? dynamic_cast<const ElevationGrid*>(r.shape()->geometry()) : nullptr;
}

// The colour drawn at every drawn vertex, keyed by the vertex's x and z.
struct DrawnVertex {
    float x, z;
    Colour colour;
};
std::vector<DrawnVertex> drawnColours(const FaceObject& f) {
    const FaceRenderArrays& a = f.renderArrays();
    std::vector<DrawnVertex> out;
    if (a.colours.empty()) return out;
    for (std::int32_t v = 0; v < a.vertexCount(); ++v) {
        const float* p = &a.vertices[std::size_t(v) * std::size_t(a.floatsPerVertex) + 3];
        const float* c = &a.colours[std::size_t(v) * 3];
        out.push_back({p[0], p[2], {c[0], c[1], c[2]}});
    }
    return out;
}

const char* kTwoByTwo =
    "Shape { geometry ElevationGrid { xDimension 2 zDimension 2 height [ 0 0 0 0 ]"
    " color Color { color [ 1 0 0, 0 1 0, 0 0 1, 1 1 1 ] } } }";

TEST(ElevationGridColours, ColoursPerPointAreDrawnAtTheirCorners) {
    ReadScene r(kTwoByTwo);
    const ElevationGrid* g = gridOf(r);
    ASSERT_TRUE(g && g->mesh());
    auto drawn = drawnColours(*g->mesh());
    ASSERT_EQ(drawn.size(), 4u) << "one vertex per corner point";
    for (const DrawnVertex& v : drawn) {
        const int point = int(std::lround(v.z)) * 2 + int(std::lround(v.x));
        const Colour expected[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}};
        EXPECT_EQ(v.colour, expected[point]) << "point " << point;
    }
}

TEST(ElevationGridColours, ColoursPerCellColourBothTrianglesOfTheCell) {
    ReadScene r(
        "Shape { geometry ElevationGrid { xDimension 3 zDimension 2 height [ 0 0 0 0 0 0 ]"
        " colorPerVertex FALSE color Color { color [ 1 0 0, 0 0 1 ] } } }");
    const ElevationGrid* g = gridOf(r);
    ASSERT_TRUE(g && g->mesh());
    auto drawn = drawnColours(*g->mesh());
    ASSERT_FALSE(drawn.empty());
    for (const DrawnVertex& v : drawn) {
        if (v.x < 0.5f) {
            EXPECT_EQ(v.colour, (Colour{1, 0, 0}));
        }
        if (v.x > 1.5f) {
            EXPECT_EQ(v.colour, (Colour{0, 0, 1}));
        }
    }
}

TEST(ElevationGridColours, TooFewColoursAreReportedAndDropped) {
    ReportRecorder reports;
    ReadScene r(
        "Shape { geometry ElevationGrid { xDimension 2 zDimension 2 height [ 0 0 0 0 ]"
        " color Color { color [ 1 0 0 ] } } }");
    const ElevationGrid* g = gridOf(r);
    ASSERT_TRUE(g && g->mesh());
    EXPECT_TRUE(drawnColours(*g->mesh()).empty());
    EXPECT_TRUE(reports.reported("colours dropped"));
}

TEST(ElevationGridColours, ColouredGridIsWrittenAsAGridAndReadsBackWithItsColours) {
    ReadScene r(kTwoByTwo);
    const ElevationGrid* g = gridOf(r);
    ASSERT_TRUE(g && g->mesh());
    std::string out;
    g->writeText(out);
    EXPECT_NE(out.find(" ElevationGrid {"), std::string::npos) << out;
    EXPECT_NE(out.find("color Color"), std::string::npos) << out;
    ReadScene again("Shape { geometry" + out + " }");
    const ElevationGrid* h = gridOf(again);
    ASSERT_TRUE(h && h->mesh());
    EXPECT_EQ(drawnColours(*h->mesh()).size(), 4u);
}

TEST(ElevationGridShape, GridWithCcwFalseFacesDownwards) {
    ReadScene r("Shape { geometry ElevationGrid { xDimension 2 zDimension 2 height [ 0 0 0 0 ] ccw FALSE } }");
    const ElevationGrid* g = gridOf(r);
    ASSERT_TRUE(g && g->mesh());
    ASSERT_EQ(g->mesh()->countTriangles(), 2);
    for (const auto& t : triangles(*g->mesh())) EXPECT_LT(faceNormal(t)[1], 0.0f);
}

TEST(ElevationGridShape, NormalsPerCellStayWithTheirCell) {
    ReadScene r(
        "Shape { geometry ElevationGrid { xDimension 3 zDimension 2 height [ 0 0 0 0 0 0 ] normalPerVertex FALSE"
        " normal Normal { vector [ 0 1 0, 0.6 0.8 0 ] } } }");
    const ElevationGrid* g = gridOf(r);
    ASSERT_TRUE(g && g->mesh());
    const FaceObject& f = *g->mesh();
    ASSERT_TRUE(f.normals && f.normalIndex);
    for (std::int32_t i = 0; i < f.coordIndex->count(); ++i) {
        if ((*f.coordIndex)[i] < 0) continue;
        const Vec p = pointOf(f, (*f.coordIndex)[i]);
        const Vec n = cornerNormal(f, i);
        if (p[0] < 0.5f) {
            EXPECT_NEAR(n[1], 1.0f, 1e-5f);
        }
        if (p[0] > 1.5f) {
            EXPECT_NEAR(n[0], 0.6f, 1e-5f);
        }
    }
}

}  // namespace
}  // namespace kinemo
