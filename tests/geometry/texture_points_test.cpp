#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geometry/face_object.h"
#include "geometry/shape_node.h"
#include "geometry/texture.h"
#include "shape_test_support.h"

namespace kinemo {
namespace {

using namespace shapetest;

std::string texturedSquare(const std::string& texture, const std::string& extra) {
    return "Shape { appearance Appearance { texture PixelTexture { image 2 1 3 0xFF0000 0x00FF00 " + texture + " } " +
           extra +
           " } geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 2 0 0, 2 1 0, 0 1 0 ] }"
           " normal Normal { vector [ 0 0 1 ] } normalIndex [ 0 0 0 0 -1 ] coordIndex [ 0 1 2 3 -1 ] } }";
}

// The texture point drawn at every vertex, with the vertex's point.
struct DrawnPoint {
    float x, y, u, v;
};
std::vector<DrawnPoint> drawnTexturePoints(const FaceObject& f) {
    const FaceRenderArrays& a = f.renderArrays();
    std::vector<DrawnPoint> out;
    if (!a.textured) return out;
    for (std::int32_t i = 0; i < a.vertexCount(); ++i) {
        const float* v = &a.vertices[std::size_t(i) * std::size_t(a.floatsPerVertex)];
        out.push_back({v[3], v[4], v[6], v[7]});
    }
    return out;
}

FaceObject& faceOf(ReadScene& r) { return *r.shape()->geometry()->asFaceObject(); }

TEST(EnvironmentMapping, KeepsItsVectorsAndNeverWritesThemAsPoints) {
    ReadScene r(texturedSquare("\n#    envMap\n", ""), SourceType::Vrml2, -1.0f);
    ASSERT_TRUE(r.shape() && r.shape()->geometry() && r.shape()->geometry()->asFaceObject());
    const FaceObject& f = faceOf(r);
    ASSERT_TRUE(f.textured());
    ASSERT_TRUE(f.texCoord);
    EXPECT_EQ(f.texCoord->columns(), 3);
    std::string text;
    r.shape()->writeText(text);
    EXPECT_EQ(text.find("TextureCoordinate"), std::string::npos) << text;
}

TEST(EnvironmentMapping, TexturePointsFollowTheViewEveryFrame) {
    ReadScene r(texturedSquare("\n#    envMap\n", ""), SourceType::Vrml2, -1.0f);
    FaceObject& f = faceOf(r);
    const Texture* texture = r.shape()->appearance().texture();
    ASSERT_TRUE(texture && texture->envMap());
    // Facing the camera the normal (0, 0, 1) maps near the middle of the texture.
    const float facing[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    f.updateTexturePoints(*texture, facing);
    auto front = drawnTexturePoints(f);
    ASSERT_FALSE(front.empty());
    for (const DrawnPoint& p : front) EXPECT_NEAR(p.u, 0.5f, 0.1f);
    // Turned by a quarter about y the normal points along x: u goes to the edge.
    const float turned[9] = {0, 0, 1, 0, 1, 0, -1, 0, 0};
    f.updateTexturePoints(*texture, turned);
    for (const DrawnPoint& p : drawnTexturePoints(f)) EXPECT_NEAR(p.u, 1.0f, 0.01f);
    EXPECT_TRUE(f.renderArrays().texturePointsChanged) << "the vertex buffer is sent again";
}

TEST(EnvironmentMapping, AScaledTransformGivesTheSamePointsAsItsRotation) {
    ReadScene r(texturedSquare("\n#    envMap\n", ""), SourceType::Vrml2, -1.0f);
    FaceObject& f = faceOf(r);
    const Texture* texture = r.shape()->appearance().texture();
    const float turned[9] = {0, 0, 1, 0, 1, 0, -1, 0, 0};
    const float scaled[9] = {0, 0, 3, 0, 3, 0, -3, 0, 0};
    f.updateTexturePoints(*texture, turned);
    auto a = drawnTexturePoints(f);
    f.updateTexturePoints(*texture, scaled);
    auto b = drawnTexturePoints(f);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_NEAR(a[i].u, b[i].u, 1e-5f);
        EXPECT_NEAR(a[i].v, b[i].v, 1e-5f);
    }
}

TEST(TextureTransform, DrawnTexturePointsOfACleanedFaceSetAreTransformed) {
    // A file from elsewhere is cleaned, which renumbers the texture points after they were made.
    ReadScene r(texturedSquare("", "textureTransform TextureTransform { translation 0.5 0 }"), SourceType::Vrml2,
                -1.0f);
    FaceObject& f = faceOf(r);
    ASSERT_TRUE(f.textured());
    ShapeDrawContext context;
    f.update(*r.shape(), context);  // what every frame does before drawing
    auto drawn = drawnTexturePoints(f);
    ASSERT_EQ(drawn.size(), 4u);
    for (const DrawnPoint& p : drawn) {
        // The default mapping gives u = x / 2; the transform moves it by half a period.
        const float expected = p.x / 2.0f;
        EXPECT_NEAR(std::fabs(p.u - expected), 0.5f, 1e-5f) << "at x " << p.x;
    }
}

TEST(TextureTransform, SharedFaceSetsAreNotRemadeForEqualTexturesAndAreForChangedOnes) {
    ReadScene r(texturedSquare("", "textureTransform TextureTransform { translation 0.5 0 }"), SourceType::Vrml2,
                -1.0f);
    FaceObject& f = faceOf(r);
    ShapeDrawContext context;
    f.update(*r.shape(), context);
    // Another shape with an equal texture draws the same face set.
    ShapeNode other(true);
    other.appearance().copyFrom(r.shape()->appearance());
    const_cast<FaceRenderArrays&>(f.renderArrays()).texturePointsChanged = false;
    f.update(other, context);
    EXPECT_FALSE(f.renderArrays().texturePointsChanged) << "nothing to send again";
    other.appearance().texture()->setTransform({0, 0}, {0.25f, 0}, {1, 1}, 0);
    f.update(other, context);
    EXPECT_TRUE(f.renderArrays().texturePointsChanged);
    for (const DrawnPoint& p : drawnTexturePoints(f)) EXPECT_NEAR(std::fabs(p.u - p.x / 2.0f), 0.25f, 1e-5f);
}

}  // namespace
}  // namespace kinemo
