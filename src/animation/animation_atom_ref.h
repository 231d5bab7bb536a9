#pragma once
// The run-time record of one step in one chapter timeline: its start and end entries and the state
// the step captured from the scene when it started, so that it can animate from there and play
// backwards to it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kinemo {

class AnimationAtom;
class AnimationAtomRef;
class BasicObject;
class Node;
class ViewPoint;

// Kind mask bits of a record, chosen by the step's class. Playback selects steps by these bits.
enum AnimationKind : std::int32_t {
    KindVisibility = 1,     // appear or disappear
    KindColor = 2,          // colour or blink
    KindMoveContainer = 4,  // the container of one component's moves (not the moves inside it)
    KindText = 8,
    KindStop = 16,
    KindViewpoint = 32,
    KindOther = 64,
    KindAll = 255,
};

struct TimelineEntry {
    AnimationAtomRef* ref = nullptr;
    bool isStart = true;
    double time = 0.0;
    std::int32_t index = 0;
};

class AnimationAtomRef {
public:
    // The record of atom with the kind mask of its class (atom.kindMask()).
    explicit AnimationAtomRef(AnimationAtom& atom);
    virtual ~AnimationAtomRef() = default;
    AnimationAtomRef(const AnimationAtomRef&) = delete;
    AnimationAtomRef& operator=(const AnimationAtomRef&) = delete;

    // Captures the start state from the scene; the plain record captures nothing.
    virtual void getCurrentState() {}
    // Takes the captured state of a record of the same class; nothing for a record of another class.
    virtual void copyStateFrom(const AnimationAtomRef& other) {}
    // "Ref(" + step name + ")".
    virtual std::string name() const;
    // The step's element of the animation XML description at this record's start time; nothing
    // for a move container, whose moves write their own.
    virtual void writeXmlElement(std::string& out) const;

    AnimationAtom* atom = nullptr;
    std::int32_t kind = KindOther;
    std::int32_t depth = 0;
    TimelineEntry startEntry;
    TimelineEntry endEntry;
    bool ownedByAtom = false;
};

// Start state of a colour step: the shapes under the component and a copy of each one's material.
class ColorAnimationRef : public AnimationAtomRef {
public:
    // How a shape's material is copied; set by the layer that knows materials. Without it the
    // shapes are listed and no copies are made.
    using MaterialCopier = std::function<std::unique_ptr<BasicObject>(Node& shape)>;
    static void setMaterialCopier(MaterialCopier copier);

    using AnimationAtomRef::AnimationAtomRef;
    void getCurrentState() override;

    std::vector<Node*> shapes;
    std::vector<std::unique_ptr<BasicObject>> startMaterials;
};

// Start state of a move: the component's translation.
class MoveObjectRef : public AnimationAtomRef {
public:
    using AnimationAtomRef::AnimationAtomRef;
    void getCurrentState() override;
    void copyStateFrom(const AnimationAtomRef& other) override;

    float startTranslation[3] = {0, 0, 0};
};

class RotationAnimationRef : public MoveObjectRef {
public:
    using MoveObjectRef::MoveObjectRef;
    void getCurrentState() override;
    void copyStateFrom(const AnimationAtomRef& other) override;

    float startRotation[4] = {0, 0, 1, 0};
};

class ScaleAnimationRef : public MoveObjectRef {
public:
    using MoveObjectRef::MoveObjectRef;
    void getCurrentState() override;
    void copyStateFrom(const AnimationAtomRef& other) override;

    float startRotation[4] = {0, 0, 1, 0};
    float startScale[3] = {1, 1, 1};
    float startScaleOrientation[4] = {0, 0, 1, 0};
};

class ComplexMoveAnimationRef : public MoveObjectRef {
public:
    using MoveObjectRef::MoveObjectRef;
    void getCurrentState() override;
    // Copies the translation only, as a plain move record does.

    float startRotation[4] = {0, 0, 1, 0};
};

// The viewpoint a camera flight starts from: the target of the previous viewpoint step in
// timeline order, none for the first.
class ViewpointAnimationRef : public AnimationAtomRef {
public:
    using AnimationAtomRef::AnimationAtomRef;
    ViewPoint* startViewpoint = nullptr;
};

// Visibility before an appear or disappear step: the flags of the component's subtree and of its
// ancestors, which the step's show or hide may change. Played backward, the step puts them back.
class VisibilityAnimationRef : public AnimationAtomRef {
public:
    using AnimationAtomRef::AnimationAtomRef;
    void getCurrentState() override;
    void restore() const;

    std::vector<std::pair<Node*, bool>> flags;
};

// The text step shown before this one in timeline order, none for the first.
class TextAnimationObjectRef : public AnimationAtomRef {
public:
    using AnimationAtomRef::AnimationAtomRef;
    AnimationAtom* previousTextStep = nullptr;
};

}  // namespace kinemo
