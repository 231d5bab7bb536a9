// Building, renumbering and tearing down the trees CAD exports produce: a flat assembly of 50k
// parts under one group, and a chain 49 groups deep; plus reading the flat assembly from text and
// the DEF/USE lookups of a file with many definitions.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "scene/def_registry.h"
#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/testing/tree_builder.h"

namespace kinemo {
namespace {

constexpr int kFlatParts = 50000;
constexpr int kChainDepth = 49;

void buildFlat(GroupNode& root) {
    GroupNode* assembly = root.createChild<GroupNode>(true);
    for (int i = 0; i < kFlatParts; ++i) {
        GroupNode* part = assembly->createChild<GroupNode>(true);
        part->initialTransform.setTranslation(float(i), 0, 0);
    }
}

// The chain's top is level 0, so its 49 levels stay within MaxTreeLevel (50).
std::unique_ptr<GroupNode> buildChain() {
    auto top = std::make_unique<GroupNode>(true);
    GroupNode* g = top.get();
    for (int i = 1; i < kChainDepth; ++i) {
        g = g->createChild<GroupNode>(true);
        g->initialTransform.setRotation(0, 0, 1, 0.01f);
        g->currentTransform.setTranslation(1, 0, 0);
    }
    return top;
}

GroupNode* deepest(GroupNode& top) {
    GroupNode* g = &top;
    while (g->childCount()) g = g->child(0)->asGroupNode();
    return g;
}

void BM_FlatAssemblyBuild(benchmark::State& state) {
    for (auto _ : state) {
        testing::TestScene scene;
        buildFlat(*scene.root);
        state.PauseTiming();
        scene.root->child(0)->detachFromParent().reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kFlatParts);
}
BENCHMARK(BM_FlatAssemblyBuild)->Unit(benchmark::kMillisecond);

void BM_FlatAssemblyRenumber(benchmark::State& state) {
    testing::TestScene scene;
    buildFlat(*scene.root);
    for (auto _ : state) nodeTable().renumberIds(*scene.root);
    state.SetItemsProcessed(state.iterations() * kFlatParts);
}
BENCHMARK(BM_FlatAssemblyRenumber)->Unit(benchmark::kMillisecond);

void BM_FlatAssemblyTeardown(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        testing::TestScene scene;
        buildFlat(*scene.root);
        state.ResumeTiming();
        scene.root->child(0)->detachFromParent().reset();
    }
    state.SetItemsProcessed(state.iterations() * kFlatParts);
}
BENCHMARK(BM_FlatAssemblyTeardown)->Unit(benchmark::kMillisecond);

void BM_FlatAssemblyRemoveLastChildren(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        testing::TestScene scene;
        buildFlat(*scene.root);
        GroupNode* assembly = scene.root->child(0)->asGroupNode();
        state.ResumeTiming();
        while (assembly->childCount() > 0) assembly->removeChild(assembly->child(assembly->childCount() - 1));
    }
    state.SetItemsProcessed(state.iterations() * kFlatParts);
}
BENCHMARK(BM_FlatAssemblyRemoveLastChildren)->Unit(benchmark::kMillisecond);

void BM_ChainBuildWorldMatrixTeardown(benchmark::State& state) {
    for (auto _ : state) {
        testing::TestScene scene;
        std::unique_ptr<GroupNode> chain = buildChain();
        benchmark::DoNotOptimize(deepest(*chain)->currentTransform.localToGlobal());
        nodeTable().renumberIds(*chain);
        chain.reset();
    }
    state.SetItemsProcessed(state.iterations() * kChainDepth);
}
BENCHMARK(BM_ChainBuildWorldMatrixTeardown)->Unit(benchmark::kMicrosecond);

// A change at the top of the chain, then the world matrix of the deepest group.
void BM_ChainTopChangeDeepestMatrix(benchmark::State& state) {
    testing::TestScene scene;
    std::unique_ptr<GroupNode> chain = buildChain();
    GroupNode* low = deepest(*chain);
    GroupNode* second = chain->child(0)->asGroupNode();
    float x = 0;
    for (auto _ : state) {
        second->currentTransform.setTranslation(x += 1.0f, 0, 0);
        benchmark::DoNotOptimize(low->currentTransform.globalTranslation());
    }
}
BENCHMARK(BM_ChainTopChangeDeepestMatrix)->Unit(benchmark::kMicrosecond);

// Moving the deepest group back and forth: the cycle check walks the ancestors.
void BM_ChainMoveDeepest(benchmark::State& state) {
    testing::TestScene scene;
    std::unique_ptr<GroupNode> chain = buildChain();
    GroupNode* g = deepest(*chain);
    GroupNode* parent = g->parent();
    GroupNode* side = parent->parent();
    for (auto _ : state) {
        g->moveTo(*side);
        g->moveTo(*parent);
    }
}
BENCHMARK(BM_ChainMoveDeepest)->Unit(benchmark::kMicrosecond);

void BM_FlatAssemblyReadFromText(benchmark::State& state) {
    std::string text = "Group { children [\n";
    for (int i = 0; i < kFlatParts; ++i) text += "DEF r" + std::to_string(i) + " Transform { translation 1 2 3 }\n";
    text += "] }\n";
    for (auto _ : state) {
        testing::TestScene scene;
        readingState().source = SourceType::Vrml2;
        testing::readInto(*scene.root, text);
        benchmark::DoNotOptimize(scene.root->childCount());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(text.size()));
}
BENCHMARK(BM_FlatAssemblyReadFromText)->Unit(benchmark::kMillisecond);

void BM_DefRegistryManyNames(benchmark::State& state) {
    testing::TestScene scene;
    GroupNode* holder = scene.root->createChild<GroupNode>(true);
    const int n = 100000;
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) {
        names.push_back("part_" + std::to_string(i));
        defRegistry().setPendingName(names.back());
        defRegistry().registerDef(holder);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(defRegistry().findDef(names[i]));
        i = (i + 7919) % names.size();
    }
}
BENCHMARK(BM_DefRegistryManyNames);

}  // namespace
}  // namespace kinemo

BENCHMARK_MAIN();
