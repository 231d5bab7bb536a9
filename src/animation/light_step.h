#pragma once
// A light step makes its own light the scene's current light; played backward it puts back the
// light that was current when it started in the chapter (none for the first).
#include <memory>
#include <string>

#include "animation/animation_atom.h"

namespace kinemo {

class Light;

class LightAnimationObject : public AnimationAtom {
public:
    explicit LightAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false);
    ~LightAnimationObject() override;

    std::int32_t kindMask() const override { return KindOther; }
    std::unique_ptr<AnimationAtomRef> createRef() override;
    std::string getName() const override { return "Light"; }
    bool animate(AnimationAtomRef& ref, double time, bool forward) override;
    bool animate(double time, bool forward) override { return animate(getRef(), time, forward); }
    std::unique_ptr<AnimationAtom> clone() const override;
    // "\n# [ACTION>>LIGHT]" and the light's own block.
    void writeBlock(std::string& out) const override;
    bool writeToFile(std::FILE* file) override;
    // The light's block at text; returns the position after it.
    const char* readFromText(const char* text) override;

    Light& light() { return *light_; }
    const Light& light() const { return *light_; }

private:
    std::unique_ptr<Light> light_;
};

// The light current when a light step starts, captured in the chapter's preparation pass.
class LightAnimationRef : public AnimationAtomRef {
public:
    using AnimationAtomRef::AnimationAtomRef;
    void getCurrentState() override;
    Light* previousLight = nullptr;
};

}  // namespace kinemo
