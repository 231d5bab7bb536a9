#include "render/gpu_mesh.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <thread>

#include "render/renderer.h"

namespace kinemo {
namespace {

using namespace std::chrono_literals;

// A square of two triangles at z = 0 with per-vertex colours, and one index past the end.
class MeshScene : public SceneDrawer {
public:
    bool camera(Camera& out) override {
        out.position = {0, 0, 3};
        return true;
    }
    Bounds bounds() override {
        Bounds b;
        b.extend({-1, -1, 0});
        b.extend({1, 1, 0});
        return b;
    }
    void drawOpaque(const FrameContext&) override {
        if (!mesh.uploaded() && !uploadTried) {
            uploadTried = true;
            const std::vector<float> p{-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
            const std::vector<float> n{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
            const std::vector<float> c{0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
            uploadedTriangles = mesh.upload(p, n, c, {0, 1, 2, 0, 2, 3, 0, 2, 9}) ? int(mesh.triangles()) : -1;
        }
        glDisable(GL_LIGHTING);
        mesh.draw();
    }
    GpuMesh mesh;
    bool uploadTried = false;
    int uploadedTriangles = 0;
};

TEST(GpuMesh, DrawsItsTrianglesAndDropsOnesWithIndicesPastTheVertices) {
    MeshScene scene;
    auto renderer = Renderer::create();
    renderer->setScene(&scene);
    ASSERT_TRUE(renderer->start());
    if (!renderer->waitUntilRunning(20s)) {
        GTEST_SKIP() << "no OpenGL here";
    }
    PixelImage image;
    {
        RendererPause pause(*renderer);
        ASSERT_TRUE(renderer->capture(image, 20, 20));
    }
    EXPECT_EQ(scene.uploadedTriangles, 2);
    const std::array<int, 4> centre = image.rgba(10, 10);
    EXPECT_EQ(centre[1], 255);
    EXPECT_EQ(centre[0], 0);
    EXPECT_EQ(image.rgba(0, 0)[1], 0) << "outside the square";

    // Given up on the interface thread: the names reach the render thread, which deletes them.
    unsigned name = 0;
    renderer->runOnRenderThread([&] {
        GLint bound = 0;
        scene.mesh.draw();
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
        name = unsigned(bound);
        GpuMesh::finishDrawing();
    });
    ASSERT_NE(name, 0u);
    {
        RendererPause pause(*renderer);
        scene.mesh.release();
        bool stillThere = false;
        renderer->runOnRenderThread([&] { stillThere = glIsBuffer(name) == GL_TRUE; });
        EXPECT_TRUE(stillThere) << "not deleted off the render thread";
    }
    renderer->requestRedraw();
    bool gone = false;
    for (int i = 0; i < 500 && !gone; ++i) {
        std::this_thread::sleep_for(2ms);
        renderer->runOnRenderThread([&] { gone = glIsBuffer(name) == GL_FALSE; });
    }
    EXPECT_TRUE(gone);
    EXPECT_TRUE(renderer->stop());
}

}  // namespace
}  // namespace kinemo
