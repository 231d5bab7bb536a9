#include "animation/animation_atom_ref.h"

#include <cstring>

#include "animation/animation_atom.h"
#include "animation/move_animation.h"
#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/transform_node.h"

namespace kinemo {
namespace {

ColorAnimationRef::MaterialCopier& materialCopier() {
    static ColorAnimationRef::MaterialCopier copier;
    return copier;
}

TransformNode* componentTransform(const AnimationAtomRef& ref) {
    Node* component = ref.atom ? ref.atom->getComponent() : nullptr;
    return component ? component->asTransformNode() : nullptr;
}

void collectShapes(Node& node, std::vector<Node*>& out, int depth) {
    if (depth > 1000) return;
    if (node.asShapeNode()) out.push_back(&node);
    if (GroupNode* g = node.asGroupNode())
        for (std::size_t i = 0; i < g->childCount(); ++i) collectShapes(*g->child(i), out, depth + 1);
}

}  // namespace

AnimationAtomRef::AnimationAtomRef(AnimationAtom& a) : atom(&a), kind(a.kindMask()) {
    startEntry.ref = this;
    startEntry.isStart = true;
    endEntry.ref = this;
    endEntry.isStart = false;
}

std::string AnimationAtomRef::name() const { return "Ref(" + (atom ? atom->getName() : std::string()) + ")"; }

void AnimationAtomRef::writeXmlElement(std::string& out) const {
    if (!atom || kind == KindMoveContainer) return;
    atom->writeXmlElement(out, startEntry.time);
}

void ColorAnimationRef::setMaterialCopier(MaterialCopier copier) { materialCopier() = std::move(copier); }

void ColorAnimationRef::getCurrentState() {
    shapes.clear();
    startMaterials.clear();
    Node* component = atom ? atom->getComponent() : nullptr;
    if (!component) return;
    collectShapes(*component, shapes, 0);
    const MaterialCopier& copier = materialCopier();
    if (!copier) return;
    for (Node* shape : shapes) startMaterials.push_back(copier(*shape));
}

void MoveObjectRef::getCurrentState() {
    if (TransformNode* t = componentTransform(*this))
        std::memcpy(startTranslation, t->currentTransform.translation(), sizeof startTranslation);
}

void MoveObjectRef::copyStateFrom(const AnimationAtomRef& other) {
    if (const auto* o = dynamic_cast<const MoveObjectRef*>(&other))
        std::memcpy(startTranslation, o->startTranslation, sizeof startTranslation);
}

void RotationAnimationRef::getCurrentState() {
    MoveObjectRef::getCurrentState();
    if (TransformNode* t = componentTransform(*this))
        std::memcpy(startRotation, t->currentTransform.rotation(), sizeof startRotation);
}

void RotationAnimationRef::copyStateFrom(const AnimationAtomRef& other) {
    MoveObjectRef::copyStateFrom(other);
    if (const auto* o = dynamic_cast<const RotationAnimationRef*>(&other))
        std::memcpy(startRotation, o->startRotation, sizeof startRotation);
}

void ScaleAnimationRef::getCurrentState() {
    MoveObjectRef::getCurrentState();
    if (TransformNode* t = componentTransform(*this)) {
        std::memcpy(startRotation, t->currentTransform.rotation(), sizeof startRotation);
        std::memcpy(startScale, t->currentTransform.scale(), sizeof startScale);
        std::memcpy(startScaleOrientation, t->currentTransform.scaleOrientation(), sizeof startScaleOrientation);
    }
    if (auto* scaling = dynamic_cast<ScaleAnimationObject*>(atom)) scaling->adjustLegacySpeed(startScale);
}

void ScaleAnimationRef::copyStateFrom(const AnimationAtomRef& other) {
    MoveObjectRef::copyStateFrom(other);
    if (const auto* o = dynamic_cast<const ScaleAnimationRef*>(&other)) {
        std::memcpy(startRotation, o->startRotation, sizeof startRotation);
        std::memcpy(startScale, o->startScale, sizeof startScale);
        std::memcpy(startScaleOrientation, o->startScaleOrientation, sizeof startScaleOrientation);
    }
}

namespace {

void collectFlags(Node& node, std::vector<std::pair<Node*, bool>>& out, int depth) {
    if (depth > 1000) return;
    out.emplace_back(&node, node.visible());
    if (GroupNode* g = node.asGroupNode())
        for (std::size_t i = 0; i < g->childCount(); ++i) collectFlags(*g->child(i), out, depth + 1);
}

}  // namespace

void VisibilityAnimationRef::getCurrentState() {
    flags.clear();
    Node* component = atom ? atom->getComponent() : nullptr;
    if (!component) return;
    collectFlags(*component, flags, 0);
    const GroupNode* top = sceneRoot();
    for (GroupNode* a = component->parent(); a; a = a->parent()) {
        flags.emplace_back(a, a->visible());
        if (a == top) break;
    }
}

void VisibilityAnimationRef::restore() const {
    for (const auto& [node, visible] : flags) node->setVisibleFlag(visible);
}

void ComplexMoveAnimationRef::getCurrentState() {
    MoveObjectRef::getCurrentState();
    if (TransformNode* t = componentTransform(*this))
        std::memcpy(startRotation, t->currentTransform.rotation(), sizeof startRotation);
}

}  // namespace kinemo
