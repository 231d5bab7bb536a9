// Number-list reading and the binary blocks on generated point and index lists shaped like a CAD
// export (coordinates with 3 to 6 decimals, triangles ended by -1).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

#include "geometry/matrix.h"
#include "geometry/vector.h"

using namespace kinemo;

namespace {

std::string pointText(int rows) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> d(-500.0, 500.0);
    std::string text = "[";
    char buffer[64];
    for (int r = 0; r < rows; ++r) {
        int decimals = 3 + r % 4;
        std::snprintf(buffer, sizeof buffer, "%.*f %.*f %.*f,\n", decimals, d(rng), decimals, d(rng), decimals, d(rng));
        text += buffer;
    }
    text += "]";
    return text;
}

std::string indexText(int triangles) {
    std::mt19937 rng(9);
    std::uniform_int_distribution<int> d(0, 200000);
    std::string text = "[";
    for (int t = 0; t < triangles; ++t)
        text += std::to_string(d(rng)) + ", " + std::to_string(d(rng)) + ", " + std::to_string(d(rng)) + ", -1,\n";
    text += "]";
    return text;
}

void BM_PointBlockText(benchmark::State& state) {
    std::string text = pointText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<MatrixF> m;
        MatrixF::readFromString(text.data(), text.data() + text.size(), 3, m);
        benchmark::DoNotOptimize(m);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_PointBlockText)->Arg(1 << 20);

void BM_IndexListText(benchmark::State& state) {
    std::string text = indexText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<VectorL> list;
        VectorL::readFromString(text.data(), text.data() + text.size(), list);
        benchmark::DoNotOptimize(list);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_IndexListText)->Arg(1 << 20);

void BM_PointBlockBinaryRead(benchmark::State& state) {
    std::string text = pointText(static_cast<int>(state.range(0)));
    std::unique_ptr<MatrixF> m;
    MatrixF::readFromString(text.data(), text.data() + text.size(), 3, m);
    std::string bytes;
    m->writeBinary(bytes, 2);
    for (auto _ : state) {
        std::unique_ptr<MatrixF> back;
        MatrixF::readBinary(bytes.data(), bytes.data() + bytes.size(), 3, back);
        benchmark::DoNotOptimize(back);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_PointBlockBinaryRead)->Arg(1 << 20);

void BM_PointBlockTextWrite(benchmark::State& state) {
    std::string text = pointText(static_cast<int>(state.range(0)));
    std::unique_ptr<MatrixF> m;
    MatrixF::readFromString(text.data(), text.data() + text.size(), 3, m);
    std::size_t written = 0;
    for (auto _ : state) {
        std::string out;
        m->writeText(out, 3, true);
        written = out.size();
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(written));
}
BENCHMARK(BM_PointBlockTextWrite)->Arg(1 << 18);

}  // namespace

BENCHMARK_MAIN();
