// Frame times of the renderer on CAD-like scenes: many small closed shapes, each with its own
// buffer objects, material and transform, drawn lit into an 800 x 600 view; and the read-back
// of a 1920 x 1080 frame.
#include <GL/gl.h>
#include <GL/glext.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "render/gpu_mesh.h"
#include "render/renderer.h"
#include "render_timing.h"

namespace kinemo {
namespace {

using namespace std::chrono_literals;

// Shapes of about trianglesPerShape triangles each (UV spheres), laid out in two layers.
class CadScene : public SceneDrawer {
public:
    CadScene(int triangles, int trianglesPerShape) {
        const int rings = std::max(2, int(std::lround(std::sqrt(trianglesPerShape / 2.0))));
        const int perShape = 2 * rings * rings;
        shapes_ = (triangles + perShape - 1) / perShape;
        rings_ = rings;
        grid_ = int(std::ceil(std::sqrt(shapes_ / 2.0)));
        const float half = float(grid_) * 1.1f;
        box_.extend({-half, -half, -2.2f});
        box_.extend({half, half, 1.1f});
    }
    ~CadScene() override = default;

    int triangles() const { return shapes_ * 2 * rings_ * rings_; }
    int shapes() const { return shapes_; }

    bool camera(Camera& out) override {
        out.position = {0.0f, 0.0f, float(grid_) * 2.9f};
        out.fieldOfView = 45.0f;
        return true;
    }
    Bounds bounds() override { return box_; }
    void drawOpaque(const FrameContext&) override {
        if (meshes_.empty()) upload();
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glEnable(GL_NORMALIZE);
        for (const Mesh& m : meshes_) {
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.colour);
            glPushMatrix();
            glTranslatef(m.offset[0], m.offset[1], m.offset[2]);
            m.mesh.draw();
            glPopMatrix();
        }
        glDisable(GL_CULL_FACE);
    }
    void release() { meshes_.clear(); }

private:
    struct Mesh {
        GpuMesh mesh;
        float offset[3];
        float colour[4];
    };

    void upload() {
        for (int s = 0; s < shapes_; ++s) {
            const float radius = 0.8f + 0.2f * float((s * 7) % 5) / 4.0f;
            std::vector<float> v, n;
            std::vector<std::uint32_t> idx;
            for (int i = 0; i <= rings_; ++i) {
                const float theta = 3.14159265f * float(i) / float(rings_);
                for (int j = 0; j <= rings_; ++j) {
                    const float phi = 2.0f * 3.14159265f * float(j) / float(rings_);
                    const float d[3] = {std::sin(theta) * std::cos(phi), std::cos(theta),
                                        std::sin(theta) * std::sin(phi)};
                    v.insert(v.end(), {radius * d[0], radius * d[1], radius * d[2]});
                    n.insert(n.end(), {d[0], d[1], d[2]});
                }
            }
            for (int i = 0; i < rings_; ++i)
                for (int j = 0; j < rings_; ++j) {
                    const GLuint a = GLuint(i * (rings_ + 1) + j), b = a + 1, c = a + GLuint(rings_ + 1), d = c + 1;
                    idx.insert(idx.end(), {a, b, c, b, d, c});
                }
            Mesh m;
            const int layer = s % 2, cell = s / 2;
            m.offset[0] = (float(cell % grid_) - float(grid_) / 2.0f) * 2.2f;
            m.offset[1] = (float(cell / grid_) - float(grid_) / 2.0f) * 2.2f;
            m.offset[2] = layer == 0 ? 0.0f : -1.1f;
            m.colour[0] = 0.3f + 0.7f * float(s % 3) / 2.0f;
            m.colour[1] = 0.3f + 0.7f * float(s % 5) / 4.0f;
            m.colour[2] = 0.5f;
            m.colour[3] = 1.0f;
            m.mesh.upload(v, n, {}, idx);
            meshes_.push_back(std::move(m));
        }
    }

    int shapes_ = 0;
    int rings_ = 0;
    int grid_ = 0;
    Bounds box_;
    std::vector<Mesh> meshes_;
};

using bench::processCpuSeconds;
using bench::Running;

void BM_SteadyFrame(benchmark::State& state) {
    CadScene scene(int(state.range(0)), int(state.range(1)));
    Running run(scene, 800, 600);
    if (!run.ok) {
        state.SkipWithError("no OpenGL");
        return;
    }
    RendererPause pause(*run.renderer);  // the loop stays out of the way
    run.frame();                         // upload and shader compilation
    const double cpuBefore = processCpuSeconds();
    for (auto _ : state) state.SetIterationTime(run.frame());
    // The work of all threads, which a loaded machine does not inflate as it does wall time.
    state.counters["cpu_ms_per_frame"] = (processCpuSeconds() - cpuBefore) * 1000.0 / double(state.iterations());
    run.renderer->runOnRenderThread([&] { scene.release(); });
    state.counters["triangles"] = scene.triangles();
    state.counters["shapes"] = scene.shapes();
}
// The single-draw rows are the floor the split scenes are measured against.
BENCHMARK(BM_SteadyFrame)
    ->Args({100000, 50})
    ->Args({100000, 100000})
    ->Args({1000000, 250})
    ->Args({1000000, 1000000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The first frame after a load: buffer uploads and shader compilation included.
void BM_FirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        CadScene scene(int(state.range(0)), int(state.range(1)));
        Running run(scene, 800, 600);
        if (!run.ok) {
            state.SkipWithError("no OpenGL");
            return;
        }
        RendererPause pause(*run.renderer);
        state.SetIterationTime(run.frame());
        run.renderer->runOnRenderThread([&] { scene.release(); });
        state.counters["shapes"] = scene.shapes();
    }
}
BENCHMARK(BM_FirstFrame)->Args({1000000, 250})->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

class EmptyScene : public SceneDrawer {
public:
    bool camera(Camera& out) override { return true; }
    Bounds bounds() override { return {}; }
    void drawOpaque(const FrameContext&) override {}
};

void BM_Readback1080p(benchmark::State& state) {
    EmptyScene scene;
    Running run(scene, 64, 64);
    if (!run.ok) {
        state.SkipWithError("no OpenGL");
        return;
    }
    RendererPause pause(*run.renderer);
    PixelImage image;
    std::unique_ptr<BitmapRenderContext> context;
    run.renderer->runOnRenderThread([&] {
        context = std::make_unique<BitmapRenderContext>(*run.renderer, 1920, 1080);
        context->render();
        glFinish();
    });
    for (auto _ : state) {
        double seconds = 0.0;
        run.renderer->runOnRenderThread([&] {
            const auto t0 = std::chrono::steady_clock::now();
            context->readPixels(image);
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        });
        state.SetIterationTime(seconds);
    }
    run.renderer->runOnRenderThread([&] { context.reset(); });
    state.SetBytesProcessed(std::int64_t(state.iterations()) * 1920 * 1080 * 4);
}
BENCHMARK(BM_Readback1080p)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kinemo

BENCHMARK_MAIN();
