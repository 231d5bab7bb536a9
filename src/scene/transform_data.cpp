#include "scene/transform_data.h"

#include <cmath>

#include "scene/group_node.h"
#include "scene/scene_report.h"
#include "scene/scene_settings.h"
#include "scene/transform_math.h"
#include "scene/transform_node.h"

namespace kinemo {
namespace {
float finiteOr(float v, float fallback) { return std::isfinite(v) ? v : fallback; }
}  // namespace

TransformData* TransformData::parentRecord() const {
    GroupNode* p = owner_ ? owner_->parent() : nullptr;
    if (!p) return nullptr;
    return initial_ ? &p->initialTransform : &p->currentTransform;
}

bool TransformData::localIsIdentity() const {
    return rotation_[3] == 0.0f && scale_[0] == 1.0f && scale_[1] == 1.0f && scale_[2] == 1.0f;
}

void TransformData::changed() {
    localValid_ = false;
    validity_ = 0;
    if (owner_) owner_->markChanged();
    // Always walk down: a child may have been brought up to date since the last change.
    invalidateBelow();
}

void TransformData::invalidate() {
    validity_ = 0;
    invalidateBelow();
}

void TransformData::invalidateBelow() {
    if (!owner_) return;
    GroupNode* g = owner_->asGroupNode();
    if (!g) return;
    for (std::size_t i = 0; i < g->childCount(); ++i) {
        TransformNode* t = g->child(i)->asTransformNode();
        if (!t) continue;
        TransformData& r = initial_ ? t->initialTransform : t->currentTransform;
        // A record without valid caches has none valid below it either.
        if (r.validity_ == 0) continue;
        r.validity_ = 0;
        r.invalidateBelow();
    }
}

void TransformData::setRotation(float x, float y, float z, float angle) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) || !std::isfinite(angle))
        x = 0, y = 0, z = 1, angle = 0;
    rotation_[0] = x, rotation_[1] = y, rotation_[2] = z, rotation_[3] = angle;
    changed();
}

void TransformData::setTranslation(float x, float y, float z) {
    translation_[0] = finiteOr(x, 0), translation_[1] = finiteOr(y, 0), translation_[2] = finiteOr(z, 0);
    changed();
}

void TransformData::setCenter(float x, float y, float z) {
    center_[0] = finiteOr(x, 0), center_[1] = finiteOr(y, 0), center_[2] = finiteOr(z, 0);
    changed();
}

void TransformData::setScale(float x, float y, float z) {
    scale_[0] = finiteOr(x, 1), scale_[1] = finiteOr(y, 1), scale_[2] = finiteOr(z, 1);
    changed();
}

void TransformData::setScaleOrientation(float x, float y, float z, float angle) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) || !std::isfinite(angle))
        x = 0, y = 0, z = 1, angle = 0;
    scaleOrientation_[0] = x, scaleOrientation_[1] = y, scaleOrientation_[2] = z, scaleOrientation_[3] = angle;
    changed();
}

void TransformData::copyFrom(const TransformData& o) {
    for (int i = 0; i < 4; ++i) rotation_[i] = o.rotation_[i], scaleOrientation_[i] = o.scaleOrientation_[i];
    for (int i = 0; i < 3; ++i) translation_[i] = o.translation_[i], center_[i] = o.center_[i], scale_[i] = o.scale_[i];
    changed();
}

const float* TransformData::localMatrix() {
    if (localValid_) return local_;
    if (localIsIdentity()) {
        tmath::identity3(local_);
    } else {
        double r[9];
        tmath::toMatrix(tmath::fromAxisAngle(rotation_[0], rotation_[1], rotation_[2], rotation_[3]), r);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) local_[i * 3 + j] = tmath::clampToFloat(r[i * 3 + j] * scale_[j]);
    }
    localValid_ = true;
    return local_;
}

void TransformData::makeTop() {
    tmath::identity3(localToGlobal_);
    tmath::identity3(globalToLocal_);
    for (int i = 0; i < 3; ++i) globalTranslation_[i] = 0, globalTranslationF_[i] = 0;
    globalScale_ = 1.0f;
    globalUniform_ = true;
    validity_ = GlobalToLocalValid | LocalToGlobalValid;
}

void TransformData::updateLocalToGlobalMatrix() {
    if ((validity_ & LocalToGlobalValid) == LocalToGlobalValid) return;
    TransformData* p = parentRecord();
    if (!p) {
        if (sceneSettings().transformReportLevel > 4)
            sceneLog("parent == NULL in TransformData::updateLocalToGlobalMatrix\n");
        makeTop();
        return;
    }
    const float* local = localMatrix();
    p->updateLocalToGlobalMatrix();
    const bool identity = localIsIdentity();
    if (identity) {
        for (int k = 0; k < 9; ++k) localToGlobal_[k] = p->localToGlobal_[k];
        globalScale_ = p->globalScale_;
        globalUniform_ = p->globalUniform_;
    } else {
        tmath::multiply3(p->localToGlobal_, local, localToGlobal_);
        if (uniform()) {
            globalScale_ = tmath::clampToFloat(std::fabs(double(scale_[0])) * p->globalScale_);
            globalUniform_ = p->globalUniform_;
        } else {
            globalScale_ = tmath::clampToFloat(
                (std::fabs(double(scale_[0])) + std::fabs(double(scale_[1])) + std::fabs(double(scale_[2]))) *
                p->globalScale_ * 0.33333334f);
            globalUniform_ = false;
        }
    }
    double t[3] = {translation_[0], translation_[1], translation_[2]};
    if (!identity) {
        const double c[3] = {center_[0], center_[1], center_[2]};
        double lc[3];
        tmath::apply3(local, c, lc);
        for (int i = 0; i < 3; ++i) t[i] += c[i] - lc[i];
    }
    double g[3];
    tmath::apply3(p->localToGlobal_, t, g);
    for (int i = 0; i < 3; ++i) {
        globalTranslation_[i] = g[i] + p->globalTranslation_[i];
        // Beyond the double range only after absurd chains: kept finite like the matrices.
        if (!std::isfinite(globalTranslation_[i])) globalTranslation_[i] = tmath::clampToFloat(globalTranslation_[i]);
        globalTranslationF_[i] = tmath::clampToFloat(globalTranslation_[i]);
    }
    validity_ |= LocalToGlobalValid;
}

void TransformData::updateGlobalToLocalMatrix() {
    if (validity_ & GlobalToLocalValid) return;
    TransformData* p = parentRecord();
    if (!p) {
        if (sceneSettings().transformReportLevel > 4)
            sceneLog("parent == NULL in TransformData::updateGlobalToLocalMatrix\n");
        makeTop();
        return;
    }
    const float* local = localMatrix();
    p->updateGlobalToLocalMatrix();
    if (localIsIdentity()) {
        for (int k = 0; k < 9; ++k) globalToLocal_[k] = p->globalToLocal_[k];
    } else {
        // The inverse of R * diag(s) is diag(1/s) * R^T: the transpose of the local matrix with row i
        // divided by s[i]^2. A vanishing scale is not divided by, so the matrix stays finite.
        float inv[9];
        for (int i = 0; i < 3; ++i) {
            float s = scale_[i];
            double d = std::fabs(s) > kSmallestScale ? double(s) * s : 1.0;
            for (int j = 0; j < 3; ++j) inv[i * 3 + j] = tmath::clampToFloat(double(local[j * 3 + i]) / d);
        }
        tmath::multiply3(inv, p->globalToLocal_, globalToLocal_);
    }
    validity_ |= GlobalToLocalValid;
}

const float* TransformData::localToGlobal() {
    updateLocalToGlobalMatrix();
    return localToGlobal_;
}

const float* TransformData::globalToLocal() {
    updateGlobalToLocalMatrix();
    return globalToLocal_;
}

const double* TransformData::globalTranslation() {
    updateLocalToGlobalMatrix();
    return globalTranslation_;
}

const float* TransformData::globalTranslationF() {
    updateLocalToGlobalMatrix();
    return globalTranslationF_;
}

float TransformData::globalScaleFactor() {
    updateLocalToGlobalMatrix();
    return globalScale_;
}

bool TransformData::globalUniform() {
    updateLocalToGlobalMatrix();
    return globalUniform_;
}

void TransformData::toGlobalDirection(const float in[3], float out[3]) {
    const float* m = localToGlobal();
    const double v[3] = {in[0], in[1], in[2]};
    double r[3];
    tmath::apply3(m, v, r);
    for (int i = 0; i < 3; ++i) out[i] = tmath::clampToFloat(r[i]);
}

void TransformData::toLocalDirection(const float in[3], float out[3]) {
    const float* m = globalToLocal();
    const double v[3] = {in[0], in[1], in[2]};
    double r[3];
    tmath::apply3(m, v, r);
    for (int i = 0; i < 3; ++i) out[i] = tmath::clampToFloat(r[i]);
}

void TransformData::toGlobalPoint(const double in[3], double out[3]) {
    const float* m = localToGlobal();
    double r[3];
    tmath::apply3(m, in, r);
    for (int i = 0; i < 3; ++i) out[i] = r[i] + globalTranslation_[i];
}

void TransformData::deltaToLocal(const double in[3], double out[3]) const {
    double r[9];
    tmath::toMatrix(tmath::fromAxisAngle(rotation_[0], rotation_[1], rotation_[2], rotation_[3]), r);
    double v[3];
    for (int i = 0; i < 3; ++i) v[i] = r[i] * in[0] + r[3 + i] * in[1] + r[6 + i] * in[2];  // R^T * in
    bool ignored = false;
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(scale_[i]) <= kSmallestScale) {
            ignored = true;
            out[i] = v[i];
        } else {
            out[i] = v[i] / scale_[i];
        }
    }
    if (ignored)
        sceneReport("Inverted scale factor of value below smallest allowed boundary has been ignored", 1, true);
}

}  // namespace kinemo
