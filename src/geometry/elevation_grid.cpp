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
    const char* pos = reading::readBody(text, end, elevationGridMatcher(), 1000, [&](Keyword k, const char*& p) {
        auto truth = [&](bool& b) {
            std::string_view w = reading::readWord(p, end);
            if (!w.empty()) b = w[0] == 'T' || w[0] == 't';
        };
        if (k == kw::xDimension) {
            xDimension = readInt(p);
            reading::readWord(p, end);
        } else if (k == kw::zDimension) {
            zDimension = readInt(p);
            reading::readWord(p, end);
        } else if (k == kw::xSpacing) {
            xSpacing = float(readFloat(p));
            reading::readWord(p, end);
        } else if (k == kw::zSpacing) {
            zSpacing = float(readFloat(p));
            reading::readWord(p, end);
        } else if (k == kw::height) {
            heights.clear();
            p = readFloatList(heights, p, end);
        } else if (k == kw::color) {
            const char* q = p;
            while (q < end && (*q == ' ' || *q == '\t' || *q == '\r' || *q == '\n')) ++q;
            const bool nodeName = std::size_t(end - q) >= 5 && std::memcmp(q, "Color", 5) == 0;
            if (!nodeName && (reading::binaryLists() || (q < end && *q == '[')))
                p = reading::readMatrix(p, end, 3, colours, 0);
        } else if (k == kw::vector) {
            p = reading::readMatrix(p, end, 3, normals, MatrixF::KindNormals);
        } else if (k == kw::point) {
            p = reading::readMatrix(p, end, 2, texCoord, 0);
        } else if (k == kw::normalPerVertex) {
            truth(normalPerVertex);
        } else if (k == kw::colorPerVertex) {
            truth(colorPerVertex);
        } else if (k == kw::solid) {
            truth(settings.solid);
        } else if (k == kw::ccw) {
            truth(settings.ccw);
        } else if (k == kw::creaseAngle) {
            settings.creaseAngle = float(readFloat(p));
            reading::readWord(p, end);
        } else if (k == kw::Normal || k == kw::texCoord || k == kw::TextureCoordinate) {
            // their bodies are read by the keys above
        } else {
            return false;
        }
        return true;
    });
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
    // Two triangles per cell, wound as the grid faces (ccw off turns them), numbered like the grid
    // points: the per-vertex lists below are this list, so they follow the points through reading.
    const std::int32_t quads = (nx - 1) * (nz - 1);
    const std::int32_t length = quads * 8 - 1;
    auto cornerList = std::make_unique<VectorL>(length);
    std::int32_t* c = cornerList->data();
    std::int32_t w = 0;
    auto triangle = [&](std::int32_t a, std::int32_t b, std::int32_t d) {
        c[w++] = a;
        c[w++] = settings.ccw ? b : d;
        c[w++] = settings.ccw ? d : b;
        if (w < length) c[w++] = -1;
    };
    for (std::int32_t j = 0; j + 1 < nz; ++j)
        for (std::int32_t i = 0; i + 1 < nx; ++i) {
            const std::int32_t a = j * nx + i, b = (j + 1) * nx + i, d = (j + 1) * nx + i + 1, e = j * nx + i + 1;
            triangle(a, b, d);
            triangle(a, d, e);
        }
    face->settings.ccw = true;
    auto perCell = [&]() {
        // one entry per corner naming its cell, -1 between the triangles
        auto list = std::make_unique<VectorL>(length);
        for (std::int32_t k = 0; k < length; ++k) (*list)[k] = (k % 4 == 3) ? -1 : k / 8;
        return list;
    };
    face->coordIndex = std::make_unique<VectorL>(*cornerList);
    face->coordIndex->setKind(VectorL::KindCoordinateIndex);
    bool colourPerPoint = false;
    if (colours) {
        if (colorPerVertex && colours->rows() >= nx * nz) {
            colourPerPoint = true;  // given to the mesh once it is read, see below
        } else if (!colorPerVertex && colours->rows() >= quads) {
            face->colours = colours->clone();
            face->colorIndex = std::make_unique<VectorL>(quads * 2);
            for (std::int32_t t = 0; t < quads * 2; ++t) (*face->colorIndex)[t] = t / 2;
        } else {
            sceneReport(formatC("ElevationGrid: %ld colours for %ld %s, colours dropped", long(colours->rows()),
                                long(colorPerVertex ? nx * nz : quads), colorPerVertex ? "points" : "cells"),
                        0, true);
        }
    }
    if (normals && normals->rows() >= (normalPerVertex ? nx * nz : quads)) {
        face->normals = normals->clone();
        face->normalIndex = normalPerVertex ? std::make_unique<VectorL>(*cornerList) : perCell();
        face->normalIndex->setKind(VectorL::KindNormalIndex);
        face->settings.normalBinding = Binding::PerVertexIndexed;
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
        face->texCoordIndex = std::make_unique<VectorL>(*cornerList);
    }
    face->setState(FaceObject::Cleaned);
    if (!face->finishReading(node, nullptr)) return false;
    if (colourPerPoint && face->coordIndex && face->coordIndex->count() == length) {
        // Reading keeps the corners where they are (the triangles are already wound), so the grid's
        // own corner list names every corner's colour; drawing blends them across the triangles.
        face->colours = colours->clone();
        face->colorIndex = std::move(cornerList);
        face->settings.colorPerVertex = true;
        face->setState(FaceObject::Cleaned);
        face->prepare();
    }
    mesh_ = std::move(face);
    for (int i = 0; i < 3; ++i)
        boundsMin[i] = mesh_->boundsMin[i], boundsMax[i] = mesh_->boundsMax[i], centre[i] = mesh_->centre[i];
    return true;
}

void ElevationGrid::writeText(std::string& out) const {
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
    // Colours, normals and texture points as the grid took them: those it dropped are not written.
    if (mesh_->colours) {
        out += "\n    color Color { color ";
        colours->writeText(out, 4, true, 2);
        out += " }";
        if (!colorPerVertex) out += "\n    colorPerVertex FALSE";
    }
    if (mesh_->normals && normals && mesh_->settings.creaseAngle < 0) {
        out += "\n    normal Normal { vector ";
        normals->writeText(out, 3, true, 1);
        out += " }";
        if (!normalPerVertex) out += "\n    normalPerVertex FALSE";
    }
    if (texCoord && mesh_->textured() && texCoord->rows() >= xDimension * zDimension) {
        out += "\n    texCoord TextureCoordinate { point ";
        texCoord->writeText(out, 4, true, 2);
        out += " }";
    }
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
