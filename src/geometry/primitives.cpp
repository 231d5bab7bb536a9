// Boxes, cylinders and cones as face sets, spheres, the auxiliary shapes, and the dispatch of the
// geometry keywords.
#define GL_GLEXT_PROTOTYPES 1
#include "geometry/primitives.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "core/numbers.h"
#include "geometry/face_object.h"
#include "geometry/face_object_reading.h"
#include "geometry/shape_node.h"
#include "scene/def_registry.h"
#include "scene/matchers.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/tokenizer.h"

namespace kinemo {
namespace {

constexpr int kPrimitiveKeywordBudget = 1000;
constexpr double kPi = std::numbers::pi;

std::unique_ptr<MatrixF> matrixOf(const std::vector<float>& values, std::int32_t columns, std::int32_t kind) {
    auto m = std::make_unique<MatrixF>(std::int32_t(values.size() / std::size_t(columns)), columns);
    if (!values.empty()) std::memcpy(m->data(), values.data(), values.size() * sizeof(float));
    m->setKind(kind);
    return m;
}

std::unique_ptr<VectorL> listOf(const std::vector<std::int32_t>& values, std::int32_t kind) {
    auto v = std::make_unique<VectorL>(std::int32_t(values.size()));
    if (!values.empty()) std::memcpy(v->data(), values.data(), values.size() * sizeof(std::int32_t));
    v->setKind(kind);
    return v;
}

// One finite float after p (a value that is no finite number leaves fallback).
float readValue(const char*& p, const char* end, float fallback) {
    float v[1];
    const char* q = p;
    while (q < end && (*q == ' ' || *q == '\t' || *q == '\r' || *q == '\n')) ++q;
    const char* start = q;
    while (q < end && *q && *q != ' ' && *q != '\t' && *q != '\r' && *q != '\n' && *q != ',' && *q != '}' && *q != ']')
        ++q;
    if (!parseFloatToken(std::string_view(start, std::size_t(q - start)), v[0])) return fallback;
    p = q;
    return v[0];
}

bool readTruth(const char*& p, const char* end) {
    std::string_view w = reading::readWord(p, end);
    return !w.empty() && (w[0] == 'T' || w[0] == 't' || w[0] == 'Y' || w[0] == 'y');
}

// The body loop of the primitives.
template <class Field>
const char* readBody(const char* text, const char* end, const KeyWordMatcher& m, Field field) {
    return reading::readBody(text, end, m, kPrimitiveKeywordBudget, field);
}

// VRML 1 "parts": the first part word clears all, every part word turns its own on.
struct Parts {
    bool side = true, top = true, bottom = true;
    bool cleared = false;
    bool take(Keyword k) {
        if (k != kw::SIDES && k != kw::TOP && k != kw::BOTTOM && k != kw::ALL) return false;
        if (!cleared) side = top = bottom = false, cleared = true;
        if (k == kw::SIDES || k == kw::ALL) side = true;
        if (k == kw::TOP || k == kw::ALL) top = true;
        if (k == kw::BOTTOM || k == kw::ALL) bottom = true;
        return true;
    }
};

void setFaceLists(FaceObject& face, std::vector<float> points, std::vector<float> normals,
                  std::vector<std::int32_t> coord, std::vector<std::int32_t> normalIndex) {
    if (!coord.empty() && coord.back() == -1) coord.pop_back(), normalIndex.pop_back();
    face.points = matrixOf(points, 3, MatrixF::KindCoordinates);
    face.normals = matrixOf(normals, 3, MatrixF::KindNormals);
    face.coordIndex = coord.empty() ? nullptr : listOf(coord, VectorL::KindCoordinateIndex);
    face.normalIndex = normalIndex.empty() ? nullptr : listOf(normalIndex, VectorL::KindNormalIndex);
    face.settings.normalBinding = Binding::PerVertexIndexed;
    face.settings.creaseAngle = -1.0f;
    face.computeBounds();
}

}  // namespace

void buildBox(FaceObject& face, float sx, float sy, float sz) {
    const float h[3] = {sx / 2, sy / 2, sz / 2};
    std::vector<float> p;
    for (int i = 0; i < 8; ++i) {
        p.push_back(i & 1 ? h[0] : -h[0]);
        p.push_back(i & 2 ? h[1] : -h[1]);
        p.push_back(i & 4 ? h[2] : -h[2]);
    }
    const std::vector<float> n{1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1};
    const int quads[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
    std::vector<std::int32_t> c, ni;
    for (int f = 0; f < 6; ++f) {
        for (int j = 0; j < 4; ++j) c.push_back(quads[f][j]), ni.push_back(f);
        c.push_back(-1), ni.push_back(-1);
    }
    setFaceLists(face, p, n, c, ni);
}

void buildCylinder(FaceObject& face, float height, float r, bool side, bool top, bool bottom) {
    std::vector<float> p(32 * 3), n;
    for (int i = 0; i < 16; ++i) {
        const double a = 2 * kPi * i / 16;
        const float x = float(r * std::cos(a)), z = float(r * std::sin(a));
        p[3 * i] = x, p[3 * i + 1] = -height / 2, p[3 * i + 2] = z;
        p[3 * (i + 16)] = x, p[3 * (i + 16) + 1] = height / 2, p[3 * (i + 16) + 2] = z;
    }
    n = {0, -1, 0, 0, 1, 0};
    for (int i = 0; i < 16; ++i) {
        const double a = 2 * kPi * i / 16;
        n.insert(n.end(), {float(std::cos(a)), 0.0f, float(std::sin(a))});
    }
    std::vector<std::int32_t> c, ni;
    if (bottom) {
        for (int i = 0; i < 16; ++i) c.push_back(i), ni.push_back(0);
        c.push_back(-1), ni.push_back(-1);
    }
    if (top) {
        for (int i = 31; i >= 16; --i) c.push_back(i), ni.push_back(1);
        c.push_back(-1), ni.push_back(-1);
    }
    if (side) {
        for (int i = 1; i <= 16; ++i) {
            const int q[4] = {i % 16, i - 1, i + 15, i % 16 + 16};
            for (int v : q) c.push_back(v), ni.push_back(2 + v % 16);
            c.push_back(-1), ni.push_back(-1);
        }
    }
    setFaceLists(face, p, n, c, ni);
}

void buildCone(FaceObject& face, float r, float height, bool side, bool bottom) {
    const double L = std::sqrt(double(r) * r + double(height) * height);
    const double l = L > 0 ? L : 1.0;
    // Centred as VRML centres its cone: the base at -height/2, the apex at +height/2.
    std::vector<float> p{0.0f, height / 2, 0.0f};
    for (int i = 1; i <= 16; ++i) {
        const double a = 2 * kPi * i / 16;
        p.insert(p.end(), {float(r * std::cos(a)), -height / 2, float(r * std::sin(a))});
    }
    std::vector<float> n{0, -1, 0};
    for (int i = 1; i <= 16; ++i) {
        const double a = 2 * kPi * i / 16;
        n.insert(n.end(), {float(height * std::cos(a) / l), float(r / l), float(height * std::sin(a) / l)});
    }
    for (int i = 1; i <= 16; ++i) {
        const double a = 2 * kPi * i / 16 + kPi / 16;
        n.insert(n.end(), {float(height * std::cos(a) / l), float(r / l), float(height * std::sin(a) / l)});
    }
    std::vector<std::int32_t> c, ni;
    if (bottom) {
        for (int i = 1; i <= 16; ++i) c.push_back(i), ni.push_back(0);
        c.push_back(-1), ni.push_back(-1);
    }
    if (side) {
        for (int i = 1; i <= 16; ++i) {
            const int a = i % 16 + 1;
            c.insert(c.end(), {a, i, 0, -1});
            ni.insert(ni.end(), {a, i, 16 + i, -1});
        }
    }
    setFaceLists(face, p, n, c, ni);
}

const char* readBox(FaceObject& face, const char* text, const char* end) {
    end = reading::textEndFor(text, end);
    float size[3] = {2, 2, 2};
    const char* p = readBody(text, end, transformMatcher(), [&](Keyword k, const char*& pos) {
        if (k == kw::size) {
            for (float& s : size) s = readValue(pos, end, s);
        } else if (k == kw::width) {
            size[0] = readValue(pos, end, size[0]);
        } else if (k == kw::height) {
            size[1] = readValue(pos, end, size[1]);
        } else if (k == kw::depth) {
            size[2] = readValue(pos, end, size[2]);
        } else {
            return false;
        }
        return true;
    });
    buildBox(face, size[0], size[1], size[2]);
    return p;
}

const char* readCylinder(FaceObject& face, const char* text, const char* end) {
    end = reading::textEndFor(text, end);
    float height = 2, radius = 1;
    Parts parts;
    const char* p = readBody(text, end, transformMatcher(), [&](Keyword k, const char*& pos) {
        if (k == kw::height)
            height = readValue(pos, end, height);
        else if (k == kw::radius)
            radius = readValue(pos, end, radius);
        else if (k == kw::side)
            parts.side = readTruth(pos, end);
        else if (k == kw::top)
            parts.top = readTruth(pos, end);
        else if (k == kw::bottom)
            parts.bottom = readTruth(pos, end);
        else if (k == kw::parts)
            parts.cleared = false;
        else if (!parts.take(k))
            return false;
        return true;
    });
    buildCylinder(face, height, radius, parts.side, parts.top, parts.bottom);
    return p;
}

const char* readCone(FaceObject& face, const char* text, const char* end) {
    end = reading::textEndFor(text, end);
    float height = 2, radius = 1;
    Parts parts;
    const char* p = readBody(text, end, transformMatcher(), [&](Keyword k, const char*& pos) {
        if (k == kw::height)
            height = readValue(pos, end, height);
        else if (k == kw::bottomRadius)
            radius = readValue(pos, end, radius);
        else if (k == kw::side)
            parts.side = readTruth(pos, end);
        else if (k == kw::bottom)
            parts.bottom = readTruth(pos, end);
        else if (k == kw::parts)
            parts.cleared = false;
        else if (!parts.take(k))
            return false;
        return true;
    });
    buildCone(face, radius, height, parts.side, parts.bottom);
    return p;
}

const char* readGeometryNode(Keyword k, const char* text, const char* end, ShapeNode* node,
                             std::unique_ptr<ShapeBasics>& out) {
    end = reading::textEndFor(text, end);
    if (k == kw::Sphere) {
        out = std::make_unique<Sphere>();
    } else if (k == kw::Extrusion) {
        out = std::make_unique<Extrusion>();
    } else if (k == kw::ElevationGrid) {
        out = std::make_unique<ElevationGrid>();
    } else {
        auto face = std::make_unique<FaceObject>();
        if (node) {
            copyShapeSettings(face->settings, node->settings);
            face->settings.colorPerVertex = node->settings.colorPerVertex;
        }
        FaceObject* f = face.get();
        out = std::move(face);
        defRegistry().registerDef(f);
        if (k == kw::Box || k == kw::Cube) return readBox(*f, text, end);
        if (k == kw::Cylinder) return readCylinder(*f, text, end);
        if (k == kw::Cone) return readCone(*f, text, end);
        if (k == kw::IndexedLineSet)
            return readingState().isVrml1() ? f->readIndexedLineSet(text, end) : f->readLineSet(text, end);
        if (k == kw::IndexedTriangleStripSet) return f->readIndexedTriangleStripSet(text, end, node);
        return f->readFromString(text, end, node);
    }
    defRegistry().registerDef(out.get());
    return out->readFromString(text, end, node);
}

// ---- Sphere

Sphere::Sphere() { setRadius(1.0f); }

void Sphere::setRadius(float r) {
    radius_ = std::isfinite(r) ? std::fabs(r) : 1.0f;
    for (int i = 0; i < 3; ++i) {
        boundsMin[i] = -radius_;
        boundsMax[i] = radius_;
        centre[i] = 0.0f;
    }
}

const char* Sphere::readFromString(const char* text, const char* end, ShapeNode*) {
    end = reading::textEndFor(text, end);
    float r = 1.0f;
    const char* p = readBody(text, end, transformMatcher(), [&](Keyword k, const char*& pos) {
        if (k != kw::radius) return false;
        r = readValue(pos, end, r);
        return true;
    });
    setRadius(float(readingState().scaled(r)));
    return p;
}

void Sphere::writeText(std::string& out) const {
    out += " Sphere {";
    if (radius_ != 1.0f) {
        out += "\n    radius ";
        appendFixed(out, radius_, 6);
        out += ' ';
    }
    out += "\n  }";
}

std::unique_ptr<ShapeBasics> Sphere::makeReference() {
    auto s = std::make_unique<Sphere>();
    s->setRadius(radius_);
    s->settings = settings;
    return s;
}

float Sphere::intersectRay(float hit[3], const float o[3], const float d[3]) const {
    const double dl = std::sqrt(double(d[0]) * d[0] + double(d[1]) * d[1] + double(d[2]) * d[2]);
    if (!(dl > 0)) return 1.0e30f;
    const double u[3] = {d[0] / dl, d[1] / dl, d[2] / dl};
    const double b = o[0] * u[0] + o[1] * u[1] + o[2] * u[2];
    const double c = double(o[0]) * o[0] + double(o[1]) * o[1] + double(o[2]) * o[2] - double(radius_) * radius_;
    const double disc = b * b - c;
    if (disc < 0) return 1.0e30f;
    const double s = std::sqrt(disc);
    double t = -b - s;
    if (t < 0) t = -b + s;
    if (t < 0) return 1.0e30f;
    for (int i = 0; i < 3; ++i) hit[i] = float(o[i] + u[i] * t);
    return float(t);
}

SpherePlacement spherePlacement(const float m[16], float radius) {
    SpherePlacement p;
    for (int i = 0; i < 3; ++i) p.centre[i] = m[12 + i];
    // The camera only turns: the lengths of the columns are the transform's scale factors, and
    // their geometric mean the one scale.
    double product = 1.0;
    for (int c = 0; c < 3; ++c)
        product *= std::sqrt(double(m[4 * c]) * m[4 * c] + double(m[4 * c + 1]) * m[4 * c + 1] +
                             double(m[4 * c + 2]) * m[4 * c + 2]);
    const double s = std::cbrt(product);
    p.scale = float(std::isfinite(s) ? s * radius : radius);
    return p;
}

void Sphere::render(ShapeNode&, const ShapeDrawContext&) {
    finishFaceDrawing();
    // A unit sphere of 24 slices and 12 stacks, built once: a fan around each pole and bands of
    // quads between, one normal per vertex (the point itself).
    static const std::vector<float> unit = [] {
        std::vector<float> v;
        const int slices = 24, stacks = 12;
        auto at = [&](int i, int j) {
            const double theta = kPi * i / stacks, phi = 2 * kPi * j / slices;
            v.insert(v.end(), {float(std::sin(theta) * std::cos(phi)), float(std::cos(theta)),
                               float(-std::sin(theta) * std::sin(phi))});
        };
        for (int i = 0; i < stacks; ++i)
            for (int j = 0; j < slices; ++j) {
                at(i, j), at(i + 1, j), at(i + 1, j + 1);
                at(i, j), at(i + 1, j + 1), at(i, j + 1);
            }
        return v;
    }();
    // Placed by its centre in camera coordinates with one scale: a sphere stays round under a
    // transform that scales its axes differently.
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const SpherePlacement place = spherePlacement(m, radius_);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(place.centre[0], place.centre[1], place.centre[2]);
    glScalef(place.scale, place.scale, place.scale);
    if (place.scale != 1.0f) glEnable(GL_NORMALIZE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, unit.data());
    glNormalPointer(GL_FLOAT, 0, unit.data());
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(unit.size() / 3));
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (place.scale != 1.0f) glDisable(GL_NORMALIZE);
    glPopMatrix();
}

// ---- Coordinate cross

std::vector<std::vector<float>> CoordinateCross::strips() const {
    const float s = size_;
    std::vector<std::vector<float>> out;
    for (int axis = 0; axis < 3; ++axis) {
        auto point = [&](float along, float side, float up) {
            float p[3] = {0, 0, 0};
            p[axis] = along;
            p[(axis + 1) % 3] = side;
            p[(axis + 2) % 3] = up;
            return std::vector<float>{p[0], p[1], p[2]};
        };
        std::vector<float> strip;
        for (auto q : {point(0, 0, 0), point(1.5f * s, 0, 0), point(1.2f * s, 0.3f * s, 0)})
            strip.insert(strip.end(), q.begin(), q.end());
        out.push_back(strip);
        strip.clear();
        for (auto q : {point(1.5f * s, 0, 0), point(1.2f * s, -0.3f * s, 0)})
            strip.insert(strip.end(), q.begin(), q.end());
        out.push_back(strip);
    }
    auto letter = [&](int axis, std::initializer_list<std::pair<float, float>> pts) {
        std::vector<float> strip;
        for (auto [a, b] : pts) {
            float p[3] = {0, 0, 0};
            p[axis] = 1.1f * s + a * 0.7f * s;
            p[(axis + 1) % 3] = 0.2f * s + b * 0.3f * s;
            strip.insert(strip.end(), p, p + 3);
        }
        out.push_back(strip);
    };
    letter(0, {{0, 0}, {0.5f, 1}});
    letter(0, {{0, 1}, {0.5f, 0}});
    letter(1, {{0, 0.5f}, {0.5f, 0.5f}, {1, 0}});
    letter(1, {{0.5f, 0.5f}, {1, 1}});
    letter(2, {{1, 0}, {1, 1}, {0, 0}, {0, 1}});
    return out;
}

void CoordinateCross::getBounds(float mn[3], float mx[3], float c[3]) const {
    for (int i = 0; i < 3; ++i) mn[i] = -0.3f * size_, mx[i] = 1.8f * size_, c[i] = 0;
}

void CoordinateCross::render(ShapeNode& node, const ShapeDrawContext& context) {
    finishFaceDrawing();
    if (context.recordingImages) return;
    glDisable(GL_LIGHTING);
    const Colour& c = node.appearance().material().diffuse();
    glColor3f(c[0], c[1], c[2]);
    glEnableClientState(GL_VERTEX_ARRAY);
    for (const std::vector<float>& s : strips()) {
        glVertexPointer(3, GL_FLOAT, 0, s.data());
        glDrawArrays(GL_LINE_STRIP, 0, GLsizei(s.size() / 3));
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glEnable(GL_LIGHTING);
}

// ---- 3D path

void Path3D::addPoint(float x, float y, float z) {
    points_.insert(points_.end(), {x, y, z});
    const float p[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        boundsMin[i] = std::min(boundsMin[i], p[i]);
        boundsMax[i] = std::max(boundsMax[i], p[i]);
    }
}

std::unique_ptr<ShapeBasics> Path3D::makeReference() {
    auto p = std::make_unique<Path3D>();
    for (std::size_t i = 0; i + 2 < points_.size(); i += 3) p->addPoint(points_[i], points_[i + 1], points_[i + 2]);
    return p;
}

void Path3D::render(ShapeNode& node, const ShapeDrawContext&) {
    finishFaceDrawing();
    if (points_.size() < 6) return;
    glDisable(GL_LIGHTING);
    const Colour& c = node.appearance().material().diffuse();
    glColor3f(c[0], c[1], c[2]);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, points_.data());
    glDrawArrays(GL_LINE_STRIP, 0, GLsizei(points_.size() / 3));
    glDisableClientState(GL_VERTEX_ARRAY);
    glEnable(GL_LIGHTING);
}

// ---- Arrow

namespace {
const char kArrowText[] =
    " { coord Coordinate { point [ -0.1 0 -0.1, -0.1 0 0.1, 0.1 0 0.1, 0.1 0 -0.1, 0 3 0, 0 -1.5 0 ] }"
    " normal Normal { vector [ -0.7 0 -0.7, -0.7 0 0.7, 0.7 0 0.7, 0.7 0 -0.7, 0 1 0, 0 -1 0 ] }"
    " coordIndex [ 0 1 4 -1 1 2 4 -1 2 3 4 -1 3 0 4 -1 1 0 5 -1 2 1 5 -1 3 2 5 -1 0 3 5 -1 ]"
    " normalIndex [ 0 1 4 -1 1 2 4 -1 2 3 4 -1 3 0 4 -1 1 0 5 -1 2 1 5 -1 3 2 5 -1 0 3 5 -1 ] }";
}

ArrowObject::ArrowObject() : GroupNode(false) {
    setName("Arrow");
    auto shape = std::make_unique<ShapeNode>(false);
    auto face = std::make_unique<FaceObject>();
    face->settings = defaultShapeSettings(false);
    // The fixed text is VRML 2 whatever file is being read.
    ReadingState& rs = readingState();
    const SourceType source = rs.source;
    const bool own = rs.ownFormat;
    rs.source = SourceType::Vrml2;
    rs.ownFormat = false;
    face->readFromString(kArrowText, kArrowText + sizeof(kArrowText) - 1, shape.get());
    FaceObject* raw = face.get();
    shape->setGeometry(std::move(face));
    raw->finishReading(shape.get(), nullptr);
    rs.source = source;
    rs.ownFormat = own;
    addChild(std::move(shape));
}

void ArrowObject::updateScale(float cameraDistance) {
    const float s = std::isfinite(cameraDistance) && cameraDistance > 0 ? cameraDistance / 30.0f : 1.0f;
    currentTransform.setScale(s);
}

ShapeNode* ArrowObject::arrowShape() const { return childCount() ? child(0)->asShapeNode() : nullptr; }

}  // namespace kinemo
