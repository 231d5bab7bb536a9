// Shapes in the scene file: their readers, and what they add to the counts of a scene.
#include "scene/scene_file_shapes.h"

#include <vector>

#include "geometry/appearance.h"
#include "geometry/face_object.h"
#include "geometry/face_ref.h"
#include "geometry/shape_node.h"
#include "scene/group_node.h"
#include "scene/scene.h"
#include "scene/scene_file_hooks.h"

namespace kinemo {
namespace {

void countShapes(Node& node, SceneCounts& counts) {
    if (GroupNode* g = node.asGroupNode()) {
        for (std::size_t i = 0; i < g->childCount(); ++i) countShapes(*g->child(i), counts);
        return;
    }
    ShapeNode* shape = node.asShapeNode();
    if (!shape) return;
    ++counts.materials;
    if (shape->appearance().texture()) ++counts.textures;
    ShapeBasics* geometry = shape->geometry();
    const FaceObject* faces = geometry ? geometry->asFaceObject() : nullptr;
    // A shared face set counts in every shape that shows it, as before it was shared.
    if (const auto* ref = dynamic_cast<const FaceRef*>(geometry); ref && !faces) faces = &ref->target();
    if (!faces) return;
    if (faces->holdsLineSet())
        ++counts.lineSets;
    else
        ++counts.faceSets;
    if (faces->points) counts.points += faces->points->rows();
}

}  // namespace

void installShapeSupport() {
    registerShapeReaders();
    SceneFileHooks& h = sceneFileHooks();
    auto previous = h.countContent;
    h.countContent = [previous](const Scene& scene, SceneCounts& counts) {
        countShapes(const_cast<Scene&>(scene).root(), counts);
        if (previous) previous(scene, counts);
    };
}

int shareIdenticalFaceSets(GroupNode& root) {
    FaceShareTable table;
    std::vector<Node*> stack{&root};
    while (!stack.empty()) {
        Node* n = stack.back();
        stack.pop_back();
        if (GroupNode* g = n->asGroupNode()) {
            for (std::size_t i = g->childCount(); i-- > 0;) stack.push_back(g->child(i));
        } else if (ShapeNode* shape = n->asShapeNode()) {
            table.share(*shape);
        }
    }
    return table.replaced();
}

}  // namespace kinemo
