#pragma once
// A stop ends a passage and waits for the reader (the timeline halts at it); a pause waits a
// given number of milliseconds.
#include <cstdint>
#include <memory>
#include <string>

#include "animation/animation_atom.h"

namespace kinemo {

class StopAnimationObject : public AnimationAtom {
public:
    explicit StopAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : AnimationAtom(parent, assignId) {}
    std::int32_t kindMask() const override { return KindStop; }
    std::string getName() const override { return "Stop"; }
    bool animate(AnimationAtomRef&, double, bool) override { return true; }
    bool animate(double, bool) override { return true; }
    std::unique_ptr<AnimationAtom> clone() const override;
    StepList createReverseSteps(AnimationGroup& chapter) override { return reverseStepOf(clone(), chapter); }
    bool writeToFile(std::FILE* file) override;
    void writeBlock(std::string& out) const override { out += "\n# [ACTION>>STOP]\n"; }
};

class PauseAnimationObject : public AnimationAtom {
public:
    // A delay that is negative or not a number is taken as 0.
    explicit PauseAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false, long delay = 0)
        : AnimationAtom(parent, assignId) {
        setDelay(delay);
    }
    double getRunTime() const override { return double(delay_) * 0.001; }
    std::string getName() const override;
    bool animate(AnimationAtomRef&, double time, bool forward) override { return animate(time, forward); }
    bool animate(double time, bool forward) override;
    void makeInstantaneous() override { delay_ = 0; }
    std::unique_ptr<AnimationAtom> clone() const override;
    StepList createReverseSteps(AnimationGroup& chapter) override { return reverseStepOf(clone(), chapter); }
    bool writeToFile(std::FILE* file) override;
    void writeBlock(std::string& out) const override;

    std::int32_t delay() const { return delay_; }
    void setDelay(long ms) { delay_ = ms < 0 ? 0 : ms > 2147483647L ? 2147483647 : std::int32_t(ms); }

private:
    std::int32_t delay_ = 0;
};

}  // namespace kinemo
