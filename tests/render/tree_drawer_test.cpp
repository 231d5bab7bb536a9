// Node trees built in code and drawn off-screen through the renderer, checked by pixels with a
// small tolerance and by pick rays against the shapes' known geometry.
#include "render/tree_drawer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "geometry/shape_node.h"
#include "render/renderer.h"
#include "scene/light.h"
#include "scene/reading_state.h"
#include "scene/scene_light.h"
#include "scene/testing/tree_builder.h"
#include "scene/viewpoint.h"

namespace kinemo {
namespace {

using namespace std::chrono_literals;

constexpr int kTolerance = 3;
constexpr int kSize = 200;

bool near(const std::array<int, 4>& got, const std::array<int, 3>& want) {
    for (int i = 0; i < 3; ++i)
        if (std::abs(got[i] - want[i]) > kTolerance) return false;
    return true;
}

std::string show(const std::array<int, 4>& p) {
    return "(" + std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) + "," +
           std::to_string(p[3]) + ")";
}

// "Shape { ... Box ... }" with the given material fields and box size.
std::string boxShape(const std::string& material, float size = 2.0f) {
    return "Shape { appearance Appearance { material Material { " + material + " } } geometry Box { size " +
           std::to_string(size) + " " + std::to_string(size) + " " + std::to_string(size) + " } }\n";
}

class TreeDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        registerShapeReaders();
        readingState().source = SourceType::Vrml2;
        resetSceneLight();
        auto vp = std::make_unique<ViewPoint>();
        vp->initialTransform.setTranslation(0.0f, 0.0f, 10.0f);
        vp->currentTransform.setTranslation(0.0f, 0.0f, 10.0f);
        viewpoint = vp.get();
        scene.root->addChild(std::move(vp));
        drawer = std::make_unique<TreeDrawer>(*scene.root);
        drawer->setViewpoint(viewpoint);
        drawer->setHeadlight(false);
    }
    void TearDown() override {
        if (renderer) {
            EXPECT_TRUE(renderer->stop());
        }
        renderer.reset();
        resetSceneLight();
    }
    // Starts the renderer on the drawer; false (the test is skipped) without OpenGL.
    bool start() {
        renderer = Renderer::create();
        renderer->setScene(drawer.get());
        if (!renderer->start() || !renderer->waitUntilRunning(20s)) return false;
        renderer->setViewSize(kSize, kSize);
        return true;
    }
    PixelImage capture() {
        PixelImage image;
        RendererPause pause(*renderer);
        EXPECT_TRUE(renderer->capture(image, 0, 0));
        return image;
    }
    // The centre pixel of the view; rows of a PixelImage run bottom to top.
    static std::array<int, 4> centre(const PixelImage& image) { return image.rgba(kSize / 2, kSize / 2); }

    testing::TestScene scene;
    ViewPoint* viewpoint = nullptr;
    std::unique_ptr<TreeDrawer> drawer;
    std::shared_ptr<Renderer> renderer;
};

#define START_OR_SKIP()                                 \
    do {                                                \
        if (!start()) GTEST_SKIP() << "no OpenGL here"; \
    } while (0)

TEST_F(TreeDrawing, ShowsALitCubeInItsMaterialColourAgainstTheBackground) {
    testing::readInto(*scene.root, boxShape("diffuseColor 0.5 0.25 0.75"));
    START_OR_SKIP();
    const PixelImage image = capture();
    ASSERT_EQ(image.cols, kSize);
    // The scene light falls straight onto the front face: diffuse 1 x colour, plus the global
    // ambient 0.2 x the material's ambient 0.2 x colour.
    EXPECT_TRUE(near(centre(image), {133, 66, 199})) << show(centre(image));
    EXPECT_EQ(centre(image)[3], 255);
    EXPECT_TRUE(near(image.rgba(5, 5), {0, 0, 0})) << show(image.rgba(5, 5));
    EXPECT_EQ(image.rgba(5, 5)[3], 0);
}

TEST_F(TreeDrawing, TheSceneLightDirectionStaysInTheWorldWhenTheCameraTurns) {
    testing::readInto(*scene.root, boxShape("diffuseColor 0.5 0.25 0.75"));
    for (TransformData* r : {&viewpoint->initialTransform, &viewpoint->currentTransform}) {
        r->setTranslation(10.0f * std::sin(0.5f), 0.0f, 10.0f * std::cos(0.5f));
        r->setRotation(0.0f, 1.0f, 0.0f, 0.5f);
    }
    START_OR_SKIP();
    const PixelImage image = capture();
    // The centre ray still meets the front face, which the light along -z lights fully; a light
    // taken in camera coordinates would give cos 0.5 of the diffuse part.
    EXPECT_TRUE(near(centre(image), {133, 66, 199})) << show(centre(image));
}

TEST_F(TreeDrawing, ALightAlongTheFaceLeavesOnlyTheAmbientPart) {
    testing::readInto(*scene.root, boxShape("diffuseColor 0.5 0.25 0.75"));
    setSceneLightDirection(-1.0f, 0.0f, 0.0f);
    START_OR_SKIP();
    const PixelImage image = capture();
    EXPECT_TRUE(near(centre(image), {5, 3, 8})) << show(centre(image));
}

TEST_F(TreeDrawing, AHiddenGroupIsNotDrawn) {
    testing::TreeBuilder(*scene.root).group("part");
    GroupNode* part = testing::findGroup(*scene.root, "part");
    ASSERT_NE(part, nullptr);
    testing::readInto(*part, boxShape("diffuseColor 1 1 1"));
    part->hide();
    START_OR_SKIP();
    const PixelImage image = capture();
    EXPECT_TRUE(near(centre(image), {0, 0, 0})) << show(centre(image));
    EXPECT_EQ(centre(image)[3], 0);
    EXPECT_TRUE(drawer->entries().empty());
}

TEST_F(TreeDrawing, AHiddenShapeIsNotDrawnButItsVisibleNeighbourIs) {
    testing::readInto(*scene.root, boxShape("diffuseColor 1 1 1"));
    testing::TreeBuilder(*scene.root).group("right").translate(3.0f, 0.0f, 0.0f);
    testing::readInto(*testing::findGroup(*scene.root, "right"), boxShape("emissiveColor 0 1 0 diffuseColor 0 0 0"));
    ShapeNode* first = nullptr;
    for (std::size_t i = 0; i < scene.root->childCount(); ++i)
        if (ShapeNode* s = scene.root->child(i)->asShapeNode()) first = s;
    ASSERT_NE(first, nullptr);
    first->hide();
    START_OR_SKIP();
    const PixelImage image = capture();
    EXPECT_EQ(centre(image)[3], 0) << show(centre(image));
    // x = 3 at depth 9 lies at 3 / (9 tan 22.5 degrees) = 0.80 of the half width.
    EXPECT_TRUE(near(image.rgba(100, 180), {0, 255, 0})) << show(image.rgba(100, 180));
}

// Face sets leave their arrays and culling set for the next one: a face set that is not solid,
// and a sphere, drawn after a solid box must still show, turned away or not.
TEST_F(TreeDrawing, ShapesAfterASolidFaceSetKeepTheirOwnCulling) {
    testing::readInto(*scene.root, boxShape("diffuseColor 1 1 1"));
    testing::readInto(*scene.root,
                      "Transform { translation 3 0 0 children Shape { appearance Appearance { material Material { "
                      "emissiveColor 0 1 0 diffuseColor 0 0 0 } } geometry IndexedFaceSet { solid FALSE coord "
                      "Coordinate { point [ -1 -1 0, 0 1 0, 1 -1 0 ] } coordIndex [ 0 1 2 -1 ] } } }\n"
                      "Transform { translation -3 0 0 children Shape { appearance Appearance { material Material { "
                      "emissiveColor 1 0 0 diffuseColor 0 0 0 } } geometry Sphere { radius 1 } } }\n");
    START_OR_SKIP();
    for (int pass = 0; pass < 2; ++pass) {  // the second frame starts with the state the first left
        const PixelImage image = capture();
        EXPECT_TRUE(near(image.rgba(100, 180), {0, 255, 0})) << pass << show(image.rgba(100, 180));
        EXPECT_TRUE(near(image.rgba(100, 20), {255, 0, 0})) << pass << show(image.rgba(100, 20));
    }
}

TEST_F(TreeDrawing, ATransparentShapeBlendsOverAnOpaqueOneBehindIt) {
    // The transparent shape comes first in the tree: it must still be drawn after the opaque one.
    testing::readInto(*scene.root, boxShape("emissiveColor 1 0 0 diffuseColor 0 0 0 transparency 0.5"));
    testing::TreeBuilder(*scene.root).group("behind").translate(0.0f, 0.0f, -4.0f);
    testing::readInto(*testing::findGroup(*scene.root, "behind"),
                      boxShape("emissiveColor 0 0 1 diffuseColor 0 0 0", 4));
    START_OR_SKIP();
    const PixelImage image = capture();
    // Alpha 1 - 0.5 squared = 0.75 of red over blue.
    EXPECT_TRUE(near(centre(image), {191, 0, 64})) << show(centre(image));
    // Beside the small cube the opaque one shows unblended.
    EXPECT_TRUE(near(image.rgba(100, 134), {0, 0, 255})) << show(image.rgba(100, 134));
}

TEST_F(TreeDrawing, ATransformedNodeLandsWhereItsGlobalMatrixSays) {
    testing::TreeBuilder(*scene.root)
        .group("outer")
        .translate(0.0f, 1.0f, 0.0f)
        .rotate(0.0f, 0.0f, 1.0f, 1.5707963f)
        .group("inner")
        .translate(2.0f, 0.0f, 0.0f)
        .scale(0.5f, 0.5f, 0.5f);
    GroupNode* inner = testing::findGroup(*scene.root, "inner");
    testing::readInto(*inner, boxShape("diffuseColor 0 0.4 0"));
    const double* t = inner->currentTransform.globalTranslation();
    EXPECT_NEAR(t[0], 0.0, 1e-5);
    EXPECT_NEAR(t[1], 3.0, 1e-5);
    START_OR_SKIP();
    const PixelImage image = capture();
    // The half-size cube's front face at depth 9.5, centred on y = 3: 3 / (9.5 tan 22.5 degrees)
    // = 0.762 of the half height above the centre, that is row 176.
    const std::array<int, 4> at = image.rgba(176, 100);
    // Lit as a cube of unit scale would be: the normals are renormalised under the scale.
    EXPECT_TRUE(near(at, {0, 106, 0})) << show(at);
    EXPECT_EQ(centre(image)[3], 0) << "nothing at the origin";
    EXPECT_EQ(image.rgba(176, 120)[3], 0) << "the cube is half as wide as it was made";
    ASSERT_EQ(drawer->entries().size(), 1u);
    const Bounds& box = drawer->entries()[0].box;
    EXPECT_NEAR(box.min[1], 2.5f, 1e-4f);
    EXPECT_NEAR(box.max[1], 3.5f, 1e-4f);
}

TEST_F(TreeDrawing, APickRayThroughADrawnPixelHitsTheShapeThere) {
    // The part and the viewpoint hang below one moved group, so the camera moves with the part.
    testing::TreeBuilder(*scene.root).group("assembly").translate(1.5f, -1.0f, 0.0f).rotate(0, 1, 0, 0.4f);
    GroupNode* assembly = testing::findGroup(*scene.root, "assembly");
    testing::readInto(*assembly, boxShape("emissiveColor 1 1 0"));
    auto vp = std::make_unique<ViewPoint>();
    for (TransformData* r : {&vp->initialTransform, &vp->currentTransform}) {
        r->setTranslation(2.0f, 1.5f, 6.0f);
        r->setRotation(-0.6f, 0.8f, 0.0f, 0.35f);
    }
    ViewPoint* moved = vp.get();
    assembly->addChild(std::move(vp));
    drawer->setViewpoint(moved);
    START_OR_SKIP();
    const PixelImage image = capture();
    // The cube in world coordinates: the group's matrix applied to (-1,-1,-1)..(1,1,1).
    const double* o = assembly->currentTransform.globalTranslation();
    const float* g = assembly->currentTransform.globalToLocal();
    int hits = 0, misses = 0, disagreements = 0;
    for (int y = 5; y < kSize; y += 10) {
        for (int x = 5; x < kSize; x += 10) {
            const Ray ray = renderer->pickRayWorld(x + 0.5f, y + 0.5f);
            // Into the cube's frame, then the slab test.
            float origin[3], direction[3];
            const double d[3] = {ray.origin[0] - o[0], ray.origin[1] - o[1], ray.origin[2] - o[2]};
            for (int r = 0; r < 3; ++r) {
                origin[r] = float(g[3 * r] * d[0] + g[3 * r + 1] * d[1] + g[3 * r + 2] * d[2]);
                direction[r] =
                    g[3 * r] * ray.direction[0] + g[3 * r + 1] * ray.direction[1] + g[3 * r + 2] * ray.direction[2];
            }
            float t0 = 0.0f, t1 = 1e30f;
            for (int i = 0; i < 3; ++i) {
                const float inv = 1.0f / direction[i];
                float a = (-1.0f - origin[i]) * inv, b = (1.0f - origin[i]) * inv;
                if (a > b) std::swap(a, b);
                t0 = std::max(t0, a);
                t1 = std::min(t1, b);
            }
            const bool hit = t0 <= t1;
            const bool drawn = image.rgba(kSize - 1 - y, x)[3] > 128;
            (hit ? hits : misses)++;
            if (hit != drawn) ++disagreements;
        }
    }
    EXPECT_GT(hits, 20);
    EXPECT_GT(misses, 20);
    // Only samples right on an edge may disagree.
    EXPECT_LE(disagreements, 2);
}

TEST_F(TreeDrawing, TheViewShowsTheSameCubeThroughItsBufferObjects) {
    testing::readInto(*scene.root, boxShape("diffuseColor 0.5 0.25 0.75"));
    struct Frames {
        std::mutex mutex;
        std::vector<std::uint8_t> last;
        int count = 0;
    };
    auto frames = std::make_shared<Frames>();
    renderer = Renderer::create();
    renderer->setFrameSink([frames](int w, int h, const std::uint8_t* rgba) {
        std::lock_guard<std::mutex> lock(frames->mutex);
        if (w != kSize || h != kSize) return;
        frames->last.assign(rgba, rgba + std::size_t(w) * std::size_t(h) * 4);
        ++frames->count;
    });
    renderer->setViewSize(kSize, kSize);
    renderer->setScene(drawer.get());
    if (!renderer->start() || !renderer->waitUntilRunning(20s)) GTEST_SKIP() << "no OpenGL here";
    renderer->requestRedraw();
    const auto end = std::chrono::steady_clock::now() + 10s;
    std::vector<std::uint8_t> frame;
    while (std::chrono::steady_clock::now() < end) {
        {
            std::lock_guard<std::mutex> lock(frames->mutex);
            if (frames->count > 0) {
                frame = frames->last;
                break;
            }
        }
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_FALSE(frame.empty()) << "no frame was shown";
    const std::size_t at = (std::size_t(kSize / 2) * kSize + kSize / 2) * 4;
    const std::array<int, 4> c{frame[at], frame[at + 1], frame[at + 2], frame[at + 3]};
    EXPECT_TRUE(near(c, {133, 66, 199})) << show(c);
}

TEST_F(TreeDrawing, TheCurrentLightNodeLightsTheScene) {
    testing::readInto(*scene.root, boxShape("diffuseColor 0.5 0.25 0.75"));
    setSceneLightIntensity(0.0f);
    Light light;
    light.intensity = 0.5f;
    // GL_LIGHT2 takes the direction as the way towards the light.
    light.direction[0] = 0.0f, light.direction[1] = 0.0f, light.direction[2] = 1.0f;
    makeCurrent(&light);
    struct Forget {
        ~Forget() { makeCurrent(nullptr); }
    } forget;
    START_OR_SKIP();
    const PixelImage image = capture();
    // Half the diffuse colour, plus the global ambient part.
    EXPECT_TRUE(near(centre(image), {69, 35, 104})) << show(centre(image));
}

TEST_F(TreeDrawing, WithoutAViewpointNothingIsDrawn) {
    testing::readInto(*scene.root, boxShape("diffuseColor 1 1 1"));
    drawer->setViewpoint(nullptr);
    setCurrentViewpoint(nullptr);
    Camera c;
    EXPECT_FALSE(drawer->camera(c));
}

TEST_F(TreeDrawing, ClippingDepthsComeFromTheDrawnShapesOnly) {
    testing::readInto(*scene.root, boxShape("diffuseColor 1 1 1"));
    testing::TreeBuilder(*scene.root).group("far").translate(0.0f, 0.0f, -500.0f);
    testing::readInto(*testing::findGroup(*scene.root, "far"), boxShape("diffuseColor 1 1 1"));
    testing::findGroup(*scene.root, "far")->hide();
    drawer->updateTransforms();
    Camera c;
    ASSERT_TRUE(drawer->camera(c));
    float nearest = 0.0f, farthest = 0.0f;
    ASSERT_TRUE(drawer->depthRange(c, nearest, farthest));
    EXPECT_NEAR(nearest, 9.0f, 1e-4f);
    EXPECT_NEAR(farthest, 11.0f, 1e-4f);
}

}  // namespace
}  // namespace kinemo
