#include <gtest/gtest.h>

#include <cmath>
#include <set>
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

// The colour drawn at every vertex of a face set, keyed by the vertex's x and y.
std::vector<std::pair<std::pair<float, float>, Colour>> drawnColours(const FaceObject& f) {
    const FaceRenderArrays& a = f.renderArrays();
    std::vector<std::pair<std::pair<float, float>, Colour>> out;
    for (std::int32_t v = 0; v < a.vertexCount() && !a.colours.empty(); ++v) {
        const float* p = &a.vertices[std::size_t(v) * std::size_t(a.floatsPerVertex) + 3];
        const float* c = &a.colours[std::size_t(v) * 3];
        out.push_back({{p[0], p[1]}, {c[0], c[1], c[2]}});
    }
    return out;
}

// Points (0 0), (1 0), (1 1), (0 1) coloured red, green, blue, white.
Colour cornerColour(std::pair<float, float> at) {
    if (at.second < 0.5f) return at.first < 0.5f ? kRed : kGreen;
    return at.first > 0.5f ? kBlue : Colour{1, 1, 1};
}

TEST(MaterialBinding, PerVertexIndexedWithoutMaterialIndexFollowsThePointIndices) {
    ReadScene r = readV1(
        "#VRML V1.0 ascii\n"
        "Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
        " Material { diffuseColor [ 1 0 0, 0 1 0, 0 0 1, 1 1 1 ] } MaterialBinding { value PER_VERTEX_INDEXED }"
        " IndexedFaceSet { coordIndex [ 2, 0, 1, -1, 0, 2, 3, -1 ] } }");
    ASSERT_EQ(r.shapes().size(), 1u) << "colours per vertex are drawn blended, not split";
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    auto drawn = drawnColours(*f);
    ASSERT_EQ(drawn.size(), 4u);
    for (const auto& [at, colour] : drawn) EXPECT_EQ(colour, cornerColour(at)) << at.first << " " << at.second;
}

TEST(MaterialBinding, PerVertexTakesTheColoursInOrderOfTheVertices) {
    ReadScene r = readV1(
        "#VRML V1.0 ascii\n"
        "Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
        " Material { diffuseColor [ 0 0 1, 1 0 0, 0 1 0, 1 1 1 ] } MaterialBinding { value PER_VERTEX }"
        " IndexedFaceSet { coordIndex [ 2, 0, 1, -1, 3, 2, 0, -1 ] } }");
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    // Vertex references 2 0 1 | 3 2 0 take colours 0 1 2 | 3 0 1: blue, red, green | white, blue, red.
    std::set<std::pair<std::pair<float, float>, Colour>> drawn;
    for (const auto& d : drawnColours(*f)) drawn.insert(d);
    EXPECT_TRUE(drawn.count({{1.0f, 1.0f}, kBlue}));
    EXPECT_TRUE(drawn.count({{0.0f, 0.0f}, kRed}));
    EXPECT_EQ(drawn.size(), 4u);
    EXPECT_TRUE(drawn.count({{1.0f, 0.0f}, kGreen}));
    EXPECT_TRUE(drawn.count({{0.0f, 1.0f}, Colour{1, 1, 1}}));
}

TEST(ColoursPerVertex, Vrml2ColourIndicesBesideCoordIndexAreDrawnAndWrittenBack) {
    const std::string text =
        "Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
        " color Color { color [ 0 0 1, 1 1 1, 1 0 0, 0 1 0 ] } colorPerVertex TRUE"
        " coordIndex [ 0 1 2 3 -1 ] colorIndex [ 2 3 0 1 -1 ] } }";
    for (float version : {8.09f, -1.0f}) {
        ReadScene r(text, SourceType::Vrml2, version);
        ASSERT_EQ(r.shapes().size(), 1u);
        const FaceObject* f = r.face();
        ASSERT_NE(f, nullptr);
        auto drawn = drawnColours(*f);
        ASSERT_EQ(drawn.size(), 4u) << version;
        for (const auto& [at, colour] : drawn) EXPECT_EQ(colour, cornerColour(at)) << version;
        std::string out;
        r.shape()->writeText(out);
        EXPECT_NE(out.find("colorPerVertex TRUE"), std::string::npos) << out;
        ReadScene back(out);
        ASSERT_TRUE(back.face());
        auto again = drawnColours(*back.face());
        ASSERT_EQ(again.size(), 4u) << out;
        for (const auto& [at, colour] : again) EXPECT_EQ(colour, cornerColour(at));
    }
}

TEST(ColoursPerVertex, WithoutColourIndicesThePointsNameTheColours) {
    ReadScene r(
        "Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
        " color Color { color [ 1 0 0, 0 1 0, 0 0 1, 1 1 1 ] } colorPerVertex TRUE coordIndex [ 0 1 2 3 -1 ] } }");
    ASSERT_TRUE(r.face());
    auto drawn = drawnColours(*r.face());
    ASSERT_EQ(drawn.size(), 4u);
    for (const auto& [at, colour] : drawn) EXPECT_EQ(colour, cornerColour(at));
}

TEST(ColoursPerVertex, TurnedFacesKeepTheirCornerColours) {
    ReadScene r(
        "Shape { geometry IndexedFaceSet { ccw FALSE coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
        " color Color { color [ 1 0 0, 0 1 0, 0 0 1, 1 1 1 ] } colorPerVertex TRUE coordIndex [ 0 1 2 3 -1 ] } }");
    ASSERT_TRUE(r.face());
    auto drawn = drawnColours(*r.face());
    ASSERT_EQ(drawn.size(), 4u);
    for (const auto& [at, colour] : drawn) EXPECT_EQ(colour, cornerColour(at));
}

TEST(ColoursPerVertex, AMirrorKeepsEveryColourAtItsPoint) {
    ReadScene r(
        "Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
        " color Color { color [ 1 0 0, 0 1 0, 0 0 1, 1 1 1 ] } colorPerVertex TRUE coordIndex [ 0 1 2 3 -1 ] } }");
    ASSERT_TRUE(r.shape());
    // x -> 1 - x
    const float linear[9] = {-1, 0, 0, 0, 1, 0, 0, 0, 1}, offset[3] = {1, 0, 0};
    r.shape()->transformBy(linear, offset);
    ASSERT_TRUE(r.face());
    auto drawn = drawnColours(*r.face());
    ASSERT_EQ(drawn.size(), 4u);
    for (const auto& [at, colour] : drawn) EXPECT_EQ(colour, cornerColour({1.0f - at.first, at.second}));
    for (const auto& t : triangles(*r.face())) EXPECT_GT(faceNormal(t)[2], 0.0f) << "still facing +z";
}

TEST(ColoursPerVertex, ColourIndicesThatDoNotFitAreReportedAndDropped) {
    testing::ReportRecorder reports;
    ReadScene r(
        "Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
        " color Color { color [ 1 0 0 ] } colorPerVertex TRUE coordIndex [ 0 1 2 3 -1 ] colorIndex [ 0 0 ] } }");
    ASSERT_TRUE(r.face());
    EXPECT_TRUE(drawnColours(*r.face()).empty());
    EXPECT_TRUE(reports.reported("ColorPerVertex not supported"));
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
