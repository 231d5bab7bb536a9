// Drawing face sets: the arrays built by prepare go to OpenGL in one glDrawElements call, from
// buffer objects (OpenGL 1.5) where the context has them, else from client arrays (OpenGL 1.1).
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "core/numbers.h"
#include "geometry/appearance.h"
#include "geometry/face_object.h"
#include "geometry/image.h"
#include "geometry/shape_node.h"
#include "geometry/texture.h"
#include "scene/scene_report.h"

namespace kinemo {
namespace {

std::mutex& pendingMutex() {
    static std::mutex m;
    return m;
}
std::vector<GLuint>& pendingBuffers() {
    static std::vector<GLuint> v;
    return v;
}
std::atomic<std::uint64_t>& bufferGeneration() {
    static std::atomic<std::uint64_t> g{1};
    return g;
}

// Whether the current context has buffer objects: version 1.5 or later.
bool haveBufferObjects() {
    static int known = -1;
    if (known < 0) {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        if (!version) return false;
        const int major = std::atoi(version);
        const char* dot = std::strchr(version, '.');
        const int minor = dot ? std::atoi(dot + 1) : 0;
        known = (major > 1 || (major == 1 && minor >= 5)) ? 1 : 0;
    }
    return known == 1;
}

float& lastLineWidth() {
    static float w = -1.0f;
    return w;
}

}  // namespace

void releaseFaceBuffers(FaceRenderArrays& a) {
    if (a.uploaded && a.bufferGeneration == bufferGeneration().load()) {
        std::lock_guard<std::mutex> lock(pendingMutex());
        for (GLuint name : {a.vertexBuffer, a.colourBuffer, a.indexBuffer})
            if (name) pendingBuffers().push_back(name);
    }
    a.vertexBuffer = a.colourBuffer = a.indexBuffer = 0;
    a.uploaded = false;
}

void deletePendingFaceBuffers() {
    std::vector<GLuint> names;
    {
        std::lock_guard<std::mutex> lock(pendingMutex());
        names.swap(pendingBuffers());
    }
    if (!names.empty()) glDeleteBuffers(GLsizei(names.size()), names.data());
}

void forgetFaceBufferObjects() {
    ++bufferGeneration();
    std::lock_guard<std::mutex> lock(pendingMutex());
    pendingBuffers().clear();
}

void finishFaceDrawing() {
    if (haveBufferObjects()) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_CULL_FACE);
}

void FaceObject::render(ShapeNode& node, const ShapeDrawContext& context) {
    if (state_ != Ready) return;
    if (reportLevel().reaches(11))
        sceneLog(
            formatC(textured_ ? "FaceObject::renderTextured numPoint: %ld\n" : "FaceObject.renderShape numPoint: %ld\n",
                    long(vertexRefCount)));
    drawArrays(*this, node, context);
}

void FaceObject::update(ShapeNode& node, const ShapeDrawContext&) {
    if (state_ != Ready || !textured_ || renderArrays().texRows.empty()) return;
    const Texture* texture = node.appearance().texture();
    if (!texture) return;
    const bool view = texture->envMap() && texCoord && texCoord->columns() == 3;
    // Shapes sharing this face set may each hold an equal texture: the points are made again only
    // when the transform they were made with differs.
    if (!view && appearanceCache_ && texture->matrix() == texturePointsMatrix_) return;
    float r[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    if (view) {
        // The modelview holds the shape's transform after the camera: its linear part carries the
        // vectors into the camera's frame.
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column) r[3 * row + column] = m[4 * column + row];
    }
    updateTexturePoints(*texture, r);
    texturePointsMatrix_ = texture->matrix();
    appearanceCache_ = &node.appearance();
}

void FaceObject::drawArrays(const FaceObject& data, ShapeNode& node, const ShapeDrawContext& context) {
    auto& a = const_cast<FaceRenderArrays&>(data.renderArrays());
    if (!a.indices.empty() && !a.vertices.empty()) {
        // Views and bitmaps are framebuffers of the one context the render thread owns, so
        // captures draw from the same buffer objects as the view.
        const bool buffers = haveBufferObjects();
        if (buffers) {
            deletePendingFaceBuffers();
            if (a.uploaded && a.bufferGeneration != bufferGeneration().load()) a.uploaded = false;
            if (!a.uploaded) {
                GLuint names[3] = {0, 0, 0};
                glGenBuffers(a.colours.empty() ? 2 : 3, names);
                a.vertexBuffer = names[0];
                a.indexBuffer = names[1];
                a.colourBuffer = a.colours.empty() ? 0 : names[2];
                glBindBuffer(GL_ARRAY_BUFFER, a.vertexBuffer);
                glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(a.vertices.size() * sizeof(float)), a.vertices.data(),
                             GL_STATIC_DRAW);
                if (a.colourBuffer) {
                    glBindBuffer(GL_ARRAY_BUFFER, a.colourBuffer);
                    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(a.colours.size() * sizeof(float)), a.colours.data(),
                                 GL_STATIC_DRAW);
                }
                glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, a.indexBuffer);
                glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(a.indices.size() * sizeof(std::uint32_t)),
                             a.indices.data(), GL_STATIC_DRAW);
                a.bufferGeneration = bufferGeneration().load();
                a.uploaded = true;
                a.texturePointsChanged = false;
            } else if (a.texturePointsChanged) {
                glBindBuffer(GL_ARRAY_BUFFER, a.vertexBuffer);
                glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(a.vertices.size() * sizeof(float)), a.vertices.data());
                a.texturePointsChanged = false;
            }
        }
        const GLsizei stride = GLsizei(a.floatsPerVertex * sizeof(float));
        const char* base = buffers ? nullptr : reinterpret_cast<const char*>(a.vertices.data());
        if (buffers) glBindBuffer(GL_ARRAY_BUFFER, a.vertexBuffer);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_VERTEX_ARRAY);
        glNormalPointer(GL_FLOAT, stride, base);
        glVertexPointer(3, GL_FLOAT, stride, base + 3 * sizeof(float));
        // See-through texture pixels (alpha 0) leave the surface out there.
        const Texture* texture = a.textured ? node.appearance().texture() : nullptr;
        const bool seeThrough = texture && texture->image() && texture->image()->seeThrough();
        if (a.textured) {
            glEnable(GL_TEXTURE_2D);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, stride, base + 6 * sizeof(float));
            if (seeThrough) {
                // Half the alpha of the other texels: filtering blends alpha across the edge.
                glEnable(GL_ALPHA_TEST);
                glAlphaFunc(GL_GREATER, 0.5f * (kTextureAlpha / 255.0f) * node.appearance().material().alpha());
            }
        }
        const bool colours = !a.colours.empty();
        if (colours) {
            glEnable(GL_COLOR_MATERIAL);
            glColorMaterial(GL_FRONT, GL_DIFFUSE);
            glEnableClientState(GL_COLOR_ARRAY);
            if (buffers) {
                glBindBuffer(GL_ARRAY_BUFFER, a.colourBuffer);
                glColorPointer(3, GL_FLOAT, 0, nullptr);
            } else {
                glColorPointer(3, GL_FLOAT, 0, a.colours.data());
            }
        }
        // Solid shapes show only the faces turned to the viewer: the hardware's back-face test
        // decides the same as the viewer-against-plane test for counter-clockwise triangles.
        const bool cull = data.settings.solid;
        if (cull) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
            glFrontFace(GL_CCW);
        } else {
            glDisable(GL_CULL_FACE);
        }
        const GLuint last = GLuint(a.vertices.size() / std::size_t(a.floatsPerVertex)) - 1;
        if (buffers) {
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, a.indexBuffer);
            glDrawRangeElements(GL_TRIANGLES, 0, last, GLsizei(a.indices.size()), GL_UNSIGNED_INT, nullptr);
        } else {
            glDrawRangeElements(GL_TRIANGLES, 0, last, GLsizei(a.indices.size()), GL_UNSIGNED_INT, a.indices.data());
        }
        if (colours) {
            glDisableClientState(GL_COLOR_ARRAY);
            glDisable(GL_COLOR_MATERIAL);
        }
        if (a.textured) {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            glDisable(GL_TEXTURE_2D);
            if (seeThrough) glDisable(GL_ALPHA_TEST);
        }
        // The vertex and normal arrays, their buffers and the culling stay set for the next face set:
        // switching them off and on between shapes costs the driver a revalidation per draw.
        // finishFaceDrawing resets them.
    }
    if (data.lineIndex && data.points) data.drawLines(node);
}

// Lines in their own colours, or in the material's emissive colour, without lighting. With a
// length limit below 1e30 only the first limit units of the accumulated length are drawn
// (negative: only what lies beyond).
void FaceObject::drawLines(ShapeNode& node) const {
    finishFaceDrawing();  // lines come from client arrays, without normals
    const VectorL& li = *lineIndex;
    const std::int32_t n = li.count(), rows = points->rows();
    if (reportLevel().reaches(11)) sceneLog(formatC("FaceObject.renderLines numLine: %ld\n", long(n / 3)));
    glDisable(GL_LIGHTING);
    const Colour& c = node.appearance().material().baseEmissive();
    glColor3f(c[0], c[1], c[2]);
    const float width = faceObjectSettings().lineWidth;
    if (width != lastLineWidth()) {
        glLineWidth(width);
        lastLineWidth() = width;
    }
    const VectorL* lc =
        lineColours && lineColourIndex && lineColourIndex->count() == n ? lineColourIndex.get() : nullptr;
    const std::int32_t colourRows = lc ? lineColours->rows() : 0;
    std::vector<float> vertices, colours;
    vertices.reserve(std::size_t(n) * 2 * 3);
    if (lc) colours.reserve(std::size_t(n) * 2 * 3);
    auto colourOf = [&](std::int32_t i, float out[3]) {
        const std::int32_t k = (*lc)[i];
        const float* rgb = k >= 0 && k < colourRows ? lineColours->row(k) : c.data();
        for (int j = 0; j < 3; ++j) out[j] = rgb[j];
    };
    const bool limited = lineLengthLimit_ < 1.0e30f;
    const double limit = lineLengthLimit_;
    double run = 0.0;
    for (std::int32_t i = 0; i + 1 < n;) {
        const std::int32_t a = li[i], b = li[i + 1];
        if (b < 0) {
            i += 2;
            continue;
        }
        if (a < 0) {
            ++i;
            continue;
        }
        const std::int32_t at = i++;
        if (a >= rows || b >= rows) continue;
        const float *p = points->row(a), *q = points->row(b);
        float from[3] = {p[0], p[1], p[2]}, to[3] = {q[0], q[1], q[2]};
        float fromColour[3] = {0, 0, 0}, toColour[3] = {0, 0, 0};
        if (lc) {
            colourOf(at, fromColour);
            colourOf(at + 1, toColour);
        }
        if (limited) {
            const double len = std::sqrt(double(q[0] - p[0]) * (q[0] - p[0]) + double(q[1] - p[1]) * (q[1] - p[1]) +
                                         double(q[2] - p[2]) * (q[2] - p[2]));
            const double s0 = run, s1 = run + len;
            run = s1;
            if (limit >= 0) {
                if (s0 >= limit) break;
                if (s1 > limit && len > 0) {
                    const double t = (limit - s0) / len;
                    for (int k = 0; k < 3; ++k) {
                        to[k] = float(p[k] + (q[k] - p[k]) * t);
                        toColour[k] = float(fromColour[k] + (toColour[k] - fromColour[k]) * t);
                    }
                }
            } else {
                const double from0 = -limit;
                if (s1 <= from0) continue;
                if (s0 < from0 && len > 0) {
                    const double t = (from0 - s0) / len;
                    for (int k = 0; k < 3; ++k) {
                        from[k] = float(p[k] + (q[k] - p[k]) * t);
                        fromColour[k] = float(fromColour[k] + (toColour[k] - fromColour[k]) * t);
                    }
                }
            }
        }
        vertices.insert(vertices.end(), from, from + 3);
        vertices.insert(vertices.end(), to, to + 3);
        if (lc) {
            colours.insert(colours.end(), fromColour, fromColour + 3);
            colours.insert(colours.end(), toColour, toColour + 3);
        }
    }
    if (!vertices.empty()) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, vertices.data());
        if (lc) {
            glEnableClientState(GL_COLOR_ARRAY);
            glColorPointer(3, GL_FLOAT, 0, colours.data());
        }
        glDrawArrays(GL_LINES, 0, GLsizei(vertices.size() / 3));
        if (lc) glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    glEnable(GL_LIGHTING);
}

}  // namespace kinemo
