#include "geometry/face_ref.h"

#include <gtest/gtest.h>

#include "shape_test_support.h"

namespace kinemo {
namespace {

using namespace shapetest;

std::string triangle(const std::string& extra) {
    return "Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0 ] }"
           " coordIndex [ 0 1 2 ] " +
           extra + " } }";
}

TEST(FaceSharing, IdenticalFaceSetsBecomeReferencesToOne) {
    ReadScene r(triangle("") + triangle("") + triangle(""));
    FaceShareTable table;
    EXPECT_EQ(table.shareAll(*r.scene.root), 2);
    auto shapes = r.shapes();
    ASSERT_EQ(shapes.size(), 3u);
    auto* a = dynamic_cast<FaceRef*>(shapes[0]->geometry());
    auto* c = dynamic_cast<FaceRef*>(shapes[2]->geometry());
    ASSERT_TRUE(a && c);
    EXPECT_EQ(&a->target(), &c->target());
}

TEST(FaceSharing, FaceSetsThatDifferInAnyWrittenFieldStaySeparate) {
    const std::string tex = "texCoord TextureCoordinate { point [ 0 0, 1 0, 1 1 ] } texCoordIndex [ 0 1 2 ]";
    ReadScene r(triangle("") + triangle("solid FALSE") + triangle("ccw FALSE") + triangle(tex) +
                triangle("creaseAngle 1"));
    FaceShareTable table;
    EXPECT_EQ(table.shareAll(*r.scene.root), 0);
}

TEST(FaceSharing, ChangingASharedFaceSetCopiesItFirst) {
    ReadScene r(triangle("") + triangle(""));
    FaceShareTable table;
    table.shareAll(*r.scene.root);
    auto shapes = r.shapes();
    shapes[1]->scaleBy(10.0f);
    EXPECT_FLOAT_EQ(r.face(0)->boundsMax[0], 1.0f);
    EXPECT_FLOAT_EQ(r.face(1)->boundsMax[0], 10.0f);
    EXPECT_TRUE(shapes[1]->geometry()->asFaceObject());
}

TEST(FaceSharing, WritingSharedFaceSetsUsesDefAndUse) {
    ReadScene r(triangle("") + triangle(""));
    FaceShareTable table;
    table.shareAll(*r.scene.root);
    std::string out;
    for (ShapeNode* s : r.shapes()) s->writeText(out);
    const std::size_t def = out.find("DEF kmxFaceSet_");
    ASSERT_NE(def, std::string::npos) << out;
    const std::string name = out.substr(def + 4, out.find(' ', def + 4) - def - 4);
    EXPECT_NE(out.find("USE " + name), std::string::npos) << out;
    // Read back: the second shape takes the first one's geometry.
    ReadScene again(out);
    ASSERT_EQ(again.shapes().size(), 2u);
    EXPECT_EQ(again.face(1)->countTriangles(), 1);
    // A later, separate text gets the DEF again.
    std::string other;
    r.shapes()[1]->writeText(other);
    EXPECT_NE(other.find("DEF "), std::string::npos) << other;
}

TEST(FaceTransform, MirrorKeepsTrianglesFacingOutwardsAndNormalsFollow) {
    ReadScene r(replaced(fixture("cube_v2.wrl"), "CREASE", "0"));
    ShapeNode* s = r.shape();
    const float mirror[9] = {-1, 0, 0, 0, 1, 0, 0, 0, 1}, offset[3] = {0, 0, 0};
    s->transformBy(mirror, offset);
    const FaceObject* f = r.face();
    auto tris = triangles(*f);
    for (std::size_t t = 0; t < tris.size(); ++t) {
        EXPECT_GT(dot(faceNormal(tris[t]), tris[t][0]), 0.0f);
        EXPECT_NEAR(dot(cornerNormal(*f, std::int32_t(4 * t)), faceNormal(tris[t])), 1.0f, 1e-5);
    }
}

TEST(FaceTransform, NonUniformScaleTransformsNormalsByTheInverseTranspose) {
    ReadScene r(
        "Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 0 1 1 ] }"
        " coordIndex [ 0 1 2 ] creaseAngle 0.5 } }");
    ShapeNode* s = r.shape();
    const float stretch[9] = {1, 0, 0, 0, 1, 0, 0, 0, 4}, offset[3] = {0, 0, 0};
    s->transformBy(stretch, offset);
    const FaceObject* f = r.face();
    const auto t = triangles(*f)[0];
    EXPECT_NEAR(dot(cornerNormal(*f, 0), faceNormal(t)), 1.0f, 1e-5);
}

TEST(FaceSharing, UseOfADefinedFaceSetSharesIt) {
    ReadScene r(
        "Shape { geometry DEF T IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0 ] }"
        " coordIndex [ 0 1 2 ] } } Shape { geometry USE T }");
    auto shapes = r.shapes();
    ASSERT_EQ(shapes.size(), 2u);
    auto* b = dynamic_cast<FaceRef*>(shapes[1]->geometry());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->target().countTriangles(), 1);
    float hit[3];
    const float o[3] = {0.7f, 0.2f, 5}, d[3] = {0, 0, -1};
    EXPECT_NEAR(b->intersectRay(hit, o, d), 5.0f, 1e-5);
}

}  // namespace
}  // namespace kinemo
