// Triangulation, strips, redundant rows and the reordering of triangles along shared edges.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/numbers.h"
#include "geometry/face_object.h"
#include "geometry/mesh_tables.h"
#include "scene/scene_report.h"

namespace kinemo {
namespace {}  // namespace

std::vector<std::int32_t> stripsToTriangles(const std::int32_t* s, std::int32_t count) {
    std::vector<std::int32_t> out;
    out.reserve(std::size_t(count) * 4);
    int parity = 0;
    for (std::int32_t i = 0; i + 2 < count;) {
        const std::int32_t a = s[i], b = s[i + 1], c = s[i + 2];
        if (a < 0 || b < 0) {
            // A strip that ends before it has three entries: go on after its -1.
            i += a < 0 ? 1 : 2;
            parity = 0;
            continue;
        }
        if (c < 0) {
            i += 3;
            parity = 0;
            continue;
        }
        if (parity == 0)
            out.insert(out.end(), {a, b, c, -1});
        else
            out.insert(out.end(), {c, b, a, -1});
        parity ^= 1;
        ++i;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

void FaceObject::triangulate() {
    if (!coordIndex) return;
    const std::int32_t n = coordIndex->count();
    const std::int32_t* ci = coordIndex->data();
    std::int64_t triangles = 0;
    std::int32_t degenerate = 0, nonTriangles = 0, faces = 0;
    for (std::int32_t i = 0, k = 0; i <= n; ++i) {
        if (i == n || ci[i] < 0) {
            if (i == n && k == 0) break;
            ++faces;
            if (k >= 3)
                triangles += k - 2;
            else
                ++degenerate;
            if (k != 3) ++nonTriangles;
            k = 0;
        } else {
            ++k;
        }
    }
    if (degenerate == 0 && nonTriangles == 0 && settings.ccw) return;
    if (triangles == 0) {
        coordIndex.reset();
        points.reset();
        normals.reset();
        normalIndex.reset();
        texCoordIndex.reset();
        colorIndex.reset();
        if (!lineIndex) sceneReport("Parser problem, probably due to line elements", 0, true);
        return;
    }
    if (triangles > (INT32_MAX - 4) / 4) {
        sceneReport("FaceObject: too many triangles, the face set is dropped", 1, true);
        coordIndex.reset();
        return;
    }
    const bool ccw = settings.ccw;
    const std::int32_t length = std::int32_t(4 * triangles - 1);
    const std::int32_t* ni = normalIndex && normalIndex->count() == n ? normalIndex->data() : nullptr;
    const std::int32_t* ti = texCoordIndex && texCoordIndex->count() == n ? texCoordIndex->data() : nullptr;
    // Colours per vertex run beside coordIndex; per face they have one entry a face.
    const bool colourPerVertex = settings.colorPerVertex && colorIndex && colorIndex->count() == n;
    const std::int32_t* cv = colourPerVertex ? colorIndex->data() : nullptr;
    const std::int32_t* col = !cv && colorIndex && colorIndex->count() >= faces ? colorIndex->data() : nullptr;
    auto newCoord = std::make_unique<VectorL>(length);
    std::unique_ptr<VectorL> newNormal = ni ? std::make_unique<VectorL>(length) : nullptr;
    std::unique_ptr<VectorL> newTex = ti ? std::make_unique<VectorL>(length) : nullptr;
    std::unique_ptr<VectorL> newColour = col  ? std::make_unique<VectorL>(std::int32_t(triangles))
                                         : cv ? std::make_unique<VectorL>(length)
                                              : nullptr;
    std::int32_t* oc = newCoord->data();
    std::int32_t* on = ni ? newNormal->data() : nullptr;
    std::int32_t* ot = ti ? newTex->data() : nullptr;
    std::int32_t* ocol = col ? newColour->data() : nullptr;
    std::int32_t* ocv = cv ? newColour->data() : nullptr;
    std::int32_t w = 0, tri = 0, face = 0;
    auto emit = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
        const std::int32_t at[3] = {a, b, c};
        for (int j = 0; j < 3; ++j) {
            oc[w + j] = ci[at[j]];
            if (on) on[w + j] = ni[at[j]];
            if (ot) ot[w + j] = ti[at[j]];
            if (ocv) ocv[w + j] = cv[at[j]];
        }
        if (w + 3 < length) {
            oc[w + 3] = -1;
            if (on) on[w + 3] = -1;
            if (ot) ot[w + 3] = -1;
            if (ocv) ocv[w + 3] = -1;
        }
        if (ocol) ocol[tri] = col[face];
        w += 4;
        ++tri;
    };
    for (std::int32_t i = 0, start = 0; i <= n; ++i) {
        if (i == n || ci[i] < 0) {
            const std::int32_t k = i - start;
            if (k > 0 || i < n) {
                for (std::int32_t t = 0; t + 2 < k; ++t) {
                    if (ccw)
                        emit(start, start + t + 1, start + t + 2);
                    else
                        emit(start, start + t + 2, start + t + 1);
                }
                ++face;
            }
            start = i + 1;
        }
    }
    newCoord->setKind(VectorL::KindCoordinateIndex);
    coordIndex = std::move(newCoord);
    if (ni) normalIndex = std::move(newNormal);
    if (ti) texCoordIndex = std::move(newTex);
    if (col || cv) colorIndex = std::move(newColour);
    settings.ccw = true;
}

void FaceObject::eliminateRedundantPoints(MatrixF& matrix, VectorL& index) {
    const std::int32_t rows = matrix.rows(), columns = matrix.columns();
    if (rows == 0 || columns == 0) return;
    std::vector<std::int32_t> first;
    const bool duplicates = mesh::firstEqualRows(matrix.data(), rows, columns, first);
    std::vector<std::int32_t> newIndex;
    if (duplicates) {
        // Representatives keep their order; every other row maps to its representative's place.
        newIndex.assign(std::size_t(rows), 0);
        std::int32_t kept = 0;
        for (std::int32_t r = 0; r < rows; ++r) {
            if (first[std::size_t(r)] == r) {
                if (kept != r) std::memmove(matrix.row(kept), matrix.row(r), sizeof(float) * std::size_t(columns));
                newIndex[std::size_t(r)] = kept++;
            } else {
                newIndex[std::size_t(r)] = newIndex[std::size_t(first[std::size_t(r)])];
            }
        }
        matrix.resize(kept, columns);
    }
    const std::int32_t newRows = matrix.rows();
    std::int32_t* d = index.data();
    bool logged = false;
    for (std::int32_t i = 0; i < index.count(); ++i) {
        const std::int32_t v = d[i];
        if (v < 0) continue;
        if (v >= rows) {
            if (!logged) sceneLog(formatC("elliminateRedundantPoints has invalid index i %d i2 %d\n", i, v));
            logged = true;
            d[i] = (i % 4 == 3) ? -1 : newRows - 1;
            continue;
        }
        if (duplicates) d[i] = newIndex[std::size_t(v)];
    }
}

// Walks the triangles greedily across shared edges, so that consecutive triangles share vertices,
// then numbers points, normals, texture points and colours in order of first use.
void FaceObject::reorderTriangles() {
    const std::int32_t n = coordIndex->count();
    const std::int32_t triangles = (n + 1) / 4;
    if (triangles < 2 || !points) return;
    std::int32_t* ci = coordIndex->data();
    const std::int32_t rows = points->rows();

    // The corner across every edge, found once: the half-edges (a -> b) are sorted by their start
    // point in triangle order, so the first (b -> a) in b's run is the earliest triangle on the
    // other side. Linear time, and the runs stay in cache for meshes numbered locally.
    std::vector<std::int32_t> runStart(std::size_t(rows) + 1, 0);
    for (std::int32_t t = 0; t < triangles; ++t) {
        for (int j = 0; j < 3; ++j) {
            const std::int32_t a = ci[4 * t + j];
            if (a >= 0 && a < rows) ++runStart[std::size_t(a) + 1];
        }
    }
    for (std::int32_t r = 0; r < rows; ++r) runStart[std::size_t(r) + 1] += runStart[std::size_t(r)];
    std::vector<std::int32_t> edgeEnd(static_cast<std::size_t>(runStart[std::size_t(rows)]));
    std::vector<std::int32_t> edgeCorner(edgeEnd.size());
    {
        std::vector<std::int32_t> fill(runStart.begin(), runStart.end() - 1);
        for (std::int32_t t = 0; t < triangles; ++t) {
            for (int j = 0; j < 3; ++j) {
                const std::int32_t a = ci[4 * t + j];
                if (a < 0 || a >= rows) continue;
                const std::size_t at = std::size_t(fill[std::size_t(a)]++);
                edgeEnd[at] = ci[4 * t + (j + 1) % 3];
                edgeCorner[at] = 4 * t + j;
            }
        }
    }
    std::vector<std::int32_t> across(std::size_t(triangles) * 3, -1);
    for (std::int32_t t = 0; t < triangles; ++t) {
        for (int j = 0; j < 3; ++j) {
            const std::int32_t a = ci[4 * t + j], b = ci[4 * t + (j + 1) % 3];
            if (b < 0 || b >= rows) continue;
            const std::int32_t* e = edgeEnd.data();
            for (std::int32_t k = runStart[std::size_t(b)], last = runStart[std::size_t(b) + 1]; k < last; ++k) {
                if (e[k] != a) continue;
                const std::int32_t corner = edgeCorner[std::size_t(k)];
                if (corner / 4 != t) across[std::size_t(3 * t + j)] = corner;
                break;
            }
        }
    }
    auto neighbour = [&](std::int32_t t, int j) { return across[std::size_t(3 * t + j)]; };

    std::vector<char> visited(std::size_t(triangles), 0);
    std::vector<std::int32_t> order;  // triangle * 4 + entry corner
    order.reserve(std::size_t(triangles));
    std::vector<std::int32_t> uses(std::size_t(rows), 0);
    std::size_t oldest = 0;
    for (std::int32_t start = 0; start < triangles; ++start) {
        if (visited[std::size_t(start)]) continue;
        std::int32_t current = start, entry = 0;
        while (current >= 0) {
            visited[std::size_t(current)] = 1;
            order.push_back(current * 4 + entry);
            for (int j = 0; j < 3; ++j) {
                const std::int32_t p = ci[4 * current + j];
                if (p >= 0 && p < rows) ++uses[std::size_t(p)];
            }
            std::int32_t next = -1;
            const std::int32_t entryPoint = ci[4 * current + entry];
            int first = entry;
            if (entryPoint >= 0 && entryPoint < rows && uses[std::size_t(entryPoint)] > 1) first = (entry + 1) % 3;
            for (int step = 0; step < 3 && next < 0; ++step) {
                const std::int32_t corner = neighbour(current, (first + step) % 3);
                if (corner >= 0 && !visited[std::size_t(corner / 4)]) next = corner;
            }
            if (next < 0) {
                // Go back to the oldest emitted triangle that still has an unvisited neighbour.
                while (oldest < order.size() && next < 0) {
                    const std::int32_t t = order[oldest] / 4;
                    for (int j = 0; j < 3 && next < 0; ++j) {
                        const std::int32_t corner = neighbour(t, j);
                        if (corner >= 0 && !visited[std::size_t(corner / 4)]) next = corner;
                    }
                    if (next < 0) ++oldest;
                }
            }
            if (next < 0) break;
            current = next / 4;
            entry = (next % 4 + 1) % 3;  // enter at the corner where the shared edge ends
        }
    }

    auto rewrite = [&](VectorL* list) {
        if (!list || list->count() != n) return;
        std::vector<std::int32_t> out(std::size_t(n), -1);
        const std::int32_t* d = list->data();
        for (std::int32_t k = 0; k < triangles; ++k) {
            const std::int32_t t = order[std::size_t(k)] / 4, e = order[std::size_t(k)] % 4;
            for (int j = 0; j < 3; ++j) out[std::size_t(4 * k + j)] = d[4 * t + (e + j) % 3];
        }
        std::memcpy(list->data(), out.data(), out.size() * sizeof(std::int32_t));
    };
    rewrite(coordIndex.get());
    rewrite(normalIndex.get());
    rewrite(texCoordIndex.get());
    rewrite(colorIndex.get());  // colours per vertex
    if (colorIndex && colorIndex->count() == triangles) {
        std::vector<std::int32_t> out(static_cast<std::size_t>(triangles));
        for (std::int32_t k = 0; k < triangles; ++k) out[std::size_t(k)] = (*colorIndex)[order[std::size_t(k)] / 4];
        std::memcpy(colorIndex->data(), out.data(), out.size() * sizeof(std::int32_t));
    }

    // Rows in order of first use; rows nobody uses are dropped.
    auto renumber = [](MatrixF* matrix, VectorL* list) {
        if (!matrix || !list) return;
        const std::int32_t r = matrix->rows(), c = matrix->columns();
        std::vector<std::int32_t> map(std::size_t(r), -1);
        std::int32_t next = 0;
        std::int32_t* d = list->data();
        for (std::int32_t i = 0; i < list->count(); ++i) {
            const std::int32_t v = d[i];
            if (v < 0 || v >= r) continue;
            if (map[std::size_t(v)] < 0) map[std::size_t(v)] = next++;
            d[i] = map[std::size_t(v)];
        }
        std::vector<float> rowsOut(std::size_t(next) * std::size_t(c));
        for (std::int32_t v = 0; v < r; ++v)
            if (map[std::size_t(v)] >= 0)
                std::memcpy(&rowsOut[std::size_t(map[std::size_t(v)]) * c], matrix->row(v),
                            sizeof(float) * std::size_t(c));
        matrix->resize(next, c);
        if (next > 0) std::memcpy(matrix->data(), rowsOut.data(), rowsOut.size() * sizeof(float));
    };
    renumber(points.get(), coordIndex.get());
    if (normalIndex && normalIndex->count() == n) renumber(normals.get(), normalIndex.get());
    if (texCoordIndex && texCoordIndex->count() == n) renumber(texCoord.get(), texCoordIndex.get());
    if (texCoord && texCoordWork) texCoordWork->copyFrom(texCoord.get());
    if (colorIndex && (colorIndex->count() == triangles || colorIndex->count() == n))
        renumber(colours.get(), colorIndex.get());
}

}  // namespace kinemo
