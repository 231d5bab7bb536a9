#include "scene/transform_node.h"

#include <cstdio>

#include "core/numbers.h"
#include "scene/group_node.h"
#include "scene/transform_math.h"
#include "scene/tree_hooks.h"

namespace kinemo {

void TransformNode::markChanged() {
    if (changed_) return;
    changed_ = true;
    requestRedraw();
}

void TransformNode::rotateAboutCenter(const float rotation[4]) {
    TransformData& r = initialTransform;
    tmath::Quat add = tmath::fromAxisAngle(rotation[0], rotation[1], rotation[2], rotation[3]);
    tmath::Quat cur = tmath::fromAxisAngle(r.rotation()[0], r.rotation()[1], r.rotation()[2], r.rotation()[3]);
    float out[4];
    tmath::toAxisAngle(tmath::multiply(add, cur), out);
    r.setRotation(out[0], out[1], out[2], out[3]);
}

std::string TransformNode::transformText() const {
    const TransformData& r = initialTransform;
    std::string out = "\n\nTransform {";
    out += "\n    #name ";
    out += name_;
    const float* t = r.translation();
    if (t[0] != 0.0f || t[1] != 0.0f || t[2] != 0.0f) out += formatC("\n    translation %f %f %f", t[0], t[1], t[2]);
    const float* q = r.rotation();
    if (q[3] != 0.0f) out += formatC("\n    rotation %4.4f %4.4f %4.4f %f", q[0], q[1], q[2], q[3]);
    const float* c = r.center();
    if (c[0] != 0.0f || c[1] != 0.0f || c[2] != 0.0f) out += formatC("\n    center %f %f %f", c[0], c[1], c[2]);
    const float* s = r.scale();
    if (s[0] != 1.0f || s[1] != 1.0f || s[2] != 1.0f) out += formatC("\n    scale %4.3f %4.3f %4.3f", s[0], s[1], s[2]);
    const float* o = r.scaleOrientation();
    if (o[3] != 0.0f) out += formatC("\n    scaleOrientation %4.4f %4.4f %4.4f %4.4f", o[0], o[1], o[2], o[3]);
    return out;
}

bool TransformNode::writeToFile(std::FILE* file) {
    std::string text = transformText();
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

void resetToInitial(Node& subtree) {
    if (TransformNode* t = subtree.asTransformNode()) t->resetCurrentToInitial();
    if (!subtree.asGroupNode()) subtree.resetMaterial();
    if (GroupNode* g = subtree.asGroupNode())
        for (std::size_t i = 0; i < g->childCount(); ++i) resetToInitial(*g->child(i));
}

}  // namespace kinemo
