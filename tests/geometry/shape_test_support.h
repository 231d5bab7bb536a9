#pragma once
// Reading scene text into a test scene with the shape readers registered, and looking at the
// face sets that came out of it.
#include <array>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/face_object.h"
#include "geometry/face_ref.h"
#include "geometry/shape_node.h"
#include "scene/group_node.h"
#include "scene/node_readers.h"
#include "scene/reading_state.h"
#include "scene/testing/tree_builder.h"

namespace kinemo::shapetest {

inline std::string fixture(const char* name) {
    std::ifstream in(std::string(KINEMO_TEST_DATA) + "/geometry/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string replaced(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// A scene read from text: VRML 2 unless told, of our own version unless told (-1: a file from
// elsewhere, which gets cleaned).
struct ReadScene {
    explicit ReadScene(const std::string& text, SourceType source = SourceType::Vrml2, float version = 8.09f)
        : scene(version) {
        registerShapeReaders();
        readingState().source = source;
        testing::readInto(*scene.root, text);
    }
    testing::TestScene scene;

    std::vector<ShapeNode*> shapes() const {
        std::vector<ShapeNode*> out;
        collect(*scene.root, out);
        return out;
    }
    ShapeNode* shape(std::size_t i = 0) const {
        auto s = shapes();
        return i < s.size() ? s[i] : nullptr;
    }
    const FaceObject* face(std::size_t i = 0) const {
        ShapeNode* s = shape(i);
        if (!s || !s->geometry()) return nullptr;
        if (auto* ref = dynamic_cast<const FaceRef*>(s->geometry())) return &ref->target();
        return s->geometry()->asFaceObject();
    }

private:
    static void collect(GroupNode& g, std::vector<ShapeNode*>& out) {
        for (std::size_t i = 0; i < g.childCount(); ++i) {
            Node* c = g.child(i);
            if (ShapeNode* s = c->asShapeNode()) out.push_back(s);
            if (GroupNode* sub = c->asGroupNode()) collect(*sub, out);
        }
    }
};

using Vec = std::array<float, 3>;

inline Vec pointOf(const FaceObject& f, std::int32_t i) {
    return {f.points->at(i, 0), f.points->at(i, 1), f.points->at(i, 2)};
}

// Every triangle as its three corner coordinates, in order.
inline std::vector<std::array<Vec, 3>> triangles(const FaceObject& f) {
    std::vector<std::array<Vec, 3>> out;
    if (!f.coordIndex) return out;
    for (std::int32_t i = 0; i + 2 < f.coordIndex->count(); i += 4)
        out.push_back(
            {pointOf(f, (*f.coordIndex)[i]), pointOf(f, (*f.coordIndex)[i + 1]), pointOf(f, (*f.coordIndex)[i + 2])});
    return out;
}

// The normal at corner position i of the triangulated coordIndex.
inline Vec cornerNormal(const FaceObject& f, std::int32_t i) {
    const std::int32_t k = (*f.normalIndex)[i];
    return {f.normals->at(k, 0), f.normals->at(k, 1), f.normals->at(k, 2)};
}

inline Vec faceNormal(const std::array<Vec, 3>& t) {
    const Vec u{t[1][0] - t[0][0], t[1][1] - t[0][1], t[1][2] - t[0][2]};
    const Vec v{t[2][0] - t[1][0], t[2][1] - t[1][1], t[2][2] - t[1][2]};
    Vec n{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const float l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (l > 0)
        for (float& x : n) x /= l;
    return n;
}

inline float dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

inline std::set<std::array<float, 6>> cornerPairs(const FaceObject& f) {
    std::set<std::array<float, 6>> out;
    for (std::int32_t i = 0; i < f.coordIndex->count(); ++i) {
        if ((*f.coordIndex)[i] < 0) continue;
        const Vec p = pointOf(f, (*f.coordIndex)[i]), n = cornerNormal(f, i);
        out.insert({p[0], p[1], p[2], n[0], n[1], n[2]});
    }
    return out;
}

inline bool allFinite(const MatrixF* m) {
    if (!m) return true;
    for (std::int32_t i = 0; i < m->elementCount(); ++i)
        if (!std::isfinite(m->data()[i])) return false;
    return true;
}

}  // namespace kinemo::shapetest
