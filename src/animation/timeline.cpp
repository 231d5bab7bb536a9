// Timelines of chapters and the walk through them: building, the preparation pass, running to a
// time or a step, rewinding, chapter switching.
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "animation/animation_group.h"
#include "animation/light_step.h"
#include "animation/parameter_step.h"
#include "animation/text_move_step.h"
#include "animation/text_step.h"
#include "core/messages.h"
#include "scene/group_node.h"
#include "scene/light.h"
#include "scene/node_table.h"
#include "scene/transform_node.h"
#include "scene/viewpoint.h"

namespace kinemo {
namespace {

constexpr double kFarFuture = 1.0e30;

struct InitialSceneState {
    bool taken = false;
    std::unordered_map<Node*, bool> visibility;
};
InitialSceneState& initialState() {
    static InitialSceneState state;
    return state;
}

void collectVisibility(Node& node, std::unordered_map<Node*, bool>& out, int depth) {
    if (depth > 1000) return;
    out[&node] = node.visible();
    if (GroupNode* g = node.asGroupNode())
        for (std::size_t i = 0; i < g->childCount(); ++i) collectVisibility(*g->child(i), out, depth + 1);
}

void restoreVisibilityIn(Node& node, const std::unordered_map<Node*, bool>& saved, int depth) {
    if (depth > 1000) return;
    if (GroupNode* g = node.asGroupNode())
        for (std::size_t i = 0; i < g->childCount(); ++i) restoreVisibilityIn(*g->child(i), saved, depth + 1);
    auto it = saved.find(&node);
    if (it != saved.end()) node.setVisibleFlag(it->second);
}

// What the preparation pass plays through and must give back: visibility, the camera, the
// viewpoints' current poses, the current light, the shape parameters and the text areas moved.
struct SceneGuard {
    std::unordered_map<Node*, bool> visibility;
    ViewPoint* camera = nullptr;
    Light* light = currentLight();
    ShapeParameterGuard parameters;
    std::unordered_set<std::int32_t> movedAreas;
    struct Pose {
        ViewPoint* viewpoint;
        float translation[3];
        float rotation[4];
    };
    std::vector<Pose> poses;

    SceneGuard() {
        if (GroupNode* root = sceneRoot()) collectVisibility(*root, visibility, 0);
        camera = currentViewpoint();
        for (int i = 0; i < viewpointCount(); ++i) {
            ViewPoint* v = viewpointAt(i);
            if (!v) continue;
            Pose p{v, {}, {}};
            std::copy_n(v->currentTransform.translation(), 3, p.translation);
            std::copy_n(v->currentTransform.rotation(), 4, p.rotation);
            poses.push_back(p);
        }
    }
    ~SceneGuard() {
        if (GroupNode* root = sceneRoot()) restoreVisibilityIn(*root, visibility, 0);
        for (const Pose& p : poses) {
            p.viewpoint->currentTransform.setTranslation(p.translation[0], p.translation[1], p.translation[2]);
            p.viewpoint->currentTransform.setRotation(p.rotation[0], p.rotation[1], p.rotation[2], p.rotation[3]);
        }
        setCurrentViewpoint(camera);
        makeCurrent(light);
        const TextAreaHooks& h = textAreaHooks();
        for (std::int32_t area : movedAreas) {
            TextAreaLayout saved;
            if (h.savedLayout && h.setLayout && h.savedLayout(area, saved)) h.setLayout(area, saved);
        }
    }
};

void resetTransformsBelow(Node& node, int depth) {
    if (depth > 1000) return;
    if (TransformNode* t = node.asTransformNode()) t->resetCurrentToInitial();
    if (GroupNode* g = node.asGroupNode())
        for (std::size_t i = 0; i < g->childCount(); ++i) resetTransformsBelow(*g->child(i), depth + 1);
}

// Only what the kinds played again will set: a walk of colour steps alone leaves the poses.
void restoreByKind(std::int32_t kindMask) {
    if (kindMask & KindVisibility) restoreInitialVisibility();
    const bool colours = kindMask & KindColor, poses = kindMask & KindMoveContainer;
    GroupNode* root = sceneRoot();
    if (!root) return;
    if (colours && poses)
        resetToInitial(*root);
    else if (poses)
        resetTransformsBelow(*root, 0);
    else if (colours)
        root->resetMaterial();
}

void requestRedraw() {
    if (animationState().redrawRequested) animationState().redrawRequested();
}

}  // namespace

AnimationState& animationState() {
    static AnimationState state;
    return state;
}

void captureInitialSceneState() {
    InitialSceneState& s = initialState();
    s.visibility.clear();
    if (GroupNode* root = sceneRoot()) collectVisibility(*root, s.visibility, 0);
    s.taken = true;
}

void restoreInitialVisibility() {
    InitialSceneState& s = initialState();
    if (!s.taken) return;
    if (GroupNode* root = sceneRoot()) restoreVisibilityIn(*root, s.visibility, 0);
}

void restoreInitialTransforms() {
    if (GroupNode* root = sceneRoot()) resetToInitial(*root);
}

void forgetInitialSceneState() { initialState() = InitialSceneState{}; }

double AnimationGroup::getRunTime() const { return timeline_.empty() ? 0.0 : timeline_.back()->time; }

double AnimationGroup::buildTimeline(std::vector<TimelineEntry*>& timeline, double startTime, int depth,
                                     bool includeStops, std::vector<std::unique_ptr<AnimationAtomRef>>& owned,
                                     int guard) {
    double cursor = startTime;
    if (guard > animationState().maxReferenceDepth) return cursor;
    bool stopSeen = false;
    auto recordFor = [&](AnimationAtom& atom) -> AnimationAtomRef& {
        if (depth == 0) return atom.getRef();
        std::unique_ptr<AnimationAtomRef> r = atom.createRef();
        if (!r) r = std::make_unique<AnimationAtomRef>(atom);
        r->depth = depth;
        r->ownedByAtom = false;
        owned.push_back(std::move(r));
        return *owned.back();
    };
    for (auto& childPtr : children_) {
        AnimationAtom& child = *childPtr;
        if (!includeStops && child.isStop()) continue;
        AnimationAtomRef& ref = recordFor(child);
        ref.startEntry.time = cursor;
        timeline.push_back(&ref.startEntry);
        double end = cursor;
        AnimationGroup* played = child.referencedChapter();
        // A reference to a section plays as a reference without chapter.
        if (played && played->contentKind() != HoldsSteps) played = nullptr;
        if (played) {
            const bool nested = depth >= 1 ? includeStops : (child.dowait && stopSeen);
            end = played->buildTimeline(timeline, cursor, depth + 1, nested, owned, guard + 1);
        } else if (child.moveCount() > 0) {
            double moveCursor = cursor;
            for (std::size_t m = 0; m < child.moveCount(); ++m) {
                AnimationAtom* move = child.moveAt(m);
                if (!move) continue;
                AnimationAtomRef& moveRef = recordFor(*move);
                moveRef.startEntry.time = moveCursor;
                timeline.push_back(&moveRef.startEntry);
                const double moveEnd = moveCursor + move->getRunTime();
                moveRef.endEntry.time = moveEnd;
                timeline.push_back(&moveRef.endEntry);
                if (move->dowait) moveCursor = moveEnd;
            }
            end = moveCursor;
        } else {
            if (!stopSeen && child.isStop()) stopSeen = true;
            end = cursor + child.getRunTime();
        }
        ref.endEntry.time = end;
        timeline.push_back(&ref.endEntry);
        if (child.dowait) cursor = end;
    }
    return cursor;
}

void AnimationGroup::clearActive() {
    active_.clear();
    activeIndex_.clear();
}

void AnimationGroup::joinActive(AnimationAtomRef* ref) {
    if (activeIndex_.count(ref)) return;
    active_.push_back(ref);
    activeIndex_[ref] = std::prev(active_.end());
}

void AnimationGroup::leaveActive(AnimationAtomRef* ref) {
    auto it = activeIndex_.find(ref);
    if (it == activeIndex_.end()) return;
    active_.erase(it->second);
    activeIndex_.erase(it);
}

void AnimationGroup::clearTimeline() {
    clearActive();
    timeline_.clear();
    ownedRecords_.clear();
    timelineBuilt_ = false;
}

void AnimationGroup::rebuildOwnTimeline() {
    clearTimeline();
    if (contentKind() != HoldsSteps) return;
    buildTimeline(timeline_, 0.0, 0, true, ownedRecords_);
    // Appending and a stable sort by time give the order of inserting each entry behind every
    // earlier entry of the same or a smaller time.
    std::stable_sort(timeline_.begin(), timeline_.end(),
                     [](const TimelineEntry* a, const TimelineEntry* b) { return a->time < b->time; });
    for (std::size_t i = 0; i < timeline_.size(); ++i) timeline_[i]->index = std::int32_t(i);
    timelineBuilt_ = true;

    // The preparation pass: every record captures the scene as it is when its step starts.
    SceneGuard guard;
    restoreInitialTransforms();
    restoreInitialVisibility();
    // The chapter starts without a light of its own steps.
    makeCurrent(nullptr);
    ViewPoint* previousViewpoint = nullptr;
    // The last text step of each place (the panel, -1, or a text area), the last text move of
    // each text area.
    std::unordered_map<std::int32_t, AnimationAtom*> previousText;
    std::unordered_map<std::int32_t, MoveTextObject*> previousMove;
    for (TimelineEntry* e : timeline_) {
        AnimationAtomRef& ref = *e->ref;
        if (e->isStart) {
            ref.getCurrentState();
            if (auto* v = dynamic_cast<ViewpointAnimationRef*>(&ref)) {
                v->startViewpoint = previousViewpoint;
                previousViewpoint = ref.atom->targetViewpoint();
            } else if (auto* t = dynamic_cast<TextAnimationObjectRef*>(&ref)) {
                const auto* step = dynamic_cast<const TextAnimationObject*>(ref.atom);
                const std::int32_t place = step ? step->textAreaIndex : -1;
                AnimationAtom*& last = previousText[place];
                t->previousTextStep = last;
                last = ref.atom;
            } else if (auto* m = dynamic_cast<MoveTextObjectRef*>(&ref)) {
                auto* step = dynamic_cast<MoveTextObject*>(ref.atom);
                const std::int32_t area = step ? step->textAreaIndex : -1;
                MoveTextObject*& last = previousMove[area];
                m->previousMove = last;
                last = step;
                guard.movedAreas.insert(area);
            }
        } else if (ref.kind != KindText && ref.atom) {
            // Appear and disappear are played too, so that later steps capture the visibility
            // the chapter really has at their start.
            ref.atom->animate(ref, kFarFuture, true);
        }
    }
    restoreInitialTransforms();

    AnimationState& s = animationState();
    if (s.currentChapter == this) {
        clearActive();
        s.currentIndex = std::clamp<std::int32_t>(s.currentIndex, 0, std::int32_t(timeline_.size()));
    }
}

void rebuildTimelines(AnimationGroup& chapter) {
    if (!animationState().animationEnabled) return;
    std::unordered_set<AnimationGroup*> done;
    std::vector<AnimationGroup*> work{&chapter};
    while (!work.empty()) {
        AnimationGroup* c = work.back();
        work.pop_back();
        if (!done.insert(c).second) continue;
        c->rebuildOwnTimeline();
        for (AnimationAtom* r : c->referencedBy)
            if (AnimationGroup* holder = r->parentChapter())
                if (holder != c) work.push_back(holder);
        for (std::size_t i = 0; i < c->childCount(); ++i)
            if (AnimationGroup* sub = c->child(i)->asAnimationGroup()) work.push_back(sub);
    }
}

double AnimationGroup::firstStopEnd() const {
    for (const TimelineEntry* e : timeline_)
        if (!e->isStart && e->ref->kind == KindStop) return e->time;
    return 0;
}

std::int32_t AnimationGroup::firstStopEndIndex() const {
    for (const TimelineEntry* e : timeline_)
        if (!e->isStart && e->ref->kind == KindStop) return e->index;
    return 0;
}

std::int32_t AnimationGroup::firstStopStartIndex() const {
    for (const TimelineEntry* e : timeline_)
        if (e->isStart && e->ref->kind == KindStop) return e->index;
    return -1;
}

std::int32_t AnimationGroup::startEntryIndex(const AnimationAtom* step) const {
    if (!step) return -1;
    for (const TimelineEntry* e : timeline_)
        if (e->isStart && e->ref->atom == step) return e->index;
    return -1;
}

bool AnimationGroup::runTo(double T, bool forward, bool playThroughStops, bool continueToNextChapter,
                           std::int32_t kindMask, std::int32_t targetIndex, bool reset) {
    AnimationState& s = animationState();
    if (!timelineBuilt_ || !s.animationEnabled) return true;
    static bool walking = false;
    // A step must never move the timeline from inside the walk; such a call is refused.
    if (walking) {
        logLine("AnimationGroup.runTo: nested call refused");
        return true;
    }
    if (!std::isfinite(T)) T = T > 0 ? kFarFuture : 0;
    const bool indexMode = targetIndex >= 0;
    const double stopEnd = firstStopEnd();
    const std::int32_t stopEndIndex = firstStopEndIndex();
    const std::int32_t count = std::int32_t(timeline_.size());
    if (!forward && T < stopEnd) T = stopEnd;

    bool replay = false;
    if (reset) {
        s.currentIndex = 0;
        s.currentTime = 0;
    } else {
        s.currentIndex = std::clamp<std::int32_t>(s.currentIndex, 0, count);
        if (!forward && ((indexMode && targetIndex >= s.currentIndex) || (!indexMode && T > s.currentTime)))
            forward = true;
        if (forward && ((kindMask == KindAll && lastKindMask != KindAll && lastKindMask != 0) ||
                        (indexMode && targetIndex + 1 < s.currentIndex) || (!indexMode && T < s.currentTime)))
            replay = true;
    }
    lastKindMask = kindMask;
    if (replay) {
        // A far time replays to where the chapter stood; the walk below goes on from there.
        const double t = (!indexMode && T > 1.0e20) ? s.currentTime : T;
        runTo(t, true, true, false, kindMask, targetIndex, true);
    }

    if (forward && s.currentIndex == 0) {
        s.currentTime = 0;
        clearActive();
        restoreByKind(kindMask);
        if (kindMask & KindText) {
            // The panel and the text areas show nothing before the chapter's first text step.
            clearShownTexts();
            if (s.textCleared) s.textCleared();
        }
    }

    walking = true;
    bool halted = false;
    bool ranOff = true;
    std::int32_t i = forward ? s.currentIndex : s.currentIndex - 1;
    const std::int32_t step = forward ? 1 : -1;
    while (i >= 0 && i < count) {
        TimelineEntry& e = *timeline_[std::size_t(i)];
        if (indexMode) {
            if (i == targetIndex) T = e.time;
            if (forward ? i > targetIndex : i < targetIndex) {
                ranOff = false;
                break;
            }
        } else if (forward ? e.time > T : e.time < T) {
            ranOff = false;
            break;
        }
        if (!forward && i <= stopEndIndex) break;
        AnimationAtomRef& ref = *e.ref;
        if (ref.atom && !ref.atom->isElementaryMove()) s.lastStep = ref.atom;
        if (ref.kind == KindStop && !playThroughStops && (forward ? e.isStart : !e.isStart)) {
            halted = true;
            ranOff = false;
            T = e.time;
            i += step;
            break;
        }
        if (ref.kind & kindMask) {
            if (forward == e.isStart) {
                joinActive(&ref);
            } else {
                if (ref.atom) ref.atom->animate(ref, forward ? kFarFuture : 0.0, forward);
                leaveActive(&ref);
            }
        }
        i += step;
    }
    // In the order of their start entries whichever way the walk went, so that steps sharing a
    // part end in the same pose forward and backward.
    std::vector<AnimationAtomRef*> running(active_.begin(), active_.end());
    std::sort(running.begin(), running.end(), [](const AnimationAtomRef* a, const AnimationAtomRef* b) {
        return a->startEntry.index < b->startEntry.index;
    });
    for (AnimationAtomRef* ref : running) {
        if (ref->atom) ref->atom->animate(*ref, T - ref->startEntry.time, forward);
        if (!halted && ref->atom && !ref->atom->isElementaryMove()) s.lastStep = ref->atom;
    }
    s.currentIndex = forward ? i : i + 1;
    s.currentTime = T;
    walking = false;

    bool result = halted;
    bool switchNow = false;
    if (ranOff) {
        result = true;
        if (continueToNextChapter) {
            switchNow = true;
        } else if (forward) {
            s.currentTime = getRunTime();
        }
    }
    if (!forward && T <= stopEnd) result = true;
    if (s.progressChanged) s.progressChanged(s.currentTime);
    requestRedraw();
    if (switchNow) switchChapter(forward);
    return result;
}

void AnimationGroup::runToAtom(AnimationAtom* step, std::int32_t kindMask) {
    if (!step) {
        logLine("Error in AnimationGroup.runToAtom: finalAtom ==null");
        return;
    }
    const std::int32_t index = startEntryIndex(step);
    if (index < 0) {
        reportMessage("Animation finalAtom not found", 1, true);
        logLine("Error in AnimationGroup.runToAtom: finalAtom not found");
        return;
    }
    animationState().currentIndex = 0;
    runTo(kFarFuture, true, true, false, kindMask, index, false);
    requestRedraw();
}

void AnimationGroup::runShowHideToAtomBefore(AnimationAtom* step) {
    if (!step) {
        logLine("Error in AnimationGroup.runToAtom: atom ==null");
        return;
    }
    if (indexOf(step) < 0) {
        reportMessage("Animation atom not found", 1, true);
        logLine("Error in AnimationGroup->runShowHideToAtomBefore: atom not found");
        return;
    }
    // The record captured the visibility just before the step in the preparation pass.
    if (auto* v = dynamic_cast<VisibilityAnimationRef*>(step->ownRef())) v->restore();
}

void AnimationGroup::showChangedStep(AnimationAtom* step) {
    AnimationState& s = animationState();
    if (!s.animationEnabled || !step) return;
    rebuildTimelines(*this);
    if (isUsed()) {
        s.currentChapter = this;
        runToAtom(step, s.updateVisibilityOnSelection ? KindAll : KindAll & ~KindVisibility);
    }
    if (s.stepSelected) s.stepSelected(step);
}

void AnimationGroup::rewindChapter() {
    AnimationState& s = animationState();
    s.currentIndex = 0;
    s.currentTime = 0;
    if (firstStopStartIndex() > 0)
        runTo(kFarFuture, true, false, false, KindAll, -1, false);
    else
        runTo(0, true, false, false, KindAll, -1, false);
}

void AnimationGroup::runChapterToEnd() {
    runTo(kFarFuture, true, true, false, KindAll, -1, false);
    requestRedraw();
}

void AnimationGroup::positionAtPercent(double percent, std::int32_t kindMask) {
    if (timeline_.empty() || !std::isfinite(percent)) return;
    const double p = std::clamp(percent * 0.01, 0.0, 1.0);
    const double t = (1 - p) * firstStopEnd() + p * getRunTime();
    const TimelineEntry* chosen = timeline_.front();
    for (const TimelineEntry* e : timeline_)
        if (e->time < t) chosen = e;
    runTo(chosen->time, true, true, false, kindMask, -1, false);
}

bool AnimationGroup::animate(double time, bool forward) {
    const bool stop = runTo(time, forward, animationState().playThroughStops, true, KindAll, -1, false);
    if (stop && animationState().playbackStopped) animationState().playbackStopped();
    return stop;
}

void AnimationGroup::processMenuSelect() {
    animationState().currentChapter = this;
    rewindChapter();
}

void setCurrentSection(AnimationGroup* chapter) {
    if (!chapter) return;
    AnimationState& s = animationState();
    if (!chapter->isUsed()) {
        s.currentChapter = nullptr;
        return;
    }
    AnimationGroup* previous = s.currentChapter;
    s.currentChapter = chapter;
    if (previous != chapter) chapter->processMenuSelect();
}

bool switchChapter(bool forward) {
    AnimationState& s = animationState();
    const std::vector<AnimationGroup*>& list = chapterList();
    const long n = long(list.size());
    if (n == 0) return false;
    long pos = -1;
    for (long k = 0; k < n; ++k)
        if (list[std::size_t(k)] == s.currentChapter) pos = k;
    if (pos < 0) forward = true;
    AnimationGroup* found = nullptr;
    for (long tries = 0; tries < n && !found; ++tries) {
        pos += forward ? 1 : -1;
        if (s.autoRepeat)
            pos = ((pos % n) + n) % n;
        else if (pos < 0 || pos >= n)
            break;
        AnimationGroup* c = list[std::size_t(pos)];
        if (c->displayInChapter && c->childCount() > 0) found = c;
    }
    if (!found) return false;
    s.currentChapter = found;
    found->rewindChapter();
    if (!forward) found->runChapterToEnd();
    return true;
}

void initializeAnimation() {
    AnimationGroup& root = rootChapter();
    if (!animationState().animationEnabled) return;
    rebuildTimelines(root);
    AnimationState& s = animationState();
    if (s.currentChapter && s.currentChapter->isUsed() && s.lastStep) {
        AnimationGroup* c = s.currentChapter;
        if (c->startEntryIndex(s.lastStep) >= 0) c->runToAtom(s.lastStep, KindAll & ~KindVisibility);
    }
}

std::vector<std::string> chaptersWithoutViewpointBeforeFirstStop() {
    std::vector<std::string> out;
    for (AnimationGroup* c : chapterList()) {
        if (!c->displayInChapter) continue;
        bool seen = false;
        for (std::size_t i = 0; i < c->childCount(); ++i) {
            AnimationAtom* a = c->child(i);
            if (a->isStop()) break;
            if (a->kindMask() == KindViewpoint) seen = true;
        }
        if (!seen) out.push_back(c->getName());
    }
    return out;
}

}  // namespace kinemo
