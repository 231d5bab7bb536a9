#include "animation/animation_group_ref.h"

#include <algorithm>

#include "animation/animation_group.h"
#include "animation/section_keys.h"
#include "core/numbers.h"

namespace kinemo {

AnimationGroupRef::AnimationGroupRef(TextAnimationAtom* parent, bool assignId) : AnimationAtom(parent, assignId) {}

AnimationGroupRef::~AnimationGroupRef() { setGroup(nullptr); }

void AnimationGroupRef::setGroup(AnimationGroup* group) {
    if (group == group_) return;
    if (group_) {
        auto& list = group_->referencedBy;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    group_ = group;
    if (group_) group_->referencedBy.push_back(this);
}

double AnimationGroupRef::getRunTime() const { return group_ ? group_->getRunTime() : 0.0; }

std::string AnimationGroupRef::getName() const { return group_ ? group_->getName() : "No Animation!"; }

std::unique_ptr<AnimationAtom> AnimationGroupRef::clone() const {
    auto copy = std::make_unique<AnimationGroupRef>(parent(), true);
    copy->dowait = dowait;
    copy->pendingIndex = pendingIndex;
    copy->setGroup(group_);
    return copy;
}

const char* AnimationGroupRef::readFromText(const char* text) {
    BlockText block(text, "[END]");
    pendingIndex = block.integer("id", -1);
    dowait = block.boolean("dowait", true);
    return block.after();
}

void AnimationGroupRef::writeBlock(std::string& out) const {
    if (!group_) return;
    out += "\n# [ACTION>>ANIM_REF]";
    out += formatC("\n# id %ld", long(chapterIndex(group_, AnimationGroup::Empty | AnimationGroup::HoldsSteps |
                                                               AnimationGroup::HoldsChapters)));
    out += dowait ? "\n# dowait true" : "\n# dowait false";
    out += "\n#";
    out += "\n# [END]";
    out += "\n";
}

bool AnimationGroupRef::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

}  // namespace kinemo
