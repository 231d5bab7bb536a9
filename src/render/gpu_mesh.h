#pragma once
// Triangle meshes in buffer objects for the shapes' drawing: positions, normals and optional
// per-vertex colours uploaded once, drawn with one ranged indexed call. A mesh may be destroyed
// on any thread (the interface thread deletes shapes while the renderer is paused): its GL names
// are then handed to the render thread, which deletes them before its next frame.
#include <cstdint>
#include <vector>

namespace kinemo {

class GpuMesh {
public:
    GpuMesh() = default;
    ~GpuMesh();
    GpuMesh(const GpuMesh&) = delete;
    GpuMesh& operator=(const GpuMesh&) = delete;
    GpuMesh(GpuMesh&& other) noexcept;
    GpuMesh& operator=(GpuMesh&& other) noexcept;

    // Render thread. positions and normals hold 3 floats a vertex, colours (optional) 4; indices
    // are triangles. Indices past the vertex count are dropped. False when nothing was uploaded.
    bool upload(const std::vector<float>& positions, const std::vector<float>& normals,
                const std::vector<float>& colours, const std::vector<std::uint32_t>& indices);
    bool uploaded() const { return buffer_ != 0; }
    std::size_t triangles() const { return std::size_t(indexCount_) / 3; }
    // Render thread: draws the triangles with the current material and modelview.
    void draw() const;
    // Render thread: resets the array state that draw leaves set (the renderer calls it after
    // each drawing pass).
    static void finishDrawing();
    // Gives the GL names back (to the render thread when called elsewhere).
    void release();

private:
    unsigned buffer_ = 0;
    unsigned indexBuffer_ = 0;
    int vertexCount_ = 0;
    int indexCount_ = 0;
    bool hasColours_ = false;
    std::size_t normalOffset_ = 0;
    std::size_t colourOffset_ = 0;
};

// Marks the calling thread as the one that owns the OpenGL context (the renderer does this when
// it makes and when it ends its context); forgets names handed over for an earlier context.
void setGlThread(bool owns);
bool isGlThread();
// Render thread: deletes the buffer names handed over by other threads.
void collectGlGarbage();

}  // namespace kinemo
