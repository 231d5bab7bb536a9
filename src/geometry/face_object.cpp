// Face sets: copies, counts, bounds and planes, changes of the points, content equality, ray hits
// and the cleaning and preparation passes that build the drawing arrays.
#include "geometry/face_object.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>

#include "core/definitions.h"
#include "core/numbers.h"
#include "geometry/appearance.h"
#include "geometry/face_ref.h"
#include "geometry/mesh_tables.h"
#include "geometry/shape_node.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"

namespace kinemo {

// What the drawing arrays are made from: the lists that fit coordIndex, or none.
struct FaceObject::DrawingSources {
    std::int32_t n = 0, triangles = 0, rows = 0;
    const std::int32_t* ci = nullptr;
    const std::int32_t* ni = nullptr;  // normal per corner; without it each triangle is drawn flat
    std::int32_t normalRows = 0;
    const MatrixF* tex = nullptr;
    const std::int32_t* ti = nullptr;
    std::int32_t texRows = 0;
    bool colourPerVertex = false;  // colours per face (one index per triangle) or per vertex
    const std::int32_t* col = nullptr;
    std::int32_t colourRows = 0;
};
namespace {

std::unique_ptr<MatrixF> cloneOf(const std::unique_ptr<MatrixF>& m) { return m ? m->clone() : nullptr; }
std::unique_ptr<VectorL> cloneOf(const std::unique_ptr<VectorL>& v) {
    if (!v) return nullptr;
    auto c = std::make_unique<VectorL>(*v);
    c->setKind(v->kind());
    return c;
}

template <class T>
bool sameList(const std::unique_ptr<T>& a, const std::unique_ptr<T>& b) {
    return T::compare(a.get(), b.get()) == 0;
}

void hashWords(std::uint64_t& h, const void* data, std::size_t words) {
    const auto* p = static_cast<const std::uint32_t*>(data);
    std::uint64_t a = h, b = h ^ 0x9e3779b97f4a7c15ULL;
    std::size_t i = 0;
    for (; i + 2 <= words; i += 2) {
        a = (a ^ p[i]) * 0x100000001b3ULL;
        b = (b ^ p[i + 1]) * 0x100000001b3ULL;
    }
    if (i < words) a = (a ^ p[i]) * 0x100000001b3ULL;
    h = mesh::mix(a ^ (b << 1) ^ words);
}

void cross(const float* a, const float* b, const float* c, const float* d, double out[3]) {
    // (a - b) x (c - d)
    const double u[3] = {double(a[0]) - b[0], double(a[1]) - b[1], double(a[2]) - b[2]};
    const double v[3] = {double(c[0]) - d[0], double(c[1]) - d[1], double(c[2]) - d[2]};
    out[0] = u[1] * v[2] - u[2] * v[1];
    out[1] = u[2] * v[0] - u[0] * v[2];
    out[2] = u[0] * v[1] - u[1] * v[0];
}

long& emptyFaceWarnings() {
    static long n = 0;
    return n;
}

}  // namespace

FaceObjectSettings& faceObjectSettings() {
    static FaceObjectSettings s = [] {
        FaceObjectSettings v;
        v.colorSplitting = getDefinitionBool("IsColorSplittingEnabled", true);
        v.lineWidth = getDefinitionFloat("DefaultLineWidth", 1.0f);
        v.coupleNewLines = getDefinitionBool("CoupleNewLinesToShapes", false);
        v.vrml1CreaseAngle = getDefinitionFloat("DefaultVRML1CreaseAngle", 0.5f);
        v.creaseAngle = getDefinitionFloat("DefaultCreaseAngle", 0.0f);
        return v;
    }();
    return s;
}

ReportLevel& FaceObject::reportLevel() {
    static ReportLevel level{"FaceObjectReportLevel"};
    return level;
}

FaceObject::FaceObject() {
    if (reportLevel().readOnce()) faceObjectSettings();
    settings = defaultShapeSettings(readingState().isVrml1());
}

FaceObject::~FaceObject() { releaseFaceBuffers(arrays_); }

std::int32_t FaceObject::countVertexRefs() const {
    if (!coordIndex) return 0;
    std::int32_t n = 0;
    for (std::int32_t v : *coordIndex) n += v >= 0;
    return n;
}

std::int32_t FaceObject::countFaces() const {
    if (!coordIndex || coordIndex->empty()) return 0;
    std::int32_t n = 0;
    for (std::int32_t v : *coordIndex) n += v < 0;
    if ((*coordIndex)[coordIndex->count() - 1] >= 0) ++n;
    return n;
}

std::int32_t FaceObject::countTriangles() const {
    if (!coordIndex) return 0;
    std::int32_t n = 0, k = 0;
    for (std::int32_t v : *coordIndex) {
        if (v < 0) {
            if (k >= 3) n += k - 2;
            k = 0;
        } else {
            ++k;
        }
    }
    if (k >= 3) n += k - 2;
    return n;
}

void FaceObject::copyFrom(const FaceObject& other) {
    if (&other == this) return;
    points = cloneOf(other.points);
    normals = cloneOf(other.normals);
    normalIndex = cloneOf(other.normalIndex);
    texCoord = cloneOf(other.texCoord);
    texCoordWork = cloneOf(other.texCoordWork);
    texCoordIndex = cloneOf(other.texCoordIndex);
    coordIndex = cloneOf(other.coordIndex);
    lineIndex = cloneOf(other.lineIndex);
    // The colours go with the copy: a copy that lost them would be drawn in another colour.
    colours = cloneOf(other.colours);
    colorIndex = cloneOf(other.colorIndex);
    lineColours = cloneOf(other.lineColours);
    lineColourIndex = cloneOf(other.lineColourIndex);
    texCoordNull = other.texCoordNull;
    copyShapeSettings(settings, other.settings);
    settings.colorPerVertex = other.settings.colorPerVertex;
    for (int i = 0; i < 3; ++i) {
        boundsMin[i] = other.boundsMin[i];
        boundsMax[i] = other.boundsMax[i];
        centre[i] = other.centre[i];
    }
    normalCount = other.normalCount;
    vertexRefCount = other.vertexRefCount;
    coordIndexLength = other.coordIndexLength;
    textured_ = other.textured_;
    lineLengthLimit_ = other.lineLengthLimit_;
    if (other.state_ == New) {
        state_ = New;
        return;
    }
    // The source was checked and triangulated already; cleaning again would renumber its points.
    state_ = other.state_ >= Cleaned ? Cleaned : Read;
    prepare();
}

void FaceObject::computeBounds() {
    for (int i = 0; i < 3; ++i) {
        boundsMin[i] = 1.0e30f;
        boundsMax[i] = -1.0e30f;
        centre[i] = 0.0f;
    }
    if (!points || points->rows() == 0 || points->columns() < 3) return;
    double sum[3] = {0, 0, 0};
    const std::int32_t n = points->rows();
    for (std::int32_t r = 0; r < n; ++r) {
        const float* p = points->row(r);
        for (int i = 0; i < 3; ++i) {
            boundsMin[i] = std::min(boundsMin[i], p[i]);
            boundsMax[i] = std::max(boundsMax[i], p[i]);
            sum[i] += p[i];
        }
    }
    for (int i = 0; i < 3; ++i) centre[i] = float(sum[i] / (n + 1.0e-30));
}

void FaceObject::computeTrianglePlanes() {
    planes_.clear();
    if (!coordIndex || !points) return;
    const std::int32_t n = coordIndex->count();
    const std::int32_t triangles = (n + 1) / 4;
    const std::int32_t rows = points->rows();
    planes_.assign(std::size_t(triangles) * 4, 0.0f);
    const std::int32_t* ci = coordIndex->data();
    for (std::int32_t t = 0; t < triangles; ++t) {
        const std::int32_t a = ci[4 * t], b = ci[4 * t + 1], c = ci[4 * t + 2];
        if (a < 0 || b < 0 || c < 0 || a >= rows || b >= rows || c >= rows) continue;
        const float *p0 = points->row(a), *p1 = points->row(b), *p2 = points->row(c);
        double nrm[3];
        cross(p0, p1, p1, p2, nrm);
        const double len = std::sqrt(nrm[0] * nrm[0] + nrm[1] * nrm[1] + nrm[2] * nrm[2]);
        if (!(len > 1.0e-30)) continue;  // a triangle without area has no plane: (0, 0, 0, 0)
        float* pl = &planes_[std::size_t(t) * 4];
        for (int i = 0; i < 3; ++i) pl[i] = float(nrm[i] / len);
        pl[3] = pl[0] * p0[0] + pl[1] * p0[1] + pl[2] * p0[2];
    }
}

void FaceObject::scaleBy(float factor) {
    if (!points) return;
    for (float& v : std::span<float>(points->data(), std::size_t(points->elementCount()))) v *= factor;
    if (state_ >= Read) {
        state_ = std::min<std::int32_t>(state_, Cleaned);
        prepare();
    } else {
        computeBounds();
    }
}

void FaceObject::transformBy(const float m[9], const float offset[3]) {
    if (points) {
        for (std::int32_t r = 0; r < points->rows(); ++r) {
            float* p = points->row(r);
            const float x = p[0], y = p[1], z = p[2];
            for (int i = 0; i < 3; ++i) p[i] = m[3 * i] * x + m[3 * i + 1] * y + m[3 * i + 2] * z + offset[i];
        }
    }
    const double det = double(m[0]) * (double(m[4]) * m[8] - double(m[5]) * m[7]) -
                       double(m[1]) * (double(m[3]) * m[8] - double(m[5]) * m[6]) +
                       double(m[2]) * (double(m[3]) * m[7] - double(m[4]) * m[6]);
    if (normals && normals->columns() == 3 && det != 0.0) {
        // Normals go with the inverse transpose: the cofactor matrix, up to the determinant's scale.
        double c[9] = {double(m[4]) * m[8] - double(m[5]) * m[7], double(m[5]) * m[6] - double(m[3]) * m[8],
                       double(m[3]) * m[7] - double(m[4]) * m[6], double(m[2]) * m[7] - double(m[1]) * m[8],
                       double(m[0]) * m[8] - double(m[2]) * m[6], double(m[1]) * m[6] - double(m[0]) * m[7],
                       double(m[1]) * m[5] - double(m[2]) * m[4], double(m[2]) * m[3] - double(m[0]) * m[5],
                       double(m[0]) * m[4] - double(m[1]) * m[3]};
        const double sign = det < 0 ? -1.0 : 1.0;
        for (std::int32_t r = 0; r < normals->rows(); ++r) {
            float* nv = normals->row(r);
            double o[3];
            for (int i = 0; i < 3; ++i) o[i] = sign * (c[3 * i] * nv[0] + c[3 * i + 1] * nv[1] + c[3 * i + 2] * nv[2]);
            const double len = std::sqrt(o[0] * o[0] + o[1] * o[1] + o[2] * o[2]);
            if (len > 1.0e-30)
                for (int i = 0; i < 3; ++i) nv[i] = float(o[i] / len);
        }
    }
    if (det < 0.0) {
        // A mirror turns the winding inside out: swap two corners of every triangle.
        auto swapCorners = [&](VectorL* list) {
            if (!list) return;
            std::int32_t* d = list->data();
            const std::int32_t n = list->count();
            std::int32_t start = 0;
            for (std::int32_t i = 0; i <= n; ++i) {
                if (i == n || d[i] < 0) {
                    std::reverse(d + start + 1 > d + i ? d + i : d + start + 1, d + i);
                    start = i + 1;
                }
            }
        };
        swapCorners(coordIndex.get());
        if (normalIndex && coordIndex && normalIndex->count() == coordIndex->count()) swapCorners(normalIndex.get());
        if (texCoordIndex && coordIndex && texCoordIndex->count() == coordIndex->count())
            swapCorners(texCoordIndex.get());
        if (settings.colorPerVertex && colorIndex && coordIndex && colorIndex->count() == coordIndex->count())
            swapCorners(colorIndex.get());
    }
    if (state_ >= Read) {
        state_ = std::min<std::int32_t>(state_, Cleaned);
        prepare();
    } else {
        computeBounds();
    }
}

bool FaceObject::sameContent(const FaceObject& o) const {
    return settings.solid == o.settings.solid && settings.ccw == o.settings.ccw &&
           settings.colorPerVertex == o.settings.colorPerVertex &&
           (settings.creaseAngle < 0) == (o.settings.creaseAngle < 0) &&
           (settings.creaseAngle < 0 || settings.creaseAngle == o.settings.creaseAngle) &&
           texCoordNull == o.texCoordNull && sameList(points, o.points) && sameList(normals, o.normals) &&
           sameList(coordIndex, o.coordIndex) && sameList(normalIndex, o.normalIndex) &&
           sameList(lineIndex, o.lineIndex) && sameList(texCoordIndex, o.texCoordIndex) &&
           sameList(texCoord, o.texCoord) && sameList(colours, o.colours) && sameList(colorIndex, o.colorIndex) &&
           sameList(lineColours, o.lineColours) && sameList(lineColourIndex, o.lineColourIndex);
}

std::uint64_t FaceObject::contentHash() const {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    auto matrix = [&](const std::unique_ptr<MatrixF>& m) {
        if (!m) return hashWords(h, "none", 1);
        const std::int32_t shape[2] = {m->rows(), m->columns()};
        hashWords(h, shape, 2);
        hashWords(h, m->data(), std::size_t(m->elementCount()));
    };
    auto list = [&](const std::unique_ptr<VectorL>& v) {
        if (!v) return hashWords(h, "none", 1);
        const std::int32_t n = v->count();
        hashWords(h, &n, 1);
        hashWords(h, v->data(), std::size_t(n));
    };
    matrix(points);
    matrix(normals);
    list(coordIndex);
    list(normalIndex);
    list(lineIndex);
    list(texCoordIndex);
    matrix(texCoord);
    matrix(colours);
    list(colorIndex);
    matrix(lineColours);
    list(lineColourIndex);
    const std::int32_t flags = (settings.solid ? 1 : 0) | (settings.ccw ? 2 : 0) | (texCoordNull ? 4 : 0);
    hashWords(h, &flags, 1);
    return h;
}

std::unique_ptr<ShapeBasics> FaceObject::makeReference() {
    if (readingState().fileVersion >= 3.0f || readingState().fileVersion < 0.0f) {
        if (std::shared_ptr<FaceObject> shared = shareOwnership(*this)) return std::make_unique<FaceRef>(shared);
    }
    auto copy = std::make_unique<FaceObject>();
    copy->copyFrom(*this);
    return copy;
}

bool FaceObject::isEmpty() const {
    if (state_ == Ready) return false;
    return (!coordIndex || !points) && !lineIndex;
}

bool FaceObject::isMergeableWith(const ShapeBasics& other) const {
    const FaceObject* o = other.asFaceObject();
    if (!o) return false;
    return (normals != nullptr) == (o->normals != nullptr) && !lineIndex && !o->lineIndex;
}

void FaceObject::setParameter(int flag, float value) {
    if (flag == 0) lineLengthLimit_ = value;
}

float FaceObject::intersectRay(float hit[3], const float origin[3], const float direction[3]) const {
    if (!coordIndex || !points) return 1.0e30f;
    const double d[3] = {direction[0], direction[1], direction[2]};
    const double dl = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (!(dl > 0.0)) return 1.0e30f;
    const std::int32_t n = coordIndex->count(), rows = points->rows();
    const std::int32_t* ci = coordIndex->data();
    double best = 1.0e30;
    for (std::int32_t i = 0; i + 2 < n; i += 4) {
        const std::int32_t a = ci[i], b = ci[i + 1], c = ci[i + 2];
        if (a < 0 || b < 0 || c < 0 || a >= rows || b >= rows || c >= rows) continue;
        const float *p0 = points->row(a), *p1 = points->row(b), *p2 = points->row(c);
        const double e1[3] = {double(p1[0]) - p0[0], double(p1[1]) - p0[1], double(p1[2]) - p0[2]};
        const double e2[3] = {double(p2[0]) - p0[0], double(p2[1]) - p0[1], double(p2[2]) - p0[2]};
        const double pv[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2], d[0] * e2[1] - d[1] * e2[0]};
        const double det = e1[0] * pv[0] + e1[1] * pv[1] + e1[2] * pv[2];
        if (std::fabs(det) < 1.0e-30) continue;
        const double inv = 1.0 / det;
        const double tv[3] = {double(origin[0]) - p0[0], double(origin[1]) - p0[1], double(origin[2]) - p0[2]};
        const double u = (tv[0] * pv[0] + tv[1] * pv[1] + tv[2] * pv[2]) * inv;
        if (u < 0.0 || u > 1.0) continue;
        const double q[3] = {tv[1] * e1[2] - tv[2] * e1[1], tv[2] * e1[0] - tv[0] * e1[2],
                             tv[0] * e1[1] - tv[1] * e1[0]};
        const double v = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) * inv;
        if (v < 0.0 || u + v > 1.0) continue;
        const double t = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) * inv;
        if (t >= 0.0 && t * dl < best) best = t * dl;
    }
    if (best >= 1.0e30) return 1.0e30f;
    for (int i = 0; i < 3; ++i) hit[i] = float(origin[i] + d[i] / dl * best);
    return float(best);
}

void FaceObject::prepare() {
    if (state_ == Ready) return;
    if ((!coordIndex || !points) && !lineIndex) {
        ++readingState().emptyFaces;
        if (++emptyFaceWarnings() < 10) sceneReport("empty face object", 0, false);
        return;
    }
    if (state_ == New) {
        sceneReport("first face preparation state failed", 0, false);
        // Lists that never went through finishReading are checked before anything indexes with them.
        validateIndices();
        triangulate();
        state_ = Read;
    }
    if (state_ == Read) {
        clean();
    } else if (coordIndex) {
        computeTrianglePlanes();
    }
    if (lineIndex || !coordIndex) computeBounds();
    if (!coordIndex) {
        state_ = Ready;
        return;
    }
    if (textured_) {
        if (!texCoordWork) {
            sceneReport("Unexpected missing texture coordinates", 0, true);
            textured_ = false;
        } else if (!texCoordIndex) {
            sceneReport("Unexpected missing texture coordinate indices", 0, true);
            textured_ = false;
        } else if (texCoord && texCoordWork->rows() != texCoord->rows()) {
            texCoordWork->resize(texCoord->rows(), texCoord->columns());
        }
    }
    // The drawing arrays are made when first needed: at load the file's text and lists are still
    // held, and the arrays would nearly double what a file of small parts takes.
    releaseFaceBuffers(arrays_);
    arrays_ = FaceRenderArrays{};
    arraysMade_ = false;
    reportBadDrawingIndices();
    // The planes serve only triangles drawn flat; with a normal per corner they are let go.
    if (drawingSources().ni) std::vector<float>().swap(planes_);
    // Cleaning renumbers the texture points: the first frame makes the drawn ones again.
    appearanceCache_ = nullptr;
    vertexRefCount = countVertexRefs();
    coordIndexLength = coordIndex->count();
    normalCount = normals ? normals->rows() : 0;
    computeBounds();
    state_ = Ready;
}

void FaceObject::clean() {
    if (!coordIndex) {
        state_ = Cleaned;
        return;
    }
    if (countVertexRefs() > 0 && points) {
        eliminateRedundantPoints(*points, *coordIndex);
        if (normals && normalIndex && settings.creaseAngle < 0) eliminateRedundantPoints(*normals, *normalIndex);
        if (colours && colorIndex) eliminateRedundantPoints(*colours, *colorIndex);
        dropDegenerateTriangles();
        reorderTriangles();
        computeTrianglePlanes();
        detectFlatNormals();
    }
    if (normals && normals->rows() == 0) normals.reset();
    state_ = Cleaned;
}

void FaceObject::dropDegenerateTriangles() {
    const std::int32_t n = coordIndex->count();
    const std::int32_t triangles = (n + 1) / 4;
    std::int32_t* ci = coordIndex->data();
    auto parallel = [&](const std::unique_ptr<VectorL>& v) { return v && v->count() == n ? v->data() : nullptr; };
    std::int32_t* ni = parallel(normalIndex);
    std::int32_t* ti = parallel(texCoordIndex);
    std::int32_t* cv = parallel(colorIndex);  // colours per vertex
    std::int32_t* col = colorIndex && colorIndex->count() == triangles ? colorIndex->data() : nullptr;
    std::int32_t kept = 0;
    for (std::int32_t t = 0; t < triangles; ++t) {
        const std::int32_t* c = ci + 4 * t;
        if (c[0] == c[1] || c[1] == c[2] || c[0] == c[2]) continue;
        if (kept != t) {
            for (int j = 0; j < 3; ++j) {
                ci[4 * kept + j] = ci[4 * t + j];
                if (ni) ni[4 * kept + j] = ni[4 * t + j];
                if (ti) ti[4 * kept + j] = ti[4 * t + j];
                if (cv) cv[4 * kept + j] = cv[4 * t + j];
            }
            if (col) col[kept] = col[t];
        }
        ++kept;
    }
    if (kept == triangles) return;
    const std::int32_t length = kept > 0 ? 4 * kept - 1 : 0;
    for (std::int32_t t = 0; t + 1 < kept; ++t) {
        ci[4 * t + 3] = -1;
        if (ni) ni[4 * t + 3] = -1;
        if (ti) ti[4 * t + 3] = -1;
        if (cv) cv[4 * t + 3] = -1;
    }
    coordIndex->resize(length);
    if (ni) normalIndex->resize(length);
    if (ti) texCoordIndex->resize(length);
    if (cv) colorIndex->resize(length);
    if (col) colorIndex->resize(kept);
}

void FaceObject::detectFlatNormals() {
    if (!(settings.creaseAngle < 0) || !normals || !normalIndex || !coordIndex) return;
    const std::int32_t n = coordIndex->count();
    if (normalIndex->count() != n) return;
    const std::int32_t* ni = normalIndex->data();
    for (std::int32_t i = 0; i < n; ++i) {
        if ((i & 3) == 3) continue;
        const std::int32_t k = ni[i];
        if (k < 0 || k >= normals->rows()) return;
        const float* nv = normals->row(k);
        const float* pl = &planes_[std::size_t(i / 4) * 4];
        if (nv[0] * pl[0] + nv[1] * pl[1] + nv[2] * pl[2] < 0.995f) return;
    }
    // Given normals that are just the faces' own: written back as a crease angle instead.
    settings.creaseAngle = 0.22f;
}

FaceObject::DrawingSources FaceObject::drawingSources() const {
    DrawingSources s;
    if (!coordIndex || !points) return s;
    s.n = coordIndex->count();
    s.triangles = (s.n + 1) / 4;
    s.rows = points->rows();
    s.ci = coordIndex->data();
    s.ni = normals && normalIndex && normalIndex->count() == s.n ? normalIndex->data() : nullptr;
    s.normalRows = normals ? normals->rows() : 0;
    s.tex = textured_ ? (texCoordWork ? texCoordWork.get() : texCoord.get()) : nullptr;
    s.ti = s.tex && texCoordIndex && texCoordIndex->count() == s.n ? texCoordIndex->data() : nullptr;
    if (!s.ti) s.tex = nullptr;
    s.texRows = s.tex ? s.tex->rows() : 0;
    s.colourPerVertex = settings.colorPerVertex && colorIndex && colorIndex->count() == s.n;
    s.col = colours && colorIndex && (s.colourPerVertex || (colorIndex->count() >= s.triangles && !settings.colorPerVertex))
                ? colorIndex->data()
                : nullptr;
    s.colourRows = colours ? colours->rows() : 0;
    return s;
}

// The faults the drawing arrays will mend, reported while the file is read: a point index past
// the points takes the last point, a bad normal the last normal, a bad texture point the last one.
void FaceObject::reportBadDrawingIndices() const {
    const DrawingSources s = drawingSources();
    if (s.rows == 0 || s.triangles == 0) return;
    if (normals && !s.ni) sceneReport("Parser problem: expected normals not found", 0, true);
    bool badPoint = false, badNormal = false, badTex = false;
    for (std::int32_t t = 0; t < s.triangles; ++t) {
        for (int j = 0; j < 3; ++j) {
            const std::int32_t pos = 4 * t + j;
            if (s.ci[pos] < 0 || s.ci[pos] >= s.rows) badPoint = true;
            if (s.ni && !badNormal && (s.ni[pos] < 0 || s.ni[pos] >= s.normalRows)) {
                sceneReport(formatC("Invalid normal index: %ld(%ld)", long(s.ni[pos]), long(s.normalRows)), 0, true);
                badNormal = true;
            }
            if (s.ti && (s.ti[pos] < 0 || s.ti[pos] >= s.texRows)) badTex = true;
        }
    }
    if (badPoint) sceneReport("Parser problem: invalid point index", 0, true);
    if (badTex) sceneReport("Parser problem: invalid texture point index", 0, true);
}

const FaceRenderArrays& FaceObject::renderArrays() const {
    // Made once per preparation, by whoever needs them first (the draw on the render thread, or
    // a reader of the scene while no one draws).
    if (!arraysMade_) const_cast<FaceObject*>(this)->buildRenderArrays();
    return arrays_;
}

void FaceObject::buildRenderArrays() {
    releaseFaceBuffers(arrays_);
    arrays_ = FaceRenderArrays{};
    arraysMade_ = true;
    if (state_ != Ready) return;
    const DrawingSources s = drawingSources();
    const std::int32_t triangles = s.triangles, rows = s.rows;
    if (rows == 0 || triangles == 0) return;
    const std::int32_t* ci = s.ci;
    const std::int32_t* ni = s.ni;
    const std::int32_t normalRows = s.normalRows;
    const MatrixF* tex = s.tex;
    const std::int32_t* ti = s.ti;
    const std::int32_t texRows = s.texRows;
    const bool colourPerVertex = s.colourPerVertex;
    const std::int32_t* col = s.col;
    const std::int32_t colourRows = s.colourRows;
    // Without normals each triangle is drawn flat with its plane normal.
    if (!ni && planes_.size() != std::size_t(triangles) * 4) computeTrianglePlanes();

    arrays_.textured = tex != nullptr;
    arrays_.floatsPerVertex = tex ? 8 : 6;
    mesh::TupleTable table(std::size_t(rows) + std::size_t(rows) / 2);
    arrays_.indices.resize(std::size_t(triangles) * 3);
    for (std::int32_t t = 0; t < triangles; ++t) {
        for (int j = 0; j < 3; ++j) {
            const std::int32_t pos = 4 * t + j;
            std::int32_t p = ci[pos];
            if (p < 0 || p >= rows) p = rows - 1;
            std::int32_t nk = -1 - t;
            if (ni) {
                nk = ni[pos];
                if (nk < 0 || nk >= normalRows) nk = normalRows - 1;
            }
            std::int32_t tk = -1;
            if (ti) {
                tk = ti[pos];
                if (tk < 0 || tk >= texRows) tk = texRows - 1;
            }
            std::int32_t ck = -1;
            if (col) {
                ck = colourPerVertex ? col[pos] : col[t];
                if (ck < 0 || ck >= colourRows) ck = colourRows - 1;
            }
            arrays_.indices[std::size_t(t) * 3 + j] = std::uint32_t(table.insert(p, nk, tk, ck));
        }
    }
    const std::int32_t vertices = table.size();
    const int stride = arrays_.floatsPerVertex;
    arrays_.vertices.resize(std::size_t(vertices) * stride);
    if (col) arrays_.colours.resize(std::size_t(vertices) * 3);
    for (std::int32_t v = 0; v < vertices; ++v) {
        const std::int32_t* k = table.key(v);
        float* out = &arrays_.vertices[std::size_t(v) * stride];
        if (k[1] >= 0) {
            std::memcpy(out, normals->row(k[1]), 3 * sizeof(float));
        } else {
            const std::size_t t = std::size_t(-1 - k[1]);
            if (t * 4 + 3 <= planes_.size()) std::memcpy(out, &planes_[t * 4], 3 * sizeof(float));
        }
        std::memcpy(out + 3, points->row(k[0]), 3 * sizeof(float));
        if (tex) {
            const float* tp = tex->row(k[2]);
            out[6] = tp[0];
            out[7] = tex->columns() > 1 ? tp[1] : 0.0f;
            arrays_.texRows.push_back(k[2]);
        }
        if (col) std::memcpy(&arrays_.colours[std::size_t(v) * 3], colours->row(k[3]), 3 * sizeof(float));
    }
}

}  // namespace kinemo
