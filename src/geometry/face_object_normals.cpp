// Normals by crease angle. Every corner of a triangle looks at the normals already made at its
// point: it joins each one whose running sum lies within the crease angle of the triangle's face
// normal, else it starts a new one. The test is the signed one, f.s >= cos(angle) |f| |s|, so that
// crease angles past a right angle smooth more, not less. The normals of a point are a short
// linked list in flat arrays, so the pass is linear in the triangles.
#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/face_object.h"
#include "geometry/mesh_tables.h"
#include "scene/reading_state.h"

namespace kinemo {
namespace {

// At a point of very high valence with sharp creases only this many of its latest normals are
// looked at; past it a corner may start a normal of its own instead of joining an old one.
constexpr int kMaxNormalsLookedAt = 64;

struct Link {
    std::int32_t normal;
    std::int32_t next;
};

}  // namespace

void FaceObject::generateNormals(float creaseAngle) {
    if (!coordIndex || !points) return;
    normals.reset();
    normalIndex.reset();
    const ReadingState& rs = readingState();
    if (!rs.isVrml1() && rs.fileVersion < 3.0f) eliminateRedundantPoints(*points, *coordIndex);

    const std::int32_t n = coordIndex->count();
    const std::int32_t triangles = (n + 1) / 4;
    const std::int32_t rows = points->rows();
    const std::int32_t* ci = coordIndex->data();
    if (!std::isfinite(creaseAngle)) creaseAngle = 0.0f;
    const double cosine = std::cos(double(creaseAngle) + 1.0e-30);

    std::vector<float> sums;
    sums.reserve(std::size_t(rows) * 3 + 16);
    std::vector<std::int32_t> index(std::size_t(n), -1);
    std::vector<std::int32_t> head(std::size_t(rows), -1);
    std::vector<Link> links;
    links.reserve(std::size_t(rows) + std::size_t(rows) / 2 + 16);
    std::vector<std::int32_t> qualifying;

    float previous[3] = {0.0f, 0.0f, 0.0f};
    for (std::int32_t t = 0; t < triangles; ++t) {
        const std::int32_t* c = ci + 4 * t;
        if (c[0] < 0 || c[1] < 0 || c[2] < 0 || c[0] >= rows || c[1] >= rows || c[2] >= rows) continue;
        const float *p0 = points->row(c[0]), *p1 = points->row(c[1]), *p2 = points->row(c[2]);
        const double u[3] = {double(p1[0]) - p0[0], double(p1[1]) - p0[1], double(p1[2]) - p0[2]};
        const double v[3] = {double(p2[0]) - p1[0], double(p2[1]) - p1[1], double(p2[2]) - p1[2]};
        double f[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        const double len = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
        if (len > 1.0e-30) {
            for (int i = 0; i < 3; ++i) previous[i] = float(f[i] / len);
        }
        // A triangle without area takes the previous face normal; before the first real one that
        // is the zero vector, which joins nothing and is made (1, 0, 0) in the end.
        const float fn[3] = {previous[0], previous[1], previous[2]};
        for (int j = 0; j < 3; ++j) {
            const std::int32_t point = c[j];
            qualifying.clear();
            int looked = 0;
            for (std::int32_t e = head[std::size_t(point)]; e >= 0 && looked < kMaxNormalsLookedAt;
                 e = links[std::size_t(e)].next, ++looked) {
                const std::int32_t k = links[std::size_t(e)].normal;
                const float* s = &sums[std::size_t(k) * 3];
                const double dot = double(fn[0]) * s[0] + double(fn[1]) * s[1] + double(fn[2]) * s[2];
                const double ss = std::sqrt(double(s[0]) * s[0] + double(s[1]) * s[1] + double(s[2]) * s[2]);
                const double fl = std::sqrt(double(fn[0]) * fn[0] + double(fn[1]) * fn[1] + double(fn[2]) * fn[2]);
                // The small allowance lets equal face normals join at crease angle 0 despite rounding.
                if (fl > 0.0 && dot >= cosine * fl * ss - 1.0e-6 * fl * ss && (cosine <= 0.0 || dot > 0.0 || ss == 0.0))
                    qualifying.push_back(k);
            }
            std::int32_t chosen;
            if (qualifying.empty()) {
                chosen = std::int32_t(sums.size() / 3);
                sums.insert(sums.end(), fn, fn + 3);
                links.push_back(Link{chosen, head[std::size_t(point)]});
                head[std::size_t(point)] = std::int32_t(links.size() - 1);
            } else {
                for (std::int32_t k : qualifying) {
                    float* s = &sums[std::size_t(k) * 3];
                    s[0] += fn[0], s[1] += fn[1], s[2] += fn[2];
                }
                chosen = qualifying.front();  // the latest normal made at this point
            }
            index[std::size_t(4 * t + j)] = chosen;
        }
    }

    const std::int32_t count = std::int32_t(sums.size() / 3);
    for (std::int32_t k = 0; k < count; ++k) {
        float* s = &sums[std::size_t(k) * 3];
        const double l = std::sqrt(double(s[0]) * s[0] + double(s[1]) * s[1] + double(s[2]) * s[2]);
        if (l > 1.0e-30 && std::isfinite(l)) {
            for (int i = 0; i < 3; ++i) s[i] = float(s[i] / l);
        } else {
            s[0] = 1.0f, s[1] = 0.0f, s[2] = 0.0f;
        }
    }
    normals = std::make_unique<MatrixF>(count, 3);
    if (count > 0) std::memcpy(normals->data(), sums.data(), sums.size() * sizeof(float));
    normals->setKind(MatrixF::KindNormals);
    normalIndex = std::make_unique<VectorL>(n);
    if (n > 0) std::memcpy(normalIndex->data(), index.data(), std::size_t(n) * sizeof(std::int32_t));
    // A corner of a triangle that was skipped keeps no normal: it takes the first one.
    std::int32_t* ni = normalIndex->data();
    for (std::int32_t i = 0; i < n; ++i)
        if (ni[i] < 0 && (i & 3) != 3) ni[i] = count > 0 ? 0 : -1;
    eliminateRedundantPoints(*normals, *normalIndex);
}

}  // namespace kinemo
