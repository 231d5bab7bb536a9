#include "scene/scene.h"

#include "scene/def_registry.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"

namespace kinemo {
namespace {

Scene* current = nullptr;
std::unique_ptr<Scene> holder;

}  // namespace

Scene::Scene() {
    // Only one scene lives at a time: the node table and the DEF registry are the process's.
    destroyCurrentScene();
    nodeTable().clear();
    defRegistry().clear();
    top_ = std::make_unique<GroupNode>(false);
    top_->setName("supper_supper_root");
    superRoot_ = top_->createChild<GroupNode>(false);
    superRoot_->setName("super_root");
    root_ = superRoot_->createChild<GroupNode>(false);
    root_->setName("root");
    root_->setId(0);
    superRoot_->setId(1);
    nodeTable().place(0, root_);
    nodeTable().place(1, superRoot_);
    nodeTable().setNextNodeId(2);
    setSceneRoot(root_);
    tempDatumLayer_ = std::make_unique<GroupNode>(false);
    tempDatumLayer_->setName("TempDatumLayer");
    cornerPointDatumLayer_ = std::make_unique<GroupNode>(false);
    cornerPointDatumLayer_->setName("CornerPointDatumLayer");
    current = this;
}

Scene::~Scene() {
    if (current == this) current = nullptr;
    if (sceneRoot() == root_) setSceneRoot(nullptr);
    tempDatumLayer_.reset();
    cornerPointDatumLayer_.reset();
    top_.reset();
    nodeTable().clear();
    defRegistry().clear();
}

Scene* currentScene() { return current; }

void destroyCurrentScene() {
    if (holder) {
        holder.reset();
    } else if (current) {
        // A scene made on the stack (tests) is only forgotten.
        current = nullptr;
    }
}

namespace detail {
void adoptCurrentScene(std::unique_ptr<Scene> scene) { holder = std::move(scene); }
}  // namespace detail

}  // namespace kinemo

#include "scene/scene_file_hooks.h"
#include "text/translator.h"

namespace kinemo {
namespace {

void countTree(const Node& node, SceneCounts& counts) {
    ++counts.nodes;
    // The const conversions are not offered; the tree is only read here.
    Node& n = const_cast<Node&>(node);
    if (GroupNode* g = n.asGroupNode()) {
        ++counts.groups;
        for (std::size_t i = 0; i < g->childCount(); ++i) countTree(*g->child(i), counts);
    } else if (n.asShapeNode()) {
        ++counts.shapes;
        counts.triangles += node.triangleCount();
    }
}

}  // namespace

bool Scene::headlightOn() const { return sceneFileHooks().headlight ? sceneFileHooks().headlight() : headlight; }

void Scene::setHeadlightOn(bool on) {
    headlight = on;
    if (sceneFileHooks().setHeadlight) sceneFileHooks().setHeadlight(on);
}

SceneCounts countScene(const Scene& scene) {
    SceneCounts counts;
    const GroupNode& root = scene.root();
    for (std::size_t i = 0; i < root.childCount(); ++i) countTree(*root.child(i), counts);
    counts.languages = long(Translator::languageNames().size());
    if (sceneFileHooks().countContent) sceneFileHooks().countContent(scene, counts);
    return counts;
}

}  // namespace kinemo
