// Elevation grids: heights over a regular grid in x and z, turned into triangles for drawing.
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
// A grid past this many points is refused: its size comes from the file.
constexpr std::int64_t kMaxGridPoints = 50000000;
}  // namespace

ElevationGrid::ElevationGrid() { settings.creaseAngle = 0.0f; }

const char* ElevationGrid::readFromString(const char* text, const char* end, ShapeNode* node) {
    end = reading::textEndFor(text, end);
    const KeyWordMatcher& m = elevationGridMatcher();
    long braces = 0, brackets = 0;
    bool opened = false;
    const char* pos = text;
    for (int n = 0; n < 1000; ++n) {
        KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) {
            pos = hit.after;
            break;
        }
        const Keyword k = hit.keyword;
        if (isBracketToken(k)) {
            if (k == kw::CloseBrace && braces == 0) {
                pos = hit.begin;
                break;
            }
            KeyWordMatcher::countBrackets(braces, brackets, k);
            pos = hit.after;
            if (k == kw::OpenBrace) opened = true;
            if (opened && braces <= 0 && brackets <= 0) break;
            continue;
        }
        pos = hit.after;
        auto truth = [&](bool& b) {
            std::string_view w = reading::readWord(pos, end);
            if (!w.empty()) b = w[0] == 'T' || w[0] == 't';
        };
        if (k == kw::xDimension) {
            xDimension = readInt(pos);
            reading::readWord(pos, end);
        } else if (k == kw::zDimension) {
            zDimension = readInt(pos);
            reading::readWord(pos, end);
        } else if (k == kw::xSpacing) {
            xSpacing = float(readFloat(pos));
            reading::readWord(pos, end);
        } else if (k == kw::zSpacing) {
            zSpacing = float(readFloat(pos));
            reading::readWord(pos, end);
        } else if (k == kw::height) {
            heights.clear();
            pos = readFloatList(heights, pos, end);
        } else if (k == kw::color) {
            const char* q = pos;
            while (q < end && (*q == ' ' || *q == '\t' || *q == '\r' || *q == '\n')) ++q;
            if (q < end && *q == '[') pos = reading::readMatrix(pos, end, 3, colours, 0);
        } else if (k == kw::vector) {
            pos = reading::readMatrix(pos, end, 3, normals, MatrixF::KindNormals);
        } else if (k == kw::point) {
            pos = reading::readMatrix(pos, end, 2, texCoord, 0);
        } else if (k == kw::normalPerVertex) {
            truth(normalPerVertex);
        } else if (k == kw::colorPerVertex) {
            truth(colorPerVertex);
        } else if (k == kw::solid) {
            truth(settings.solid);
        } else if (k == kw::ccw) {
            truth(settings.ccw);
        } else if (k == kw::creaseAngle) {
            settings.creaseAngle = float(readFloat(pos));
            reading::readWord(pos, end);
        } else if (k == kw::Normal || k == kw::texCoord || k == kw::TextureCoordinate) {
            // their bodies are read by the keys above
        } else {
            pos = hit.begin;
            break;
        }
    }
    build(node);
    return pos;
}

bool ElevationGrid::build(ShapeNode* node) {
    mesh_.reset();
    const std::int64_t count = std::int64_t(xDimension) * std::int64_t(zDimension);
    if (xDimension < 2 || zDimension < 2 || count > kMaxGridPoints || std::int64_t(heights.size()) < count) {
        sceneReport(formatC("ElevationGrid: %ld heights for a grid of %ld x %ld, nothing drawn", long(heights.size()),
                            long(xDimension), long(zDimension)),
                    0, true);
        return false;
    }
    const bool textured = node && node->appearance().texture();
    if (colours && textured) {
        sceneReport("ElevationGrid has colors and texture, ignoring colors", 0, false);
        colours.reset();
    }
    const std::int32_t nx = xDimension, nz = zDimension;
    const double scale = readingState().importScaling ? readingState().importScaleFactor : 1.0;
    auto face = std::make_unique<FaceObject>();
    copyShapeSettings(face->settings, settings);
    face->points = std::make_unique<MatrixF>(nx * nz, 3);
    for (std::int32_t j = 0; j < nz; ++j)
        for (std::int32_t i = 0; i < nx; ++i) {
            float* p = face->points->row(j * nx + i);
            p[0] = float(i * xSpacing * scale);
            p[1] = float(heights[std::size_t(j) * std::size_t(nx) + std::size_t(i)] * scale);
            p[2] = float(j * zSpacing * scale);
        }
    const std::int32_t quads = (nx - 1) * (nz - 1);
    face->coordIndex = std::make_unique<VectorL>(quads * 5 - 1);
    std::int32_t* c = face->coordIndex->data();
    std::int32_t w = 0;
    for (std::int32_t j = 0; j + 1 < nz; ++j)
        for (std::int32_t i = 0; i + 1 < nx; ++i) {
            c[w++] = j * nx + i;
            c[w++] = (j + 1) * nx + i;
            c[w++] = (j + 1) * nx + i + 1;
            c[w++] = j * nx + i + 1;
            if (w < quads * 5 - 1) c[w++] = -1;
        }
    if (colours) {
        if (!colorPerVertex && colours->rows() >= quads) {
            face->colours = colours->clone();
        } else {
            sceneReport("ElevationGrid: colours per vertex are not drawn", 0, false);
        }
    }
    if (normals && normals->rows() >= (normalPerVertex ? nx * nz : quads)) {
        face->normals = normals->clone();
        face->settings.normalBinding = normalPerVertex ? Binding::PerVertexIndexed : Binding::PerFace;
    }
    if (textured) {
        face->texCoord = std::make_unique<MatrixF>(nx * nz, 2);
        for (std::int32_t j = 0; j < nz; ++j)
            for (std::int32_t i = 0; i < nx; ++i) {
                float* t = face->texCoord->row(j * nx + i);
                if (texCoord && texCoord->rows() >= nx * nz) {
                    std::memcpy(t, texCoord->row(j * nx + i), 2 * sizeof(float));
                } else {
                    t[0] = float(i) / float(nx - 1);
                    t[1] = float(j) / float(nz - 1);
                }
            }
        face->texCoordWork = face->texCoord->clone();
        face->texCoordIndex = std::make_unique<VectorL>(*face->coordIndex);
    }
    face->setState(FaceObject::Cleaned);
    if (!face->finishReading(node, nullptr)) return false;
    mesh_ = std::move(face);
    for (int i = 0; i < 3; ++i)
        boundsMin[i] = mesh_->boundsMin[i], boundsMax[i] = mesh_->boundsMax[i], centre[i] = mesh_->centre[i];
    return true;
}

void ElevationGrid::writeText(std::string& out) const {
    // A grid with colours, normals or texture points of its own is written as its face set, which
    // keeps them; a plain one as the grid.
    if (colours || normals || texCoord) {
        if (mesh_) mesh_->writeText(out);
        return;
    }
    if (!mesh_) return;
    out += " ElevationGrid {";
    out += formatC("\n    xDimension %ld\n    zDimension %ld", long(xDimension), long(zDimension));
    out += "\n    xSpacing ";
    appendFixed(out, xSpacing, 6);
    out += "\n    zSpacing ";
    appendFixed(out, zSpacing, 6);
    out += "\n    height [";
    const std::size_t n = std::size_t(xDimension) * std::size_t(zDimension);
    for (std::size_t i = 0; i < n; ++i) {
        out += (i % 10 == 0) ? "\n      " : " ";
        appendFixed(out, heights[i], 4);
    }
    out += "]";
    if (settings.creaseAngle > 0) {
        out += "\n    creaseAngle ";
        appendFixed(out, settings.creaseAngle, 6);
    }
    if (!settings.solid) out += "\n    solid FALSE";
    if (!settings.ccw) out += "\n    ccw FALSE";
    out += "\n  }";
}

void ElevationGrid::render(ShapeNode& node, const ShapeDrawContext& context) {
    if (mesh_) FaceObject::drawArrays(*mesh_, node, context);
}

float ElevationGrid::intersectRay(float hit[3], const float o[3], const float d[3]) const {
    return mesh_ ? mesh_->intersectRay(hit, o, d) : 1.0e30f;
}

std::unique_ptr<ShapeBasics> ElevationGrid::makeReference() {
    auto g = std::make_unique<ElevationGrid>();
    g->xDimension = xDimension, g->zDimension = zDimension, g->xSpacing = xSpacing, g->zSpacing = zSpacing;
    g->heights = heights;
    g->colours = colours ? colours->clone() : nullptr;
    g->normals = normals ? normals->clone() : nullptr;
    g->texCoord = texCoord ? texCoord->clone() : nullptr;
    g->normalPerVertex = normalPerVertex, g->colorPerVertex = colorPerVertex;
    g->settings = settings;
    g->build(nullptr);
    return g;
}

}  // namespace kinemo
