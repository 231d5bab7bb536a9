#include "animation/animation_atom.h"

#include <unordered_set>

#include "animation/animation_group.h"
#include "animation/step_ids.h"
#include "core/messages.h"
#include "scene/group_node.h"
#include "scene/node.h"
#include "scene/node_table.h"

namespace kinemo {

AnimationAtom::AnimationAtom(TextAnimationAtom* parent, bool assignId) : parent_(parent) {
    if (assignId) id_ = takeStepId();
}

AnimationAtom::~AnimationAtom() = default;

std::unique_ptr<AnimationAtomRef> AnimationAtom::createRef() { return std::make_unique<AnimationAtomRef>(*this); }

void AnimationAtom::copyCapturedStateFrom(const AnimationAtom& other) {
    if (!other.ref_) return;
    getRef().copyStateFrom(*other.ref_);
}

AnimationGroup* AnimationAtom::parentChapter() const { return parent_ ? parent_->asAnimationGroup() : nullptr; }

long AnimationAtom::indexInParent() const {
    const AnimationGroup* chapter = parentChapter();
    return chapter ? chapter->indexOf(this) : -1;
}

bool AnimationAtom::canMoveUp() const { return indexInParent() > 0; }

bool AnimationAtom::canMoveDown() const {
    const AnimationGroup* chapter = parentChapter();
    if (!chapter) return false;
    const long index = chapter->indexOf(this);
    return index >= 0 && index <= long(chapter->childCount()) - 2;
}

bool AnimationAtom::involvesNode(const Node* node) const {
    if (!node) return false;
    const GroupNode* root = sceneRoot();
    for (const Node* n = getComponent(); n; n = n->parent()) {
        if (n == node) return true;
        if (n == root) break;
    }
    return false;
}

bool AnimationAtom::animate(AnimationAtomRef& ref, double time, bool forward) { return animate(time, forward); }

bool AnimationAtom::animate(double time, bool forward) {
    reportMessage("AnimationAtom::animate: unexpected call to animate(double, bool)", 1, true);
    return true;
}

void AnimationAtom::fillStructureItem(StructureItem& item, std::uintptr_t parentItem) {
    item.text = getDisplayName();
    item.icon = iconIndex();
    item.data = this;
    item.parentItem = parentItem;
}

AnimationAtomRef& AnimationAtom::getRef() {
    if (!ref_) {
        ref_ = createRef();
        if (!ref_) ref_ = std::make_unique<AnimationAtomRef>(*this);
        ref_->ownedByAtom = true;
        ref_->depth = 0;
    }
    return *ref_;
}

const std::string& AnimationAtom::getDisplayName() {
    std::string name = getName();
    displayName_ = dowait ? std::move(name) : "| |  " + name;
    return displayName_;
}

bool AnimationAtom::isUsed() const {
    const AnimationGroup* root = rootChapterIfAny();
    if (!root) return false;
    const AnimationAtom* current = this;
    int depth = 0;
    while (current != root) {
        if (depth > AnimationGroup::kMaxSearchDepth) {
            reportMessage("Recursion error in AnimationAtom::isUsed()", 1, true);
            return false;
        }
        const AnimationGroup* parent = current->parentChapter();
        if (!parent || !parent->holdsChild(current)) return false;
        current = parent;
        ++depth;
    }
    return true;
}

void AnimationAtom::ensureUniqueId(const AnimationAtom& model) {
    // The ids of the tree outside this step's own subtree: the copy may already hang in the tree.
    std::unordered_set<std::int32_t> taken;
    AnimationGroup* self = asAnimationGroup();
    auto isInCopy = [&](const AnimationAtom& a) {
        if (&a == this) return true;
        if (!self) return false;
        for (const AnimationAtom* p = a.parentChapter(); p; p = p->parentChapter())
            if (p == this) return true;
        return false;
    };
    if (AnimationGroup* root = rootChapterIfAny()) {
        if (!isInCopy(*root)) taken.insert(root->id());
        root->forEachDescendant([&](AnimationAtom& a) {
            if (!isInCopy(a)) taken.insert(a.id());
            return true;
        });
    }
    taken.erase(-1);
    const bool modelFound = model.id() >= 0 && model.id() != id_ && taken.count(model.id()) > 0;
    auto settle = [&](AnimationAtom& a, bool forceFresh) {
        const std::int32_t old = a.id_;
        a.id_ = -1;
        a.id_ = (forceFresh || (old >= 0 && taken.count(old))) ? takeStepId() : old;
        if (a.id_ >= 0) taken.insert(a.id_);
    };
    settle(*this, modelFound);
    if (self) {
        self->forEachDescendant([&](AnimationAtom& a) {
            settle(a, false);
            return true;
        });
    }
}

}  // namespace kinemo
