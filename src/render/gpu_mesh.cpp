#include "render/gpu_mesh.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <mutex>
#include <utility>

namespace kinemo {

namespace {

thread_local bool glThread = false;
std::mutex garbageMutex;
std::vector<GLuint> garbageBuffers;

void deleteBuffers(std::vector<GLuint> names) {
    if (names.empty()) return;
    if (glThread) {
        glDeleteBuffers(GLsizei(names.size()), names.data());
        return;
    }
    std::lock_guard<std::mutex> lock(garbageMutex);
    garbageBuffers.insert(garbageBuffers.end(), names.begin(), names.end());
}

}  // namespace

void setGlThread(bool owns) {
    glThread = owns;
    // Names handed over for an earlier context mean nothing in a new one.
    std::lock_guard<std::mutex> lock(garbageMutex);
    garbageBuffers.clear();
}
bool isGlThread() { return glThread; }

void collectGlGarbage() {
    if (!glThread) return;
    std::vector<GLuint> names;
    {
        std::lock_guard<std::mutex> lock(garbageMutex);
        names.swap(garbageBuffers);
    }
    if (!names.empty()) glDeleteBuffers(GLsizei(names.size()), names.data());
}

GpuMesh::~GpuMesh() { release(); }

GpuMesh::GpuMesh(GpuMesh&& other) noexcept { *this = std::move(other); }

GpuMesh& GpuMesh::operator=(GpuMesh&& other) noexcept {
    if (this != &other) {
        release();
        buffer_ = std::exchange(other.buffer_, 0u);
        indexBuffer_ = std::exchange(other.indexBuffer_, 0u);
        vertexCount_ = std::exchange(other.vertexCount_, 0);
        indexCount_ = std::exchange(other.indexCount_, 0);
        hasColours_ = other.hasColours_;
        normalOffset_ = other.normalOffset_;
        colourOffset_ = other.colourOffset_;
    }
    return *this;
}

void GpuMesh::release() {
    std::vector<GLuint> names;
    if (buffer_ != 0) names.push_back(buffer_);
    if (indexBuffer_ != 0) names.push_back(indexBuffer_);
    buffer_ = indexBuffer_ = 0;
    vertexCount_ = indexCount_ = 0;
    deleteBuffers(std::move(names));
}

bool GpuMesh::upload(const std::vector<float>& positions, const std::vector<float>& normals,
                     const std::vector<float>& colours, const std::vector<std::uint32_t>& indices) {
    release();
    if (!glThread) return false;
    const std::size_t vertices = positions.size() / 3;
    if (vertices == 0 || vertices > 0x7fffffffu / 10) return false;
    std::vector<std::uint32_t> kept;
    kept.reserve(indices.size());
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
        if (indices[i] < vertices && indices[i + 1] < vertices && indices[i + 2] < vertices)
            kept.insert(kept.end(), {indices[i], indices[i + 1], indices[i + 2]});
    if (kept.empty()) return false;
    const bool withNormals = normals.size() >= vertices * 3;
    hasColours_ = colours.size() >= vertices * 4;
    // One buffer: all positions, then all normals, then all colours.
    const std::size_t positionBytes = vertices * 3 * sizeof(float);
    normalOffset_ = positionBytes;
    colourOffset_ = positionBytes + (withNormals ? positionBytes : 0);
    const std::size_t total = colourOffset_ + (hasColours_ ? vertices * 4 * sizeof(float) : 0);
    glGenBuffers(1, &buffer_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(total), nullptr, GL_STATIC_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(positionBytes), positions.data());
    if (withNormals)
        glBufferSubData(GL_ARRAY_BUFFER, GLintptr(normalOffset_), GLsizeiptr(positionBytes), normals.data());
    if (hasColours_)
        glBufferSubData(GL_ARRAY_BUFFER, GLintptr(colourOffset_), GLsizeiptr(vertices * 4 * sizeof(float)),
                        colours.data());
    if (!withNormals) normalOffset_ = 0;
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glGenBuffers(1, &indexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(kept.size() * sizeof(std::uint32_t)), kept.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    vertexCount_ = int(vertices);
    indexCount_ = int(kept.size());
    return true;
}

void GpuMesh::draw() const {
    if (buffer_ == 0 || !glThread) return;
    // Array state is left set for the next mesh (finishDrawing resets it): switching it off and
    // on between meshes costs the driver a revalidation per draw.
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    if (normalOffset_ != 0) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, reinterpret_cast<const void*>(normalOffset_));
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
    }
    if (hasColours_) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, reinterpret_cast<const void*>(colourOffset_));
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    // The range spares the driver a scan of the indices on every draw.
    glDrawRangeElements(GL_TRIANGLES, 0, GLuint(vertexCount_ - 1), indexCount_, GL_UNSIGNED_INT, nullptr);
}

void GpuMesh::finishDrawing() {
    if (!glThread) return;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
}

}  // namespace kinemo
