// Extrusions: the cross-section placed at every spine point in the spine's own frame, joined by
// quads, with caps. The frames follow VRML: Y along the spine, Z the normal of the spine's bend,
// collinear stretches taking the last frame, coincident points the nearest distinct neighbours.
#include <cmath>
#include <cstring>

#include "core/numbers.h"
#include "geometry/face_object_reading.h"
#include "geometry/primitives.h"
#include "geometry/shape_node.h"
#include "scene/matchers.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/tokenizer.h"

namespace kinemo {
namespace {

struct V3 {
    double x = 0, y = 0, z = 0;
};
V3 sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 crossV(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dotV(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double lenV(V3 a) { return std::sqrt(dotV(a, a)); }
V3 unitV(V3 a) {
    const double l = lenV(a);
    return l > 1e-12 ? V3{a.x / l, a.y / l, a.z / l} : V3{};
}
bool same(V3 a, V3 b) { return lenV(sub(a, b)) <= 1e-9; }

// Rotation about unit axis by angle, applied to v.
V3 rotate(V3 v, V3 axis, double angle) {
    axis = unitV(axis);
    if (lenV(axis) == 0) return v;
    const double c = std::cos(angle), s = std::sin(angle);
    const V3 k = crossV(axis, v);
    const double d = dotV(axis, v);
    return {v.x * c + k.x * s + axis.x * d * (1 - c), v.y * c + k.y * s + axis.y * d * (1 - c),
            v.z * c + k.z * s + axis.z * d * (1 - c)};
}

void writeFloats(std::string& out, const std::vector<float>& v, std::size_t perLine) {
    out += "[";
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) out += (i % perLine == 0) ? ", " : " ";
        appendFixed(out, v[i], 4);
    }
    out += "]";
}

}  // namespace

Extrusion::Extrusion() = default;

const char* Extrusion::readFromString(const char* text, const char* end, ShapeNode* node) {
    end = reading::textEndFor(text, end);
    const char* pos = reading::readBody(text, end, extrusionMatcher(), 1000, [&](Keyword k, const char*& p) {
        auto list = [&](std::vector<float>& v) {
            v.clear();
            p = readFloatList(v, p, end);
        };
        auto truth = [&](bool& b) {
            std::string_view w = reading::readWord(p, end);
            if (!w.empty()) b = w[0] == 'T' || w[0] == 't';
        };
        if (k == kw::crossSection)
            list(crossSection);
        else if (k == kw::spine)
            list(spine);
        else if (k == kw::orientation)
            list(orientation);
        else if (k == kw::scale)
            list(scale);
        else if (k == kw::beginCap)
            truth(beginCap);
        else if (k == kw::endCap)
            truth(endCap);
        else if (k == kw::solid)
            truth(settings.solid);
        else if (k == kw::ccw)
            truth(settings.ccw);
        else if (k == kw::creaseAngle) {
            settings.creaseAngle = float(readFloat(p));
            creaseSet = true;
            reading::readWord(p, end);
        } else {
            return false;
        }
        return true;
    });
    if (!creaseSet) settings.creaseAngle = 0.0f;
    if (readingState().importScaling)
        for (float& v : spine) v = float(readingState().scaled(v));
    build();
    return pos;
}

bool Extrusion::build() {
    mesh_.reset();
    const std::size_t cs = crossSection.size() / 2, sp = spine.size() / 3;
    if (cs < 2) {
        sceneReport("Not enough crossection points for extrusion", 0, true);
        return false;
    }
    if (sp < 2) {
        sceneReport("Not enough spine points for extrusion", 0, true);
        return false;
    }
    if (cs * sp > 4000000) {  // both counts come from the file
        sceneReport("Parser Problem in Extrusion: too many points", 0, true);
        return false;
    }
    std::vector<V3> s(sp);
    for (std::size_t i = 0; i < sp; ++i) s[i] = {spine[3 * i], spine[3 * i + 1], spine[3 * i + 2]};
    const bool closed = same(s.front(), s.back());

    // Y axes: along the spine, from the nearest distinct neighbours.
    std::vector<V3> Y(sp), Z(sp);
    auto distinctAfter = [&](std::size_t i) -> long {
        for (std::size_t j = i + 1; j < sp; ++j)
            if (!same(s[j], s[i])) return long(j);
        return -1;
    };
    auto distinctBefore = [&](std::size_t i) -> long {
        for (std::size_t j = i; j-- > 0;)
            if (!same(s[j], s[i])) return long(j);
        return -1;
    };
    for (std::size_t i = 0; i < sp; ++i) {
        long a = distinctBefore(i), b = distinctAfter(i);
        if (closed && (i == 0 || i == sp - 1)) {
            // A closed spine joins its ends: the neighbours wrap around.
            a = distinctBefore(sp - 1);
            b = distinctAfter(0);
            Y[i] = unitV(sub(b >= 0 ? s[std::size_t(b)] : s[i], a >= 0 ? s[std::size_t(a)] : s[i]));
        } else if (a < 0 && b >= 0) {
            Y[i] = unitV(sub(s[std::size_t(b)], s[i]));
        } else if (b < 0 && a >= 0) {
            Y[i] = unitV(sub(s[i], s[std::size_t(a)]));
        } else if (a >= 0 && b >= 0) {
            Y[i] = unitV(sub(s[std::size_t(b)], s[std::size_t(a)]));
        }
        if (lenV(Y[i]) == 0) Y[i] = {0, 1, 0};
        if (a >= 0 && b >= 0 && !(closed && (i == 0 || i == sp - 1) && false))
            Z[i] = unitV(crossV(sub(s[std::size_t(b)], s[i]), sub(s[std::size_t(a)], s[i])));
    }
    if (closed && sp > 2) {
        const long a = distinctBefore(sp - 1), b = distinctAfter(0);
        if (a >= 0 && b >= 0)
            Z[0] = Z[sp - 1] = unitV(crossV(sub(s[std::size_t(b)], s[0]), sub(s[std::size_t(a)], s[0])));
    }
    // Ends of an open spine take their neighbour's Z; collinear stretches the last Z found.
    if (!closed) {
        if (sp > 2) Z[0] = Z[1], Z[sp - 1] = Z[sp - 2];
    }
    long firstZ = -1;
    for (std::size_t i = 0; i < sp; ++i)
        if (lenV(Z[i]) > 0) {
            firstZ = long(i);
            break;
        }
    if (firstZ < 0) {
        // An entirely straight spine: the frame that turns (0, 1, 0) onto Y carries (0, 0, 1).
        const V3 y0{0, 1, 0};
        const V3 axis = crossV(y0, Y[0]);
        const double angle = std::acos(std::max(-1.0, std::min(1.0, dotV(y0, Y[0]))));
        V3 z = lenV(axis) > 1e-12 ? rotate({0, 0, 1}, axis, angle) : (dotV(y0, Y[0]) < 0 ? V3{0, 0, -1} : V3{0, 0, 1});
        for (auto& zi : Z) zi = z;
    } else {
        for (std::size_t i = 0; i < sp; ++i) {
            if (lenV(Z[i]) == 0) Z[i] = i == 0 ? Z[std::size_t(firstZ)] : Z[i - 1];
            if (i > 0 && dotV(Z[i], Z[i - 1]) < 0) Z[i] = {-Z[i].x, -Z[i].y, -Z[i].z};
        }
    }

    std::vector<float> points;
    points.reserve(cs * sp * 3);
    for (std::size_t i = 0; i < sp; ++i) {
        const V3 X = unitV(crossV(Y[i], Z[i]));
        const std::size_t si = scale.size() >= 2 * sp ? i : 0;
        const float sx = scale.size() >= 2 ? scale[2 * si] : 1.0f, sz = scale.size() >= 2 ? scale[2 * si + 1] : 1.0f;
        const std::size_t oi = orientation.size() >= 4 * sp ? i : 0;
        V3 axis{0, 0, 1};
        double angle = 0;
        if (orientation.size() >= 4)
            axis = {orientation[4 * oi], orientation[4 * oi + 1], orientation[4 * oi + 2]},
            angle = orientation[4 * oi + 3];
        for (std::size_t j = 0; j < cs; ++j) {
            V3 local{crossSection[2 * j] * sx, 0, crossSection[2 * j + 1] * sz};
            local = rotate(local, axis, angle);
            const V3 p{s[i].x + X.x * local.x + Y[i].x * local.y + Z[i].x * local.z,
                       s[i].y + X.y * local.x + Y[i].y * local.y + Z[i].y * local.z,
                       s[i].z + X.z * local.x + Y[i].z * local.y + Z[i].z * local.z};
            points.insert(points.end(), {float(p.x), float(p.y), float(p.z)});
        }
    }
    std::vector<std::int32_t> c;
    auto at = [&](std::size_t i, std::size_t j) { return std::int32_t(i * cs + j); };
    for (std::size_t i = 0; i + 1 < sp; ++i)
        for (std::size_t j = 0; j + 1 < cs; ++j)
            c.insert(c.end(), {at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j), -1});
    const bool closedSection =
        cs > 2 && crossSection[0] == crossSection[2 * cs - 2] && crossSection[1] == crossSection[2 * cs - 1];
    const std::size_t capPoints = closedSection ? cs - 1 : cs;
    if (beginCap && capPoints >= 3) {
        for (std::size_t j = capPoints; j-- > 0;) c.push_back(at(0, j));
        c.push_back(-1);
    }
    if (endCap && capPoints >= 3) {
        for (std::size_t j = 0; j < capPoints; ++j) c.push_back(at(sp - 1, j));
        c.push_back(-1);
    }
    if (!c.empty()) c.pop_back();
    auto face = std::make_unique<FaceObject>();
    copyShapeSettings(face->settings, settings);
    face->settings.creaseAngle = settings.creaseAngle < 0 ? 0.0f : settings.creaseAngle;
    face->points = std::make_unique<MatrixF>(std::int32_t(points.size() / 3), 3);
    std::memcpy(face->points->data(), points.data(), points.size() * sizeof(float));
    face->coordIndex = std::make_unique<VectorL>(std::int32_t(c.size()));
    std::memcpy(face->coordIndex->data(), c.data(), c.size() * sizeof(std::int32_t));
    face->setState(FaceObject::Cleaned);
    if (!face->finishReading(nullptr, nullptr)) return false;
    mesh_ = std::move(face);
    for (int i = 0; i < 3; ++i)
        boundsMin[i] = mesh_->boundsMin[i], boundsMax[i] = mesh_->boundsMax[i], centre[i] = mesh_->centre[i];
    return true;
}

void Extrusion::writeText(std::string& out) const {
    out += " Extrusion {";
    out += "\n    crossSection ";
    writeFloats(out, crossSection, 2);
    if (!orientation.empty()) {
        out += "\n    orientation ";
        writeFloats(out, orientation, 4);
    }
    if (!scale.empty()) {
        out += "\n    scale ";
        writeFloats(out, scale, 2);
    }
    out += "\n    spine ";
    writeFloats(out, spine, 3);
    if (!beginCap) out += "\n    beginCap FALSE ";
    if (!endCap) out += "\n    endCap FALSE ";
    if (!settings.solid) out += "\n    solid FALSE ";
    if (!settings.ccw) out += "\n    ccw FALSE ";
    if (creaseSet) {
        out += "\n    creaseAngle ";
        appendFixed(out, settings.creaseAngle, 6);
        out += ' ';
    }
    out += "\n  }";
}

void Extrusion::render(ShapeNode& node, const ShapeDrawContext& context) {
    if (mesh_) FaceObject::drawArrays(*mesh_, node, context);
}

float Extrusion::intersectRay(float hit[3], const float o[3], const float d[3]) const {
    return mesh_ ? mesh_->intersectRay(hit, o, d) : 1.0e30f;
}

std::unique_ptr<ShapeBasics> Extrusion::makeReference() {
    auto e = std::make_unique<Extrusion>();
    e->crossSection = crossSection, e->spine = spine, e->orientation = orientation, e->scale = scale;
    e->beginCap = beginCap, e->endCap = endCap, e->creaseSet = creaseSet;
    e->settings = settings;
    e->build();
    return e;
}

}  // namespace kinemo
