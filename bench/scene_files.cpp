// Scene files on CAD-like data: reading and building a VRML 2 text, writing KINEMML before
// compression, and loading a compressed document against bzip2's own decompression time.
#include <benchmark/benchmark.h>
#include <bzlib.h>

#include <cstdio>
#include <string>

#include "core/numbers.h"
#include "scene/scene.h"
#include "scene/scene_binary.h"
#include "scene/scene_reader.h"
#include "scene/scene_writer.h"

using namespace kinemo;

namespace {

// shapes parts of 50 triangles each (a strip over 52 points), each under its own transform.
std::string cadText(int shapes) {
    std::string s = "#VRML V2.0 utf8\n";
    unsigned seed = 1;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return double((seed >> 8) & 0xffff) / 655.36;
    };
    for (int k = 0; k < shapes; ++k) {
        s += formatC("Transform { translation %d 0 0 children [ Shape { appearance Appearance { material Material "
                     "{ diffuseColor 0.8 0.2 0.2 } } geometry IndexedFaceSet { coord Coordinate { point [ ",
                     k);
        for (int i = 0; i < 52; ++i) s += formatC("%.6f %.6f %.6f, ", next(), next(), next());
        s += "] } coordIndex [ ";
        for (int t = 0; t < 50; ++t) s += formatC("%d, %d, %d, -1, ", t, t + 1, t + 2);
        s += "] } } ] }\n";
    }
    return s;
}

const std::string& text() {
    static const std::string t = cadText(4000);  // 200k triangles, about 10 MB
    return t;
}

void BM_ReadVrml2(benchmark::State& state) {
    installSceneReader();
    for (auto _ : state) {
        Scene scene;
        benchmark::DoNotOptimize(scene.readFromString(text().data(), text().size()));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text().size()));
}
BENCHMARK(BM_ReadVrml2)->Unit(benchmark::kMillisecond);

void BM_WriteKinemml(benchmark::State& state) {
    installSceneReader();
    Scene scene;
    scene.readFromString(text().data(), text().size());
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::FILE* f = std::fopen("/dev/null", "wb");
        writeScene(scene, f, true);
        bytes = std::size_t(std::ftell(f));
        std::fclose(f);
    }
    bytes = sceneText(scene, true).size();
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
}
BENCHMARK(BM_WriteKinemml)->Unit(benchmark::kMillisecond);

const std::string& packedDocument() {
    static const std::string packed = [] {
        installSceneReader();
        Scene scene;
        scene.readFromString(text().data(), text().size());
        return *compressContent(sceneText(scene, true));
    }();
    return packed;
}

void BM_LoadCompressedDocument(benchmark::State& state) {
    const std::string& packed = packedDocument();
    for (auto _ : state) {
        auto content = decompressContent(packed.data() + 13, packed.size() - 13);
        Scene scene;
        benchmark::DoNotOptimize(scene.readFromString(content->data(), content->size()));
    }
}
BENCHMARK(BM_LoadCompressedDocument)->Unit(benchmark::kMillisecond);

// The yardstick: bzip2 alone on the same payload.
void BM_Bzip2DecompressOnly(benchmark::State& state) {
    const std::string& packed = packedDocument();
    std::string out(std::size_t(std::uint32_t(packed[13] & 0xff) | std::uint32_t(packed[14] & 0xff) << 8 |
                                std::uint32_t(packed[15] & 0xff) << 16 | std::uint32_t(packed[16] & 0xff) << 24),
                    '\0');
    for (auto _ : state) {
        unsigned int n = unsigned(out.size());
        BZ2_bzBuffToBuffDecompress(out.data(), &n, const_cast<char*>(packed.data() + 21), unsigned(packed.size() - 21), 0, 0);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Bzip2DecompressOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
