#pragma once
// A chapter: an ordered list of steps, or of further chapters (a section). One root chapter holds
// the top-level chapters of the document; it is never written as a chapter itself.
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
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
    // A chapter reference that would make a cycle (or nest past the deepest allowed depth) is
    // refused with a report. With rebuild, the timelines are rebuilt when animation is enabled.
    bool appendChild(std::unique_ptr<AnimationAtom>& atom, bool rebuild = false);
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

    // The chapter's run time: the time of the last timeline entry (0 when empty).
    double getRunTime() const override;
    // A new chapter with a fresh id and no parent, the same titles and clones of every child.
    std::unique_ptr<AnimationAtom> clone() const override;
    void processMenuSelect() override;
    // Played by the playback clock: runTo the time, continuing into the next chapter.
    bool animate(double time, bool forward) override;
    bool animate(AnimationAtomRef& ref, double time, bool forward) override { return animate(time, forward); }
    // The chapter block, the children's blocks and "\n# ANIMGROUP_END\n".
    void writeBlock(std::string& out) const override;
    bool writeToFile(std::FILE* file) override;

    // Appends the entries of this chapter's children to timeline from startTime; returns the end
    // cursor. Records at depth 0 are the steps' own; deeper ones are made and kept in owned.
    double buildTimeline(std::vector<TimelineEntry*>& timeline, double startTime, int depth, bool includeStops,
                         std::vector<std::unique_ptr<AnimationAtomRef>>& owned, int guard = 0);
    // Moves the scene to time (targetIndex < 0) or to the timeline entry targetIndex. Returns
    // true when playback must stop (a stop, the start or the end of the chapter).
    bool runTo(double time, bool forward, bool playThroughStops, bool continueToNextChapter, std::int32_t kindMask,
               std::int32_t targetIndex, bool reset);
    // Shows the state at the start of step (every earlier step applied); reports when missing.
    void runToAtom(AnimationAtom* step, std::int32_t kindMask);
    // Visibility as it was just before step, from its record's captured state.
    void runShowHideToAtomBefore(AnimationAtom* step);
    // After an edit of this chapter (only while animation is enabled): the timelines are rebuilt,
    // the chapter becomes current and shows the state at the start of step, which the structure
    // views select. Visibility follows only when the structure editor asks for it.
    void showChangedStep(AnimationAtom* step);
    void rewindChapter();
    void runChapterToEnd();
    void positionAtPercent(double percent, std::int32_t kindMask);

    const std::vector<TimelineEntry*>& timeline() const { return timeline_; }
    // Records running at the current time, in the order they started.
    std::vector<AnimationAtomRef*> activeRecords() const { return {active_.begin(), active_.end()}; }
    bool hasTimeline() const { return timelineBuilt_; }
    double firstStopEnd() const;
    std::int32_t firstStopEndIndex() const;
    std::int32_t firstStopStartIndex() const;
    // Index of step's start entry in the timeline, -1 when absent.
    std::int32_t startEntryIndex(const AnimationAtom* step) const;

    std::int32_t lastKindMask = 0;
    std::string chapterIconName;
    // Chapter references that play this chapter (not owned).
    std::vector<AnimationAtom*> referencedBy;

private:
    friend void rebuildTimelines(AnimationGroup& chapter);
    friend class TimelineBuilder;
    void clearTimeline();
    void rebuildOwnTimeline();
    void joinActive(AnimationAtomRef* ref);
    void leaveActive(AnimationAtomRef* ref);
    void clearActive();
    bool checkInsert(const AnimationAtom* atom, bool inserting) const;
    void adopt(AnimationAtom& atom);

    std::vector<std::unique_ptr<AnimationAtom>> children_;
    std::int32_t contentKind_ = Empty;
    std::vector<TimelineEntry*> timeline_;
    std::vector<std::unique_ptr<AnimationAtomRef>> ownedRecords_;
    std::list<AnimationAtomRef*> active_;
    std::unordered_map<AnimationAtomRef*, std::list<AnimationAtomRef*>::iterator> activeIndex_;
    bool timelineBuilt_ = false;
};

// The process-wide playback state of the one document.
struct AnimationState {
    AnimationGroup* currentChapter = nullptr;
    std::int32_t currentIndex = 0;  // entries before it are applied; the next forward entry
    double currentTime = 0;
    bool animationEnabled = true;
    bool autoRepeat = false;
    AnimationAtom* lastStep = nullptr;  // a step, never a record a rebuild deletes
    std::int32_t maxReferenceDepth = 1000;
    bool playThroughStops = false;
    // Called when the chapter list changes (the menu model) and when the progress moves.
    std::function<void()> chapterListChanged;
    std::function<void(double)> progressChanged;
    std::function<void()> redrawRequested;
    std::function<void()> playbackStopped;
    std::function<void()> textCleared;
    // The structure editor's "Update Visibility On Selection": selecting a step shows the parts
    // as they are at its start.
    bool updateVisibilityOnSelection = false;
    // The structure views select a step.
    std::function<void(AnimationAtom*)> stepSelected;
};
AnimationState& animationState();

// Rebuilds chapter's timeline with its preparation pass, then those of the chapters that refer
// to it and of its sub-chapters (each at most once). Nothing while animation is disabled.
void rebuildTimelines(AnimationGroup& chapter);
// After reading and after structural edits: every timeline of the tree is rebuilt once, then the
// current chapter returns to its last step.
void initializeAnimation();
// Whether holder may play played through a reference: not when played is holder, holds it or
// plays it back through references, nor when the references nest too deeply.
bool acceptsReference(const AnimationGroup& holder, const AnimationGroup& played);
// The chapters that hold steps, depth-first; recomputed from the tree after structural changes.
const std::vector<AnimationGroup*>& chapterList();
// The menu model: the listed chapters shown in the chapter menu, with their titles.
struct ChapterMenuEntry {
    AnimationGroup* chapter;
    std::string title;
};
std::vector<ChapterMenuEntry> chapterMenu();
// The tree has changed: the chapter list is recomputed on next use and the menu handler told.
void chapterTreeChanged();
// Makes chapter current (rewinding it when it differs from the last); none or an unused chapter
// clears the current chapter.
void setCurrentSection(AnimationGroup* chapter);
// The next (or previous) listed chapter with children becomes current; false when none.
bool switchChapter(bool forward);
// Chapters up to their first stop without a viewpoint step; their titles, for the warning.
std::vector<std::string> chaptersWithoutViewpointBeforeFirstStop();
// The state of the scene the chapters start from: the visibility of every node and the current
// viewpoint, taken now (after loading); the restore services put it back.
void captureInitialSceneState();
void restoreInitialVisibility();
void restoreInitialTransforms();
void forgetInitialSceneState();

// The root chapter, made on first use with no parent and a fresh id.
AnimationGroup& rootChapter();
// The root chapter when one has been made.
AnimationGroup* rootChapterIfAny();
// Deletes the chapter tree and resets the playback state (a new document); the next
// rootChapter() makes a new root.
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
