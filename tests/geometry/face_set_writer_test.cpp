#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "geometry/binary_io.h"
#include "geometry/face_object.h"
#include "geometry/face_ref.h"
#include "geometry/shape_node.h"
#include "shape_test_support.h"

namespace kinemo {
namespace {

using namespace shapetest;

std::string written(const ShapeNode& s) {
    std::string out;
    s.writeText(out);
    return out;
}

std::string faceSet(const std::string& body) { return "Shape { geometry IndexedFaceSet { " + body + " } }"; }

// The triangles as sorted coordinate triples, independent of order and numbering.
std::vector<std::array<Vec, 3>> sortedTriangles(const FaceObject& f) {
    auto t = triangles(f);
    // Written with three decimals: compared on a grid of 1/100.
    for (auto& tri : t)
        for (auto& p : tri)
            for (float& x : p) x = std::round(x * 100.0f) / 100.0f + 0.0f;
    for (auto& tri : t) std::rotate(tri.begin(), std::min_element(tri.begin(), tri.end()), tri.end());
    std::sort(t.begin(), t.end());
    return t;
}

TEST(FaceSetWriter, GeneratedNormalsAreWrittenAsTheCreaseAngle) {
    ReadScene r(replaced(fixture("cube_v2.wrl"), "CREASE", "0.5"));
    const std::string text = written(*r.shape());
    EXPECT_NE(text.find("creaseAngle  0.500000"), std::string::npos) << text;
    EXPECT_EQ(text.find("normal Normal"), std::string::npos);
    EXPECT_NE(text.find("coordIndex [1,3,7,-1,"), std::string::npos) << text;
}

TEST(FaceSetWriter, GivenNormalsThatAreTheFlatOnesAreWrittenWithCrease022) {
    ReadScene r(faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] } normal Normal { vector [ 0 0 1 ] }"
                        " coordIndex [ 0 1 2 3 -1 ] normalIndex [ 0 0 0 0 -1 ]"),
                SourceType::Vrml2, -1.0f);
    const std::string text = written(*r.shape());
    EXPECT_NE(text.find("creaseAngle  0.220000"), std::string::npos) << text;
    EXPECT_EQ(text.find("vector"), std::string::npos);
}

TEST(FaceSetWriter, CurvedGivenNormalsAreWrittenWithTheirIndices) {
    ReadScene r(
        faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0 ] } normal Normal { vector [ 0 0 1, 0.6 0 0.8 ] }"
                " coordIndex [ 0 1 2 -1 ] normalIndex [ 0 1 0 -1 ]"));
    const std::string text = written(*r.shape());
    EXPECT_NE(text.find("normal Normal {"), std::string::npos) << text;
    EXPECT_NE(text.find("normalIndex [0,1,0"), std::string::npos) << text;
}

TEST(FaceSetWriter, PerFaceColoursAreWrittenAsFieldsOfTheFaceSet) {
    faceObjectSettings().colorSplitting = false;
    ReadScene r(
        faceSet("coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] } coordIndex [ 0 1 2 -1 0 2 3 -1 ]"
                " color Color { color [ 1 0 0, 0 1 0 ] } colorPerVertex FALSE colorIndex [ 1 0 ]"));
    faceObjectSettings().colorSplitting = true;
    const std::string text = written(*r.shape());
    const std::size_t colorNode = text.find("color Color {");
    const std::size_t nodeEnd = text.find('}', colorNode);
    const std::size_t index = text.find("colorIndex");
    ASSERT_NE(colorNode, std::string::npos) << text;
    ASSERT_NE(index, std::string::npos);
    EXPECT_GT(index, nodeEnd) << "colorIndex must not be inside the Color node:\n" << text;
    EXPECT_NE(text.find("colorPerVertex FALSE"), std::string::npos);
    // and it reads back with the same colours per face
    faceObjectSettings().colorSplitting = false;
    ReadScene again(text);
    faceObjectSettings().colorSplitting = true;
    ASSERT_TRUE(again.face() && again.face()->colorIndex);
    EXPECT_EQ((*again.face()->colorIndex)[0], 1);
}

class WriteReadBack : public ::testing::TestWithParam<std::string> {};

TEST_P(WriteReadBack, GivesTheSameTriangles) {
    ReadScene first(GetParam());
    ASSERT_TRUE(first.face());
    const std::string text = written(*first.shape());
    ReadScene second(text);
    ASSERT_TRUE(second.face()) << text;
    const auto a = sortedTriangles(*first.face()), b = sortedTriangles(*second.face());
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(a[i][j][k], b[i][j][k], 1e-3);
    // Values written as rounded decimals read back exactly: from then on the text is stable.
    const std::string secondText = written(*second.shape());
    ReadScene third(secondText);
    ASSERT_TRUE(third.shape());
    EXPECT_EQ(written(*third.shape()), secondText);
}
INSTANTIATE_TEST_SUITE_P(
    FaceSetsAndPrimitives, WriteReadBack,
    ::testing::Values(replaced(fixture("cube_v2.wrl"), "CREASE", "0"),
                      replaced(fixture("cube_v2.wrl"), "CREASE", "3.14"),
                      std::string("Shape { geometry Box { size 1 2 3 } }"),
                      std::string("Shape { geometry Cylinder { height 3 radius 0.5 } }"),
                      std::string("Shape { geometry Cone { bottomRadius 2 height 1 } }"),
                      faceSet("solid FALSE coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0, 0.5 2 0 ] }"
                              " coordIndex [ 0 1 2 4 3 -1 ]")));

TEST(FaceSetWriter, BinaryBlocksReadBackInOurOwnFormat) {
    ReadScene first(replaced(fixture("cube_v2.wrl"), "CREASE", "0"));
    std::string text;
    {
        BinaryWriteModeScope binary(true);
        text = written(*first.shape());
    }
    EXPECT_EQ(text.find("point ["), std::string::npos);
    testing::TestScene scene;
    registerShapeReaders();
    readingState().source = SourceType::Vrml2;
    readingState().ownFormat = true;
    testing::readInto(*scene.root, text);
    ASSERT_EQ(scene.root->childCount(), 1u);
    ShapeNode* s = scene.root->child(0)->asShapeNode();
    ASSERT_TRUE(s && s->geometry() && s->geometry()->asFaceObject());
    const FaceObject& f = *s->geometry()->asFaceObject();
    EXPECT_EQ(f.countTriangles(), 12);
    EXPECT_EQ(f.points->rows(), 8);
}

TEST(FaceSetWriter, TruncatedBinaryBlocksAreRefusedWithoutReadingPastTheText) {
    ReadScene first(replaced(fixture("cube_v2.wrl"), "CREASE", "0"));
    std::string text;
    {
        BinaryWriteModeScope binary(true);
        text = written(*first.shape());
    }
    for (std::size_t cut = 20; cut < text.size(); cut += 7) {
        testing::TestScene scene;
        registerShapeReaders();
        readingState().source = SourceType::Vrml2;
        readingState().ownFormat = true;
        testing::readInto(*scene.root, text.substr(0, cut));
    }
}

TEST(FaceSetWriter, ShapeWithoutGeometryWritesNoEmptyGeometryField) {
    ShapeNode s(false);
    s.setGeometry(std::make_unique<FaceObject>());
    const std::string text = written(s);
    EXPECT_EQ(text.find("geometry"), std::string::npos) << text;
}

}  // namespace
}  // namespace kinemo
