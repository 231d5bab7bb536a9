#include <cstdio>

#include "animation/animation_group.h"
#include "animation/animation_section.h"
#include "animation/chapter_icons.h"
#include "animation/step_ids.h"
#include "core/numbers.h"
#include "scene/reading_state.h"
#include "scene/scene.h"
#include "scene/scene_file_hooks.h"
#include "scene/viewpoint.h"
#include "text/text_form.h"

namespace kinemo {

void AnimationGroup::writeBlock(std::string& out) const {
    out += "\n\n# [ACTION>>NEWGROUP]";
    out += "\n# ChapterIconName " + chapterIconName + "\n";
    out += displayInChapter ? "\n# DisplayInChapter true\n" : "\n# DisplayInChapter false\n";
    writeTagBlock(out, id());
    out += "\n# [END]\n";
    for (const auto& child : children_) child->writeBlock(out);
    out += "\n# ANIMGROUP_END\n";
}

bool AnimationGroup::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

std::string animationBlocks() {
    const bool tagForm = textTagForm();
    setTextTagForm(true);
    std::string out;
    AnimationGroup& root = rootChapter();
    for (std::size_t i = 0; i < root.childCount(); ++i) root.child(i)->writeBlock(out);
    setTextTagForm(tagForm);
    return out;
}

std::string animationSection() { return "\n\n# ANIMATIONS\n" + animationBlocks(); }

void registerAnimationSectionHandlers() {
    SceneFileHooks& hooks = sceneFileHooks();
    hooks.readAnimations = [](Scene&, const char* text, const char*, const char* end) {
        return readAnimations(text, end);
    };
    hooks.writeAnimations = [](Scene&, std::FILE* file) {
        const std::string out = animationBlocks();
        return std::fwrite(out.data(), 1, out.size(), file) == out.size();
    };
    registerChapterIconWriter();
    hooks.viewpointsUsedBySteps = [](std::vector<const Node*>& used) {
        if (AnimationGroup* root = rootChapterIfAny())
            root->forEachDescendant([&](AnimationAtom& a) {
                if (ViewPoint* v = a.targetViewpoint()) used.push_back(v);
                return true;
            });
    };
    // "kinemo-tool info" reports the listed chapters and every step below the root.
    auto previousCount = hooks.countContent;
    hooks.countContent = [previousCount](const Scene& scene, SceneCounts& counts) {
        counts.chapters = long(chaptersInOrder().size());
        long steps = 0;
        if (AnimationGroup* root = rootChapterIfAny()) {
            root->forEachDescendant([&](AnimationAtom& a) {
                if (!a.asAnimationGroup()) ++steps;
                return true;
            });
        }
        counts.steps = steps;
        if (previousCount) previousCount(scene, counts);
    };
}

}  // namespace kinemo
