// A guide of 10k steps in 200 chapters over 500 parts: reading the animation section with the
// initialisation, one playback frame, and a seek that replays a chapter from its start.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "animation/animation_group.h"
#include "animation/animation_section.h"
#include "core/numbers.h"
#include "scene/testing/tree_builder.h"

using namespace kinemo;

namespace {

std::string guideSection(int chapters, int stepsPerChapter, int parts) {
    std::mt19937 rng(3);
    std::string s = "\n\n# ANIMATIONS\n";
    int id = 0;
    for (int c = 0; c < chapters; ++c) {
        s += "\n\n# [ACTION>>NEWGROUP]\n# ChapterIconName \n\n# DisplayInChapter true\n";
        s += formatC("\n# <kmxTEXT id = \"%d\">\n# </kmxTEXT>\n# [END]\n", id++);
        for (int k = 0; k < stepsPerChapter; ++k) {
            const int part = 2 + int(rng() % unsigned(parts));
            switch (k % 5) {
                case 0:
                    s += formatC("\n# [ACTION>>APPEAR]\n# id %d\n", part);
                    break;
                case 1:
                    s += "\n# [ACTION>>STOP]\n";
                    break;
                case 2:
                    s += formatC("\n# [ACTION>>PAUSE]\n# delay %d\n\n\n", int(rng() % 500));
                    break;
                default:
                    s += formatC(
                        "\n# [ACTION>>MOVE]\n# id %d\n# dowait %s\n#\n#   [STEP>>TRANS]\n#   speed 10.000000\n"
                        "#   displ (0.000, 0.000, %d.000)\n#\n#   [STEP>>ROT]\n#   speed 3.141590\n"
                        "#   center (0.000, 0.000, 0.000)\n#   rot (0.000, 1.000, 0.000, 1.571)\n# [END]\n",
                        part, (rng() % 3) ? "true" : "false", int(rng() % 40));
            }
        }
        s += "\n# ANIMGROUP_END\n";
    }
    return s;
}

struct Guide {
    kinemo::testing::TestScene scene;
    std::string text;
    Guide() {
        kinemo::testing::TreeBuilder b(*scene.root);
        for (int i = 0; i < 500; ++i) b.leaf("part" + std::to_string(i));
        text = guideSection(200, 50, 500);
    }
};

void BM_LoadAndInitialise(benchmark::State& state) {
    Guide g;
    for (auto _ : state) {
        resetRootChapter();
        readAnimations(g.text.data(), g.text.data() + g.text.size());
        benchmark::DoNotOptimize(chapterList().size());
    }
}
BENCHMARK(BM_LoadAndInitialise)->Unit(benchmark::kMillisecond);

void BM_Frame(benchmark::State& state) {
    Guide g;
    resetRootChapter();
    readAnimations(g.text.data(), g.text.data() + g.text.size());
    AnimationGroup* c = chapterList()[100];
    setCurrentSection(c);
    double t = 0;
    for (auto _ : state) {
        t += 1.0 / 60;
        if (t > c->getRunTime()) {
            t = 0;
            c->runTo(0, true, true, false, KindAll, -1, true);
        }
        c->runTo(t, true, true, false, KindAll, -1, false);
    }
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);

void BM_Seek(benchmark::State& state) {
    Guide g;
    resetRootChapter();
    readAnimations(g.text.data(), g.text.data() + g.text.size());
    AnimationGroup* c = chapterList()[100];
    setCurrentSection(c);
    std::mt19937 rng(5);
    for (auto _ : state) {
        const double t = std::uniform_real_distribution<double>(0, c->getRunTime())(rng);
        c->runTo(t, true, true, false, KindAll, -1, true);
    }
}
BENCHMARK(BM_Seek)->Unit(benchmark::kMicrosecond);

}  // namespace
BENCHMARK_MAIN();
