#pragma once
// Render contexts: where a frame is drawn. Both kinds are framebuffer objects in the render
// thread's one OpenGL context; the view context is what the 3D view shows, a bitmap context an
// off-screen image for snapshots and image sequences. All calls come from the render thread.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "render/renderer_settings.h"

namespace kinemo {

class Renderer;

// Pixels read back from a context: rows x cols int32 values whose bytes in memory are red,
// green, blue, alpha; rows run bottom to top.
struct PixelImage {
    int rows = 0;
    int cols = 0;
    std::vector<std::int32_t> pixels;

    std::int32_t at(int row, int col) const { return pixels[std::size_t(row) * std::size_t(cols) + std::size_t(col)]; }
    // Red, green, blue, alpha of one pixel.
    std::array<int, 4> rgba(int row, int col) const;
    const std::uint8_t* bytes() const { return reinterpret_cast<const std::uint8_t*>(pixels.data()); }
};

// A colour and depth framebuffer object. Owns its GL names.
class Framebuffer {
public:
    Framebuffer() = default;
    ~Framebuffer();
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;
    // Creates (or recreates) the buffers; false when the driver refuses every depth format.
    bool create(int width, int height, int depthBits);
    void destroy();
    void bind() const;
    unsigned id() const { return framebuffer_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Reads width x height pixels from the lower left corner, bottom row first.
    void read(int width, int height, std::uint8_t* rgba) const;

private:
    unsigned framebuffer_ = 0;
    unsigned colour_ = 0;
    unsigned depth_ = 0;
    int width_ = 0;
    int height_ = 0;
};

class RenderContext {
public:
    explicit RenderContext(void* window = nullptr) : window_(window) {}
    virtual ~RenderContext() = default;
    // The framebuffer object the context draws into.
    virtual unsigned getDC() const = 0;
    void* window() const { return window_; }

private:
    void* window_;
};

// The 3D view's frames. Its size follows the renderer's view size.
class ViewRenderContext : public RenderContext {
public:
    explicit ViewRenderContext(int depthBits, void* window = nullptr);
    unsigned getDC() const override { return framebuffer_.id(); }
    // Binds the framebuffer, first resizing it when the view size changed.
    bool makeCurrent(int width, int height);
    // The last frame, top row first (as a window shows it).
    void readFrame(int width, int height, std::vector<std::uint8_t>& rgbaTopFirst) const;

private:
    int depthBits_;
    Framebuffer framebuffer_;
};

// An off-screen image of the given size (0 x 0: the renderer's view size). The renderer's view is
// resized to it while it draws. Its framebuffer is as wide as the bitmap rows (width rounded up
// to a multiple of 4); the view covers the requested width.
class BitmapRenderContext : public RenderContext {
public:
    BitmapRenderContext(Renderer& renderer, int width, int height);
    ~BitmapRenderContext() override;
    bool valid() const { return framebuffer_.id() != 0; }
    unsigned getDC() const override { return framebuffer_.id(); }
    void makeCurrent();
    // Draws the scene once into the bitmap.
    void render();
    void readPixels(PixelImage& image) const;
    // Writes the bitmap, all rounded-width rows, as a Windows bitmap file.
    bool saveBitmap(const std::string& fileName) const;
    void restoreViewSize();
    int width() const { return width_; }
    int height() const { return height_; }
    int paddedWidth() const { return (width_ + 3) & ~3; }

private:
    Renderer& renderer_;
    int width_;
    int height_;
    int savedWidth_;
    int savedHeight_;
    bool restored_ = false;
    Framebuffer framebuffer_;
};

// Sets the OpenGL quality hints; each rejected one is reported.
void applyQualityHints(const RendererSettings& settings);

}  // namespace kinemo
