// Scene files on CAD-like data: reading and building VRML 2 text (a CAD export of 1M triangles and
// about 100 MB read from its file, and many small parts read from memory), writing KINEMML before
// compression, and loading compressed documents (argument 0: the small parts, 1: the CAD export)
// against bzip2's own decompression time.
// The texts are made once, before any timing. Times are CPU times of the process (all threads);
// the load of a compressed document also gives its real time, as it may use both cores.
// peakGrowthMB is how far the first read raised the process's peak resident size; run such a
// benchmark alone (--benchmark_filter), as reads before it leave a heap it reuses.
//   KINEMO_BENCH_TRIANGLES=N sets the size of the CAD export (default 1000000).
#include <benchmark/benchmark.h>
#include <bzlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/numbers.h"
#include "scene/scene.h"
#include "scene/scene_binary.h"
#include "scene/scene_reader.h"
#include "scene/scene_writer.h"

using namespace kinemo;

namespace {

struct Random {
    unsigned seed = 7;
    double next() {
        seed = seed * 1103515245u + 12345u;
        return double((seed >> 8) & 0xffff) / 65536.0;
    }
    double between(double a, double b) { return a + (b - a) * next(); }
};

// One part as a CAD system exports it: a tessellated cylinder wall with its own material, points
// with six decimals, per-vertex normals and normal indices, triangles ended by -1, indented.
long appendPart(std::string& s, Random& rng, int index, long triangles) {
    const int rings = std::max(2, int(std::sqrt(double(triangles) / 4)));
    const int segments = std::max(3, int(triangles / (2 * (rings - 1))));
    const double radius = rng.between(2, 40), height = rng.between(5, 120);
    const double cx = rng.between(-500, 500), cy = rng.between(-500, 500), cz = rng.between(-500, 500);
    s += "          Shape {\n            appearance Appearance {\n              material Material {\n";
    s += formatC("                diffuseColor %.6f %.6f %.6f\n", rng.next(), rng.next(), rng.next());
    s += "                specularColor 0.200000 0.200000 0.200000\n                shininess 0.300000\n"
         "              }\n            }\n            geometry IndexedFaceSet {\n"
         "              solid FALSE\n              creaseAngle 0.500000\n";
    s += formatC("              coord DEF COORD_%d Coordinate {\n                point [\n", index);
    std::string normals;
    for (int r = 0; r < rings; ++r) {
        const double z = cz + height * r / (rings - 1);
        for (int k = 0; k <= segments; ++k) {
            const double a = 2 * M_PI * k / segments;
            s += formatC("                  %.6f %.6f %.6f,\n", cx + radius * std::cos(a), cy + radius * std::sin(a), z);
            normals += formatC("                  %.6f %.6f %.6f,\n", std::cos(a), std::sin(a), 0.0);
        }
    }
    s += "                ]\n              }\n              normal Normal {\n                vector [\n";
    s += normals;
    s += "                ]\n              }\n              coordIndex [\n";
    std::string faces;
    long count = 0;
    const int row = segments + 1;
    for (int r = 0; r + 1 < rings; ++r) {
        for (int k = 0; k < segments; ++k) {
            const int a = r * row + k, b = a + 1, c = a + row, d = c + 1;
            faces += formatC("                %d, %d, %d, -1, %d, %d, %d, -1,\n", a, b, d, a, d, c);
            count += 2;
        }
    }
    s += faces;
    s += "              ]\n              normalIndex [\n";
    s += faces;
    s += "              ]\n            }\n          }\n";
    return count;
}

// Assemblies of Transforms holding parts of 200 to 3200 triangles, like a CAD export.
std::string cadExport(long triangles) {
    static const long sizes[] = {200, 400, 800, 1600, 3200};
    Random rng;
    std::string s = "#VRML V2.0 utf8\n\n# Exported by a CAD system\n\nDEF ASSEMBLY Transform {\n  children [\n";
    long done = 0;
    int index = 0;
    for (int assembly = 0; done < triangles; ++assembly) {
        s += formatC("    DEF SUB_%d Transform {\n      translation %.4f %.4f %.4f\n      children [\n", assembly,
                     rng.between(-1000, 1000), rng.between(-1000, 1000), rng.between(-1000, 1000));
        const int parts = 3 + int(rng.next() * 10);
        for (int p = 0; p < parts && done < triangles; ++p, ++index) {
            s += formatC("        DEF PART_%d Transform {\n          rotation 0 0 1 %.6f\n          children [\n", index,
                         rng.between(0, 3.14));
            done += appendPart(s, rng, index, std::min(triangles - done, sizes[int(rng.next() * 5) % 5]));
            s += "          ]\n        }\n";
        }
        s += "      ]\n    }\n";
    }
    s += "  ]\n}\n";
    return s;
}

// Many small parts of 50 triangles each (a strip over 52 points), each with its transform and material.
std::string smallParts(int shapes) {
    std::string s = "#VRML V2.0 utf8\n";
    Random rng;
    for (int k = 0; k < shapes; ++k) {
        s += formatC("Transform { translation %d 0 0 children [ Shape { appearance Appearance { material Material "
                     "{ diffuseColor 0.8 0.2 0.2 } } geometry IndexedFaceSet { coord Coordinate { point [ ",
                     k);
        for (int i = 0; i < 52; ++i) s += formatC("%.6f %.6f %.6f, ", rng.next() * 100, rng.next() * 100, rng.next() * 100);
        s += "] } coordIndex [ ";
        for (int t = 0; t < 50; ++t) s += formatC("%d, %d, %d, -1, ", t, t + 1, t + 2);
        s += "] } } ] }\n";
    }
    return s;
}

long exportTriangles() {
    const char* v = std::getenv("KINEMO_BENCH_TRIANGLES");
    const long n = v ? std::atol(v) : 0;
    return n > 0 ? n : 1000000;
}

// The CAD export, written once to a file of its own.
const std::string& cadExportFile(std::size_t& bytes) {
    static std::size_t size = 0;
    static const std::string path = [] {
        const std::string text = cadExport(exportTriangles());
        size = text.size();
        const char* dir = std::getenv("TMPDIR");
        std::string p = std::string(dir && *dir ? dir : "/tmp") + formatC("/kinemo_bench_cad_%d.wrl", int(getpid()));
        std::FILE* f = std::fopen(p.c_str(), "wb");
        if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) std::abort();
        return p;
    }();
    // Registered once the name is made, so that it runs before the name is destroyed.
    static const bool removedAtExit = std::atexit([] { std::remove(path.c_str()); }) == 0;
    (void)removedAtExit;
    bytes = size;
    return path;
}

const std::string& smallPartsText() {
    static const std::string t = smallParts(4000);  // 200k triangles, about 10 MB
    return t;
}

// The peak resident size since the last reset (VmHWM); the reset lets a benchmark leave out
// the making of its own text.
void resetPeakRss() {
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

double peakRssMegabytes() {
    double kb = 0;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::atof(line + 6);
        std::fclose(f);
    }
    if (kb <= 0) {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        kb = double(usage.ru_maxrss);
    }
    return kb / 1024.0;
}

// End to end: the file is read, parsed and every face set built, as when a user opens it.
void BM_ReadCadExportFile(benchmark::State& state) {
    installSceneReader();
    std::size_t bytes = 0;
    const std::string& path = cadExportFile(bytes);
    resetPeakRss();
    const double before = peakRssMegabytes();
    double growth = -1;
    for (auto _ : state) {
        Scene* scene = Scene::readFromFile(path);
        if (!scene) {
            state.SkipWithError("the CAD export did not read");
            break;
        }
        benchmark::DoNotOptimize(scene);
        state.PauseTiming();
        // The first read tells the peak; later ones reuse what the heap kept.
        if (growth < 0) growth = peakRssMegabytes() - before;
        destroyCurrentScene();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
    state.counters["fileMB"] = double(bytes) / 1e6;
    state.counters["peakGrowthMB"] = growth;
}
BENCHMARK(BM_ReadCadExportFile)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(5);

void BM_ReadSmallParts(benchmark::State& state) {
    installSceneReader();
    const std::string& text = smallPartsText();
    for (auto _ : state) {
        Scene scene;
        benchmark::DoNotOptimize(scene.readFromString(text.data(), text.size()));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}
BENCHMARK(BM_ReadSmallParts)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The small parts read from their file, for the peak memory a file of many small parts takes.
void BM_ReadSmallPartsFile(benchmark::State& state) {
    installSceneReader();
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        std::string p = std::string(dir && *dir ? dir : "/tmp") + formatC("/kinemo_bench_parts_%d.wrl", int(getpid()));
        const std::string& text = smallPartsText();
        std::FILE* f = std::fopen(p.c_str(), "wb");
        if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) std::abort();
        return p;
    }();
    static const bool removedAtExit = std::atexit([] { std::remove(path.c_str()); }) == 0;
    (void)removedAtExit;
    resetPeakRss();
    const double before = peakRssMegabytes();
    double growth = -1;
    for (auto _ : state) {
        if (!Scene::readFromFile(path)) {
            state.SkipWithError("the small parts did not read");
            break;
        }
        state.PauseTiming();
        if (growth < 0) growth = peakRssMegabytes() - before;
        destroyCurrentScene();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(smallPartsText().size()));
    state.counters["fileMB"] = double(smallPartsText().size()) / 1e6;
    state.counters["peakGrowthMB"] = growth;
}
BENCHMARK(BM_ReadSmallPartsFile)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(3);

void BM_WriteKinemml(benchmark::State& state) {
    installSceneReader();
    Scene scene;
    scene.readFromString(smallPartsText().data(), smallPartsText().size());
    const std::size_t bytes = sceneText(scene, true).size();
    for (auto _ : state) {
        std::FILE* f = std::fopen("/dev/null", "wb");
        writeScene(scene, f, true);
        std::fclose(f);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
}
BENCHMARK(BM_WriteKinemml)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// A document in its compressed form: 0 the small parts, 1 the CAD export.
const std::string& packedDocument(int which) {
    static std::string packed[2];
    if (packed[which].empty()) {
        installSceneReader();
        Scene scene;
        if (which == 0) {
            scene.readFromString(smallPartsText().data(), smallPartsText().size());
        } else {
            const std::string text = cadExport(exportTriangles());
            scene.readFromString(text.data(), text.size());
        }
        packed[which] = *compressContent(sceneText(scene, true));
    }
    return packed[which];
}

// The load of a ".bvr" file: decompression and parsing, as readFromFile does them.
void BM_LoadCompressedDocument(benchmark::State& state) {
    installSceneReader();
    const std::string& packed = packedDocument(int(state.range(0)));
    const char* dir = std::getenv("TMPDIR");
    const std::string path =
        std::string(dir && *dir ? dir : "/tmp") + formatC("/kinemo_bench_packed_%d.bvr", int(getpid()));
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(packed.data(), 1, packed.size(), f) != packed.size() || std::fclose(f) != 0) std::abort();
    for (auto _ : state) {
        Scene* scene = Scene::readFromFile(path);
        if (!scene) {
            state.SkipWithError("the document did not read");
            break;
        }
        state.PauseTiming();
        destroyCurrentScene();
        state.ResumeTiming();
    }
    std::remove(path.c_str());
    state.counters["payloadMB"] = double(packed.size()) / 1e6;
}
BENCHMARK(BM_LoadCompressedDocument)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_LoadCompressedDocument)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Name("BM_LoadCompressedDocument/real");

// The yardstick: bzip2 alone on the same payload, into a buffer of the known size.
void BM_Bzip2DecompressOnly(benchmark::State& state) {
    const std::string& packed = packedDocument(int(state.range(0)));
    std::string out(std::size_t(std::uint32_t(packed[13] & 0xff) | std::uint32_t(packed[14] & 0xff) << 8 |
                                std::uint32_t(packed[15] & 0xff) << 16 | std::uint32_t(packed[16] & 0xff) << 24),
                    '\0');
    for (auto _ : state) {
        unsigned int n = unsigned(out.size());
        BZ2_bzBuffToBuffDecompress(out.data(), &n, const_cast<char*>(packed.data() + 21), unsigned(packed.size() - 21), 0,
                                   0);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Bzip2DecompressOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Bzip2DecompressOnly)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Name("BM_Bzip2DecompressOnly/real");

}  // namespace

BENCHMARK_MAIN();
