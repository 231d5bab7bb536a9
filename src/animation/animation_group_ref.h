#pragma once
// A step that plays another chapter in its place. The reference is listed in the played
// chapter's referencedBy, so that a rebuild of that chapter rebuilds the chapters playing it.
#include <cstdint>
#include <memory>
#include <string>

#include "animation/animation_atom.h"

namespace kinemo {

class AnimationGroupRef : public AnimationAtom {
public:
    AnimationGroupRef(TextAnimationAtom* parent, bool assignId);
    ~AnimationGroupRef() override;

    AnimationGroup* referencedChapter() const override { return group_; }
    // Moves the reference out of the old chapter's referencedBy into the new one's.
    void setGroup(AnimationGroup* group);
    // The chapter was deleted: forget it without touching it.
    void forgetGroup() { group_ = nullptr; }

    double getRunTime() const override;
    std::string getName() const override;
    bool animate(AnimationAtomRef& ref, double time, bool forward) override { return true; }
    bool animate(double time, bool forward) override { return true; }
    std::unique_ptr<AnimationAtom> clone() const override;
    // Reads "id" (the depth-first chapter index) and "dowait" up to the block's "[END]".
    const char* readFromText(const char* text) override;
    // Nothing for a reference without chapter.
    bool writeToFile(std::FILE* file) override;
    void writeBlock(std::string& out) const override;

    // The depth-first chapter index read from the file, until the chapter is resolved.
    std::int32_t pendingIndex = -1;

private:
    AnimationGroup* group_ = nullptr;
};

}  // namespace kinemo
