#pragma once
// A text-move step moves and resizes a text area from its start layout to a target layout over
// its duration. Text areas are named by their index as read; the text-area layer lends the
// layouts through hooks, and without them (or for an index it does not know) the step finishes
// at once and changes nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "animation/animation_atom.h"

namespace kinemo {

struct TextAreaLayout {
    float x = 0, y = 0;
    std::int32_t width = 0, height = 0;
};

struct TextAreaHooks {
    // The layout the area was saved with; false when there is no area of that index.
    std::function<bool(std::int32_t area, TextAreaLayout& out)> savedLayout;
    std::function<void(std::int32_t area, const TextAreaLayout& layout)> setLayout;
    // The area's name for the structure view.
    std::function<std::string(std::int32_t area)> name;
};
void setTextAreaHooks(TextAreaHooks hooks);
const TextAreaHooks& textAreaHooks();

class MoveTextObject : public AnimationAtom {
public:
    explicit MoveTextObject(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : AnimationAtom(parent, assignId) {}

    std::int32_t kindMask() const override { return KindOther; }
    std::unique_ptr<AnimationAtomRef> createRef() override;
    // The text area's name, or "NULL TextArea".
    std::string getName() const override;
    double getRunTime() const override { return duration_; }
    void makeInstantaneous() override { duration_ = 0; }
    bool showsTextArea() const override { return textAreaIndex >= 0; }
    bool animate(AnimationAtomRef& ref, double time, bool forward) override;
    bool animate(double time, bool forward) override { return animate(getRef(), time, forward); }
    std::unique_ptr<AnimationAtom> clone() const override;
    StepList createReverseSteps(AnimationGroup& chapter) override { return reverseStepOf(clone(), chapter); }
    // "\n# [ACTION>>MOVE_TEXT]", "\n# index %ld", "\n# posX %f", "\n# posY %f", "\n# sizeX %ld",
    // "\n# sizeY %ld", "\n# duration %5.2f", "\n".
    void writeBlock(std::string& out) const override;
    bool writeToFile(std::FILE* file) override;
    // "index", and from version 2 on the target layout and the duration.
    const char* readFromText(const char* text) override;

    // Finite and at least 0.
    void setDuration(double seconds);
    double duration() const { return duration_; }

    // The text area's index as read; -1: none.
    std::int32_t textAreaIndex = -1;
    TextAreaLayout target;
    // The move whose target is this move's start; none: the one before it in the chapter for the
    // same area, or the area's saved layout.
    MoveTextObject* previousMove = nullptr;

private:
    double duration_ = 0;
};

// The text-move step played before this one for the same area, in timeline order.
class MoveTextObjectRef : public AnimationAtomRef {
public:
    using AnimationAtomRef::AnimationAtomRef;
    MoveTextObject* previousMove = nullptr;
};

}  // namespace kinemo
