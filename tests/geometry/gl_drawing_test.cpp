// Materials, textures and shapes sent to a real OpenGL context (Mesa's software renderer in CI):
// the state they leave and the pixels they draw. Skipped where no OpenGL context can be made.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "geometry/appearance_gl.h"
#include "geometry/image.h"
#include "geometry/material_cache.h"
#include "geometry/texture_table.h"
#include "image_test_support.h"
#include "render/gl_device.h"
#include "render/render_context.h"
#include "shape_test_support.h"

namespace kinemo {
namespace {

using namespace shapetest;

constexpr int kSize = 32;

class GlDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        device() = GlDevice::create(GlDevice::Request{}, error);
        if (!device()) return;
        framebuffer() = std::make_unique<Framebuffer>();
        if (!framebuffer()->create(kSize, kSize, 24)) {
            framebuffer().reset();
            device().reset();
        }
    }
    static void TearDownTestSuite() {
        if (device()) freeTextureNames();
        framebuffer().reset();
        device().reset();
    }
    void SetUp() override {
        if (!device()) GTEST_SKIP() << "no OpenGL here";
        device()->makeCurrent();
        framebuffer()->bind();
        glViewport(0, 0, kSize, kSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glColor4f(1, 1, 1, 1);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        materialCache().reset();
    }

    // Red, green, blue, alpha of the pixel at (x, y) in 0..1 units of the view.
    static std::array<int, 4> pixel(float x, float y) {
        std::array<std::uint8_t, kSize * kSize * 4> rgba{};
        glFinish();
        framebuffer()->read(kSize, kSize, rgba.data());
        const int col = std::min(kSize - 1, int(x * kSize)), row = std::min(kSize - 1, int(y * kSize));
        const std::uint8_t* p = &rgba[std::size_t(row * kSize + col) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
    static bool near(const std::array<int, 4>& got, int r, int g, int b) {
        return std::abs(got[0] - r) <= 3 && std::abs(got[1] - g) <= 3 && std::abs(got[2] - b) <= 3;
    }

    static std::unique_ptr<GlDevice>& device() {
        static std::unique_ptr<GlDevice> d;
        return d;
    }
    static std::unique_ptr<Framebuffer>& framebuffer() {
        static std::unique_ptr<Framebuffer> f;
        return f;
    }
};

std::string show(const std::array<int, 4>& p) {
    return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) + "," + std::to_string(p[3]);
}

TEST_F(GlDrawing, MaterialIsSentWithItsAlphaAmbientAndShininess) {
    Material m;
    m.setBaseDiffuse({0.5f, 0.25f, 1.0f});
    m.setBaseTransparency(0.5f);
    applyMaterial(m);
    GLfloat diffuse[4], ambient[4], shininess = 0;
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glGetMaterialfv(GL_BACK, GL_AMBIENT, ambient);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_NEAR(diffuse[0], 0.5f, 1e-5f);
    EXPECT_NEAR(diffuse[2], 1.0f, 1e-5f);
    EXPECT_NEAR(diffuse[3], 0.75f, 1e-5f) << "alpha is 1 - transparency squared";
    EXPECT_NEAR(ambient[1], 0.2f * 0.25f, 1e-5f) << "ambient intensity times the diffuse colour";
    EXPECT_NEAR(ambient[3], 1.0f, 1e-5f);
    EXPECT_NEAR(shininess, 0.2f * 128.0f, 1e-3f);
}

TEST_F(GlDrawing, ASecondMaterialReplacesOnlyWhatDiffers) {
    Material a, b;
    a.setBaseDiffuse({1, 0, 0});
    b.setBaseDiffuse({0, 1, 0});
    applyMaterial(a);
    // Something else changed the state behind the cache's back: an equal material sends nothing.
    const GLfloat grey[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, grey);
    applyMaterial(a);
    GLfloat diffuse[4];
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    EXPECT_NEAR(diffuse[0], 0.3f, 1e-5f);
    applyMaterial(b);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    EXPECT_NEAR(diffuse[1], 1.0f, 1e-5f);
    EXPECT_NEAR(diffuse[0], 0.0f, 1e-5f);
}

TEST_F(GlDrawing, BindingUploadsOnceAndSetsTheWrapModes) {
    Texture t;
    t.readFromString("PixelTexture { image 2 1 3 0xFF0000 0x00FF00 repeatS FALSE }");
    ASSERT_TRUE(t.image());
    bindTexture(t);
    ASSERT_GT(t.textureName(), 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0, wrapS = 0, wrapT = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, t.textureName());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    EXPECT_EQ(wrapS, GL_CLAMP);
    EXPECT_EQ(wrapT, GL_REPEAT);
    const std::int32_t first = t.textureName();
    bindTexture(t);
    EXPECT_EQ(t.textureName(), first) << "bound again without a new upload";
    glDisable(GL_TEXTURE_2D);
}

TEST_F(GlDrawing, UploadedTexturePixelsAreTheImageFromItsBottomRow) {
    Texture t;
    t.readFromString("PixelTexture { image 2 2 3 0xFF0000 0x00FF00 0x0000FF 0xFFFFFF }");
    ASSERT_TRUE(t.image());
    bindTexture(t);
    ASSERT_GT(t.textureName(), 0);
    std::array<std::uint8_t, 16> texels{};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    const auto& pixels = t.image()->pixels();
    ASSERT_EQ(pixels.size(), 4u);
    EXPECT_EQ(std::memcmp(texels.data(), pixels.data(), 16), 0) << "the image's words go up as they are";
    glDisable(GL_TEXTURE_2D);
}

std::string square(const std::string& appearance, const std::string& extra = "") {
    return "Shape { appearance Appearance { " + appearance +
           " } geometry IndexedFaceSet { solid FALSE coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
           " coordIndex [ 0 1 2 3 -1 ] " +
           extra + " } }";
}

TEST_F(GlDrawing, ColoursPerFaceAreDrawn) {
    faceObjectSettings().colorSplitting = false;
    ReadScene unsplit(
        "Shape { geometry IndexedFaceSet { solid FALSE coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
        " coordIndex [ 0 1 2 -1 0 2 3 -1 ] colorPerVertex FALSE color Color { color [ 1 0 0, 0 0 1 ] }"
        " colorIndex [ 0 1 ] } }");
    faceObjectSettings().colorSplitting = true;
    ASSERT_TRUE(unsplit.shape());
    unsplit.shape()->draw(ShapeDrawContext{});
    EXPECT_TRUE(near(pixel(0.8f, 0.2f), 255, 0, 0)) << show(pixel(0.8f, 0.2f));
    EXPECT_TRUE(near(pixel(0.2f, 0.8f), 0, 0, 255)) << show(pixel(0.2f, 0.8f));
}

TEST_F(GlDrawing, ElevationGridColoursPerPointAreBlended) {
    ReadScene r(
        "Shape { geometry ElevationGrid { xDimension 2 zDimension 2 height [ 0 0 0 0 ] solid FALSE"
        " color Color { color [ 1 0 0, 1 0 0, 0 0 1, 0 0 1 ] } } }");
    ASSERT_TRUE(r.shape());
    // The grid lies in x and z: turn z up into the view.
    glRotatef(-90, 1, 0, 0);
    r.shape()->draw(ShapeDrawContext{});
    glLoadIdentity();
    const auto low = pixel(0.5f, 0.05f), high = pixel(0.5f, 0.95f), middle = pixel(0.5f, 0.5f);
    EXPECT_GT(low[0], 200) << show(low);
    EXPECT_GT(high[2], 200) << show(high);
    EXPECT_TRUE(middle[0] > 60 && middle[2] > 60) << "blended in between: " << show(middle);
}

TEST_F(GlDrawing, LineColoursAreDrawn) {
    ReadScene r(
        "Shape { geometry IndexedLineSet { coord Coordinate {"
        " point [ 0 0.515625 0, 1 0.515625 0, 0.515625 0 0, 0.515625 1 0 ] }"
        " color Color { color [ 0 1 0, 1 0 1 ] } colorPerVertex FALSE coordIndex [ 0 1 -1 2 3 -1 ] } }");
    ASSERT_TRUE(r.shape());
    r.shape()->draw(ShapeDrawContext{});
    // Lines through pixel centres: row 16 and column 16.
    EXPECT_TRUE(near(pixel(0.15f, 0.515625f), 0, 255, 0)) << show(pixel(0.15f, 0.515625f));
    EXPECT_TRUE(near(pixel(0.515625f, 0.85f), 255, 0, 255)) << show(pixel(0.515625f, 0.85f));
}

TEST_F(GlDrawing, SeeThroughGifPixelsLeaveTheSurfaceOut) {
    ReadScene r(square("texture PixelTexture { image 1 1 3 0xFFFFFF }"));
    ASSERT_TRUE(r.shape() && r.shape()->appearance().texture());
    // convert -size 4x2 xc:red -fill blue -draw "point 1,0" -transparent blue
    auto image = std::make_shared<ImageImpl>("clear.gif");
    ASSERT_TRUE(image->decode(testing::readBytes(testing::geometryData("see_through_4x2.gif")), true, true));
    ASSERT_TRUE(image->seeThrough());
    r.shape()->appearance().texture()->setImage(image);
    r.shape()->draw(ShapeDrawContext{});
    // The file's top row is the texture's upper one: its pixel 1 covers u 0.25..0.5, v 0.5..1.
    const auto clear = pixel(0.36f, 0.75f), red = pixel(0.875f, 0.25f);
    EXPECT_EQ(clear[3], 0) << show(clear);
    EXPECT_TRUE(near(red, 255, 0, 0)) << show(red);
}

}  // namespace
}  // namespace kinemo
