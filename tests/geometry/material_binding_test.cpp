#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geometry/face_object.h"
#include "geometry/shape_node.h"
#include "shape_test_support.h"

namespace kinemo {
namespace {

using namespace shapetest;

std::string withoutHeader(const std::string& text) { return text.substr(text.find('\n') + 1); }

ReadScene readV1(const std::string& text) { return ReadScene(withoutHeader(text), SourceType::Vrml1, -1.0f); }

Colour diffuseOf(const ShapeNode* s) { return s->appearance().material().diffuse(); }

// The diffuse colours of the shapes, in order, and their triangle counts.
std::vector<std::pair<Colour, std::int32_t>> colouredShapes(const ReadScene& r) {
    std::vector<std::pair<Colour, std::int32_t>> out;
    for (std::size_t i = 0; i < r.shapes().size(); ++i) {
        const FaceObject* f = r.face(i);
        out.emplace_back(diffuseOf(r.shape(i)), f ? f->countTriangles() : -1);
    }
    return out;
}

bool near(const Vec& a, const Vec& b) {
    return std::fabs(a[0] - b[0]) < 1e-5f && std::fabs(a[1] - b[1]) < 1e-5f && std::fabs(a[2] - b[2]) < 1e-5f;
}

const Colour kRed{1, 0, 0}, kGreen{0, 1, 0}, kBlue{0, 0, 1};

TEST(MaterialBinding, PerFaceGivesEveryFaceTheNextDiffuseColour) {
    ReadScene r = readV1(fixture("material_binding_v1.wrl"));
    auto shapes = colouredShapes(r);
    ASSERT_GE(shapes.size(), 3u);
    EXPECT_EQ(shapes[0], std::make_pair(kRed, 2));
    EXPECT_EQ(shapes[1], std::make_pair(kGreen, 2));
    EXPECT_EQ(shapes[2], std::make_pair(kBlue, 2));
}

TEST(MaterialBinding, PerFaceIndexedTakesTheColoursThroughMaterialIndex) {
    ReadScene r = readV1(fixture("material_binding_v1.wrl"));
    auto shapes = colouredShapes(r);
    ASSERT_EQ(shapes.size(), 6u);
    EXPECT_EQ(shapes[3], std::make_pair(kBlue, 4)) << "faces 0 and 2 name colour 2";
    EXPECT_EQ(shapes[4], std::make_pair(kRed, 2));
}

TEST(MaterialBinding, OutsideTheBindingSeparatorsTheFirstColourCoversTheShape) {
    ReadScene r = readV1(fixture("material_binding_v1.wrl"));
    auto shapes = colouredShapes(r);
    ASSERT_EQ(shapes.size(), 6u);
    EXPECT_EQ(shapes[5], std::make_pair(kRed, 1));
}

TEST(MaterialBinding, PerVertexIndexedWithoutMaterialIndexFollowsThePointIndices) {
    ReadScene r = readV1(
        "#VRML V1.0 ascii\n"
        "Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
        " Material { diffuseColor [ 1 0 0, 0 1 0, 0 0 1, 1 1 1 ] } MaterialBinding { value PER_VERTEX_INDEXED }"
        " IndexedFaceSet { coordIndex [ 2, 0, 1, -1, 0, 2, 3, -1 ] } }");
    auto shapes = colouredShapes(r);
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0].first, kBlue) << "a face takes the colour of its first vertex";
    EXPECT_EQ(shapes[1].first, kRed);
}

TEST(MaterialBinding, MaterialIndexNamingNoColourDropsTheColoursWithAMessage) {
    testing::ReportRecorder reports;
    ReadScene r = readV1(
        "#VRML V1.0 ascii\n"
        "Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
        " Material { diffuseColor [ 1 0 0, 0 1 0 ] } MaterialBinding { value PER_FACE_INDEXED }"
        " IndexedFaceSet { coordIndex [ 0, 1, 2, -1, 0, 2, 3, -1 ] materialIndex [ 0, 7 ] } }");
    auto shapes = colouredShapes(r);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0], std::make_pair(kRed, 2));
    EXPECT_TRUE(reports.reported("colour index 7 out of bound"));
}

TEST(InventorVertexProperty, NormalsAreUsedAsGiven) {
    ReadScene r = readV1(fixture("vertex_property.iv"));
    const FaceObject* f = r.face(0);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->countTriangles(), 2);
    ASSERT_TRUE(f->normals && f->normalIndex);
    for (std::int32_t corner : {0, 1, 2, 4, 5, 6}) EXPECT_TRUE(near(cornerNormal(*f, corner), Vec{0.6f, 0, 0.8f}));
}

TEST(InventorVertexProperty, OrderedColoursBoundThroughMaterialIndexSplitTheFaceSet) {
    ReadScene r = readV1(fixture("vertex_property.iv"));
    auto shapes = colouredShapes(r);
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[1], std::make_pair(kGreen, 3)) << "faces 0 and 2 name colour 1";
    EXPECT_EQ(shapes[2], std::make_pair(kRed, 2));
}

TEST(InventorVertexProperty, NormalsPerFaceStayWithTheirFacesAcrossTheSplit) {
    ReadScene r = readV1(fixture("vertex_property.iv"));
    const FaceObject* green = r.face(1);
    const FaceObject* red = r.face(2);
    ASSERT_TRUE(green && red);
    ASSERT_TRUE(green->normals && red->normals);
    for (std::int32_t i = 0; i < green->coordIndex->count(); ++i)
        if ((*green->coordIndex)[i] >= 0) {
            EXPECT_TRUE(near(cornerNormal(*green, i), Vec{0, 0, 1}));
        }
    for (std::int32_t i = 0; i < red->coordIndex->count(); ++i)
        if ((*red->coordIndex)[i] >= 0) {
            EXPECT_TRUE(near(cornerNormal(*red, i), Vec{0, 0, -1}));
        }
}

TEST(InventorVertexProperty, UnknownFieldsAndBrokenListsDoNotStopTheFaceSet) {
    ReadScene r = readV1(
        "#Inventor V2.1 ascii\n"
        "Separator { IndexedFaceSet { vertexProperty VertexProperty { vertex [ 0 0 0, 1 0 0, 1 1 0 ]"
        " texCoord3 [ 0 0 0, 1 1 1 ] orderedRGBA [ 0xff0000ff, zz, 12 ] materialBinding NONSENSE }"
        " coordIndex [ 0, 1, 2, -1 ] } }");
    const FaceObject* f = r.face(0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->countTriangles(), 1);
    EXPECT_EQ(diffuseOf(r.shape(0)), kRed) << "an OVERALL orderedRGBA colours the whole shape";
}

}  // namespace
}  // namespace kinemo
