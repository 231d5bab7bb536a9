#pragma once
// Steps that change how a part looks: a colour step blends every shape below its part from the
// materials captured at its start to those with its change applied; a blink step switches the
// change on and off and ends with the captured materials.
#include <cstdint>
#include <memory>
#include <string>

#include "animation/animation_atom.h"
#include "geometry/material.h"

namespace kinemo {

class GroupNode;

class ColorAnimationObject : public AnimationAtom {
public:
    explicit ColorAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false);

    std::int32_t kindMask() const override { return KindColor; }
    std::unique_ptr<AnimationAtomRef> createRef() override;
    std::string getName() const override;
    double getRunTime() const override { return duration_; }
    void makeInstantaneous() override { duration_ = 0; }
    Node* getComponent() const override;
    bool setComponent(Node* node) override;
    void replaceComponent(Node* node) override;
    bool animatesNode(const Node* node) const override { return node && node == getComponent(); }
    bool animate(AnimationAtomRef& ref, double time, bool forward) override;
    bool animate(double time, bool forward) override { return animate(getRef(), time, forward); }
    std::unique_ptr<AnimationAtom> clone() const override;
    // The look before the step: an earlier colour step on the part or above it, or a step of the
    // same duration that restores every value, and the earlier colour steps on parts below it.
    StepList createReverseSteps(AnimationGroup& chapter) override;
    void writeBlock(std::string& out) const override;
    bool writeToFile(std::FILE* file) override;
    // The keys of the colour block by the version of the file being read.
    const char* readFromText(const char* text) override;

    // Finite and at least 0.
    void setDuration(double seconds);
    MaterialChange change;

protected:
    // The change, duration, part and dowait of this step into c.
    void copyColourInto(ColorAnimationObject& c) const;
    // The shapes' current materials from the record's copies.
    static void restore(AnimationAtomRef& ref);
    // The change applied to every captured shape, not permanently.
    void applyToShapes(AnimationAtomRef& ref) const;
    void readChange(const class BlockText& block, bool brightnessKeys);
    void writeChange(std::string& out) const;
    double duration_ = 0;
    GroupNode* component_ = nullptr;
};

class BlinkAnimationAtom : public ColorAnimationObject {
public:
    explicit BlinkAnimationAtom(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : ColorAnimationObject(parent, assignId) {}
    double getRunTime() const override { return (onDuration + offDuration) * numCycle; }
    // Played backward, or with no period, it restores the materials and finishes.
    bool animate(AnimationAtomRef& ref, double time, bool forward) override;
    std::unique_ptr<AnimationAtom> clone() const override;
    StepList createReverseSteps(AnimationGroup& chapter) override { return reverseStepOf(clone(), chapter); }
    void writeBlock(std::string& out) const override;
    const char* readFromText(const char* text) override;
    void makeInstantaneous() override { numCycle = 0; }

    double onDuration = 0.5;
    double offDuration = 0.5;
    std::int32_t numCycle = 5;
};

// Lets colour records copy materials (done once by whoever sets up the animation layer).
void registerMaterialCopier();

}  // namespace kinemo
