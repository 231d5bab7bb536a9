#include "animation/viewpoint_step.h"

#include <algorithm>
#include <cmath>

#include "animation/animation_group.h"
#include "animation/animation_section.h"
#include "animation/section_keys.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "scene/group_node.h"
#include "scene/reading_state.h"
#include "scene/transform_math.h"
#include "scene/viewpoint.h"

namespace kinemo {
namespace {

// Does another step of the tree fly to viewpoint?
bool otherStepUses(const ViewpointAnimationObject& self, const ViewPoint* viewpoint) {
    AnimationGroup* root = rootChapterIfAny();
    if (!root || !viewpoint) return false;
    bool found = false;
    root->forEachDescendant([&](AnimationAtom& a) {
        found = &a != &self && a.targetViewpoint() == viewpoint;
        return !found;
    });
    return found;
}

// The saved pose of from (translation, then rotation) in the frame camera hangs in: a
// viewpoint below another part is carried through the scene to it.
void savedPoseInFrameOf(ViewPoint& from, ViewPoint& camera, float out[7]) {
    const float* t = from.initialTransform.translation();
    const float* r = from.initialTransform.rotation();
    std::copy_n(t, 3, out);
    std::copy_n(r, 4, out + 3);
    if (&from == &camera || from.parent() == camera.parent()) return;
    // Both poses go through the current records, which are put back afterwards.
    float keptT[3], keptR[4], cameraT[3], cameraR[4];
    std::copy_n(from.currentTransform.translation(), 3, keptT);
    std::copy_n(from.currentTransform.rotation(), 4, keptR);
    std::copy_n(camera.currentTransform.translation(), 3, cameraT);
    std::copy_n(camera.currentTransform.rotation(), 4, cameraR);
    from.currentTransform.setTranslation(t[0], t[1], t[2]);
    from.currentTransform.setRotation(r[0], r[1], r[2], r[3]);
    double world[3];
    float worldRotation[4];
    from.worldPose(world, worldRotation);
    from.currentTransform.setTranslation(keptT[0], keptT[1], keptT[2]);
    from.currentTransform.setRotation(keptR[0], keptR[1], keptR[2], keptR[3]);
    camera.setWorldPose(world, worldRotation, false);
    std::copy_n(camera.currentTransform.translation(), 3, out);
    std::copy_n(camera.currentTransform.rotation(), 4, out + 3);
    camera.currentTransform.setTranslation(cameraT[0], cameraT[1], cameraT[2]);
    camera.currentTransform.setRotation(cameraR[0], cameraR[1], cameraR[2], cameraR[3]);
}

}  // namespace

ViewpointAnimationObject::~ViewpointAnimationObject() = default;

std::string ViewpointAnimationObject::getName() const {
    return viewpoint_ ? viewpointLabel(*viewpoint_) : "NULL Viewpoint";
}

void ViewpointAnimationObject::setViewpoint(ViewPoint* viewpoint) {
    viewpoint_ = viewpoint;
    viewpointParent_ = viewpoint ? viewpoint->parent() : nullptr;
}

void ViewpointAnimationObject::setDuration(double seconds) { duration_ = clampDuration(seconds, 1.0e6); }

bool ViewpointAnimationObject::involvesNode(const Node* node) const {
    if (!node || !viewpoint_) return false;
    if (node == viewpoint_) return true;
    return viewpoint_->parent() && node->isAncestorOrSelfOf(viewpoint_->parent());
}

bool ViewpointAnimationObject::animatesNode(const Node* node) const {
    return node && viewpoint_ && (node == viewpoint_ || node == viewpoint_->parent());
}

bool ViewpointAnimationObject::animate(AnimationAtomRef& ref, double t, bool forward) {
    if (!viewpoint_) return true;
    auto* r = dynamic_cast<ViewpointAnimationRef*>(&ref);
    if (!r) {
        reportMessage("Fatal error in ViewpointAnimationObject::animate", 1, true);
        return true;
    }
    ViewPoint* previous = r->startViewpoint ? r->startViewpoint : viewpoint_;
    ViewPoint* camera = forward ? viewpoint_ : previous;
    setCurrentViewpoint(camera);
    double c;
    bool finished;
    if (duration_ > 0 && std::isfinite(t)) {
        c = t / duration_;
        finished = forward ? c >= 1 : c < 0;
        c = c < 0 ? 0 : c > 1 ? 1 : c;
    } else {
        c = forward ? 1 : 0;
        finished = true;
    }
    // The flight runs from the previous viewpoint to this one; backward the same path, reversed.
    ViewPoint* from = forward ? previous : viewpoint_;
    ViewPoint* to = forward ? viewpoint_ : previous;
    if (!forward) c = 1 - c;
    float fromPose[7];
    savedPoseInFrameOf(*from, *to, fromPose);
    const float* p0 = fromPose;
    const float* r0 = fromPose + 3;
    const float* p1 = to->initialTransform.translation();
    const float* r1 = to->initialTransform.rotation();
    float pose[3], rot[4];
    if (from == to) {
        for (int i = 0; i < 3; ++i) pose[i] = p0[i];
        for (int i = 0; i < 4; ++i) rot[i] = r0[i];
    } else {
        for (int i = 0; i < 3; ++i) pose[i] = float((1 - c) * p0[i] + c * p1[i]);
        tmath::Quat a = tmath::fromAxisAngle(r0[0], r0[1], r0[2], r0[3]);
        tmath::Quat b = tmath::fromAxisAngle(r1[0], r1[1], r1[2], r1[3]);
        if (a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z < 0) b = {-b.w, -b.x, -b.y, -b.z};
        tmath::Quat q{(1 - c) * a.w + c * b.w, (1 - c) * a.x + c * b.x, (1 - c) * a.y + c * b.y,
                      (1 - c) * a.z + c * b.z};
        const double n = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
        if (n > 1e-12)
            q = {q.w / n, q.x / n, q.y / n, q.z / n};
        else
            q = a;
        tmath::toAxisAngle(q, rot);
    }
    camera->currentTransform.setTranslation(pose[0], pose[1], pose[2]);
    camera->currentTransform.setRotation(rot[0], rot[1], rot[2], rot[3]);
    return finished;
}

void ViewpointAnimationObject::removedFromChapter() {
    if (!viewpoint_ || detached_ || !viewpoint_->parent()) return;
    // A viewpoint another step still flies to stays in the scene.
    if (otherStepUses(*this, viewpoint_)) return;
    viewpointParent_ = viewpoint_->parent();
    detached_ = viewpoint_->detachFromParent();
}

void ViewpointAnimationObject::insertedIntoChapter() {
    if (!detached_ || !viewpointParent_) return;
    viewpointParent_->addChild(std::move(detached_));
}

std::unique_ptr<AnimationAtom> ViewpointAnimationObject::clone() const {
    auto c = std::make_unique<ViewpointAnimationObject>(parent(), true);
    c->viewpoint_ = viewpoint_;
    c->viewpointParent_ = viewpointParent_;
    c->duration_ = duration_;
    c->readIndex_ = readIndex_;
    c->dowait = dowait;
    return c;
}

StepList ViewpointAnimationObject::createReverseSteps(AnimationGroup& chapter) {
    if (AnimationGroup* own = parentChapter())
        for (long i = own->indexOf(this) - 1; i >= 0; --i)
            if (auto* earlier = dynamic_cast<const ViewpointAnimationObject*>(own->child(std::size_t(i))))
                return reverseStepOf(earlier->clone(), chapter);
    return reverseStepOf(clone(), chapter);
}

void ViewpointAnimationObject::writeBlock(std::string& out) const {
    out += "\n# [ACTION>>VIEWPOINT]";
    const int index = viewpoint_ ? viewpointIndex(viewpoint_) : -1;
    out += formatC("\n# index %ld", long(index >= 0 ? index : readIndex_));
    out += formatC("\n# duration %5.2f", duration_);
    out += "\n";
}

bool ViewpointAnimationObject::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

const char* ViewpointAnimationObject::readFromText(const char* text) {
    BlockText block(text, nullptr);
    const std::int32_t index = block.integer("index", 0);
    readIndex_ = index;
    const float version = readingState().fileVersion;
    setDuration(versionAtLeast(version, 2) ? block.number("duration", 0) : 0);
    const long at = long(index) + viewpointIndexOffset();
    ViewPoint* v = (index >= 0 && at >= 0 && at < viewpointCount()) ? viewpointAt(int(at)) : nullptr;
    if (v) setViewpoint(v);
    return text;
}

}  // namespace kinemo
