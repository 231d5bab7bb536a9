#include "render/render_context.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>

#include "core/messages.h"
#include "render/image_files.h"
#include "render/renderer.h"

namespace kinemo {

std::array<int, 4> PixelImage::rgba(int row, int col) const {
    const std::uint8_t* p = bytes() + (std::size_t(row) * std::size_t(cols) + std::size_t(col)) * 4;
    return {p[0], p[1], p[2], p[3]};
}

Framebuffer::~Framebuffer() { destroy(); }

bool Framebuffer::create(int width, int height, int depthBits) {
    destroy();
    width = std::max(width, 1);
    height = std::max(height, 1);
    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &colour_);
    glGenRenderbuffers(1, &depth_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    // The deepest depth buffer the driver takes, as the pixel format asks for 32 bits.
    const GLenum formats32[] = {GL_DEPTH_COMPONENT32, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT16};
    const GLenum formats24[] = {GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT16};
    const GLenum* formats = depthBits >= 32 ? formats32 : formats24;
    const int count = depthBits >= 32 ? 3 : 2;
    bool complete = false;
    for (int i = 0; i < count && !complete; ++i) {
        while (glGetError() != GL_NO_ERROR) {
        }
        glRenderbufferStorage(GL_RENDERBUFFER, formats[i], width, height);
        if (glGetError() != GL_NO_ERROR) continue;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
        complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    if (!complete) {
        destroy();
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

void Framebuffer::destroy() {
    if (framebuffer_ == 0) return;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &colour_);
    glDeleteRenderbuffers(1, &depth_);
    framebuffer_ = colour_ = depth_ = 0;
    width_ = height_ = 0;
}

void Framebuffer::bind() const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
}

void Framebuffer::read(int width, int height, std::uint8_t* rgba) const {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

ViewRenderContext::ViewRenderContext(int depthBits, void* window) : RenderContext(window), depthBits_(depthBits) {}

bool ViewRenderContext::makeCurrent(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (framebuffer_.id() == 0 || framebuffer_.width() != width || framebuffer_.height() != height) {
        if (!framebuffer_.create(width, height, depthBits_)) {
            reportMessage("System could not create the view framebuffer", 3, true);
            return false;
        }
    }
    framebuffer_.bind();
    return true;
}

void ViewRenderContext::readFrame(int width, int height, std::vector<std::uint8_t>& rgbaTopFirst) const {
    width = std::min(width, framebuffer_.width());
    height = std::min(height, framebuffer_.height());
    const std::size_t rowBytes = std::size_t(width) * 4;
    rgbaTopFirst.resize(rowBytes * std::size_t(height));
    framebuffer_.read(width, height, rgbaTopFirst.data());
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::uint8_t* a = rgbaTopFirst.data() + std::size_t(top) * rowBytes;
        std::uint8_t* b = rgbaTopFirst.data() + std::size_t(bottom) * rowBytes;
        std::swap_ranges(a, a + rowBytes, b);
    }
}

BitmapRenderContext::BitmapRenderContext(Renderer& renderer, int width, int height) : renderer_(renderer) {
    const std::array<int, 2> view = renderer.viewSize();
    savedWidth_ = view[0];
    savedHeight_ = view[1];
    if (width <= 0 || height <= 0) {
        width = view[0];
        height = view[1];
    }
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);
    // GL names live on the render thread only; elsewhere the context stays without a framebuffer.
    if (!renderer.isRenderThread()) {
        reportMessage("BitmapRenderContext made outside the render thread", 1, true);
        restored_ = true;
        return;
    }
    if (!framebuffer_.create(paddedWidth(), height_, 32)) {
        reportMessage("System could not create the bitmap framebuffer", 1, true);
        return;
    }
    framebuffer_.bind();
    if (width_ != savedWidth_ || height_ != savedHeight_) renderer.setViewSize(width_, height_);
}

BitmapRenderContext::~BitmapRenderContext() {
    if (!renderer_.isRenderThread()) return;
    framebuffer_.destroy();
    restoreViewSize();
    renderer_.makeViewCurrent();
}

void BitmapRenderContext::makeCurrent() {
    if (valid()) framebuffer_.bind();
}

void BitmapRenderContext::render() {
    if (!valid()) return;
    framebuffer_.bind();
    // The whole bitmap row is cleared, also the columns past the requested width.
    glDisable(GL_SCISSOR_TEST);
    renderer_.renderOffscreen(width_, height_);
    glFlush();
}

void BitmapRenderContext::readPixels(PixelImage& image) const {
    image.rows = height_;
    image.cols = width_;
    image.pixels.assign(std::size_t(width_) * std::size_t(height_), 0);
    if (!valid()) return;
    framebuffer_.read(width_, height_, reinterpret_cast<std::uint8_t*>(image.pixels.data()));
}

bool BitmapRenderContext::saveBitmap(const std::string& fileName) const {
    std::vector<std::uint8_t> rgba(std::size_t(paddedWidth()) * std::size_t(height_) * 4, 0);
    if (valid()) framebuffer_.read(paddedWidth(), height_, rgba.data());
    return writeBitmapFile(fileName, width_, height_, rgba.data(), paddedWidth());
}

void BitmapRenderContext::restoreViewSize() {
    if (restored_) return;
    restored_ = true;
    const std::array<int, 2> view = renderer_.viewSize();
    if (view[0] != savedWidth_ || view[1] != savedHeight_) renderer_.setViewSize(savedWidth_, savedHeight_);
}

namespace {

void checkEnum(const char* message, int level) {
    if (glGetError() == GL_INVALID_ENUM) reportMessage(message, level, true);
}

}  // namespace

void applyQualityHints(const RendererSettings& settings) {
    while (glGetError() != GL_NO_ERROR) {
    }
    if (settings.useMultisampledRendering) {
        glHint(0x8534, GL_NICEST);
        checkEnum("Graphics driver does not support multisampled rendering", 3);
    }
    const GLenum choice = settings.useNicestRendering ? GL_NICEST : GL_FASTEST;
    if (settings.useNicestRendering) {
        glEnable(GL_DITHER);
        checkEnum("OpenGL mode enable GL_DITHER not accepted", 1);
    } else {
        glDisable(GL_DITHER);
        checkEnum("OpenGL mode disable GL_DITHER  not accepted", 1);
    }
    glHint(GL_LINE_SMOOTH_HINT, choice);
    checkEnum("OpenGL mode GL_LINE_SMOOTH_HINT not accepted", 1);
    glHint(GL_POINT_SMOOTH_HINT, choice);
    checkEnum("OpenGL mode GL_POINT_SMOOTH_HINT not accepted", 1);
    glHint(GL_POLYGON_SMOOTH_HINT, choice);
    checkEnum("OpenGL mode GL_POLYGON_SMOOTH_HINT not accepted", 1);
}

}  // namespace kinemo
