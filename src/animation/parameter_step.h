#pragma once
// A shape parameter step: every geometry below its part gets one of its parameters moved from a
// start to an end value over the step's duration (parametric shapes answer it).
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "animation/animation_atom.h"

namespace kinemo {

class GroupNode;

class ParameterAnimationAtom : public AnimationAtom {
public:
    explicit ParameterAnimationAtom(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : AnimationAtom(parent, assignId) {}

    std::int32_t kindMask() const override { return KindOther; }
    std::unique_ptr<AnimationAtomRef> createRef() override;
    // "Param, " and the part's name; "No Object!" without part.
    std::string getName() const override;
    double getRunTime() const override { return duration_; }
    void makeInstantaneous() override { duration_ = 0; }
    Node* getComponent() const override;
    // Only group nodes are taken.
    bool setComponent(Node* node) override;
    void replaceComponent(Node* node) override;
    bool animatesNode(const Node* node) const override { return node && node == getComponent(); }
    // The value at time / duration between start and end; with no duration the start value, at
    // once. Played backward past its start, every geometry gets back the value a step had given
    // it when this one started (the start value where none had).
    bool animate(AnimationAtomRef& ref, double time, bool forward) override;
    bool animate(double time, bool forward) override { return animate(getRef(), time, forward); }
    std::unique_ptr<AnimationAtom> clone() const override;
    StepList createReverseSteps(AnimationGroup& chapter) override { return reverseStepOf(clone(), chapter); }
    // "\n# [ACTION>>SHAPE_PARAMETER]", "\n# id %ld", "\n# startValue %6.3f", "\n# endValue %6.3f",
    // "\n# parameterIndex N", "\n# duration %6.3f", "\n".
    void writeBlock(std::string& out) const override;
    bool writeToFile(std::FILE* file) override;
    // The keys of the block at text; the part from the node table of the read.
    const char* readFromText(const char* text) override;

    // Finite and at least 0.
    void setDuration(double seconds);
    double duration() const { return duration_; }

    float startValue = 0;
    float endValue = 1;
    std::int32_t parameterIndex = 0;

private:
    double duration_ = 1;
    GroupNode* component_ = nullptr;
};

// The parameter values steps had given the geometries below the part when the step started.
class ParameterAnimationRef : public AnimationAtomRef {
public:
    using AnimationAtomRef::AnimationAtomRef;
    void getCurrentState() override;
    // Geometries are only compared, never followed: values go back through the live tree.
    std::vector<std::pair<const class ShapeBasics*, float>> before;
};

// The parameter values the steps have set, so that a pass that plays steps only to capture their
// start states can put the scene's parameters back. A parameter that no step had set before is
// put back to the start value of the first step that set it during the pass.
class ShapeParameterGuard {
public:
    ShapeParameterGuard();
    ~ShapeParameterGuard();
    ShapeParameterGuard(const ShapeParameterGuard&) = delete;
    ShapeParameterGuard& operator=(const ShapeParameterGuard&) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};
// Forgets the remembered values (a new document).
void forgetShapeParameters();

}  // namespace kinemo
