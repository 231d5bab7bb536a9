#pragma once
// A chapter: an ordered list of steps, or of further chapters (a section). One root chapter holds
// the top-level chapters of the document; it is never written as a chapter itself.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "animation/text_animation_atom.h"

namespace kinemo {

class Node;

class AnimationGroup : public TextAnimationAtom {
public:
    enum ContentKind : std::int32_t { Empty = 1, HoldsSteps = 2, HoldsChapters = 4 };
    static constexpr int kMaxSearchDepth = 100;

    AnimationGroup(TextAnimationAtom* parent, bool assignId);
    ~AnimationGroup() override;

    AnimationGroup* asAnimationGroup() override { return this; }
    const AnimationGroup* asAnimationGroup() const override { return this; }

    // Appends atom and takes it; false, with a report and atom left with the caller, for none, for
    // a step added to a chapter that holds chapters or a chapter added to one that holds steps.
    bool appendChild(std::unique_ptr<AnimationAtom>& atom);
    // Inserts atom before position (past the end: appended), with the checks of appendChild.
    bool insertChild(std::unique_ptr<AnimationAtom>& atom, long position);
    // Takes atom out and hands it back; none when it is no child.
    std::unique_ptr<AnimationAtom> removeChild(AnimationAtom* atom);
    // Moves a child one place up (towards the start) or down, as its canMoveUp / canMoveDown allow.
    bool moveChild(AnimationAtom* atom, bool up);

    std::size_t childCount() const { return children_.size(); }
    AnimationAtom* child(std::size_t i) const { return i < children_.size() ? children_[i].get() : nullptr; }
    long indexOf(const AnimationAtom* atom) const;
    bool holdsChild(const AnimationAtom* atom) const { return indexOf(atom) >= 0; }
    std::int32_t contentKind() const { return contentKind_; }

    bool displayInChapter = true;

    // Visits this chapter's descendants depth-first (a chapter before its children), at most
    // kMaxSearchDepth levels deep; the visitor returns false to stop. Returns false when stopped.
    bool forEachDescendant(const std::function<bool(AnimationAtom&)>& visit);

private:
    bool checkInsert(const AnimationAtom* atom, bool inserting) const;
    void adopt(AnimationAtom& atom);

    std::vector<std::unique_ptr<AnimationAtom>> children_;
    std::int32_t contentKind_ = Empty;
};

// The root chapter, made on first use with no parent and a fresh id.
AnimationGroup& rootChapter();
// The root chapter when one has been made.
AnimationGroup* rootChapterIfAny();
// Deletes the chapter tree (a new document); the next rootChapter() makes a new root.
void resetRootChapter();

// Every chapter below the root whose content kind is in mask, depth-first (a chapter before its
// sub-chapters). Mask HoldsSteps gives the chapter list shown to the reader.
std::vector<AnimationGroup*> chaptersInOrder(std::int32_t mask = AnimationGroup::HoldsSteps);
// Index of chapter in that order, -1 when absent; and the chapter at an index, none outside.
long chapterIndex(const AnimationGroup* chapter, std::int32_t mask = AnimationGroup::HoldsSteps);
AnimationGroup* chapterAt(long index, std::int32_t mask = AnimationGroup::HoldsSteps);

// Depth-first index of a step among all descendants of the root, and the inverse.
long stepIndex(const AnimationAtom* atom);
AnimationAtom* stepAt(long index);
// The first step or chapter with that id (at most 100 levels deep); none for -1.
AnimationAtom* findStepById(std::int32_t id);
// Does any step animate exactly node; every step that involves node (it or a node below it).
bool anyStepAnimates(const Node* node);
std::vector<AnimationAtom*> stepsInvolving(const Node* node);

// After loading: every appear, disappear, colour and move-container step below chapter without a
// component but with a component id takes the node of that id from the node table; chapter
// references resolve the chapters they play in turn (each chapter once). Returns the number of
// components set.
int resolveComponents(AnimationGroup& chapter);

}  // namespace kinemo
