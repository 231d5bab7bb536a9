// Runs the group readers over arbitrary scene text: the first byte chooses VRML 2 or VRML 1, the
// rest is the text. The tree that comes out must be well formed (levels, parents, table entries),
// every world matrix finite, and renumbering must give every node its table position.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/clock.h"
#include "fuzz_clock.h"
#include "core/messages.h"
#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene_settings.h"
#include "scene/testing/tree_builder.h"

using namespace kinemo;

namespace {

long checkTree(GroupNode& g, long budget) {
    long count = 1;
    for (std::size_t i = 0; i < g.childCount(); ++i) {
        Node* c = g.child(i);
        if (c->parent() != &g || c->level() != g.level() + 1) std::abort();
        if (c->level() >= sceneSettings().maxTreeLevel) std::abort();
        if (c->id() >= 0 && nodeTable().at(c->id()) != c && c->asGroupNode()) std::abort();
        if (TransformNode* t = c->asTransformNode()) {
            const float* m = t->currentTransform.localToGlobal();
            const float* inv = t->currentTransform.globalToLocal();
            for (int k = 0; k < 9; ++k)
                if (!std::isfinite(m[k]) || !std::isfinite(inv[k])) std::abort();
            for (int k = 0; k < 3; ++k)
                if (!std::isfinite(t->currentTransform.globalTranslation()[k])) std::abort();
        }
        if (GroupNode* cg = c->asGroupNode()) count += checkTree(*cg, budget - count);
    }
    return count;
}

void checkRenumbered(GroupNode& g) {
    for (std::size_t i = 0; i < g.childCount(); ++i) {
        Node* c = g.child(i);
        if (c->id() >= 0 && nodeTable().at(c->id()) != c) std::abort();
        if (GroupNode* cg = c->asGroupNode()) checkRenumbered(*cg);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::NoSleepClock clock;
    static bool once = [] {
        setMessageClock(&clock);
        sceneSettings().maxClonedNodesPerRead = 20000;
        sceneSettings().maxInlineFileBytes = 0;  // no file of the machine is read
        return true;
    }();
    (void)once;
    if (size == 0) return 0;
    const bool vrml1 = data[0] & 1;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    {
        testing::TestScene scene;
        readingState().source = vrml1 ? SourceType::Vrml1 : SourceType::Vrml2;
        readingState().documentDirectory = "/nonexistent-kinemo-fuzz/";
        testing::readInto(*scene.root, text);
        checkTree(*scene.root, 1 << 30);
        nodeTable().renumberIds(*scene.root);
        checkRenumbered(*scene.root);
    }
    return 0;
}
