#include "animation/animation_group.h"

#include <algorithm>
#include <unordered_set>

#include "animation/animation_group_ref.h"
#include "animation/parameter_step.h"
#include "core/messages.h"
#include "scene/node.h"
#include "scene/node_table.h"

namespace kinemo {
namespace {

std::unique_ptr<AnimationGroup>& rootHolder() {
    static std::unique_ptr<AnimationGroup> root;
    return root;
}

bool visitBelow(AnimationGroup& chapter, const std::function<bool(AnimationAtom&)>& visit, int depth) {
    if (depth >= AnimationGroup::kMaxSearchDepth) return true;
    for (std::size_t i = 0; i < chapter.childCount(); ++i) {
        AnimationAtom* atom = chapter.child(i);
        if (!visit(*atom)) return false;
        if (AnimationGroup* sub = atom->asAnimationGroup())
            if (!visitBelow(*sub, visit, depth + 1)) return false;
    }
    return true;
}

}  // namespace

AnimationGroup::AnimationGroup(TextAnimationAtom* parent, bool assignId) : TextAnimationAtom(parent, assignId) {}

AnimationGroup::~AnimationGroup() {
    // Last to first, as every owner of a list does.
    clearTimeline();
    while (!children_.empty()) children_.pop_back();
    for (AnimationAtom* r : referencedBy)
        if (auto* ref = dynamic_cast<AnimationGroupRef*>(r)) ref->forgetGroup();
    AnimationState& s = animationState();
    if (s.currentChapter == this) s.currentChapter = nullptr;
    chapterTreeChanged();
}

namespace {

// The deepest chain of references below chapter; -1 when one leads back to target.
int referenceDepth(const AnimationGroup& chapter, const AnimationGroup* target, int depth, int limit) {
    if (&chapter == target) return -1;
    if (depth >= limit) return depth;
    int deepest = depth;
    bool cycle = false;
    const_cast<AnimationGroup&>(chapter).forEachDescendant([&](AnimationAtom& a) {
        if (AnimationGroup* g = a.asAnimationGroup()) {
            if (g == target) cycle = true;
        }
        if (AnimationGroup* r = a.referencedChapter()) {
            const int d = referenceDepth(*r, target, depth + 1, limit);
            if (d < 0) cycle = true;
            deepest = std::max(deepest, d);
        }
        return !cycle;
    });
    return cycle ? -1 : deepest;
}

}  // namespace

bool acceptsReference(const AnimationGroup& holder, const AnimationGroup& played) {
    // A chapter playing itself, one of its ancestors, or a chapter that plays it back would
    // never end.
    const int limit = animationState().maxReferenceDepth;
    for (const AnimationAtom* p = &holder; p; p = p->parentChapter())
        if (referenceDepth(played, p->asAnimationGroup(), 0, limit) < 0) return false;
    return referenceDepth(played, nullptr, 0, limit) < limit;
}

namespace {

bool subtreeHolds(AnimationAtom& top, const AnimationAtom* atom) {
    if (&top == atom) return true;
    AnimationGroup* g = top.asAnimationGroup();
    if (!g) return false;
    bool found = false;
    g->forEachDescendant([&](AnimationAtom& a) {
        found = &a == atom;
        return !found;
    });
    return found;
}

}  // namespace

long AnimationGroup::indexOf(const AnimationAtom* atom) const {
    for (std::size_t i = 0; i < children_.size(); ++i)
        if (children_[i].get() == atom) return long(i);
    return -1;
}

bool AnimationGroup::checkInsert(const AnimationAtom* atom, bool inserting) const {
    if (!atom) {
        reportMessage("Cannot insert NULL AnimationAtom", 1, true);
        return false;
    }
    const bool isChapter = atom->asAnimationGroup() != nullptr;
    if (atom == this || (isChapter && atom->asAnimationGroup() == rootChapterIfAny())) {
        reportMessage("Cannot insert NULL AnimationAtom", 1, true);
        return false;
    }
    // A chapter may not go into its own subtree.
    for (const AnimationAtom* p = this; p; p = p->parentChapter()) {
        if (p == atom) {
            reportMessage("Rejected attempt to insert animation group into itself", 1, true);
            return false;
        }
    }
    if (const AnimationGroup* played = atom->referencedChapter()) {
        if (!acceptsReference(*this, *played)) {
            reportMessage("Rejected chapter reference that would play itself: " + played->getName(), 1, true);
            return false;
        }
    }
    if (!children_.empty()) {
        if (contentKind_ == HoldsChapters && !isChapter) {
            reportMessage(std::string(inserting ? "Rejected attempt to insert animation step into chapter "
                                                : "Rejected attempt to add animation step to chapter ") +
                              getName(),
                          1, true);
            return false;
        }
        if (contentKind_ != HoldsChapters && isChapter) {
            reportMessage(std::string(inserting ? "Rejected attempt to insert animation group into section "
                                                : "Rejected attempt to add animation group to section ") +
                              getName(),
                          1, true);
            return false;
        }
    }
    return true;
}

void AnimationGroup::adopt(AnimationAtom& atom) {
    atom.setParent(this);
    if (children_.size() == 1) contentKind_ = atom.asAnimationGroup() ? HoldsChapters : HoldsSteps;
    chapterTreeChanged();
    atom.insertedIntoChapter();
}

bool AnimationGroup::appendChild(std::unique_ptr<AnimationAtom>& atom, bool rebuild) {
    if (!checkInsert(atom.get(), false)) return false;
    AnimationAtom& a = *atom;
    children_.push_back(std::move(atom));
    adopt(a);
    if (rebuild && animationState().animationEnabled) rebuildTimelines(*this);
    return true;
}

bool AnimationGroup::insertChild(std::unique_ptr<AnimationAtom>& atom, long position) {
    if (!checkInsert(atom.get(), true)) return false;
    AnimationAtom& a = *atom;
    if (position < 0 || position > long(children_.size())) position = long(children_.size());
    children_.insert(children_.begin() + position, std::move(atom));
    adopt(a);
    if (!a.asAnimationGroup()) showChangedStep(&a);
    return true;
}

std::unique_ptr<AnimationAtom> AnimationGroup::removeChild(AnimationAtom* atom) {
    const long index = indexOf(atom);
    if (index < 0) return nullptr;
    std::unique_ptr<AnimationAtom> taken = std::move(children_[std::size_t(index)]);
    children_.erase(children_.begin() + index);
    if (children_.empty()) contentKind_ = Empty;
    AnimationState& s = animationState();
    if (s.lastStep && subtreeHolds(*taken, s.lastStep)) s.lastStep = nullptr;
    if (s.currentChapter && subtreeHolds(*taken, s.currentChapter)) s.currentChapter = nullptr;
    // The records of the removed steps must leave this timeline before they may be deleted.
    const bool built = timelineBuilt_;
    if (built) clearTimeline();
    taken->setParent(nullptr);
    chapterTreeChanged();
    taken->removedFromChapter();
    AnimationAtom* next = child(std::size_t(index));
    if (!taken->asAnimationGroup() && next && s.animationEnabled)
        showChangedStep(next);
    else if (built && s.animationEnabled)
        rebuildTimelines(*this);
    return taken;
}

bool AnimationGroup::moveChild(AnimationAtom* atom, bool up) {
    const long index = indexOf(atom);
    if (index < 0 || !(up ? atom->canMoveUp() : atom->canMoveDown())) return false;
    std::unique_ptr<AnimationAtom> taken = std::move(children_[std::size_t(index)]);
    children_.erase(children_.begin() + index);
    children_.insert(children_.begin() + (up ? index - 1 : index + 1), std::move(taken));
    return true;
}

bool AnimationGroup::forEachDescendant(const std::function<bool(AnimationAtom&)>& visit) {
    return visitBelow(*this, visit, 0);
}

AnimationGroup& rootChapter() {
    std::unique_ptr<AnimationGroup>& root = rootHolder();
    if (!root) root = std::make_unique<AnimationGroup>(nullptr, true);
    return *root;
}

AnimationGroup* rootChapterIfAny() { return rootHolder().get(); }

void resetRootChapter() {
    rootHolder().reset();
    AnimationState& s = animationState();
    s.currentChapter = nullptr;
    s.currentIndex = 0;
    s.currentTime = 0;
    s.lastStep = nullptr;
    s.animationEnabled = true;
    forgetInitialSceneState();
    forgetShapeParameters();
    chapterTreeChanged();
}

namespace {
struct ChapterListCache {
    bool valid = false;
    std::vector<AnimationGroup*> list;
};
ChapterListCache& chapterListCache() {
    static ChapterListCache cache;
    return cache;
}
}  // namespace

void chapterTreeChanged() {
    chapterListCache().valid = false;
    AnimationState& s = animationState();
    if (s.chapterListChanged && s.animationEnabled) s.chapterListChanged();
}

const std::vector<AnimationGroup*>& chapterList() {
    ChapterListCache& c = chapterListCache();
    if (!c.valid) {
        c.list = chaptersInOrder(AnimationGroup::HoldsSteps);
        c.valid = true;
    }
    return c.list;
}

std::vector<ChapterMenuEntry> chapterMenu() {
    std::vector<ChapterMenuEntry> out;
    for (AnimationGroup* c : chapterList())
        if (c->displayInChapter) out.push_back({c, c->getName()});
    return out;
}

std::unique_ptr<AnimationAtom> AnimationGroup::clone() const {
    AnimationState& s = animationState();
    const bool enabled = s.animationEnabled;
    s.animationEnabled = false;
    auto copy = std::make_unique<AnimationGroup>(nullptr, true);
    static_cast<TextHolder&>(*copy) = static_cast<const TextHolder&>(*this);
    copy->displayInChapter = displayInChapter;
    copy->chapterIconName = chapterIconName;
    copy->dowait = dowait;
    for (const auto& child : children_) {
        std::unique_ptr<AnimationAtom> c = child->clone();
        if (c) copy->appendChild(c);
    }
    s.animationEnabled = enabled;
    return copy;
}

std::vector<AnimationGroup*> chaptersInOrder(std::int32_t mask) {
    std::vector<AnimationGroup*> out;
    if (AnimationGroup* root = rootChapterIfAny()) {
        root->forEachDescendant([&](AnimationAtom& a) {
            if (AnimationGroup* g = a.asAnimationGroup())
                if (g->contentKind() & mask) out.push_back(g);
            return true;
        });
    }
    return out;
}

long chapterIndex(const AnimationGroup* chapter, std::int32_t mask) {
    const std::vector<AnimationGroup*> list = chaptersInOrder(mask);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == chapter) return long(i);
    return -1;
}

AnimationGroup* chapterAt(long index, std::int32_t mask) {
    const std::vector<AnimationGroup*> list = chaptersInOrder(mask);
    return index >= 0 && std::size_t(index) < list.size() ? list[std::size_t(index)] : nullptr;
}

long stepIndex(const AnimationAtom* atom) {
    AnimationGroup* root = rootChapterIfAny();
    if (!root || !atom) return -1;
    long i = 0, found = -1;
    root->forEachDescendant([&](AnimationAtom& a) {
        if (&a == atom) {
            found = i;
            return false;
        }
        ++i;
        return true;
    });
    return found;
}

AnimationAtom* stepAt(long index) {
    AnimationGroup* root = rootChapterIfAny();
    if (!root || index < 0) return nullptr;
    long i = 0;
    AnimationAtom* found = nullptr;
    root->forEachDescendant([&](AnimationAtom& a) {
        if (i++ == index) {
            found = &a;
            return false;
        }
        return true;
    });
    return found;
}

AnimationAtom* findStepById(std::int32_t id) {
    AnimationGroup* root = rootChapterIfAny();
    if (!root || id < 0) return nullptr;
    AnimationAtom* found = nullptr;
    root->forEachDescendant([&](AnimationAtom& a) {
        if (a.id() == id) {
            found = &a;
            return false;
        }
        return true;
    });
    return found;
}

bool anyStepAnimates(const Node* node) {
    AnimationGroup* root = rootChapterIfAny();
    if (!root || !node) return false;
    bool found = false;
    root->forEachDescendant([&](AnimationAtom& a) {
        found = a.animatesNode(node);
        return !found;
    });
    return found;
}

std::vector<AnimationAtom*> stepsInvolving(const Node* node) {
    std::vector<AnimationAtom*> out;
    AnimationGroup* root = rootChapterIfAny();
    if (!root || !node) return out;
    root->forEachDescendant([&](AnimationAtom& a) {
        if (a.involvesNode(node)) out.push_back(&a);
        return true;
    });
    return out;
}

namespace {

int resolveIn(AnimationGroup& chapter, std::unordered_set<const AnimationGroup*>& done) {
    if (!done.insert(&chapter).second) return 0;
    int set = 0;
    std::vector<AnimationGroup*> referenced;
    chapter.forEachDescendant([&](AnimationAtom& a) {
        const std::int32_t kind = a.kindMask();
        if ((kind == KindVisibility || kind == KindColor || kind == KindMoveContainer) && !a.getComponent() &&
            a.componentId >= 0) {
            if (Node* node = nodeTable().at(a.componentId)) {
                if (a.setComponent(node)) ++set;
            }
        }
        if (AnimationGroup* r = a.referencedChapter()) referenced.push_back(r);
        return true;
    });
    for (AnimationGroup* r : referenced) set += resolveIn(*r, done);
    return set;
}

}  // namespace

int resolveComponents(AnimationGroup& chapter) {
    std::unordered_set<const AnimationGroup*> done;
    return resolveIn(chapter, done);
}

}  // namespace kinemo
