#include "animation/reverse_steps.h"

#include <algorithm>

#include "animation/animation_group.h"
#include "core/messages.h"
#include "scene/node.h"

namespace kinemo {

StepList reverseStepOf(std::unique_ptr<AnimationAtom> step, AnimationGroup& chapter) {
    StepList out;
    if (!step) return out;
    step->setParent(&chapter);
    out.push_back(std::move(step));
    return out;
}

StepList reverseOfPartChange(const AnimationAtom& step, AnimationGroup& chapter, const PartChangeFamily& family) {
    auto noPart = [&] {
        if (family.missingPart.empty())
            logLine("createReverseSteps: a step without part");
        else
            reportMessage(family.missingPart, 1, true);
        return StepList{};
    };
    Node* part = step.getComponent();
    if (!part) return noPart();
    std::unique_ptr<AnimationAtom> base;
    StepList below;  // nearest first
    std::vector<const Node*> collected;
    AnimationGroup* own = step.parentChapter();
    const long at = own ? own->indexOf(&step) : -1;
    for (long i = at - 1; i >= 0 && !base; --i) {
        const AnimationAtom& earlier = *own->child(std::size_t(i));
        if (!family.member(earlier)) continue;
        Node* other = earlier.getComponent();
        if (!other) return noPart();
        if (other->isAncestorOrSelfOf(part)) {
            base = family.copyOnto(earlier, part);
        } else if (part->isAncestorOrSelfOf(other) &&
                   std::none_of(collected.begin(), collected.end(),
                                [&](const Node* c) { return c->isAncestorOrSelfOf(other); })) {
            below.push_back(family.copyOnto(earlier, other));
            collected.push_back(other);
        }
    }
    if (!base) base = family.restoring();
    StepList out;
    // The part as a whole first: its steps reach every node below it.
    out.push_back(std::move(base));
    for (auto it = below.rbegin(); it != below.rend(); ++it) out.push_back(std::move(*it));
    std::erase(out, nullptr);
    for (auto& s : out) s->setParent(&chapter);
    return out;
}

}  // namespace kinemo
