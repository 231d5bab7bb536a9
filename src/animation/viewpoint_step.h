#pragma once
// A camera flight from the previous viewpoint step's viewpoint to this step's viewpoint. Removed
// from its chapter, the step takes its viewpoint out of the scene (unless another step still
// flies to it) and puts it back under its remembered parent when it is inserted again.
#include <cstdint>
#include <memory>
#include <string>

#include "animation/animation_atom.h"

namespace kinemo {

class GroupNode;

class ViewpointAnimationObject : public AnimationAtom {
public:
    explicit ViewpointAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : AnimationAtom(parent, assignId) {}
    ~ViewpointAnimationObject() override;

    std::int32_t kindMask() const override { return KindViewpoint; }
    std::unique_ptr<AnimationAtomRef> createRef() override { return std::make_unique<ViewpointAnimationRef>(*this); }
    std::string getName() const override;
    double getRunTime() const override { return duration_; }
    void makeInstantaneous() override { duration_ = 0; }
    ViewPoint* targetViewpoint() const override { return viewpoint_; }
    bool involvesNode(const Node* node) const override;
    bool animatesNode(const Node* node) const override;
    bool animate(AnimationAtomRef& ref, double time, bool forward) override;
    bool animate(double time, bool forward) override { return animate(getRef(), time, forward); }
    void removedFromChapter() override;
    void insertedIntoChapter() override;
    std::unique_ptr<AnimationAtom> clone() const override;
    // A copy of the nearest earlier viewpoint step of the chapter; none: a copy of this one.
    StepList createReverseSteps(AnimationGroup& chapter) override;
    // "\n# [ACTION>>VIEWPOINT]", "\n# index %ld", "\n# duration %5.2f", "\n".
    void writeBlock(std::string& out) const override;
    bool writeToFile(std::FILE* file) override;
    // "index" (after the read's viewpoint offset, checked against the list) and, from version 2
    // on, "duration".
    const char* readFromText(const char* text) override;

    void setViewpoint(ViewPoint* viewpoint);
    // Finite and at least 0.
    void setDuration(double seconds);
    double duration() const { return duration_; }

private:
    ViewPoint* viewpoint_ = nullptr;
    GroupNode* viewpointParent_ = nullptr;
    std::unique_ptr<Node> detached_;  // the viewpoint while it is out of the scene
    double duration_ = 0;
    std::int32_t readIndex_ = -1;  // kept when the index named no viewpoint
};

}  // namespace kinemo
