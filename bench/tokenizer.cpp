// Keyword scan and number-list reading over a generated 100 MB scene shaped like a CAD export:
// transforms holding shapes with indexed face sets, point lists with 3 to 6 decimals and
// coordIndex lists.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "geometry/vector.h"
#include "scene/matchers.h"
#include "scene/tokenizer.h"

namespace {

using namespace kinemo;

struct Scene {
    std::string text;
    std::vector<std::size_t> pointLists;  // offsets of the "[" of each point list
    std::vector<std::size_t> indexLists;  // offsets of the "[" of each coordIndex list
    std::size_t pointBytes = 0;
    std::size_t indexBytes = 0;
};

class Random {
public:
    std::uint32_t next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint64_t state_ = 12345;
};

void appendNumber(std::string& out, Random& r) {
    const int decimals = 3 + r.below(4);
    const double v = (static_cast<double>(r.next()) / 4294967296.0 - 0.5) * 2000.0;
    appendFixed(out, v, decimals);
}

const Scene& scene() {
    static const Scene s = [] {
        Scene s;
        Random r;
        s.text.reserve(110u << 20);
        s.text += "#VRML V2.0 utf8\n#Kinemo 8.09\n\nDEF root Group {\n children [\n";
        for (int part = 0; s.text.size() < (100u << 20); ++part) {
            s.text += "DEF Part_" + std::to_string(part) + " Transform {\n  translation ";
            for (int i = 0; i < 3; ++i) {
                appendNumber(s.text, r);
                s.text += ' ';
            }
            s.text += "\n  rotation 0 0 1 0.785398\n  children [\n   Shape {\n    appearance Appearance {\n"
                      "     material Material { diffuseColor 0.8 0.6 0.2 specularColor 0.5 0.5 0.5 shininess 0.3 }\n"
                      "    }\n    geometry IndexedFaceSet {\n     creaseAngle 0.5\n     solid FALSE\n"
                      "     coord Coordinate {\n      point [\n";
            const int points = 200 + r.below(400);
            s.pointLists.push_back(s.text.rfind('['));
            std::size_t start = s.text.size();
            for (int i = 0; i < points; ++i) {
                s.text += "       ";
                for (int k = 0; k < 3; ++k) {
                    appendNumber(s.text, r);
                    s.text += k < 2 ? " " : ",\n";
                }
            }
            s.text += "      ]\n     }\n     coordIndex [\n";
            s.pointBytes += s.text.size() - start;
            s.indexLists.push_back(s.text.rfind('['));
            start = s.text.size();
            const int faces = points * 2;
            for (int f = 0; f < faces; ++f) {
                s.text += f % 8 == 0 ? "      " : " ";
                for (int k = 0; k < 3; ++k) s.text += std::to_string(r.below(points)) + ", ";
                s.text += f % 8 == 7 ? "-1,\n" : "-1,";
            }
            s.text += "\n     ]\n    }\n   }\n  ]\n }\n";
            s.indexBytes += s.text.size() - start;
        }
        s.text += " ]\n}\n";
        return s;
    }();
    return s;
}

void scanWith(benchmark::State& state, const KeyWordMatcher& m) {
    const Scene& s = scene();
    std::size_t keywords = 0;
    for (auto _ : state) {
        const char* p = s.text.c_str();
        for (;;) {
            KeywordHit hit = m.scan(p);
            if (hit.keyword == kw::EndOfString) break;
            ++keywords;
            p = hit.after;
        }
        benchmark::DoNotOptimize(keywords);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.text.size()));
    state.counters["keywords"] = static_cast<double>(keywords / state.iterations());
}

void BM_KeywordScanFaceSetMatcher(benchmark::State& state) { scanWith(state, faceSetMatcher()); }
void BM_KeywordScanGroupMatcher(benchmark::State& state) { scanWith(state, groupMatcher()); }

void BM_PointLists(benchmark::State& state) {
    const Scene& s = scene();
    VectorF values;
    for (auto _ : state) {
        for (std::size_t at : s.pointLists) {
            readFloatList(values, s.text.c_str() + at);
            benchmark::DoNotOptimize(values.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.pointBytes));
}

void BM_IndexLists(benchmark::State& state) {
    const Scene& s = scene();
    std::vector<std::int32_t> values;
    for (auto _ : state) {
        for (std::size_t at : s.indexLists) {
            readIntList(values, s.text.c_str() + at);
            benchmark::DoNotOptimize(values.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.indexBytes));
}

BENCHMARK(BM_KeywordScanFaceSetMatcher)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeywordScanGroupMatcher)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PointLists)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexLists)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Generate the text before any timing starts.
    std::fprintf(stderr, "scene text: %zu bytes\n", scene().text.size());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
