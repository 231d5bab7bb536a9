#include "scene/transform_reader.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "scene/group_node.h"
#include "scene/matchers.h"
#include "scene/node_readers.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/tokenizer.h"
#include "scene/transform_math.h"

namespace kinemo {
namespace {

constexpr int kBodyKeywordLimit = 1000;

bool isSeparator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n'; }

tmath::Quat quatOf(const float r[4]) { return tmath::fromAxisAngle(r[0], r[1], r[2], r[3]); }

// The read rotation applied first, then the current one.
void composeRotation(TransformData& rec, const float read[4]) {
    float out[4];
    tmath::toAxisAngle(tmath::multiply(quatOf(rec.rotation()), quatOf(read)), out);
    rec.setRotation(out[0], out[1], out[2], out[3]);
}

// translation + local * t.
void composeTranslation(TransformData& rec, const float t[3]) {
    const float* local = rec.localMatrix();
    const double v[3] = {t[0], t[1], t[2]};
    double lt[3];
    tmath::apply3(local, v, lt);
    const float* cur = rec.translation();
    rec.setTranslation(float(cur[0] + lt[0]), float(cur[1] + lt[1]), float(cur[2] + lt[2]));
}

void scaled3(float v[3]) {
    const ReadingState& s = readingState();
    for (int i = 0; i < 3; ++i) v[i] = float(s.scaled(v[i]));
}

const char* restOfLineName(TransformNode& node, const char* after, const char* end) {
    const char* p = after;
    if (p != end && *p && *p != '\n' && *p != '\r') ++p;  // the one character after "#name"
    const char* q = p;
    while (q != end && *q && *q != '\n' && *q != '\r') ++q;
    node.setName(std::string_view(p, std::size_t(q - p)));
    return q;
}

}  // namespace

const char* readFixedFloats(const char* p, const char* end, float* out, int count, int& found, int lookAhead) {
    found = 0;
    const char* limit = p;
    for (int i = 0; i < lookAhead && limit != end && *limit; ++i) ++limit;
    while (found < count) {
        while (p != limit && isSeparator(*p)) ++p;
        if (p == limit) break;
        const char* q = p;
        while (q != end && *q && !isSeparator(*q) && *q != '}' && *q != ']' && *q != '[' && *q != '{') ++q;
        float v;
        if (q == p || !parseFloatToken(std::string_view(p, std::size_t(q - p)), v)) break;
        out[found++] = v;
        p = q;
    }
    return p;
}

const char* readTransformField(TransformNode& node, Keyword k, const char* after, const char* end) {
    TransformData& rec = node.initialTransform;
    const bool vrml1 = readingState().isVrml1();
    int found = 0;
    if (k == kw::hashName) return restOfLineName(node, after, end);
    if (k == kw::Transform || k == kw::transform) {
        if (!vrml1) return nullptr;
        return readVrml1TransformBody(node, after, end);
    }
    if (k == kw::translation) {
        float t[3] = {0, 0, 0};
        const char* p = readFixedFloats(after, end, t, 3, found);
        scaled3(t);
        if (vrml1) {
            const float* cur = rec.translation();
            for (int i = 0; i < 3; ++i) t[i] += cur[i];
        }
        rec.setTranslation(t[0], t[1], t[2]);
        return p;
    }
    if (k == kw::scale || k == kw::scaleFactor) {
        float s[3] = {1, 1, 1};
        const char* p = readFixedFloats(after, end, s, 3, found);
        rec.setScale(s[0], s[1], s[2]);
        return p;
    }
    if (k == kw::scaleOrientation) {
        float o[4] = {0, 0, 1, 0};
        const char* p = readFixedFloats(after, end, o, 4, found);
        rec.setScaleOrientation(o[0], o[1], o[2], o[3]);
        return p;
    }
    if (k == kw::rotation) {
        float r[4] = {0, 0, 1, 0};
        const char* p = readFixedFloats(after, end, r, 4, found);
        if (vrml1)
            composeRotation(rec, r);
        else
            rec.setRotation(r[0], r[1], r[2], r[3]);
        return p;
    }
    if (k == kw::center) {
        float c[3] = {0, 0, 0};
        const char* p = readFixedFloats(after, end, c, 3, found);
        scaled3(c);  // else rotated parts shift under import scaling
        rec.setCenter(c[0], c[1], c[2]);
        return p;
    }
    if (k == kw::matrix) return readMatrixValues(node, after, end);
    return nullptr;
}

const char* readVrml1TransformBody(TransformNode& node, const char* text, const char* end) {
    const KeyWordMatcher& m = transformMatcher();
    long braces = 0, brackets = 0;
    const char* pos = text;
    for (int n = 0; n < kBodyKeywordLimit; ++n) {
        KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return hit.after;
        pos = hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (braces <= 0 && hit.keyword == kw::CloseBrace) return pos;
            continue;
        }
        if (hit.keyword != kw::Transform && hit.keyword != kw::transform) {
            if (const char* p = readTransformField(node, hit.keyword, pos, end)) {
                pos = p;
                continue;
            }
        }
        sceneReport(std::string("Parser Problem in readVrml1TransformFromString: ") + hit.keyword, 1, true);
    }
    return pos;
}

namespace {
// The loop of the VRML 1 one-field nodes: the field is read by take, any other keyword ends the body.
template <class Take>
const char* readOneFieldNode(const char* text, const char* end, Keyword field, const char* logFormat, Take take) {
    const KeyWordMatcher& m = textureMatcher();
    long braces = 0, brackets = 0;
    const char* pos = text;
    for (int n = 0; n < kBodyKeywordLimit; ++n) {
        KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return hit.after;
        pos = hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (braces <= 0 && hit.keyword == kw::CloseBrace) return pos;
            continue;
        }
        if (hit.keyword == field) {
            pos = take(pos);
            continue;
        }
        sceneLog(formatC(logFormat, hit.keyword));
        return hit.begin;
    }
    return pos;
}
}  // namespace

const char* readVrml1Translation(TransformNode& node, const char* text, const char* end) {
    return readOneFieldNode(text, end, kw::translation,
                            "Unexpected keyword in TransformNode.readVrml1TranslationFromString %s\n",
                            [&](const char* p) {
                                float t[3] = {0, 0, 0};
                                int found;
                                p = readFixedFloats(p, end, t, 3, found);
                                scaled3(t);
                                composeTranslation(node.initialTransform, t);
                                return p;
                            });
}

const char* readVrml1Rotation(TransformNode& node, const char* text, const char* end) {
    return readOneFieldNode(text, end, kw::rotation,
                            "Unexpected keyword in TransformNode.readVrml1RotationFromString %s\n", [&](const char* p) {
                                float r[4] = {0, 0, 1, 0};
                                int found;
                                p = readFixedFloats(p, end, r, 4, found);
                                composeRotation(node.initialTransform, r);
                                return p;
                            });
}

const char* readVrml1Scaling(TransformNode& node, const char* text, const char* end) {
    return readOneFieldNode(text, end, kw::scaleFactor,
                            "Unexpected keyword in TransformNode.readVrml1ScalingFromString %s\n", [&](const char* p) {
                                float s[3] = {1, 1, 1};
                                int found;
                                p = readFixedFloats(p, end, s, 3, found);
                                TransformData& rec = node.initialTransform;
                                const float* cur = rec.scale();
                                rec.setScale(cur[0] * s[0], cur[1] * s[1], cur[2] * s[2]);
                                return p;
                            });
}

void applyMatrix(TransformNode& node, const float m[16]) {
    // Row vectors: p' = p * A + t, so the column-vector map is A transposed.
    double l[9];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) l[i * 3 + j] = m[j * 4 + i];
    // Columns of l are the scaled axes: the scale is their length, a negative determinant flips x.
    double s[3];
    double cols[3][3];
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) cols[j][i] = l[i * 3 + j];
        s[j] = std::sqrt(cols[j][0] * cols[j][0] + cols[j][1] * cols[j][1] + cols[j][2] * cols[j][2]);
    }
    double det =
        l[0] * (l[4] * l[8] - l[5] * l[7]) - l[1] * (l[3] * l[8] - l[5] * l[6]) + l[2] * (l[3] * l[7] - l[4] * l[6]);
    if (det < 0) {
        s[0] = -s[0];
        for (double& v : cols[0]) v = -v;
    }
    // The nearest rotation: Gram-Schmidt on the axes; a degenerate block gives no rotation.
    double r[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    auto norm = [](double* v) {
        double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (!(n > 1e-12) || !std::isfinite(n)) return false;
        for (int i = 0; i < 3; ++i) v[i] /= n;
        return true;
    };
    double a[3] = {cols[0][0], cols[0][1], cols[0][2]}, b[3] = {cols[1][0], cols[1][1], cols[1][2]};
    if (norm(a)) {
        double d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
        for (int i = 0; i < 3; ++i) b[i] -= d * a[i];
        if (norm(b)) {
            double c[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
            for (int i = 0; i < 3; ++i) r[i * 3] = a[i], r[i * 3 + 1] = b[i], r[i * 3 + 2] = c[i];
        }
    }
    float rot[4];
    tmath::toAxisAngle(tmath::fromMatrix(r), rot);
    float t[3] = {m[12], m[13], m[14]};
    scaled3(t);
    TransformData& rec = node.initialTransform;
    composeTranslation(rec, t);
    composeRotation(rec, rot);
    const float* cur = rec.scale();
    float sc[3];
    for (int i = 0; i < 3; ++i) sc[i] = std::isfinite(s[i]) ? float(s[i]) : 1.0f;
    rec.setScale(cur[0] * sc[0], cur[1] * sc[1], cur[2] * sc[2]);
}

const char* readMatrixValues(TransformNode& node, const char* text, const char* end) {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int found = 0;
    const char* p = readFixedFloats(text, end, m, 16, found, 1000);
    applyMatrix(node, m);
    return p;
}

const char* readMatrixTransform(TransformNode& node, const char* text, const char* end) {
    const KeyWordMatcher& m = transformMatcher();
    long braces = 0, brackets = 0;
    const char* pos = text;
    for (int n = 0; n < kBodyKeywordLimit; ++n) {
        KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return hit.after;
        pos = hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (braces <= 0 && hit.keyword == kw::CloseBrace) return pos;
            continue;
        }
        if (hit.keyword == kw::matrix) {
            pos = readMatrixValues(node, pos, end);
            continue;
        }
        sceneLog(formatC("Unexpected keyword in TransformNode.readMatrixTransformFromString %s\n", hit.keyword));
        return hit.begin;
    }
    return pos;
}

namespace {

// x -> t + c + L (x - c): a group's frame in its parent's.
tmath::Affine localAffine(TransformData& rec) {
    tmath::Affine a;
    const float* l = rec.localMatrix();
    for (int k = 0; k < 9; ++k) a.linear[k] = l[k];
    const double c[3] = {rec.center()[0], rec.center()[1], rec.center()[2]};
    for (int i = 0; i < 3; ++i)
        a.offset[i] = rec.translation()[i] + c[i] - (l[i * 3] * c[0] + l[i * 3 + 1] * c[1] + l[i * 3 + 2] * c[2]);
    return a;
}

struct ShapeMap {
    Node* shape;
    tmath::Affine map;
};

// Collects for every shape below g the map that moves the mirror into it; false when a frame on
// the way cannot be inverted.
bool collectShapeMaps(GroupNode& g, const tmath::Affine& toTop, const tmath::Affine& mirror,
                      std::vector<ShapeMap>& out) {
    tmath::Affine inverse;
    if (!tmath::invert(toTop, inverse)) return false;
    const tmath::Affine map = tmath::compose(inverse, tmath::compose(mirror, toTop));
    for (std::size_t i = 0; i < g.childCount(); ++i) {
        Node* c = g.child(i);
        if (GroupNode* sub = c->asGroupNode()) {
            if (!collectShapeMaps(*sub, tmath::compose(toTop, localAffine(sub->initialTransform)), mirror, out))
                return false;
        } else if (c->asShapeNode()) {
            out.push_back(ShapeMap{c, map});
        }
    }
    return true;
}

}  // namespace

void fixNegativeScale(GroupNode& group) {
    TransformData& rec = group.initialTransform;
    const float* s = rec.scale();
    if (!(double(s[0]) * s[1] * s[2] < 0.0)) return;
    const ShapeTransformer& transformer = shapeTransformer();
    if (!transformer) return;  // without it the mirror stays in the transform, which draws the same
    // In the group's frame the mirror is x -> c + S (x - c); without it the parent sees the same points.
    tmath::Affine mirror;
    const float* c = rec.center();
    for (int i = 0; i < 3; ++i) {
        mirror.linear[i * 4] = s[i];
        mirror.offset[i] = c[i] - s[i] * c[i];
    }
    std::vector<ShapeMap> maps;
    if (!collectShapeMaps(group, tmath::Affine{}, mirror, maps)) return;
    for (ShapeMap& m : maps) transformer(*m.shape, m.map);
    rec.setScale(1.0f);
    group.currentTransform.setScale(1.0f);
}

}  // namespace kinemo
