#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "geometry/binary_io.h"
#include "geometry/face_object.h"
#include "geometry/shape_node.h"
#include "shape_test_support.h"

namespace kinemo {
namespace {

using namespace shapetest;

std::string lineSet(const std::string& body) {
    return "Shape { geometry IndexedLineSet { coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] } " + body +
           " } }";
}

std::vector<std::int32_t> entries(const std::unique_ptr<VectorL>& v) {
    return v ? std::vector<std::int32_t>(v->begin(), v->end()) : std::vector<std::int32_t>{};
}

// The colour of every entry of lineIndex as red, green, blue rows (separators left out).
std::vector<Colour> entryColours(const FaceObject& f) {
    std::vector<Colour> out;
    if (!f.lineColours || !f.lineColourIndex) return out;
    for (std::int32_t i = 0; i < f.lineColourIndex->count(); ++i) {
        const std::int32_t k = (*f.lineColourIndex)[i];
        if (k < 0) continue;
        const float* c = f.lineColours->row(k);
        out.push_back({c[0], c[1], c[2]});
    }
    return out;
}

const Colour kRed{1, 0, 0}, kGreen{0, 1, 0}, kBlue{0, 0, 1};

TEST(LineSet, PolylinesBecomeSegmentsOfTwoPoints) {
    ReadScene r(lineSet("coordIndex [ 0 1 2 3 -1 2 0 -1 3 -1 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(entries(f->lineIndex), (std::vector<std::int32_t>{0, 1, -1, 1, 2, -1, 2, 3, -1, 2, 0, -1}))
        << "a line of one point draws nothing and goes";
}

TEST(LineSet, ColoursPerVertexGoWithBothEndsOfEverySegment) {
    ReadScene r(
        lineSet("color Color { color [ 1 0 0, 0 1 0, 0 0 1 ] } coordIndex [ 0 1 2 -1 ] colorIndex [ 2 1 0 -1 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(entryColours(*f), (std::vector<Colour>{kBlue, kGreen, kGreen, kRed}));
}

TEST(LineSet, ColoursPerVertexWithoutIndicesFollowThePoints) {
    ReadScene r(lineSet("color Color { color [ 1 0 0, 0 1 0, 0 0 1, 1 1 1 ] } coordIndex [ 2 0 -1 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(entryColours(*f), (std::vector<Colour>{kBlue, kRed}));
}

TEST(LineSet, ColoursPerPolylineAreTakenInOrderWithoutIndices) {
    ReadScene r(lineSet("color Color { color [ 1 0 0, 0 1 0 ] } colorPerVertex FALSE coordIndex [ 0 1 2 -1 3 0 -1 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(entryColours(*f), (std::vector<Colour>{kRed, kRed, kRed, kRed, kGreen, kGreen}));
}

TEST(LineSet, ColourIndicesPastTheColoursAreReportedAndTheLinesKept) {
    testing::ReportRecorder reports;
    ReadScene r(lineSet("color Color { color [ 1 0 0 ] } coordIndex [ 0 1 2 -1 ] colorIndex [ 0 5 0 -1 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(entries(f->lineIndex).size(), 6u);
    EXPECT_FALSE(f->lineColours);
    EXPECT_FALSE(f->lineColourIndex);
    EXPECT_TRUE(reports.reported("line colours dropped"));
}

TEST(LineSet, TooFewColourIndicesDropTheColours) {
    testing::ReportRecorder reports;
    ReadScene r(lineSet("color Color { color [ 1 0 0, 0 1 0 ] } coordIndex [ 0 1 2 -1 ] colorIndex [ 0 1 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->lineColourIndex);
    EXPECT_TRUE(reports.reported("line colours dropped"));
}

TEST(LineSet, DroppingALineThroughAMissingPointKeepsTheOtherColours) {
    ReadScene r(
        lineSet("color Color { color [ 1 0 0, 0 1 0, 0 0 1 ] } coordIndex [ 0 9 -1 1 2 -1 ]"
                " colorIndex [ 0 0 -1 1 2 -1 ]"));
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(entries(f->lineIndex), (std::vector<std::int32_t>{1, 2, -1}));
    EXPECT_EQ(entryColours(*f), (std::vector<Colour>{kGreen, kBlue}));
}

TEST(LineSet, ColouredLinesWriteAndReadBackWithTheirColours) {
    ReadScene r(
        lineSet("color Color { color [ 1 0 0, 0 1 0, 0 0 1 ] } coordIndex [ 0 1 2 -1 ] colorIndex [ 2 1 0 -1 ]"));
    std::string text;
    r.shape()->writeText(text);
    EXPECT_NE(text.find("colorIndex"), std::string::npos) << text;
    EXPECT_EQ(text.find("colorPerVertex"), std::string::npos) << "per vertex is the default of line sets";
    ReadScene back(text);
    const FaceObject* f = back.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(entries(f->lineIndex), (std::vector<std::int32_t>{0, 1, -1, 1, 2, -1}));
    EXPECT_EQ(entryColours(*f), (std::vector<Colour>{kBlue, kGreen, kGreen, kRed}));
}

TEST(LineSet, ColouredLinesReadBackFromBinaryBlocks) {
    ReadScene r(
        lineSet("color Color { color [ 1 0 0, 0 1 0, 0 0 1 ] } coordIndex [ 0 1 2 -1 ] colorIndex [ 2 1 0 -1 ]"));
    std::string text;
    {
        BinaryWriteModeScope binary(true);
        r.shape()->writeText(text);
    }
    testing::TestScene scene;
    registerShapeReaders();
    readingState().source = SourceType::Vrml2;
    readingState().ownFormat = true;
    testing::readInto(*scene.root, text);
    readingState().ownFormat = false;
    ASSERT_EQ(scene.root->childCount(), 1u);
    ShapeNode* s = scene.root->child(0)->asShapeNode();
    ASSERT_TRUE(s && s->geometry() && s->geometry()->asFaceObject());
    const FaceObject& f = *s->geometry()->asFaceObject();
    EXPECT_EQ(entries(f.lineIndex), (std::vector<std::int32_t>{0, 1, -1, 1, 2, -1}));
    EXPECT_EQ(entryColours(f), (std::vector<Colour>{kBlue, kGreen, kGreen, kRed}));
}

TEST(LineSet, LineSetsThatDifferOnlyInColourAreNotTheSame) {
    ReadScene a(lineSet("color Color { color [ 1 0 0, 1 0 0 ] } coordIndex [ 0 1 -1 ]"));
    ReadScene b(lineSet("color Color { color [ 0 1 0, 0 1 0 ] } coordIndex [ 0 1 -1 ]"));
    ASSERT_TRUE(a.face() && b.face());
    EXPECT_FALSE(a.face()->sameContent(*b.face()));
    EXPECT_NE(a.face()->contentHash(), b.face()->contentHash());
}

TEST(LineSet, Vrml1PolylinesBecomeSegmentsToo) {
    ReadScene r(
        "Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0 ] } IndexedLineSet { coordIndex [ 0, 1, 2, -1 ] } }",
        SourceType::Vrml1, -1.0f);
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(entries(f->lineIndex), (std::vector<std::int32_t>{0, 1, -1, 1, 2, -1}));
}

TEST(LineSet, Vrml1MaterialBindingPerPartColoursEverySegment) {
    ReadScene r(
        "Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0 ] } Material { diffuseColor [ 1 0 0, 0 1 0 ] }"
        " MaterialBinding { value PER_PART } IndexedLineSet { coordIndex [ 0, 1, 2, -1 ] } }",
        SourceType::Vrml1, -1.0f);
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(entryColours(*f), (std::vector<Colour>{kRed, kRed, kGreen, kGreen}));
}

TEST(LineSet, Vrml1MaterialIndexPerPolylinePicksTheColours) {
    ReadScene r(
        "Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0 ] } Material { diffuseColor [ 1 0 0, 0 1 0, 0 0 1 ] }"
        " MaterialBinding { value PER_FACE_INDEXED }"
        " IndexedLineSet { coordIndex [ 0, 1, -1, 1, 2, -1 ] materialIndex [ 2, 1 ] } }",
        SourceType::Vrml1, -1.0f);
    const FaceObject* f = r.face();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(entryColours(*f), (std::vector<Colour>{kBlue, kBlue, kGreen, kGreen}));
}

}  // namespace
}  // namespace kinemo
