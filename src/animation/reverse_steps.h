#pragma once
// The steps that put back what a step changed below its part (visibility, colour), built from the
// steps of the same kind before it in its chapter.
#include <functional>
#include <memory>
#include <string>

#include "animation/animation_atom.h"

namespace kinemo {

struct PartChangeFamily {
    // Is an earlier step one of the family?
    std::function<bool(const AnimationAtom&)> member;
    // A copy of a family step on another part.
    std::function<std::unique_ptr<AnimationAtom>(const AnimationAtom& model, Node* part)> copyOnto;
    // The step that gives the part its look before any step of the family.
    std::function<std::unique_ptr<AnimationAtom>()> restoring;
    // Reported when a step of the walk has no part; none: only logged.
    std::string missingPart;
};

// Walking back from step through its chapter: a family step on the part or one of its ancestors
// gives the part that step's look; steps on parts below it (each part only from its latest step)
// are copied after it. Without such an ancestor step, the restoring step comes first. In play
// order; empty when step or a family step on the way has no part.
StepList reverseOfPartChange(const AnimationAtom& step, AnimationGroup& chapter, const PartChangeFamily& family);

}  // namespace kinemo
