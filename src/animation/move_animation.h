#pragma once
// Motion steps: a move container belongs to one part and holds elementary motions played one
// after the other (translation, rotation about a pivot, helical motion, scaling). Every motion
// computes the part's pose at a weight from the state its record captured at its start.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "animation/animation_atom.h"

namespace kinemo {

class GroupNode;

class MoveObject : public AnimationAtom {
public:
    MoveObject(TextAnimationAtom* parent, bool assignId, float speed) : AnimationAtom(parent, assignId), speed(speed) {}

    bool isElementaryMove() const override { return true; }
    Node* getComponent() const override;
    // Group nodes only. When the part changes and the preference "AlignClonesGlobally" is on
    // (above 0.5), the motion's directions are carried from the old part's frame into the new
    // one's, so that the new part moves the same way in the scene.
    bool setComponent(Node* node) override;
    // Takes the node without checks or conversion (reading, substitution).
    void replaceComponent(Node* node) override;
    void makeInstantaneous() override { speed = 1.0e30f; }
    // Amount / |speed|, with the guards for tiny speeds and huge durations.
    double getRunTime() const override;
    bool animate(AnimationAtomRef& ref, double time, bool forward) override;
    bool animate(double time, bool forward) override { return animate(getRef(), time, forward); }

    // The amount of motion the speed applies to.
    virtual double getMaxParameter() const = 0;
    // Writes the pose at weight w (0 start, 1 end) from the record's captured start state.
    virtual void applyWeight(AnimationAtomRef& ref, double w) = 0;
    // Changes the parameters so that the motion runs backward.
    virtual void invert() = 0;
    virtual std::unique_ptr<MoveObject> copy() const = 0;
    // The sub-block of the move container.
    void writeBlock(std::string& out) const override = 0;
    // Reads the keys of its sub-block.
    virtual void readBlock(const class BlockText& block) = 0;
    std::unique_ptr<AnimationAtom> clone() const override { return copy(); }

    void setToStart(AnimationAtomRef& ref) { applyWeight(ref, 0); }
    void setToEnd(AnimationAtomRef& ref) { applyWeight(ref, 1); }

    float speed;
    std::string comment;

protected:
    // What a duration above 1e6 s becomes.
    virtual double hugeDuration() const { return 1.0e-6; }
    // Passes every direction-like parameter through map: displacements as they are, axes
    // keeping their length.
    virtual void mapDirections(const std::function<void(float v[3], bool isAxis)>& map) {}
    GroupNode* component_ = nullptr;
};

class TranslationAnimationObject : public MoveObject {
public:
    explicit TranslationAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : MoveObject(parent, assignId, 50.0f) {}
    std::unique_ptr<AnimationAtomRef> createRef() override { return std::make_unique<MoveObjectRef>(*this); }
    std::string getName() const override { return "Translation"; }
    double getMaxParameter() const override;
    void applyWeight(AnimationAtomRef& ref, double w) override;
    void invert() override;
    std::unique_ptr<MoveObject> copy() const override;
    void writeBlock(std::string& out) const override;
    void readBlock(const BlockText& block) override;

    std::array<float, 3> displ{0, 0, 0};

protected:
    void mapDirections(const std::function<void(float v[3], bool isAxis)>& map) override { map(displ.data(), false); }
};

class RotationAnimationObject : public MoveObject {
public:
    explicit RotationAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false, float speed = 3.14159f)
        : MoveObject(parent, assignId, speed) {}
    std::unique_ptr<AnimationAtomRef> createRef() override { return std::make_unique<RotationAnimationRef>(*this); }
    std::string getName() const override { return "Rotation"; }
    double getMaxParameter() const override;
    void applyWeight(AnimationAtomRef& ref, double w) override;
    void invert() override;
    std::unique_ptr<MoveObject> copy() const override;
    void writeBlock(std::string& out) const override;
    void readBlock(const BlockText& block) override;

    std::array<float, 3> center{0, 0, 0};
    std::array<float, 4> rot{0, 0, 1, 0};

protected:
    // Translation and rotation at weight w, with the pivot kept fixed.
    void poseAt(const RotationAnimationRef& ref, double w, double t[3], float r[4]) const;
    void mapDirections(const std::function<void(float v[3], bool isAxis)>& map) override { map(rot.data(), true); }
};

class TransRotAnimationObject : public RotationAnimationObject {
public:
    explicit TransRotAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : RotationAnimationObject(parent, assignId, 1.0f) {}
    std::string getName() const override { return "Helix"; }
    double getMaxParameter() const override { return 1.0; }
    void applyWeight(AnimationAtomRef& ref, double w) override;
    void invert() override;
    std::unique_ptr<MoveObject> copy() const override;
    void writeBlock(std::string& out) const override;
    void readBlock(const BlockText& block) override;

    std::array<float, 3> displ{0, 0, 0};

protected:
    void mapDirections(const std::function<void(float v[3], bool isAxis)>& map) override {
        map(rot.data(), true);
        map(displ.data(), false);
    }
};

class ScaleAnimationObject : public MoveObject {
public:
    explicit ScaleAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : MoveObject(parent, assignId, 1.0f) {}
    std::unique_ptr<AnimationAtomRef> createRef() override { return std::make_unique<ScaleAnimationRef>(*this); }
    std::string getName() const override { return "Scale"; }
    double getMaxParameter() const override;
    void applyWeight(AnimationAtomRef& ref, double w) override;
    // Each factor f becomes 1/f; one at or below 1e-20 becomes 1 with a warning.
    void invert() override;
    std::unique_ptr<MoveObject> copy() const override;
    void writeBlock(std::string& out) const override;
    void readBlock(const BlockText& block) override;

    // Files up to version 5.01 measured a scaling's speed on the scale change itself; converted
    // once, from the first captured start scale.
    void adjustLegacySpeed(const float startScale[3]);

    std::array<float, 3> center{0, 0, 0};
    std::array<float, 3> factor{1, 1, 1};
    bool speedAdjusted = true;

protected:
    double hugeDuration() const override { return 1.0e6; }
};

// The moves of one part, played one after the other.
class MoveAnimationObject : public AnimationAtom {
public:
    explicit MoveAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : AnimationAtom(parent, assignId) {}

    std::int32_t kindMask() const override { return KindMoveContainer; }
    std::string getName() const override;
    double getRunTime() const override;
    std::size_t moveCount() const override { return moves_.size(); }
    AnimationAtom* moveAt(std::size_t i) const override { return i < moves_.size() ? moves_[i].get() : nullptr; }
    MoveObject* move(std::size_t i) const { return i < moves_.size() ? moves_[i].get() : nullptr; }
    void appendMove(std::unique_ptr<MoveObject> move);
    Node* getComponent() const override;
    // Group nodes only; the moves take the node too.
    bool setComponent(Node* node) override;
    void replaceComponent(Node* node) override { setComponent(node); }
    bool animatesNode(const Node* node) const override { return node && node == getComponent(); }
    void makeInstantaneous() override;
    bool animate(AnimationAtomRef&, double, bool) override { return true; }
    bool animate(double, bool) override { return true; }
    std::unique_ptr<AnimationAtom> clone() const override;
    // A copy whose moves run in the reverse order, each inverted.
    StepList createReverseSteps(AnimationGroup& chapter) override;
    // Reads "id" and "dowait" and the sub-blocks up to "[END]"; a node that is not found keeps
    // its id and the moves are kept (the next save writes -1).
    const char* readFromText(const char* text) override { return readFromText(text, nullptr); }
    // The same; files before version 2.075 hold a translation in the frame the part hangs in,
    // and with chapterSoFar (the chapter read up to this block) it is taken into the part's own
    // frame at the pose the moves read so far leave the part in.
    const char* readFromText(const char* text, AnimationGroup* chapterSoFar);
    // The legacy "ACTION>>POSITION" block: the part's old and new position ("po", "pn") and
    // rotation ("ro", "rn") become a rotation about the part's centre (when the rotations differ)
    // and a translation at speed 1.
    const char* readPositionBlock(const char* text);
    bool writeToFile(std::FILE* file) override;
    void writeBlock(std::string& out) const override;

private:
    GroupNode* component_ = nullptr;
    std::vector<std::unique_ptr<MoveObject>> moves_;
};

}  // namespace kinemo
