#pragma once
// Steps that show or hide a part. Played backward they put back the visibility their record
// captured just before them in the chapter, earlier hidden parts included.
#include <memory>
#include <string>

#include "animation/animation_atom.h"

namespace kinemo {

class GroupNode;

class ShowHideAnimationObject : public AnimationAtom {
public:
    ShowHideAnimationObject(TextAnimationAtom* parent, bool assignId, bool appear)
        : AnimationAtom(parent, assignId), appear_(appear) {}

    std::int32_t kindMask() const override { return KindVisibility; }
    std::unique_ptr<AnimationAtomRef> createRef() override;
    Node* getComponent() const override;
    // Only group nodes are taken.
    bool setComponent(Node* node) override;
    void replaceComponent(Node* node) override;
    bool animatesNode(const Node* node) const override { return node && node == getComponent(); }
    bool involvesNode(const Node* node) const override { return AnimationAtom::involvesNode(node); }
    std::string getName() const override;
    bool animate(AnimationAtomRef& ref, double time, bool forward) override;
    bool animate(double time, bool forward) override;
    std::unique_ptr<AnimationAtom> clone() const override;
    // The visibility before the step: an earlier appear or disappear on the part or above it, or
    // an appear, and the earlier steps on parts below it.
    StepList createReverseSteps(AnimationGroup& chapter) override;
    // "\n# [ACTION>>APPEAR]" or "\n# [ACTION>>DISAPPEAR]" and "\n# id %ld\n".
    void writeBlock(std::string& out) const override;
    bool writeToFile(std::FILE* file) override;
    bool appears() const { return appear_; }

private:
    bool appear_;
    GroupNode* component_ = nullptr;
};

class AppearAnimationObject : public ShowHideAnimationObject {
public:
    explicit AppearAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : ShowHideAnimationObject(parent, assignId, true) {}
};

class DisappearAnimationObject : public ShowHideAnimationObject {
public:
    explicit DisappearAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : ShowHideAnimationObject(parent, assignId, false) {}
};

}  // namespace kinemo
