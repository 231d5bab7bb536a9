#include "animation/move_animation.h"

#include <cmath>
#include <cstring>

#include "animation/animation_group.h"
#include "animation/animation_section.h"
#include "animation/motion_data.h"
#include "animation/section_keys.h"
#include "core/definitions.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/transform_math.h"

namespace kinemo {
namespace {

using tmath::Quat;

Quat quatOf(const float r[4]) { return tmath::fromAxisAngle(r[0], r[1], r[2], r[3]); }

void rotate(const Quat& q, const double in[3], double out[3]) {
    double m[9];
    tmath::toMatrix(q, m);
    for (int i = 0; i < 3; ++i) out[i] = m[3 * i] * in[0] + m[3 * i + 1] * in[1] + m[3 * i + 2] * in[2];
}

TransformData* currentOf(Node* n) {
    TransformNode* t = n ? n->asTransformNode() : nullptr;
    return t ? &t->currentTransform : nullptr;
}

void appendVector(std::string& out, const float* v, int n) {
    out += "(";
    for (int i = 0; i < n; ++i) {
        if (i) out += ", ";
        out += formatC("%4.3f", double(v[i]));
    }
    out += ")";
}

void readVector(const BlockText& b, std::string_view key, float* out, int n) {
    double v[4] = {0, 0, 0, 0};
    if (!b.numbers(key, v, n)) return;
    for (int i = 0; i < n; ++i) out[i] = float(v[i]);
}

float readSpeed(const BlockText& b) {
    const double s = b.number("speed", 1.0);
    return std::isfinite(s) ? float(s) : 1.0f;
}

void writeSpeed(std::string& out, float speed) { out += formatC("\n#   speed %f", double(speed)); }

}  // namespace

Node* MoveObject::getComponent() const { return component_; }

void MoveObject::replaceComponent(Node* node) { component_ = node ? node->asGroupNode() : nullptr; }

bool MoveObject::setComponent(Node* node) {
    GroupNode* g = node ? node->asGroupNode() : nullptr;
    const bool align = preferencesFile().getFloat("AlignClonesGlobally", 0.0f) > 0.5f;
    if (!g) {
        if (align) reportMessage(node ? "Some nodes are not groups" : "Some nodes are undefined", 1, true);
        return false;
    }
    // A first part is no change of frame; the same part neither.
    if (align && component_ && component_ != g) {
        TransformData& from = component_->initialTransform;
        TransformData& to = g->initialTransform;
        mapDirections([&](float v[3], bool isAxis) {
            const double before = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
            float world[3], local[3];
            from.toGlobalDirection(v, world);
            to.toLocalDirection(world, local);
            if (!tmath::finite3(local)) return;
            if (isAxis) {
                const double after =
                    std::sqrt(double(local[0]) * local[0] + double(local[1]) * local[1] + double(local[2]) * local[2]);
                if (!(after > 1.0e-30)) return;
                for (int i = 0; i < 3; ++i) local[i] = float(local[i] * before / after);
            }
            for (int i = 0; i < 3; ++i) v[i] = local[i];
        });
    }
    component_ = g;
    return true;
}

double MoveObject::getRunTime() const {
    const double s = std::fabs(double(speed));
    if (!(s >= 1.0e-20)) return 1.0e-6;
    const double amount = getMaxParameter();
    double d = std::isfinite(amount) ? std::fabs(amount) / s : 0.0;
    if (!std::isfinite(d) || d > 1.0e6) d = hugeDuration();
    return d;
}

bool MoveObject::animate(AnimationAtomRef& ref, double t, bool forward) {
    if (speed > 1.0e29f) t += forward ? 0.001 : -0.001;
    const double duration = getRunTime();
    if (std::isnan(t)) t = 0;
    double w;
    bool finished;
    if (!(duration > 0)) {
        // A motion of no length is at its end forward and at its start backward, at once.
        w = forward ? 1.0 : 0.0;
        finished = true;
    } else {
        const double u = t / duration;
        w = u < 0 ? 0 : u > 1 ? 1 : u;
        finished = forward ? u > 1 : u < 0;
    }
    if (component_) applyWeight(ref, w);
    return finished;
}

double TranslationAnimationObject::getMaxParameter() const {
    return std::sqrt(double(displ[0]) * displ[0] + double(displ[1]) * displ[1] + double(displ[2]) * displ[2]);
}

void TranslationAnimationObject::applyWeight(AnimationAtomRef& ref, double w) {
    auto* r = dynamic_cast<MoveObjectRef*>(&ref);
    TransformData* c = currentOf(component_);
    if (!r || !c) {
        if (!r) reportMessage("Fatal error in TranslationAnimationObject::animate", 1, true);
        return;
    }
    const float* s = c->scale();
    const double d[3] = {w * displ[0] * s[0], w * displ[1] * s[1], w * displ[2] * s[2]};
    double out[3];
    rotate(quatOf(c->rotation()), d, out);
    c->setTranslation(float(r->startTranslation[0] + out[0]), float(r->startTranslation[1] + out[1]),
                      float(r->startTranslation[2] + out[2]));
}

void TranslationAnimationObject::invert() {
    for (float& v : displ) v = -v;
}

std::unique_ptr<MoveObject> TranslationAnimationObject::copy() const {
    auto m = std::make_unique<TranslationAnimationObject>(parent(), false);
    m->speed = speed;
    m->comment = comment;
    m->component_ = component_;
    m->displ = displ;
    return m;
}

void TranslationAnimationObject::writeBlock(std::string& out) const {
    out += "\n#   [STEP>>TRANS]";
    writeSpeed(out, speed);
    out += "\n#   displ ";
    appendVector(out, displ.data(), 3);
    out += "\n#";
}

void TranslationAnimationObject::readBlock(const BlockText& b) {
    speed = readSpeed(b);
    if (b.has("displ"))
        readVector(b, "displ", displ.data(), 3);
    else
        speed *= 40.0f;
}

double RotationAnimationObject::getMaxParameter() const { return rot[3]; }

void RotationAnimationObject::poseAt(const RotationAnimationRef& r, double w, double t[3], float outRot[4]) const {
    TransformData* c = currentOf(component_);
    const Quat q0 = quatOf(r.startRotation);
    const Quat q = tmath::multiply(q0, tmath::fromAxisAngle(rot[0], rot[1], rot[2], w * rot[3]));
    tmath::toAxisAngle(q, outRot);
    const float* s = c->scale();
    const float* cc = c->center();
    const double arm[3] = {s[0] * double(cc[0] - center[0]), s[1] * double(cc[1] - center[1]),
                           s[2] * double(cc[2] - center[2])};
    double a[3], b[3];
    rotate(q, arm, a);
    rotate(q0, arm, b);
    for (int i = 0; i < 3; ++i) t[i] = r.startTranslation[i] + a[i] - b[i];
}

void RotationAnimationObject::applyWeight(AnimationAtomRef& ref, double w) {
    auto* r = dynamic_cast<RotationAnimationRef*>(&ref);
    TransformData* c = currentOf(component_);
    if (!r) {
        reportMessage("Fatal error in RotationAnimationObject::animate", 1, true);
        return;
    }
    if (!c) return;
    double t[3];
    float q[4];
    poseAt(*r, w, t, q);
    c->setRotation(q[0], q[1], q[2], q[3]);
    c->setTranslation(float(t[0]), float(t[1]), float(t[2]));
}

void RotationAnimationObject::invert() { rot[3] = -rot[3]; }

std::unique_ptr<MoveObject> RotationAnimationObject::copy() const {
    auto m = std::make_unique<RotationAnimationObject>(parent(), false);
    m->speed = speed;
    m->comment = comment;
    m->component_ = component_;
    m->center = center;
    m->rot = rot;
    return m;
}

void RotationAnimationObject::writeBlock(std::string& out) const {
    out += "\n#   [STEP>>ROT]";
    writeSpeed(out, speed);
    out += "\n#   center ";
    appendVector(out, center.data(), 3);
    out += "\n#   rot ";
    appendVector(out, rot.data(), 4);
}

void RotationAnimationObject::readBlock(const BlockText& b) {
    speed = readSpeed(b);
    readVector(b, "center", center.data(), 3);
    readVector(b, "rot", rot.data(), 4);
}

void TransRotAnimationObject::applyWeight(AnimationAtomRef& ref, double w) {
    auto* r = dynamic_cast<RotationAnimationRef*>(&ref);
    TransformData* c = currentOf(component_);
    if (!r) {
        reportMessage("Fatal error in TransRotAnimationObject::getAnimationValuesForWeight", 1, true);
        return;
    }
    if (!c) return;
    double t[3];
    float q[4];
    poseAt(*r, w, t, q);
    const float* s = c->scale();
    const double d[3] = {w * displ[0] * s[0], w * displ[1] * s[1], w * displ[2] * s[2]};
    double out[3];
    rotate(quatOf(r->startRotation), d, out);
    c->setRotation(q[0], q[1], q[2], q[3]);
    c->setTranslation(float(t[0] + out[0]), float(t[1] + out[1]), float(t[2] + out[2]));
}

void TransRotAnimationObject::invert() {
    rot[3] = -rot[3];
    const double d[3] = {displ[0], displ[1], displ[2]};
    double out[3];
    rotate(quatOf(rot.data()), d, out);
    for (int i = 0; i < 3; ++i) displ[std::size_t(i)] = float(-out[i]);
}

std::unique_ptr<MoveObject> TransRotAnimationObject::copy() const {
    auto m = std::make_unique<TransRotAnimationObject>(parent(), false);
    m->speed = speed;
    m->comment = comment;
    m->component_ = component_;
    m->center = center;
    m->rot = rot;
    m->displ = displ;
    return m;
}

void TransRotAnimationObject::writeBlock(std::string& out) const {
    out += "\n#   [STEP>>TRANSROT]";
    writeSpeed(out, speed);
    out += "\n#   center ";
    appendVector(out, center.data(), 3);
    out += "\n#   rot ";
    appendVector(out, rot.data(), 4);
    out += "\n#   displ ";
    appendVector(out, displ.data(), 3);
    out += "\n#";
}

void TransRotAnimationObject::readBlock(const BlockText& b) {
    RotationAnimationObject::readBlock(b);
    readVector(b, "displ", displ.data(), 3);
}

double ScaleAnimationObject::getMaxParameter() const {
    double sum = 0;
    for (float f : factor) {
        const double g = std::max(double(f), 1.0e-6);
        sum += (g - 1 / g) * (g - 1 / g);
    }
    return std::sqrt(sum);
}

void ScaleAnimationObject::applyWeight(AnimationAtomRef& ref, double w) {
    auto* r = dynamic_cast<ScaleAnimationRef*>(&ref);
    TransformData* c = currentOf(component_);
    if (!r) {
        reportMessage("Fatal error in ScaleAnimationObject::animate", 1, true);
        return;
    }
    if (!c) return;
    double sn[3], d[3];
    const float* cc = c->center();
    for (int i = 0; i < 3; ++i) {
        const double s0 = r->startScale[i];
        sn[i] = s0 + w * (s0 * factor[std::size_t(i)] - s0);
        d[i] = double(cc[i] - center[std::size_t(i)]) * (sn[i] - s0);
    }
    double out[3];
    rotate(quatOf(r->startRotation), d, out);
    c->setScale(float(sn[0]), float(sn[1]), float(sn[2]));
    c->setTranslation(float(r->startTranslation[0] + out[0]), float(r->startTranslation[1] + out[1]),
                      float(r->startTranslation[2] + out[2]));
}

void ScaleAnimationObject::adjustLegacySpeed(const float s0[3]) {
    if (speedAdjusted) return;
    speedAdjusted = true;
    double change = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const double d = double(s0[i]) * factor[i] - s0[i];
        change += d * d;
    }
    change = std::sqrt(change);
    const double amount = getMaxParameter();
    if (!(change > 1.0e-20) || !std::isfinite(amount)) return;
    const double converted = double(speed) * amount / change;
    if (std::isfinite(converted) && std::fabs(converted) < 1.0e30) speed = float(converted);
}

void ScaleAnimationObject::invert() {
    for (float& f : factor) {
        if (!(f > 1.0e-20f)) {
            f = 1;
            reportMessage("Inverted scale factor of value below smallest allowed boundary has been set to 1.", 2,
                          false);
        } else {
            f = 1 / f;
        }
    }
}

std::unique_ptr<MoveObject> ScaleAnimationObject::copy() const {
    auto m = std::make_unique<ScaleAnimationObject>(parent(), false);
    m->speed = speed;
    m->comment = comment;
    m->component_ = component_;
    m->center = center;
    m->factor = factor;
    m->speedAdjusted = speedAdjusted;
    return m;
}

void ScaleAnimationObject::writeBlock(std::string& out) const {
    out += "\n#   [STEP>>SCALE]";
    writeSpeed(out, speed);
    out += "\n#   center ";
    appendVector(out, center.data(), 3);
    out += "\n#   scale ";
    appendVector(out, factor.data(), 3);
    out += "\n#";
}

void ScaleAnimationObject::readBlock(const BlockText& b) {
    speed = readSpeed(b);
    readVector(b, "center", center.data(), 3);
    readVector(b, "scale", factor.data(), 3);
}

std::string MoveAnimationObject::getName() const { return component_ ? component_->getName() : "No Object!"; }

double MoveAnimationObject::getRunTime() const {
    if (moves_.empty()) return 1.0;
    double sum = 0;
    for (const auto& m : moves_) sum += m->getRunTime();
    return sum;
}

void MoveAnimationObject::appendMove(std::unique_ptr<MoveObject> move) {
    if (!move) return;
    move->setParent(parent());
    move->dowait = true;
    if (component_) move->replaceComponent(component_);
    moves_.push_back(std::move(move));
}

Node* MoveAnimationObject::getComponent() const { return component_; }

bool MoveAnimationObject::setComponent(Node* node) {
    GroupNode* g = node ? node->asGroupNode() : nullptr;
    if (!g) return false;
    component_ = g;
    for (auto& m : moves_) m->setComponent(g);
    return true;
}

namespace {

// The pose that the move containers of chapter leave their parts in, from the initial pose.
void playMovesToTheirEnds(AnimationGroup& chapter) {
    for (std::size_t i = 0; i < chapter.childCount(); ++i) {
        AnimationAtom* step = chapter.child(i);
        for (std::size_t m = 0; m < step->moveCount(); ++m) {
            AnimationAtom* move = step->moveAt(m);
            if (!move) continue;
            move->getRef().getCurrentState();
            move->animate(move->getRef(), 1.0e30, true);
        }
    }
}

}  // namespace

void MoveAnimationObject::makeInstantaneous() {
    for (auto& m : moves_) m->makeInstantaneous();
}

std::unique_ptr<AnimationAtom> MoveAnimationObject::clone() const {
    auto c = std::make_unique<MoveAnimationObject>(parent(), true);
    c->dowait = dowait;
    c->componentId = componentId;
    c->component_ = component_;
    for (const auto& m : moves_) c->appendMove(m->copy());
    return c;
}

StepList MoveAnimationObject::createReverseSteps(AnimationGroup& chapter) {
    auto c = std::make_unique<MoveAnimationObject>(&chapter, true);
    c->dowait = dowait;
    c->componentId = componentId;
    c->component_ = component_;
    for (auto it = moves_.rbegin(); it != moves_.rend(); ++it) {
        std::unique_ptr<MoveObject> m = (*it)->copy();
        m->invert();
        c->appendMove(std::move(m));
    }
    return reverseStepOf(std::move(c), chapter);
}

const char* MoveAnimationObject::readFromText(const char* text, AnimationGroup* chapterSoFar) {
    BlockText block(text, "[END]");
    const bool frameOfParent = chapterSoFar && !versionAtLeast(readingState().fileVersion, 2.075);
    const std::int32_t id = block.integer("id", -1);
    dowait = block.boolean("dowait", true);
    Node* node = id >= 0 ? nodeTable().at(id) : nullptr;
    if (node && node->asGroupNode()) {
        component_ = node->asGroupNode();
    } else {
        // The moves are kept: a save must not write the container empty.
        reportMessage("MoveAnimationObject has invalid GroupNode", 1, true);
    }
    componentId = id;
    bool legacyPoseTaken = false;
    const std::string_view t = block.text();
    std::size_t pos = t.find("[STEP>>");
    while (pos != std::string_view::npos) {
        const std::size_t nameStart = pos + 7;
        const std::size_t close = t.find(']', nameStart);
        if (close == std::string_view::npos) break;
        const std::string_view name = t.substr(nameStart, close - nameStart);
        std::size_t next = t.find("[STEP>>", close);
        const std::string_view body =
            t.substr(close + 1, (next == std::string_view::npos ? t.size() : next) - close - 1);
        BlockText sub(body);
        std::unique_ptr<MoveObject> m;
        if (name == "TRANS")
            m = std::make_unique<TranslationAnimationObject>(parent(), false);
        else if (name == "ROT")
            m = std::make_unique<RotationAnimationObject>(parent(), false);
        else if (name == "TRANSROT")
            m = std::make_unique<TransRotAnimationObject>(parent(), false);
        else if (name == "SCALE")
            m = std::make_unique<ScaleAnimationObject>(parent(), false);
        else if (name == "COMPLEXMOVE")
            m = std::make_unique<ComplexMoveAnimationObject>(parent(), false);
        if (m) {
            m->readBlock(sub);
            MoveObject* raw = m.get();
            appendMove(std::move(m));
            if (frameOfParent && component_) {
                if (!legacyPoseTaken) {
                    restoreInitialTransforms();
                    playMovesToTheirEnds(*chapterSoFar);
                    legacyPoseTaken = true;
                }
                if (auto* tr = dynamic_cast<TranslationAnimationObject*>(raw)) {
                    const double inParent[3] = {tr->displ[0], tr->displ[1], tr->displ[2]};
                    double local[3];
                    component_->currentTransform.deltaToLocal(inParent, local);
                    for (int i = 0; i < 3; ++i) tr->displ[std::size_t(i)] = tmath::clampToFloat(local[i]);
                }
                // The next sub-block starts where this motion ends.
                raw->getRef().getCurrentState();
                raw->animate(raw->getRef(), 1.0e30, true);
            }
        }
        pos = next;
    }
    if (legacyPoseTaken) restoreInitialTransforms();
    return block.after();
}

const char* MoveAnimationObject::readPositionBlock(const char* text) {
    BlockText block(text, "[END]");
    const std::int32_t id = block.integer("id", -1);
    Node* node = id >= 0 ? nodeTable().at(id) : nullptr;
    componentId = id;
    if (!node || !node->asGroupNode()) {
        reportMessage("MoveAnimationObject has invalid GroupNode", 1, true);
        return block.after();
    }
    component_ = node->asGroupNode();
    double po[3] = {0, 0, 0}, pn[3] = {0, 0, 0}, ro[4] = {0, 0, 1, 0}, rn[4] = {0, 0, 1, 0};
    block.numbers("po", po, 3);
    block.numbers("pn", pn, 3);
    block.numbers("ro", ro, 4);
    block.numbers("rn", rn, 4);
    const TransformData& frame = component_->initialTransform;
    bool turned = false;
    for (int i = 0; i < 4; ++i) turned = turned || std::fabs(ro[i] - rn[i]) > 0.0001;
    const Quat qOld = tmath::fromAxisAngle(ro[0], ro[1], ro[2], ro[3]);
    const Quat qNew = tmath::fromAxisAngle(rn[0], rn[1], rn[2], rn[3]);
    if (turned) {
        // The turn in the part's own frame: new = old * turn.
        const Quat turn = tmath::multiply({qOld.w, -qOld.x, -qOld.y, -qOld.z}, qNew);
        auto r = std::make_unique<RotationAnimationObject>(parent(), false);
        float axisAngle[4];
        tmath::toAxisAngle(turn, axisAngle);
        for (int i = 0; i < 4; ++i) r->rot[std::size_t(i)] = axisAngle[i];
        for (int i = 0; i < 3; ++i) r->center[std::size_t(i)] = frame.center()[i];
        appendMove(std::move(r));
    }
    // The way from the old to the new position, along the part's axes and scale at the new
    // rotation.
    const double way[3] = {pn[0] - po[0], pn[1] - po[1], pn[2] - po[2]};
    double along[3];
    rotate({qNew.w, -qNew.x, -qNew.y, -qNew.z}, way, along);
    auto t = std::make_unique<TranslationAnimationObject>(parent(), false);
    t->speed = 1.0f;
    const float* scale = frame.scale();
    for (int i = 0; i < 3; ++i) {
        const double s = std::fabs(scale[i]) > TransformData::kSmallestScale ? scale[i] : 1.0;
        t->displ[std::size_t(i)] = tmath::clampToFloat(along[i] / s);
    }
    appendMove(std::move(t));
    return block.after();
}

void MoveAnimationObject::writeBlock(std::string& out) const {
    out += "\n# [ACTION>>MOVE]";
    // After renumbering an id that was not resolved would name another part.
    out += formatC("\n# id %ld", long(component_ ? component_->id() : -1));
    out += dowait ? "\n# dowait true" : "\n# dowait false";
    out += "\n#";
    for (const auto& m : moves_) m->writeBlock(out);
    out += "\n# [END]";
    out += "\n";
}

bool MoveAnimationObject::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

}  // namespace kinemo
