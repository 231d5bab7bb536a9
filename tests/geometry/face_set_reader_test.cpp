#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "geometry/face_object.h"
#include "geometry/shape_node.h"
#include "shape_test_support.h"

namespace kinemo {
namespace {

using namespace shapetest;
using testing::ReportRecorder;

std::string cube(const char* crease) { return replaced(fixture("cube_v2.wrl"), "CREASE", crease); }

std::string faceSet(const std::string& body) { return "Shape { geometry IndexedFaceSet { " + body + " } }"; }

TEST(FaceSetNormals, CubeAtCreaseZeroGivesEveryCornerItsOwnFaceNormal) {
    ReadScene r(cube("0"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->points->rows(), 8);
    EXPECT_EQ(f->countTriangles(), 12);
    EXPECT_EQ(cornerPairs(*f).size(), 24u);
    EXPECT_EQ(f->normals->rows(), 6);
    auto tris = triangles(*f);
    for (std::size_t t = 0; t < tris.size(); ++t)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(dot(cornerNormal(*f, std::int32_t(4 * t + j)), faceNormal(tris[t])), 1.0f, 1e-5);
}

class CubeSmoothing : public ::testing::TestWithParam<const char*> {};

TEST_P(CubeSmoothing, AveragesTheThreeFacesAtEveryCorner) {
    ReadScene r(cube(GetParam()));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->normals->rows(), 8);
    for (std::int32_t i = 0; i < f->coordIndex->count(); ++i) {
        if ((*f->coordIndex)[i] < 0) continue;
        // The three faces at a corner are averaged (weighted by the triangles that meet there):
        // the normal points into the corner's own octant.
        Vec p = pointOf(*f, (*f->coordIndex)[i]);
        const Vec n = cornerNormal(*f, i);
        for (int k = 0; k < 3; ++k) EXPECT_GT(n[k] * p[k], 0.3f) << "corner " << i;
    }
}
// 3.14 is what files write for "smooth": past a right angle the test must smooth more, not less.
INSTANTIATE_TEST_SUITE_P(AngleAboveRightAngle, CubeSmoothing, ::testing::Values("1.6", "3.14"));

TEST(FaceSetNormals, ZeroAreaTrianglesAndAZeroFirstTriangleGiveNoNaN) {
    ReadScene r(
        faceSet("coord Coordinate { point [ 0 0 0, 0 0 0, 0 0 0, 1 0 0, 0 1 0 ] }"
                " coordIndex [ 0 1 2 -1 0 3 4 -1 3 3 4 ] creaseAngle 0.5"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->normals);
    EXPECT_TRUE(allFinite(f->normals.get()));
    for (std::int32_t k = 0; k < f->normals->rows(); ++k) {
        const Vec n{f->normals->at(k, 0), f->normals->at(k, 1), f->normals->at(k, 2)};
        EXPECT_NEAR(dot(n, n), 1.0f, 1e-5);
    }
    for (std::size_t i = 0; i < f->trianglePlanes().size(); ++i) EXPECT_TRUE(std::isfinite(f->trianglePlanes()[i]));
}

TEST(FaceSetNormals, LargeFanCentreIsSmoothedWithinTheCreaseAngle) {
    // 5000 triangles around one point of a flat disc: one normal at the centre.
    std::string points = "0 0 0", index;
    const int n = 5000;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * 3.14159265358979 * i / n;
        points += ", " + std::to_string(std::cos(a)) + " " + std::to_string(std::sin(a)) + " 0";
        index += "0 " + std::to_string(1 + i) + " " + std::to_string(1 + (i + 1) % n) + " -1 ";
    }
    ReadScene r(faceSet("coord Coordinate { point [ " + points + " ] } coordIndex [ " + index + " ] creaseAngle 0.5"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->normals->rows(), 1);
}

TEST(FaceSetTriangulation, QuadWithCcwFalseIsTurnedOver) {
    ReadScene r(
        faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] } coordIndex [ 0 1 2 3 -1 ] ccw FALSE"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->coordIndex->count(), 7);
    const std::int32_t expected[7] = {0, 2, 1, -1, 0, 3, 2};
    for (int i = 0; i < 7; ++i) EXPECT_EQ((*f->coordIndex)[i], expected[i]);
    EXPECT_TRUE(f->settings.ccw);
}

TEST(FaceSetTriangulation, FacesWithTwoVerticesAreDropped) {
    ReadScene r(faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0 ] } coordIndex [ 0 1 -1 0 1 2 -1 2 0 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->countTriangles(), 1);
    EXPECT_EQ(f->coordIndex->count(), 3);
}

TEST(FaceSetTriangulation, OnlyLineLikeFacesLeaveNothingAndReportLineElements) {
    ReportRecorder rec;
    ReadScene r(faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0 ] } coordIndex [ 0 1 -1 1 2 -1 ]"));
    EXPECT_TRUE(rec.reported("Parser problem, probably due to line elements"));
    const FaceObject* f = r.face();
    if (f) {
        EXPECT_FALSE(f->coordIndex);
    }
}

TEST(FaceSetTriangulation, TriangleStripAlternatesItsWinding) {
    ReadScene r(
        "Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 0 1 0, 1 1 0 ] }"
        " IndexedTriangleStripSet { coordIndex [ 0, 1, 2, 3, -1 ] } }",
        SourceType::Vrml1);
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->countTriangles(), 2);
    auto t = triangles(*f);
    EXPECT_EQ(t[0][0], (Vec{0, 0, 0}));
    EXPECT_EQ(t[0][2], (Vec{0, 1, 0}));
    EXPECT_EQ(t[1][0], (Vec{1, 1, 0}));
    EXPECT_EQ(t[1][1], (Vec{0, 1, 0}));
    EXPECT_EQ(t[1][2], (Vec{1, 0, 0}));
}

TEST(FaceSetReader, NumVerticesMakesConsecutiveFaces) {
    ReadScene r(faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0, 2 0 0, 2 1 0 ] } numVertices [ 3 3 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->countTriangles(), 2);
    EXPECT_EQ(triangles(*f)[1][0], (Vec{0, 1, 0}));
}

TEST(FaceSetReader, DropsFacesWithIndicesPastThePointCountReportingOnce) {
    ReportRecorder rec;
    std::string index;
    for (int i = 0; i < 2000; ++i) index += "0 1 " + std::to_string(50 + i) + " -1 ";
    ReadScene r(faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0 ] } coordIndex [ 0 1 2 -1 " + index + "]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->countTriangles(), 1);
    int reports = 0;
    for (const std::string& s : rec.reports) reports += s.find("past the point count") != std::string::npos;
    EXPECT_EQ(reports, 1);
}

TEST(FaceSetReader, HostileFaceSetIsRepairedWithItsMessages) {
    ReportRecorder rec;
    ReadScene r(fixture("hostile_face_set.wrl"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->countTriangles(), 3);  // (0 1 2), (0 2 3) ended by -7, (3 2 1)
    EXPECT_TRUE(rec.reported("past the point count"));
    EXPECT_TRUE(rec.reported("out of bound"));
    EXPECT_TRUE(allFinite(f->points.get()));
    EXPECT_TRUE(allFinite(f->normals.get()));
    ASSERT_TRUE(f->normals && f->normalIndex);
    for (std::int32_t i = 0; i < f->normalIndex->count(); ++i) {
        if ((i & 3) == 3) continue;
        EXPECT_GE((*f->normalIndex)[i], 0);
        EXPECT_LT((*f->normalIndex)[i], f->normals->rows());
    }
    EXPECT_FALSE(f->colorIndex) << "a colour index list shorter than the faces is dropped";
}

TEST(FaceSetReader, NormalPerVertexFalseSpreadsEachFaceNormalOverItsVertices) {
    ReadScene r(
        faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
                " normal Normal { vector [ 0 0 1, 0 0 -1 ] } normalPerVertex FALSE"
                " coordIndex [ 0 1 2 -1 0 2 3 -1 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(cornerNormal(*f, j)[2], 1.0f);
        EXPECT_EQ(cornerNormal(*f, 4 + j)[2], -1.0f);
    }
    EXPECT_LT(f->settings.creaseAngle, 0.0f);
}

TEST(FaceSetReader, PerFaceNormalIndicesAreMappedToTheVertices) {
    ReadScene r(
        faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
                " normal Normal { vector [ 0 0 -1, 0 0 1 ] } normalPerVertex FALSE"
                " coordIndex [ 0 1 2 -1 0 2 3 -1 ] normalIndex [ 1 0 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(cornerNormal(*f, 0)[2], 1.0f);
    EXPECT_EQ(cornerNormal(*f, 6)[2], -1.0f);
}

TEST(FaceSetReader, NormalIndexPastTheNormalsDropsTheGivenNormalsAndMakesNewOnes) {
    ReportRecorder rec;
    ReadScene r(
        faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
                " normal Normal { vector [ 1 0 0 ] }"
                " coordIndex [ 0 1 2 -1 0 2 3 -1 ] normalIndex [ 0 0 0 -1 0 0 7 -1 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(rec.reported("out of bound"));
    ASSERT_TRUE(f->normals);
    for (std::int32_t i : {0, 1, 2, 4, 5, 6}) EXPECT_NEAR(cornerNormal(*f, i)[2], 1.0f, 1e-6) << i;
    EXPECT_GE(f->settings.creaseAngle, 0.0f);
}

TEST(FaceSetReader, ZeroNormalsGivenInTheFileBecomeUnitVectors) {
    ReadScene r(faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0 ] } normal Normal { vector [ 0 0 0 ] }"
                        " coordIndex [ 0 1 2 ] normalIndex [ 0 0 0 ]"),
                SourceType::Vrml2, 3.0f);
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(allFinite(f->normals.get()));
    EXPECT_EQ(f->normals->at(0, 0), 1.0f);
}

TEST(FaceSetReader, ColourIndicesSplitTheFaceSetIntoOneShapePerColour) {
    std::string index, colours;
    for (int i = 0; i < 100; ++i) index += "0 1 2 -1 ";
    for (int i = 0; i < 100; ++i) colours += std::to_string(i % 2) + " ";
    ReadScene r("Group { children [ " +
                faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 5 5 5 ] } coordIndex [ " + index +
                        "] color Color { color [ 1 0 0, 0 0 1 ] } colorPerVertex FALSE colorIndex [ " + colours + "]") +
                " ] }");
    auto shapes = r.shapes();
    ASSERT_EQ(shapes.size(), 2u) << "alternating colours give one shape per colour, not one per run";
    EXPECT_EQ(shapes[0]->appearance().material().diffuse()[0], 1.0f);
    EXPECT_EQ(shapes[1]->appearance().material().diffuse()[2], 1.0f);
    const FaceObject* f = r.face(0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->points->rows(), 3) << "each piece keeps only the points it uses";
    EXPECT_EQ(f->countTriangles(), 50);
}

TEST(FaceSetReader, NonFiniteNumbersInPointsAreNotTakenAsNumbers) {
    ReadScene r(faceSet("coord Coordinate { point [ nan 0 0, 1 inf 0, 1 1 -inf ] } coordIndex [ 0 1 2 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(allFinite(f->points.get()));
    EXPECT_TRUE(allFinite(f->normals.get()));
}

TEST(FaceSetReader, ForeignFilesAreCleanedOfRepeatedPoints) {
    ReadScene r(faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 0 0, 1 1 0, 0 1 0 ] }"
                        " coordIndex [ 0 1 2 -1 3 4 5 -1 ]"),
                SourceType::Vrml2, -1.0f);
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->points->rows(), 4);
    EXPECT_EQ(f->countTriangles(), 2);
    EXPECT_EQ(f->state(), FaceObject::Ready);
}

TEST(FaceSetReader, UseOfADefinedPointListTakesTheListAsRead) {
    // The first face set is cleaned (its points renumbered); the second must still get the
    // points in the order the file gave them.
    ReadScene r(faceSet("coord DEF P Coordinate { point [ 5 5 5, 0 0 0, 1 0 0, 1 1 0 ] } coordIndex [ 3 2 1 ]") +
                    faceSet("coord USE P coordIndex [ 1 2 3 ]"),
                SourceType::Vrml2, -1.0f);
    const FaceObject* f = r.face(1);
    ASSERT_NE(f, nullptr);
    auto t = triangles(*f);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0][0], (Vec{0, 0, 0}));
    EXPECT_EQ(t[0][2], (Vec{1, 1, 0}));
}

TEST(FaceSetReaderVrml1, SeparatorStateGivesPointsAndMaterialToTheFaceSets) {
    ReadScene r(fixture("cube_v1.wrl"), SourceType::Vrml1, -1.0f);
    auto shapes = r.shapes();
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0]->appearance().material().diffuse()[0], 1.0f);
    EXPECT_EQ(shapes[0]->appearance().material().diffuse()[1], 0.0f);
    const FaceObject* f = r.face(0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->countTriangles(), 12);
    const FaceObject* g = r.face(1);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->points->rows(), 3) << "a face set takes only the points it uses";
}

TEST(FaceSetReaderVrml1, InventorVertexPropertyGivesThePoints) {
    // The header line is the scene reader's; the body is read as VRML 1.
    const std::string text = fixture("cube_inventor.iv");
    ReadScene r(text.substr(text.find('\n') + 1), SourceType::Vrml1, -1.0f);
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->countTriangles(), 12);
    EXPECT_EQ(f->points->rows(), 8);
}

TEST(FaceSetReader, LineSetReadsItsSegments) {
    ReadScene r(
        "Shape { geometry IndexedLineSet { coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0 ] }"
        " coordIndex [ 0 1 2 -1 0 9 -1 ] } }");
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->lineIndex);
    EXPECT_EQ(std::vector<std::int32_t>(f->lineIndex->begin(), f->lineIndex->end()),
              (std::vector<std::int32_t>{0, 1, -1, 1, 2, -1}))
        << "the polyline becomes its two segments; the line through the missing point 9 is dropped";
    EXPECT_FALSE(f->coordIndex);
}

TEST(FaceSetReader, RayHitsTheNearestTriangle) {
    ReadScene r(cube("0"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    float hit[3];
    const float origin[3] = {0, 0, 10}, dir[3] = {0, 0, -2};
    EXPECT_NEAR(f->intersectRay(hit, origin, dir), 9.0f, 1e-5);
    EXPECT_NEAR(hit[2], 1.0f, 1e-5);
    const float away[3] = {0, 0, 1};
    EXPECT_GE(f->intersectRay(hit, origin, away), 1.0e29f);
}

TEST(FaceSetPrepare, DrawingArraysHoldOneVertexPerPointAndNormal) {
    ReadScene r(cube("0"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    const FaceRenderArrays& a = f->renderArrays();
    EXPECT_EQ(a.indices.size(), 36u);
    EXPECT_EQ(a.vertexCount(), 24);
    EXPECT_EQ(f->boundsMin[0], -1.0f);
    EXPECT_EQ(f->boundsMax[2], 1.0f);
}

}  // namespace
}  // namespace kinemo

namespace kinemo {
namespace {

using namespace shapetest;

std::string texturedSquare(const std::string& extra) {
    return "Shape { appearance Appearance { texture PixelTexture { image 2 1 3 0xFF0000 0x00FF00 } }"
           " geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 2 0 0, 2 1 0, 0 1 0 ] }"
           " coordIndex [ 0 1 2 3 -1 ] " +
           extra + " } }";
}

TEST(FaceSetTexturePoints, TexturedFaceSetWithoutTexturePointsGetsTheDefaultMapping) {
    ReadScene r(texturedSquare(""));
    const FaceObject* f = r.face();
    ASSERT_TRUE(f && f->textured());
    ASSERT_TRUE(f->texCoord && f->texCoordIndex);
    EXPECT_EQ(f->texCoordIndex->count(), f->coordIndex->count());
    for (std::int32_t i = 0; i < f->texCoord->rows(); ++i) {
        EXPECT_GE(f->texCoord->at(i, 0), 0.0f);
        EXPECT_LE(f->texCoord->at(i, 0), 1.0f);
    }
    EXPECT_EQ(f->renderArrays().floatsPerVertex, 8);
}

TEST(FaceSetTexturePoints, TexCoordIndexThatDoesNotFitIsReplacedByTheDefaultMapping) {
    ReadScene r(texturedSquare("texCoord TextureCoordinate { point [ 0 0, 1 0, 1 1, 0 1 ] } texCoordIndex [ 0 1 9 ]"));
    const FaceObject* f = r.face();
    ASSERT_TRUE(f && f->texCoordIndex && f->texCoord);
    EXPECT_EQ(f->texCoordIndex->count(), f->coordIndex->count());
    for (std::int32_t v : *f->texCoordIndex) EXPECT_LT(v, f->texCoord->rows());
}

TEST(FaceSetTexturePoints, TexCoordWithoutIndicesFollowsTheCoordIndex) {
    ReadScene r(texturedSquare("texCoord TextureCoordinate { point [ 0 0, 1 0, 1 1, 0 1 ] }"));
    const FaceObject* f = r.face();
    ASSERT_TRUE(f && f->texCoordIndex);
    for (std::int32_t i = 0; i < f->coordIndex->count(); ++i) EXPECT_EQ((*f->texCoordIndex)[i], (*f->coordIndex)[i]);
}

}  // namespace
}  // namespace kinemo

namespace kinemo {
namespace {

using namespace shapetest;

TEST(FaceSetReader, VertexCountsPastWhatTheTextCanHoldAreRefused) {
    testing::ReportRecorder rec;
    ReadScene r(
        "Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0 ] }"
        " numVertices [ 3 1000000000 ] } }");
    EXPECT_TRUE(rec.reported("numVertices"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->countTriangles(), 1);
}

}  // namespace
}  // namespace kinemo
