// Frame times of scene trees read from text, as CAD exports come: thousands of transformed shapes
// with face sets of their own, drawn lit through the tree drawer into an 800 x 600 view.
#include "render/tree_drawer.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>

#include "core/numbers.h"
#include "geometry/shape_node.h"
#include "render/renderer.h"
#include "render_timing.h"
#include "scene/reading_state.h"
#include "scene/testing/tree_builder.h"
#include "scene/viewpoint.h"

namespace kinemo {
namespace {

using namespace std::chrono_literals;

// A UV sphere of 2 rings^2 triangles as an IndexedFaceSet; every shape gets its own radius, so
// that no two face sets are equal and shared.
std::string sphereShape(int rings, float radius, float x, float y, float z, int s) {
    std::string t = formatC(
        "Transform { translation %g %g %g children [ Shape { appearance Appearance { material "
        "Material { diffuseColor %g %g 0.5 } } geometry IndexedFaceSet { coord Coordinate { point [",
        x, y, z, 0.3 + 0.7 * (s % 3) / 2.0, 0.3 + 0.7 * (s % 5) / 4.0);
    for (int i = 0; i <= rings; ++i) {
        const double theta = 3.14159265 * i / rings;
        for (int j = 0; j <= rings; ++j) {
            const double phi = 2 * 3.14159265 * j / rings;
            t += formatC(" %g %g %g,", radius * std::sin(theta) * std::cos(phi), radius * std::cos(theta),
                         radius * std::sin(theta) * std::sin(phi));
        }
    }
    t += " ] } coordIndex [";
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < rings; ++j) {
            const int a = i * (rings + 1) + j, b = a + 1, c = a + rings + 1, d = c + 1;
            t += formatC(" %d %d %d -1 %d %d %d -1", a, b, c, b, d, c);
        }
    return t + " ] creaseAngle 1.0 } } ] }\n";
}

struct CadTree {
    testing::TestScene scene;
    std::unique_ptr<TreeDrawer> drawer;
    int shapes = 0;
    long triangles = 0;

    CadTree(int totalTriangles, int perShape) {
        registerShapeReaders();
        readingState().source = SourceType::Vrml2;
        const int rings = std::max(2, int(std::lround(std::sqrt(perShape / 2.0))));
        shapes = (totalTriangles + 2 * rings * rings - 1) / (2 * rings * rings);
        const int grid = int(std::ceil(std::sqrt(shapes / 2.0)));
        std::string text;
        for (int s = 0; s < shapes; ++s) {
            const int cell = s / 2;
            text +=
                sphereShape(rings, 0.8f + 0.2f * float(s) / float(shapes), (float(cell % grid) - grid / 2.0f) * 2.2f,
                            (float(cell / grid) - grid / 2.0f) * 2.2f, s % 2 ? -1.1f : 0.0f, s);
        }
        testing::readInto(*scene.root, text);
        triangles = collectStatistics(*scene.root).triangles;
        auto vp = std::make_unique<ViewPoint>();
        vp->currentTransform.setTranslation(0.0f, 0.0f, float(grid) * 2.9f);
        ViewPoint* v = vp.get();
        scene.root->addChild(std::move(vp));
        drawer = std::make_unique<TreeDrawer>(*scene.root);
        drawer->setViewpoint(v);
        drawer->setHeadlight(true);
    }
};

using bench::processCpuSeconds;
using bench::Running;

void BM_TreeFrame(benchmark::State& state) {
    CadTree tree(int(state.range(0)), int(state.range(1)));
    Running run(*tree.drawer, 800, 600);
    if (!run.ok) {
        state.SkipWithError("no OpenGL");
        return;
    }
    // No pause: drawing gives way to a pause request, and the loop itself draws only on request.
    state.counters["first_frame_ms"] = run.frame() * 1000.0;
    const double cpuBefore = processCpuSeconds();
    for (auto _ : state) state.SetIterationTime(run.frame());
    state.counters["cpu_ms_per_frame"] = (processCpuSeconds() - cpuBefore) * 1000.0 / double(state.iterations());
    state.counters["shapes"] = tree.shapes;
    state.counters["triangles"] = double(tree.triangles);
}
BENCHMARK(BM_TreeFrame)->Args({100000, 100})->Args({1000000, 500})->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kinemo

BENCHMARK_MAIN();
