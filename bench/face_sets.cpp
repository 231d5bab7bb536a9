// Face set passes on million-triangle meshes: normals by crease angle, the whole of finishReading
// and prepare, and the sharing pass over many shapes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "geometry/face_object.h"
#include "geometry/face_ref.h"
#include "geometry/shape_node.h"
#include "scene/group_node.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"

namespace {

using namespace kinemo;

// A wavy grid of n x n quads; as triangles when triangles is set, else as quads.
struct Mesh {
    std::vector<float> points;
    std::vector<std::int32_t> index;
};

Mesh grid(int n, bool triangles) {
    Mesh m;
    const int side = n + 1;
    m.points.reserve(std::size_t(side) * side * 3);
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i)
            m.points.insert(m.points.end(), {float(i), float(std::sin(i * 0.05) * std::cos(j * 0.07) * 5), float(j)});
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const int a = j * side + i, b = a + 1, c = a + side + 1, d = a + side;
            if (triangles)
                m.index.insert(m.index.end(), {a, d, c, -1, a, c, b, -1});
            else
                m.index.insert(m.index.end(), {a, d, c, b, -1});
        }
    m.index.pop_back();
    return m;
}

void fill(FaceObject& f, const Mesh& m) {
    f.points = std::make_unique<MatrixF>(std::int32_t(m.points.size() / 3), 3);
    std::memcpy(f.points->data(), m.points.data(), m.points.size() * sizeof(float));
    f.coordIndex = std::make_unique<VectorL>(std::int32_t(m.index.size()));
    std::memcpy(f.coordIndex->data(), m.index.data(), m.index.size() * sizeof(std::int32_t));
}

void quiet() {
    setSceneReportListener([](std::string_view, int, bool, bool) {});
}

void BM_NormalsByCreaseAngle(benchmark::State& state) {
    quiet();
    resetReadingState();
    readingState().fileVersion = 8.09f;
    const int n = int(state.range(0));
    const Mesh m = grid(n, true);
    FaceObject f;
    fill(f, m);
    for (auto _ : state) {
        f.generateNormals(0.5f);
        benchmark::DoNotOptimize(f.normals.get());
    }
    state.counters["triangles"] = double(2 * n * n);
}
BENCHMARK(BM_NormalsByCreaseAngle)->Arg(708)->Unit(benchmark::kMillisecond);

// A read face set from another program: quads, cleaned, given normals by crease angle.
void BM_FinishReadingAndPrepare(benchmark::State& state) {
    quiet();
    resetReadingState();
    readingState().fileVersion = -1.0f;
    const int n = int(state.range(0));
    const Mesh m = grid(n, false);
    for (auto _ : state) {
        state.PauseTiming();
        auto f = std::make_unique<FaceObject>();
        fill(*f, m);
        f->settings.creaseAngle = 0.5f;
        state.ResumeTiming();
        const bool ok = f->finishReading(nullptr, nullptr);
        benchmark::DoNotOptimize(ok);
        state.PauseTiming();
        f.reset();
        state.ResumeTiming();
    }
    state.counters["triangles"] = double(2 * n * n);
}
BENCHMARK(BM_FinishReadingAndPrepare)->Arg(708)->Unit(benchmark::kMillisecond);

// 2000 shapes of 2000 triangles, every second one a repeat of an earlier one.
void BM_SharingByContentHash(benchmark::State& state) {
    quiet();
    resetReadingState();
    readingState().fileVersion = 8.09f;
    for (auto _ : state) {
        state.PauseTiming();
        auto root = std::make_unique<GroupNode>(false);
        for (int s = 0; s < 2000; ++s) {
            Mesh m = grid(31, true);
            for (std::size_t i = 0; i < m.points.size(); i += 3) m.points[i] += float(s / 2);
            auto shape = std::make_unique<ShapeNode>(false);
            auto f = std::make_unique<FaceObject>();
            fill(*f, m);
            f->setState(FaceObject::Cleaned);
            FaceObject* raw = f.get();
            shape->setGeometry(std::move(f));
            raw->finishReading(shape.get(), nullptr);
            root->addChild(std::move(shape));
        }
        state.ResumeTiming();
        FaceShareTable table;
        benchmark::DoNotOptimize(table.shareAll(*root));
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SharingByContentHash)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
