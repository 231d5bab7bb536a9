// The special nodes in the scene file: the top-level viewpoint and light, viewpoints in the tree
// and their definitions, sound nodes, and the viewpoint made for a file that has none.
#include "scene/scene_file_special_nodes.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene.h"
#include "scene/scene_file_hooks.h"
#include "scene/scene_light.h"
#include "scene/scene_reader.h"
#include "scene/sound_node.h"
#include "scene/extra_node_readers.h"
#include "scene/viewpoint.h"

namespace kinemo {
namespace {

bool put(std::FILE* f, const std::string& s) { return s.empty() || std::fwrite(s.data(), 1, s.size(), f) == s.size(); }

void countViewpoints(Node& node, long& n) {
    if (dynamic_cast<ViewPoint*>(&node)) ++n;
    if (GroupNode* g = node.asGroupNode())
        for (std::size_t i = 0; i < g->childCount(); ++i) countViewpoints(*g->child(i), n);
}

// Every viewpoint below group in tree order, with whether it stands inside an inline group.
void collectViewpoints(GroupNode& group, bool insideInline, std::vector<std::pair<ViewPoint*, bool>>& out) {
    for (std::size_t i = 0; i < group.childCount(); ++i) {
        Node* child = group.child(i);
        if (auto* vp = dynamic_cast<ViewPoint*>(child)) out.emplace_back(vp, insideInline);
        if (GroupNode* g = child->asGroupNode()) collectViewpoints(*g, insideInline || g->isInline, out);
    }
}

}  // namespace

long eliminateInlineViewpoints(GroupNode& root) {
    std::vector<std::pair<ViewPoint*, bool>> all;
    collectViewpoints(root, root.isInline, all);
    ViewPoint* firstKept = nullptr;
    bool initialGoes = false;
    long removed = 0;
    for (auto [vp, insideInline] : all) {
        if (!insideInline) {
            if (!firstKept) firstKept = vp;
            continue;
        }
        initialGoes = initialGoes || vp == initialViewpoint();
        vp->detachFromParent();  // the returned owner deletes it at once
        ++removed;
    }
    // The file's own first viewpoint takes the place of an inline one that was read before it.
    if (initialGoes) setInitialViewpoint(firstKept);
    return removed;
}

std::vector<Node*> unusedViewpoints(Scene& scene) {
    std::vector<const Node*> used;
    if (sceneFileHooks().viewpointsUsedBySteps) sceneFileHooks().viewpointsUsedBySteps(used);
    used.push_back(scene.initialViewpoint);
    used.push_back(scene.currentViewpoint);
    std::vector<std::pair<ViewPoint*, bool>> all;
    collectViewpoints(scene.root(), false, all);
    std::vector<Node*> out;
    for (auto [vp, insideInline] : all)
        if (std::find(used.begin(), used.end(), vp) == used.end()) out.push_back(vp);
    return out;
}

void installSpecialNodeSupport() {
    registerSpecialNodeReaders();
    SceneFileHooks& h = sceneFileHooks();
    h.prepareRead = [] { prepareSpecialNodesForRead(); };
    h.prepareWrite = [](Scene&) { clearViewpointList(); };
    h.firstViewpointRead = []() -> Node* { return initialViewpoint(); };
    h.headlight = [] { return sceneLight().committed.headlight; };
    h.setHeadlight = [](bool on) { setHeadlight(on); };
    h.readViewpoint = [](Scene& scene, const char*, const char* after, const char* end) {
        const char* p = readViewpointNode(scene.root(), after, end);
        // Older files hold the light direction relative to the viewpoint already.
        const float version = readingState().fileVersion;
        if (version > 0.0f && versionBelow(version, 3.0))
            setLightModeWithoutConverting(1);
        else
            setLightMode(1);
        return p;
    };
    h.readLight = [](Scene&, const char*, const char* after, const char* end) { return readDirectionalLight(after, end); };
    h.writeLight = [](Scene&, std::FILE* file) { return writeDirectionalLight(file); };
    h.writeViewpoint = [](Scene& scene, std::FILE* file) {
        auto* vp = dynamic_cast<ViewPoint*>(scene.initialViewpoint);
        return !vp || vp->writeToFile(file);
    };
    h.writeOtherNode = [](Scene& scene, Node& node, std::FILE* file) {
        if (auto* vp = dynamic_cast<ViewPoint*>(&node)) {
            // Kept in the definitions block, in tree order; the current one among them.
            if (&node != scene.initialViewpoint) registerViewpoint(*vp);
            return NodeWriteResult::Written;
        }
        if (auto* sound = dynamic_cast<SoundNode*>(&node))
            return sound->writeToFile(file) ? NodeWriteResult::Written : NodeWriteResult::Failed;
        return NodeWriteResult::Unknown;
    };
    h.readViewpointDefinitions = [](Scene&, const char* text, const char*, const char* end) {
        return loadViewpoints(text, end, nodeTable());
    };
    h.writeViewpointDefinitions = [](Scene&, std::FILE* file) {
        std::string out;
        writeViewpointDefinitions(out);
        return put(file, out);
    };
    h.createDefaultViewpoint = [](Scene& scene) -> Node* {
        ViewPoint* vp = scene.root().createChild<ViewPoint>();
        vp->setName("Default Viewpoint");
        fitToBoundingBox(*vp, scene.root());
        vp->initialTransform.copyFrom(vp->currentTransform);
        activate(*vp);
        return vp;
    };
    auto previousCount = h.countContent;
    h.countContent = [previousCount](const Scene& scene, SceneCounts& counts) {
        long n = 0;
        countViewpoints(const_cast<Scene&>(scene).root(), n);
        counts.viewpoints = n;
        if (previousCount) previousCount(scene, counts);
    };
}

}  // namespace kinemo
