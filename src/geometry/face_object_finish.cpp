// After reading: the lists are checked once, before anything indexes with them, then split by
// colour, triangulated and given normals and texture points.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/numbers.h"
#include "geometry/appearance.h"
#include "geometry/face_object.h"
#include "geometry/shape_node.h"
#include "geometry/texture_mapping.h"
#include "scene/err_tree_manipulation.h"
#include "scene/group_node.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"

namespace kinemo {
namespace {

std::unique_ptr<VectorL> listOf(const std::vector<std::int32_t>& v, std::int32_t kind = VectorL::KindNone) {
    auto list = std::make_unique<VectorL>(std::int32_t(v.size()));
    if (!v.empty()) std::memcpy(list->data(), v.data(), v.size() * sizeof(std::int32_t));
    list->setKind(kind);
    return list;
}

long& perVertexWarnings() {
    static long n = 0;
    return n;
}

long& lineSetCount() {
    static long n = 0;
    return n;
}

// The faces of a coordIndex list as [begin, end) ranges.
struct Faces {
    std::vector<std::int32_t> begin, end;
    std::int32_t count() const { return std::int32_t(begin.size()); }
};

Faces facesOf(const VectorL& list) {
    Faces f;
    const std::int32_t n = list.count();
    const std::int32_t* d = list.data();
    std::int32_t start = 0;
    for (std::int32_t i = 0; i <= n; ++i) {
        if (i == n || d[i] < 0) {
            if (i == n && start == n && n > 0) break;
            if (i == n && n == 0) break;
            f.begin.push_back(start);
            f.end.push_back(i);
            start = i + 1;
        }
    }
    return f;
}

}  // namespace

void FaceObject::validateIndices() {
    const std::int32_t rows = points ? points->rows() : 0;
    if (lineIndex) {
        // A polyline with a point past the list is dropped whole.
        std::vector<std::int32_t> kept, keptColours;
        kept.reserve(std::size_t(lineIndex->count()));
        const Faces lines = facesOf(*lineIndex);
        // Line colours go with their entries; ones that do not fit are dropped.
        if (lineColourIndex && (lineColourIndex->count() != lineIndex->count() || !lineColours)) {
            lineColourIndex.reset();
            lineColours.reset();
        }
        const VectorL* lc = lineColourIndex.get();
        long dropped = 0;
        for (std::int32_t l = 0; l < lines.count(); ++l) {
            bool bad = false;
            for (std::int32_t i = lines.begin[l]; i < lines.end[l]; ++i) bad |= (*lineIndex)[i] >= rows;
            if (bad) {
                ++dropped;
                continue;
            }
            for (std::int32_t i = lines.begin[l]; i < lines.end[l]; ++i) {
                kept.push_back((*lineIndex)[i]);
                if (lc) keptColours.push_back((*lc)[i]);
            }
            kept.push_back(-1);
            if (lc) keptColours.push_back(-1);
        }
        if (dropped) {
            sceneReport(formatC("FaceObject: %ld lines with point indices past the point count (%ld) dropped", dropped,
                                long(rows)),
                        0, true);
            lineIndex = kept.empty() ? nullptr : listOf(kept);
            if (lc) lineColourIndex = kept.empty() ? nullptr : listOf(keptColours);
        }
        if (lineColourIndex) {
            const std::int32_t colourRows = lineColours->rows();
            for (std::int32_t i = 0; i < lineColourIndex->count(); ++i) {
                const std::int32_t c = (*lineColourIndex)[i];
                if (c >= colourRows || (c < 0 && (*lineIndex)[i] >= 0)) {
                    sceneReport(formatC("FaceObject: line colour index %ld out of bound (%ld), line colours dropped",
                                        long(c), long(colourRows)),
                                0, true);
                    lineColourIndex.reset();
                    lineColours.reset();
                    break;
                }
            }
        }
    }
    if (!coordIndex) return;

    std::int32_t* ci = coordIndex->data();
    const std::int32_t n = coordIndex->count();
    for (std::int32_t i = 0; i < n; ++i)
        if (ci[i] < 0) ci[i] = -1;  // any negative entry ends a face
    const Faces faces = facesOf(*coordIndex);
    const std::int32_t faceCount = faces.count();

    // What the parallel lists are, by their lengths.
    const std::int32_t normalLength = normalIndex ? normalIndex->count() : -1;
    bool normalPerVertex = normalLength == n;
    if (normalPerVertex) {
        const std::int32_t* ni = normalIndex->data();
        for (std::int32_t i = 0; i < n && normalPerVertex; ++i) normalPerVertex = (ci[i] < 0) == (ni[i] < 0);
    }
    const bool normalPerFace = !normalPerVertex && normalLength == faceCount;
    if (normalIndex && !normalPerVertex && !normalPerFace) {
        sceneReport(formatC("Parser problem concerning normal indices: normals %ld polygons %ld, mode: %s",
                            long(normalLength), long(faceCount), bindingName(settings.normalBinding)),
                    0, true);
        ++readingState().recoverableSyntaxErrors;
        normalIndex.reset();
        normals.reset();
    }
    if (texCoordIndex && texCoordIndex->count() != n) {
        sceneReport("FaceObject: texCoordIndex does not fit coordIndex, texture points are generated", 0, true);
        texCoordIndex.reset();
    }
    // Colours per vertex run beside coordIndex (finishReading made sure they fit).
    const bool colourPerVertex = settings.colorPerVertex && colorIndex && colorIndex->count() == n;
    if (colorIndex && !colourPerVertex && colorIndex->count() < faceCount) {
        sceneReport(formatC("FaceObject: %ld colour indices for %ld faces, colours dropped", long(colorIndex->count()),
                            long(faceCount)),
                    0, true);
        colorIndex.reset();
        colours.reset();
    }

    // Faces that reach past the points go, with their entries in every parallel list.
    std::vector<char> bad(std::size_t(faceCount), 0);
    long badFaces = 0;
    for (std::int32_t f = 0; f < faceCount; ++f) {
        for (std::int32_t i = faces.begin[f]; i < faces.end[f]; ++i)
            if (ci[i] >= rows) {
                bad[std::size_t(f)] = 1;
                ++badFaces;
                break;
            }
    }
    if (badFaces > 0) {
        sceneReport(formatC("FaceObject: %ld faces with point indices at or past the point count (%ld) dropped",
                            badFaces, long(rows)),
                    0, true);
        ++readingState().recoverableSyntaxErrors;
        std::vector<std::int32_t> c, nv, t, col;
        c.reserve(std::size_t(n));
        for (std::int32_t f = 0; f < faceCount; ++f) {
            if (bad[std::size_t(f)]) continue;
            for (std::int32_t i = faces.begin[f]; i < faces.end[f]; ++i) {
                c.push_back(ci[i]);
                if (normalIndex && normalPerVertex) nv.push_back((*normalIndex)[i]);
                if (texCoordIndex) t.push_back((*texCoordIndex)[i]);
                if (colourPerVertex) col.push_back((*colorIndex)[i]);
            }
            c.push_back(-1);
            if (normalIndex && normalPerVertex) nv.push_back(-1);
            if (texCoordIndex) t.push_back(-1);
            if (normalIndex && normalPerFace) nv.push_back((*normalIndex)[f]);
            if (colorIndex) col.push_back(colourPerVertex ? -1 : (*colorIndex)[f]);
        }
        if (!c.empty()) {
            c.pop_back();
            if (normalIndex && normalPerVertex) nv.pop_back();
            if (texCoordIndex) t.pop_back();
            if (colourPerVertex) col.pop_back();
        }
        coordIndex = c.empty() ? nullptr : listOf(c, VectorL::KindCoordinateIndex);
        if (normalIndex) normalIndex = nv.empty() ? nullptr : listOf(nv, VectorL::KindNormalIndex);
        if (texCoordIndex) texCoordIndex = t.empty() ? nullptr : listOf(t);
        if (colorIndex) colorIndex = col.empty() ? nullptr : listOf(col);
    }
    if (!coordIndex) return;

    // Texture point and colour indices must name rows that exist.
    if (texCoordIndex) {
        const std::int32_t texRows = texCoord ? texCoord->rows() : 0;
        for (std::int32_t v : *texCoordIndex)
            if (v >= texRows) {
                sceneReport("Parser problem: invalid texture point index", 0, true);
                texCoordIndex.reset();
                break;
            }
    }
    const std::int32_t faceCountNow = countFaces();
    if (colours && !colorIndex && !settings.colorPerVertex) {
        // Per-face colours without indices are used in order.
        if (colours->rows() >= faceCountNow) {
            std::vector<std::int32_t> col(static_cast<std::size_t>(faceCountNow));
            for (std::int32_t f = 0; f < faceCountNow; ++f) col[std::size_t(f)] = f;
            colorIndex = listOf(col);
        } else {
            colours.reset();
        }
    }
    if (colorIndex && colourPerVertex) {
        const std::int32_t colourRows = colours ? colours->rows() : 0;
        const std::int32_t* c = coordIndex->data();
        std::int32_t* d = colorIndex->data();
        for (std::int32_t i = 0; i < colorIndex->count(); ++i) {
            if (c[i] < 0) {
                d[i] = -1;
            } else if (d[i] < 0 || d[i] >= colourRows) {
                sceneReport(formatC("FaceObject: colour index %ld out of bound (%ld), colours dropped", long(d[i]),
                                    long(colourRows)),
                            0, true);
                colorIndex.reset();
                colours.reset();
                break;
            }
        }
    } else if (colorIndex) {
        const std::int32_t colourRows = colours ? colours->rows() : 0;
        for (std::int32_t f = 0; f < faceCountNow && colorIndex; ++f) {
            const std::int32_t v = (*colorIndex)[f];
            if (v < 0 || v >= colourRows) {
                sceneReport(formatC("FaceObject: colour index %ld out of bound (%ld), colours dropped", long(v),
                                    long(colourRows)),
                            0, true);
                colorIndex.reset();
                colours.reset();
            }
        }
        if (colorIndex) colorIndex->resize(faceCountNow);
    }
}

// The given normal indices as one per vertex reference, checked against the normals. The new list
// is built aside and installed only when every entry is good.
bool FaceObject::mapNormalIndicesToNormals() {
    if (!normals || normals->rows() == 0) {
        sceneReport("Parser problem concerning normal indices: no normals", 0, true);
        return false;
    }
    const std::int32_t n = coordIndex->count();
    const std::int32_t rows = normals->rows();
    const Faces faces = facesOf(*coordIndex);
    std::unique_ptr<VectorL> mapped;
    if (normalIndex->count() == n) {
        if (settings.normalBinding == Binding::PerFaceIndexed && faces.count() != n) {
            if (++perVertexWarnings() < 10) sceneReport("Using PER_VERTEX_INDEXED", 0, true);
            ++readingState().recoverableSyntaxErrors;
        }
        mapped = std::make_unique<VectorL>(*normalIndex);
    } else if (normalIndex->count() == faces.count()) {
        mapped = std::make_unique<VectorL>(n);
        std::int32_t* m = mapped->data();
        for (std::int32_t f = 0; f < faces.count(); ++f) {
            for (std::int32_t i = faces.begin[f]; i < faces.end[f]; ++i) m[i] = (*normalIndex)[f];
            if (faces.end[f] < n) m[faces.end[f]] = -1;
        }
    } else {
        return false;
    }
    const std::int32_t* m = mapped->data();
    const std::int32_t* ci = coordIndex->data();
    for (std::int32_t i = 0; i < n; ++i) {
        if (ci[i] < 0) continue;
        if (m[i] < 0 || m[i] >= rows) {
            sceneReport(formatC("Parser problem concerning normal indices: index %ld out of bound (%ld), vertexPerFace",
                                long(m[i]), long(rows)),
                        0, true);
            return false;
        }
    }
    mapped->setKind(VectorL::KindNormalIndex);
    normalIndex = std::move(mapped);
    settings.creaseAngle = -1.0f;
    return true;
}

// PER_VERTEX and PER_FACE without indices: the normals are taken in order, one per vertex
// reference or one per face.
void FaceObject::mapNormalsInOrder() {
    const std::int32_t n = coordIndex->count();
    const Faces faces = facesOf(*coordIndex);
    const bool perFace =
        settings.normalBinding == Binding::PerFace || settings.normalBinding == Binding::PerFaceIndexed;
    const std::int32_t needed = perFace ? faces.count() : countVertexRefs();
    if (normals->rows() < needed) {
        sceneReport(formatC("Parser problem concerning normal indices: normals %ld polygons %ld, mode: %s",
                            long(normals->rows()), long(faces.count()), bindingName(settings.normalBinding)),
                    0, true);
        normals.reset();
        return;
    }
    auto list = std::make_unique<VectorL>(n);
    std::int32_t* d = list->data();
    const std::int32_t* ci = coordIndex->data();
    std::int32_t next = 0;
    for (std::int32_t f = 0; f < faces.count(); ++f) {
        for (std::int32_t i = faces.begin[f]; i < faces.end[f]; ++i) d[i] = perFace ? f : next++;
        if (faces.end[f] < n) d[faces.end[f]] = -1;
    }
    for (std::int32_t i = 0; i < n; ++i)
        if (ci[i] < 0) d[i] = -1;
    list->setKind(VectorL::KindNormalIndex);
    normalIndex = std::move(list);
    settings.creaseAngle = -1.0f;
}

// Given normals without indices: PER_FACE and PER_VERTEX take them in order, every other binding
// one per point. The indices made are per vertex, and the binding says so. False (normals dropped)
// when they do not fit.
bool FaceObject::indexGivenNormals() {
    normalIndex.reset();
    const Binding b = settings.normalBinding;
    if (b == Binding::PerFace || b == Binding::PerVertex || b == Binding::PerFaceIndexed) {
        mapNormalsInOrder();
    } else if (normals->rows() >= points->rows()) {
        normalIndex = std::make_unique<VectorL>(*coordIndex);
        normalIndex->setKind(VectorL::KindNormalIndex);
        settings.creaseAngle = -1.0f;
    } else {
        sceneReport("Parser problem concerning normal indices: fewer normals than points", 0, true);
        normals.reset();
    }
    if (!normals) return false;
    settings.normalBinding = Binding::PerVertexIndexed;
    return true;
}

bool FaceObject::splitByColour(ShapeNode* node, GroupNode* parent) {
    if (!parent || !node || !colorIndex || !colours || !coordIndex || !points) return false;
    const Faces faces = facesOf(*coordIndex);
    const std::int32_t faceCount = faces.count();
    if (colorIndex->count() < faceCount) return false;
    const std::int32_t n = coordIndex->count();
    const bool normalPerVertex = normalIndex && normalIndex->count() == n;
    const bool normalPerFace = normalIndex && !normalPerVertex && normalIndex->count() == faceCount;
    const bool texPerVertex = texCoordIndex && texCoordIndex->count() == n;

    // Faces grouped by colour, in order of first appearance (one shape per colour, however the
    // colours alternate).
    std::vector<std::int32_t> groupOfColour(std::size_t(colours->rows()), -1);
    std::vector<std::vector<std::int32_t>> groups;
    for (std::int32_t f = 0; f < faceCount; ++f) {
        const std::int32_t c = (*colorIndex)[f];
        if (c < 0 || c >= colours->rows()) continue;
        std::int32_t& g = groupOfColour[std::size_t(c)];
        if (g < 0) {
            g = std::int32_t(groups.size());
            groups.emplace_back();
        }
        groups[std::size_t(g)].push_back(f);
    }
    if (groups.empty()) return false;

    // Each piece gets only the rows it uses: stamp arrays say which rows the current piece has.
    struct Compactor {
        const MatrixF* source;
        std::vector<std::int32_t> stamp, map;
        std::vector<float> rows;
        std::int32_t piece = -1;
        explicit Compactor(const MatrixF* m)
            : source(m), stamp(m ? std::size_t(m->rows()) : 0, -1), map(m ? std::size_t(m->rows()) : 0, 0) {}
        void begin(std::int32_t p) {
            piece = p;
            rows.clear();
        }
        std::int32_t take(std::int32_t v) {
            if (!source || v < 0 || v >= source->rows()) return v;
            if (stamp[std::size_t(v)] != piece) {
                stamp[std::size_t(v)] = piece;
                map[std::size_t(v)] = std::int32_t(rows.size() / std::size_t(source->columns()));
                rows.insert(rows.end(), source->row(v), source->row(v) + source->columns());
            }
            return map[std::size_t(v)];
        }
        std::unique_ptr<MatrixF> result() const {
            if (!source) return nullptr;
            auto m = std::make_unique<MatrixF>(std::int32_t(rows.size() / std::size_t(source->columns())),
                                               source->columns());
            if (!rows.empty()) std::memcpy(m->data(), rows.data(), rows.size() * sizeof(float));
            m->setKind(source->kind());
            return m;
        }
    };
    Compactor pointRows(points.get()), normalRows(normalIndex ? normals.get() : nullptr),
        texRows(texPerVertex ? texCoord.get() : nullptr);

    bool linesGiven = false;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        pointRows.begin(std::int32_t(g));
        normalRows.begin(std::int32_t(g));
        texRows.begin(std::int32_t(g));
        std::vector<std::int32_t> c, nv, t;
        for (std::int32_t f : groups[g]) {
            for (std::int32_t i = faces.begin[std::size_t(f)]; i < faces.end[std::size_t(f)]; ++i) {
                c.push_back(pointRows.take((*coordIndex)[i]));
                if (normalPerVertex) nv.push_back(normalRows.take((*normalIndex)[i]));
                if (texPerVertex) t.push_back(texRows.take((*texCoordIndex)[i]));
            }
            c.push_back(-1);
            if (normalPerVertex) nv.push_back(-1);
            if (texPerVertex) t.push_back(-1);
            if (normalPerFace) nv.push_back(normalRows.take((*normalIndex)[f]));
        }
        auto piece = std::make_unique<FaceObject>();
        copyShapeSettings(piece->settings, settings);
        piece->texCoordNull = texCoordNull;
        piece->coordIndex = listOf(c, VectorL::KindCoordinateIndex);
        if (!nv.empty()) piece->normalIndex = listOf(nv, VectorL::KindNormalIndex);
        if (!t.empty()) piece->texCoordIndex = listOf(t);
        piece->points = pointRows.result();
        if (normalIndex && normals) piece->normals = normalRows.result();
        if (texPerVertex) {
            piece->texCoord = texRows.result();
        } else if (texCoord) {
            piece->texCoord = texCoord->clone();
        }
        if (piece->texCoord) piece->texCoordWork = piece->texCoord->clone();
        if (!linesGiven && lineIndex) {
            piece->lineIndex = std::make_unique<VectorL>(*lineIndex);
            if (lineColours && lineColourIndex) {
                piece->lineColours = lineColours->clone();
                piece->lineColourIndex = std::make_unique<VectorL>(*lineColourIndex);
            }
            linesGiven = true;
        }
        piece->state_ = state_;
        auto shape = std::make_unique<ShapeNode>(true);
        shape->settings = node->settings;
        shape->appearance().copyFrom(node->appearance());
        const float* rgb = colours->row((*colorIndex)[groups[g][0]]);
        shape->appearance().material().setBaseDiffuse(Colour{rgb[0], rgb[1], rgb[2]});
        shape->setName(node->nameField());
        FaceObject* raw = piece.get();
        shape->setGeometry(std::move(piece));
        ShapeNode* attached = nullptr;
        try {
            attached = static_cast<ShapeNode*>(parent->addChild(std::move(shape)));
        } catch (const ErrTreeManipulation& e) {
            e.report();
            continue;
        }
        if (!raw->finishReading(attached, parent)) {
            if (std::unique_ptr<Node> gone = attached->detachFromParent()) gone.reset();
        }
    }
    return true;
}

void FaceObject::makeTexturePoints(bool) {
    if (!textured_ || !coordIndex || !points) return;
    const Texture* texture = owner_ ? owner_->appearance().texture() : nullptr;
    const std::span<const float> pointSpan(points->data(), std::size_t(points->elementCount()));
    const std::span<const std::int32_t> indexSpan(coordIndex->data(), std::size_t(coordIndex->count()));
    auto install = [&](const TextureMapping& m, bool asRead) {
        const std::int32_t rows = std::int32_t(m.texCoord.size() / std::size_t(m.texCoordComponents));
        auto tc = std::make_unique<MatrixF>(rows, 2);
        for (std::int32_t r = 0; r < rows; ++r) {
            tc->at(r, 0) = m.texCoord[std::size_t(r) * std::size_t(m.texCoordComponents)];
            tc->at(r, 1) =
                m.texCoordComponents > 1 ? m.texCoord[std::size_t(r) * std::size_t(m.texCoordComponents) + 1] : 0.0f;
        }
        texCoordWork = tc->clone();
        if (asRead) texCoord = std::move(tc);
        texCoordIndex = listOf(m.texCoordIndex);
    };
    if (texture && texture->envMap()) {
        // Environment mapping is the view's: the texture points are working values only and are
        // never written as the face set's own.
        const std::span<const float> normalSpan =
            normals ? std::span<const float>(normals->data(), std::size_t(normals->elementCount()))
                    : std::span<const float>();
        const std::span<const std::int32_t> normalIndexSpan =
            normalIndex ? std::span<const std::int32_t>(normalIndex->data(), std::size_t(normalIndex->count()))
                        : std::span<const std::int32_t>();
        // texCoord keeps the vectors (three columns, never written as points); every frame carries
        // them into the view (updateTexturePoints).
        TextureMapping m = environmentMapping(pointSpan, normalSpan, indexSpan, normalIndexSpan);
        const std::int32_t rows = std::int32_t(m.texCoord.size() / 3);
        texCoord = std::make_unique<MatrixF>(rows, 3);
        if (rows > 0) std::memcpy(texCoord->data(), m.texCoord.data(), m.texCoord.size() * sizeof(float));
        texCoordIndex = listOf(m.texCoordIndex);
        static const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        texCoordWork.reset();
        updateTexturePoints(*texture, identity);
        appearanceCache_ = nullptr;  // the first frame sets them for its view
        return;
    } else if (!texCoord || texCoordNull) {
        install(defaultMapping(pointSpan, indexSpan), true);
    } else if (!texCoordIndex) {
        if (texCoord->rows() == points->rows()) {
            texCoordIndex = std::make_unique<VectorL>(*coordIndex);
            texCoordIndex->setKind(VectorL::KindNone);
        } else {
            install(defaultMapping(pointSpan, indexSpan), true);
        }
    }
    if (!texCoordWork && texCoord) texCoordWork = texCoord->clone();
    if (texture && texCoordWork && texCoord && !texture->isIdentityTransform()) {
        texture->transformTexCoords(std::span<const float>(texCoord->data(), std::size_t(texCoord->elementCount())),
                                    std::span<float>(texCoordWork->data(), std::size_t(texCoordWork->elementCount())));
    }
    appearanceCache_ = owner_ ? &owner_->appearance() : nullptr;
}

void FaceObject::updateTexturePoints(const Texture& texture, const float r[9]) {
    if (!texCoord) return;
    const std::int32_t rows = texCoord->rows();
    if (!texCoordWork || texCoordWork->rows() != rows || texCoordWork->columns() != 2)
        texCoordWork = std::make_unique<MatrixF>(rows, 2);
    if (texture.envMap() && texCoord->columns() == 3) {
        for (std::int32_t i = 0; i < rows; ++i) {
            const float* e = texCoord->row(i);
            double v[3];
            for (int k = 0; k < 3; ++k)
                v[k] = double(r[3 * k]) * e[0] + double(r[3 * k + 1]) * e[1] + r[3 * k + 2] * e[2];
            // A scaled transform turns the vectors and changes their length: the direction counts.
            const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
            const double x = l > 1e-30 ? v[0] / l : 0.0, y = l > 1e-30 ? v[1] / l : 0.0;
            texCoordWork->at(i, 0) = float((x + 1) / 2);
            texCoordWork->at(i, 1) = float((y + 1) / 2);
        }
    } else if (texCoord->columns() == 2) {
        const std::span<const float> in(texCoord->data(), std::size_t(texCoord->elementCount()));
        const std::span<float> out(texCoordWork->data(), std::size_t(texCoordWork->elementCount()));
        if (texture.isIdentityTransform())
            std::copy(in.begin(), in.end(), out.begin());
        else
            texture.transformTexCoords(in, out);
    } else {
        return;
    }
    // The drawn vertices take the new points.
    FaceRenderArrays& a = const_cast<FaceRenderArrays&>(renderArrays());
    if (!a.textured || a.texRows.size() != std::size_t(a.vertexCount())) return;
    const std::int32_t stride = a.floatsPerVertex;
    for (std::size_t v = 0; v < a.texRows.size(); ++v) {
        const std::int32_t k = a.texRows[v];
        if (k < 0 || k >= rows) continue;
        a.vertices[v * std::size_t(stride) + 6] = texCoordWork->at(k, 0);
        a.vertices[v * std::size_t(stride) + 7] = texCoordWork->at(k, 1);
    }
    a.texturePointsChanged = true;
}

bool FaceObject::finishReading(ShapeNode* node, GroupNode* parent) {
    if (state_ == Read) {
        prepare();
        return true;
    }
    owner_ = node;
    textured_ = node && node->appearance().texture() != nullptr;
    if (!coordIndex && !lineIndex) {
        sceneReport("Missing coordIndex information in FaceObject", 0, true);
        return false;
    }
    if (!points) {
        sceneReport("Missing point information in FaceObject", 1, true);
        return false;
    }
    const bool cleanedAlready = state_ == Cleaned;
    // Every reader hands polylines; drawing and writing take segments.
    if (lineIndex && !lineColours) makeLineSegments(nullptr, LineColouring::None, nullptr);
    if (settings.colorPerVertex && colours && coordIndex) {
        // Colours per vertex: through colorIndex beside coordIndex, or, without one, by point.
        if (!colorIndex && colours->rows() >= points->rows()) {
            colorIndex = std::make_unique<VectorL>(*coordIndex);
            colorIndex->setKind(VectorL::KindNone);
        } else if (!colorIndex || colorIndex->count() != coordIndex->count()) {
            colorIndex.reset();
            colours.reset();
            sceneReport("ColorPerVertex not supported", 0, true);
        }
    } else if (colorIndex && settings.colorPerVertex) {
        colorIndex.reset();
        colours.reset();
        sceneReport("ColorPerVertex not supported", 0, true);
    }
    validateIndices();
    if (!coordIndex && !lineIndex) {
        sceneReport("Missing coordIndex information in FaceObject", 0, true);
        return false;
    }
    // Colours per vertex are drawn blended; only colours per face split the face set.
    if (faceObjectSettings().colorSplitting && colorIndex && !settings.colorPerVertex) {
        // The pieces take normals through their indices: normals given without any get them first.
        if (coordIndex && normals && (!normalIndex || normalIndex->empty())) indexGivenNormals();
        if (splitByColour(node, parent)) return false;
    }

    const ReadingState& rs = readingState();
    if (rs.importScaling && rs.importScaleFactor != 1.0) {
        const float factor = float(rs.importScaleFactor);
        for (float& v : std::span<float>(points->data(), std::size_t(points->elementCount()))) v *= factor;
    }

    if (coordIndex) {
        const Binding b = settings.normalBinding;
        if (normalIndex && !normalIndex->empty()) {
            if (b == Binding::Default || b == Binding::Overall) {
                settings.creaseAngle = 0.22f;
                normalIndex.reset();
                normals.reset();
                triangulate();
                generateNormals(settings.creaseAngle);
            } else if (!mapNormalIndicesToNormals()) {
                // Nothing half rewritten: the given normals go and new ones are made.
                normals.reset();
                normalIndex.reset();
                if (settings.creaseAngle < 0) settings.creaseAngle = faceObjectSettings().vrml1CreaseAngle;
                triangulate();
                generateNormals(settings.creaseAngle);
            }
        } else if (normals) {
            if (!indexGivenNormals()) {
                if (settings.creaseAngle < 0) settings.creaseAngle = faceObjectSettings().vrml1CreaseAngle;
                triangulate();
                generateNormals(settings.creaseAngle);
            }
        } else {
            if (!settings.ccw) triangulate();
            if (settings.creaseAngle >= 0 && !cleanedAlready) {
                triangulate();
                generateNormals(settings.creaseAngle);
            } else if (settings.creaseAngle >= 0) {
                triangulate();
                generateNormals(settings.creaseAngle);
            }
        }
        triangulate();
        if (normals && (rs.fileVersion < 3.8f)) {
            for (std::int32_t r = 0; r < normals->rows(); ++r) {
                float* v = normals->row(r);
                const double l = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
                if (l > 1.0e-30) {
                    for (int i = 0; i < 3; ++i) v[i] = float(v[i] / l);
                } else {
                    v[0] = 1.0f, v[1] = 0.0f, v[2] = 0.0f;  // a zero normal given in the file
                }
            }
        }
        makeTexturePoints(false);
    }
    if (lineIndex) ++lineSetCount();
    if (!cleanedAlready || state_ != Cleaned) state_ = Read;
    if (cleanedAlready) state_ = Cleaned;
    prepare();
    return true;
}

}  // namespace kinemo
