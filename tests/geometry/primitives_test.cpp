#include "geometry/primitives.h"

#include <gtest/gtest.h>

#include <cmath>

#include "shape_test_support.h"

namespace kinemo {
namespace {

using namespace shapetest;
using testing::ReportRecorder;

TEST(Box, OfSize123HasItsBoundsAndSixFlatFaces) {
    ReadScene r("Shape { geometry Box { size 1 2 3 } }");
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_FLOAT_EQ(f->boundsMin[0], -0.5f);
    EXPECT_FLOAT_EQ(f->boundsMin[1], -1.0f);
    EXPECT_FLOAT_EQ(f->boundsMin[2], -1.5f);
    EXPECT_FLOAT_EQ(f->boundsMax[2], 1.5f);
    EXPECT_EQ(f->countTriangles(), 12);
    // Every face points outwards: the centre is behind every triangle.
    for (const auto& t : triangles(*f)) EXPECT_GT(dot(faceNormal(t), t[0]), 0.0f);
    EXPECT_FLOAT_EQ(f->settings.creaseAngle, 0.22f) << "its normals are the flat ones";
}

TEST(Box, Vrml1CubeReadsWidthHeightDepth) {
    ReadScene r("Separator { Cube { width 4 height 6 depth 8 } }", SourceType::Vrml1);
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_FLOAT_EQ(f->boundsMax[0], 2.0f);
    EXPECT_FLOAT_EQ(f->boundsMax[1], 3.0f);
    EXPECT_FLOAT_EQ(f->boundsMax[2], 4.0f);
}

TEST(Cylinder, HasTheTableGeometryWithOutwardFaces) {
    ReadScene r("Shape { geometry Cylinder { } }");
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->countTriangles(), 14 + 14 + 32);
    for (const auto& t : triangles(*f)) {
        const Vec c{(t[0][0] + t[1][0] + t[2][0]) / 3, (t[0][1] + t[1][1] + t[2][1]) / 3,
                    (t[0][2] + t[1][2] + t[2][2]) / 3};
        EXPECT_GT(dot(faceNormal(t), c), 0.0f);
    }
    EXPECT_FLOAT_EQ(f->boundsMax[1], 1.0f);
}

TEST(Cylinder, Vrml1PartsTopGivesOnlyTheTopCap) {
    ReadScene r("Separator { Cylinder { parts TOP } }", SourceType::Vrml1);
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->countTriangles(), 14);
    EXPECT_EQ(f->countVertexRefs(), 42);
    for (const auto& t : triangles(*f)) EXPECT_GT(faceNormal(t)[1], 0.99f);
}

TEST(Cone, IsCentredAsVrmlCentresIt) {
    ReadScene r("Shape { geometry Cone { bottomRadius 1 height 4 } }");
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_FLOAT_EQ(f->boundsMin[1], -2.0f);
    EXPECT_FLOAT_EQ(f->boundsMax[1], 2.0f);
    EXPECT_EQ(f->countTriangles(), 14 + 16);
    for (const auto& t : triangles(*f)) {
        const Vec c{(t[0][0] + t[1][0] + t[2][0]) / 3, (t[0][1] + t[1][1] + t[2][1]) / 3,
                    (t[0][2] + t[1][2] + t[2][2]) / 3};
        EXPECT_GT(dot(faceNormal(t), c), 0.0f);
    }
}

TEST(SphereShape, ImportScaleMultipliesTheRadius) {
    testing::TestScene scene(-1.0f);
    registerShapeReaders();
    readingState().source = SourceType::Vrml2;
    readingState().importScaling = true;
    readingState().importScaleFactor = 0.001;
    testing::readInto(*scene.root, "Shape { geometry Sphere { radius 500 } }");
    ASSERT_EQ(scene.root->childCount(), 1u);
    auto* s = dynamic_cast<Sphere*>(scene.root->child(0)->asShapeNode()->geometry());
    ASSERT_NE(s, nullptr);
    EXPECT_FLOAT_EQ(s->radius(), 0.5f);
    std::string out;
    s->writeText(out);
    EXPECT_EQ(out, " Sphere {\n    radius 0.500000 \n  }");
}

TEST(ExtrusionShape, OneSpinePointIsReportedAndDrawsNothing) {
    ReportRecorder rec;
    ReadScene r("Shape { geometry Extrusion { spine [ 0 0 0 ] } }");
    EXPECT_TRUE(rec.reported("Not enough spine points for extrusion"));
    ShapeNode* s = r.shape();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->geometry()->isEmpty());
}

TEST(ExtrusionShape, DefaultSquareAlongAStraightSpineIsABoxWithOutwardFaces) {
    ReadScene r("Shape { geometry Extrusion { spine [ 0 0 0, 0 2 0 ] } }");
    auto* e = dynamic_cast<Extrusion*>(r.shape()->geometry());
    ASSERT_TRUE(e && e->mesh());
    EXPECT_FLOAT_EQ(e->boundsMin[0], -1.0f);
    EXPECT_FLOAT_EQ(e->boundsMax[1], 2.0f);
    for (const auto& t : triangles(*e->mesh())) {
        const Vec c{(t[0][0] + t[1][0] + t[2][0]) / 3, (t[0][1] + t[1][1] + t[2][1]) / 3 - 1,
                    (t[0][2] + t[1][2] + t[2][2]) / 3};
        EXPECT_GT(dot(faceNormal(t), c), 0.0f);
    }
}

TEST(ExtrusionShape, CollinearAndCoincidentSpinePointsKeepTheFrame) {
    // A bend, a straight stretch and a repeated point: no section may collapse or flip.
    ReadScene r(
        "Shape { geometry Extrusion { crossSection [ 1 0, 0 1, -1 0, 0 -1, 1 0 ]"
        " spine [ 0 0 0, 0 1 0, 0 1 0, 0 2 0, 1 3 0 ] } }");
    auto* e = dynamic_cast<Extrusion*>(r.shape()->geometry());
    ASSERT_TRUE(e && e->mesh());
    EXPECT_TRUE(allFinite(e->mesh()->points.get()));
    EXPECT_TRUE(allFinite(e->mesh()->normals.get()));
    // The ring at the second spine point lies in the plane y = 1 with radius 1.
    const MatrixF& p = *e->mesh()->points;
    for (std::int32_t j = 5; j < 10; ++j) {
        EXPECT_NEAR(p.at(j, 1), 1.0f, 1e-5);
        EXPECT_NEAR(std::hypot(p.at(j, 0), p.at(j, 2)), 1.0f, 1e-5);
    }
    std::string out;
    e->writeText(out);
    EXPECT_NE(out.find("spine [0.0000 0.0000 0.0000, 0.0000 1.0000 0.0000"), std::string::npos) << out;
}

TEST(ExtrusionShape, WritesSolidAndCcw) {
    ReadScene r("Shape { geometry Extrusion { spine [ 0 0 0, 0 1 0 ] solid FALSE ccw FALSE } }");
    std::string out;
    r.shape()->geometry()->writeText(out);
    EXPECT_NE(out.find("solid FALSE"), std::string::npos);
    EXPECT_NE(out.find("ccw FALSE"), std::string::npos);
}

TEST(ElevationGridShape, ThreeByThreeGridGivesEightUpwardTriangles) {
    ReadScene r(
        "Shape { geometry ElevationGrid { xDimension 3 zDimension 3 xSpacing 1 zSpacing 2"
        " height [ 0 0 0 0 1 0 0 0 0 ] } }");
    auto* g = dynamic_cast<ElevationGrid*>(r.shape()->geometry());
    ASSERT_TRUE(g && g->mesh());
    EXPECT_EQ(g->mesh()->countTriangles(), 8);
    for (const auto& t : triangles(*g->mesh())) EXPECT_GT(faceNormal(t)[1], 0.0f);
    EXPECT_FLOAT_EQ(g->boundsMax[2], 4.0f);
    std::string out;
    g->writeText(out);
    EXPECT_NE(out.find(" ElevationGrid {"), std::string::npos);
    ReadScene again("Shape { geometry" + out + " }");
    auto* h = dynamic_cast<ElevationGrid*>(again.shape()->geometry());
    ASSERT_TRUE(h && h->mesh());
    EXPECT_EQ(h->mesh()->countTriangles(), 8);
}

TEST(ElevationGridShape, TooFewHeightsForItsDimensionsDrawNothing) {
    ReportRecorder rec;
    ReadScene r("Shape { geometry ElevationGrid { xDimension 100000 zDimension 100000 height [ 1 2 3 ] } }");
    auto* g = dynamic_cast<ElevationGrid*>(r.shape()->geometry());
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->isEmpty());
    EXPECT_TRUE(rec.reported("ElevationGrid"));
}

TEST(AuxiliaryShapes, ArrowHasItsEightTrianglesAndKeepsItsScreenSize) {
    testing::TestScene scene;
    ArrowObject arrow;
    ShapeNode* s = arrow.arrowShape();
    ASSERT_TRUE(s && s->geometry() && s->geometry()->asFaceObject());
    EXPECT_EQ(s->geometry()->asFaceObject()->countTriangles(), 8);
    EXPECT_FLOAT_EQ(s->geometry()->asFaceObject()->boundsMax[1], 3.0f);
    arrow.updateScale(60.0f);
    EXPECT_FLOAT_EQ(arrow.currentTransform.scale()[0], 2.0f);
}

TEST(AuxiliaryShapes, CoordinateCrossAxesReachOneAndAHalfTimesItsSize) {
    CoordinateCross cross(2.0f);
    float far = 0;
    const auto strips = cross.strips();
    for (std::size_t i = 0; i < 6; ++i)  // the axes with their heads; the letters come after
        for (float v : strips[i]) far = std::max(far, v);
    EXPECT_FLOAT_EQ(far, 3.0f);
}

}  // namespace
}  // namespace kinemo

namespace kinemo {
namespace {

TEST(SpherePlacing, CentreGoesIntoCameraCoordinatesWithOneScale) {
    // Camera turned a quarter about y, shape scaled (2, 4, 8) and moved to (1, 2, 3) in camera space.
    const float m[16] = {0, 0, -2, 0, 0, 4, 0, 0, 8, 0, 0, 0, 1, 2, 3, 1};
    const SpherePlacement p = spherePlacement(m, 0.5f);
    EXPECT_FLOAT_EQ(p.centre[0], 1.0f);
    EXPECT_FLOAT_EQ(p.centre[1], 2.0f);
    EXPECT_FLOAT_EQ(p.centre[2], 3.0f);
    EXPECT_NEAR(p.scale, 2.0f, 1e-5f) << "the geometric mean of the scales, 4, times the radius";
}

TEST(SpherePlacing, UnscaledTransformDrawsTheRadius) {
    const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -5, 1};
    EXPECT_FLOAT_EQ(spherePlacement(m, 3.0f).scale, 3.0f);
}

}  // namespace
}  // namespace kinemo
