#include "render/gl_device.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include "core/messages.h"
#include "core/numbers.h"

namespace kinemo {

struct GlDevice::Impl {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
    bool surfaceless = false;
};

GlDevice::GlDevice() : impl_(std::make_unique<Impl>()) {}

GlDevice::~GlDevice() {
    if (impl_->display == EGL_NO_DISPLAY) return;
    eglMakeCurrent(impl_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (impl_->context != EGL_NO_CONTEXT) eglDestroyContext(impl_->display, impl_->context);
    if (impl_->surface != EGL_NO_SURFACE) eglDestroySurface(impl_->display, impl_->surface);
    eglReleaseThread();
    // The display is left initialised: EGL displays are shared per process and a second device
    // (a restarted renderer) would find it torn down under it.
}

namespace {

EGLDisplay openSurfaceless() {
    const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (extensions == nullptr ||
        std::string_view(extensions).find("EGL_MESA_platform_surfaceless") == std::string_view::npos)
        return EGL_NO_DISPLAY;
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

bool chooseConfig(EGLDisplay display, const GlDevice::Request& request, bool pbuffer, EGLConfig& config) {
    // The pixel format request: RGBA, 8 bits a channel, the alpha and depth asked for; a
    // smaller depth buffer is accepted when the driver has none that deep.
    for (int depth : {request.depthBits, 24, 16}) {
        const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                     pbuffer ? EGL_PBUFFER_BIT : 0,
                                     EGL_RENDERABLE_TYPE,
                                     EGL_OPENGL_BIT,
                                     EGL_RED_SIZE,
                                     8,
                                     EGL_GREEN_SIZE,
                                     8,
                                     EGL_BLUE_SIZE,
                                     8,
                                     EGL_ALPHA_SIZE,
                                     request.alphaBits,
                                     EGL_DEPTH_SIZE,
                                     depth,
                                     EGL_NONE};
        EGLint count = 0;
        if (eglChooseConfig(display, attributes, &config, 1, &count) && count > 0) return true;
    }
    return false;
}

// The pixel format in the layout of the format log lines; an EGL configuration has no shifts,
// layers or masks, which read 0.
void logPixelFormat(int red, int green, int blue, int alpha, int depth, int stencil, bool stereo) {
    logLine(formatC(
        "WindowPixelFormat size:%d, version:%d,dbt:%d,dtw:%d,gl:%d,dbb:%d,ga:%d,gf:%d,np:%d,nsp:%d,st:%d,slb:%d", 40, 1,
        0, 1, 1, 1, 0, 0, 0, 0, stereo ? 1 : 0, 0));
    logLine(
        formatC("cbits:%d(%d,%d,%d,%d,%d,%d,%d,%d),acum(%d,%d,%d,%d,%d),depth:%d,stencil:%d,aux:%d,layer:%d,r:%d,"
                "lMask:%d,vMask:%d,dMask:%d",
                red + green + blue + alpha, red, 0, green, 0, blue, 0, alpha, 0, 0, 0, 0, 0, 0, depth, stencil, 0, 0, 0,
                0, 0, 0));
}

void logConfig(EGLDisplay display, EGLConfig config) {
    auto get = [&](EGLint what) {
        EGLint v = 0;
        eglGetConfigAttrib(display, config, what, &v);
        return int(v);
    };
    logPixelFormat(get(EGL_RED_SIZE), get(EGL_GREEN_SIZE), get(EGL_BLUE_SIZE), get(EGL_ALPHA_SIZE), get(EGL_DEPTH_SIZE),
                   get(EGL_STENCIL_SIZE), false);
}

}  // namespace

std::unique_ptr<GlDevice> GlDevice::create(const Request& request, std::string& error) {
    std::unique_ptr<GlDevice> device(new GlDevice());
    Impl& d = *device->impl_;
    EGLint major = 0, minor = 0;
    d.display = openSurfaceless();
    if (d.display != EGL_NO_DISPLAY && eglInitialize(d.display, &major, &minor)) {
        d.surfaceless = true;
    } else {
        d.display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
        if (d.display == EGL_NO_DISPLAY || !eglInitialize(d.display, &major, &minor)) {
            d.display = EGL_NO_DISPLAY;
            error = formatC("System could not open an EGL display, error 0x%x", unsigned(eglGetError()));
            return nullptr;
        }
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = formatC("System could not bind desktop OpenGL, error 0x%x", unsigned(eglGetError()));
        return nullptr;
    }
    if (request.logFormat) logPixelFormat(8, 8, 8, request.alphaBits, request.depthBits, 0, request.stereo);
    EGLConfig config = nullptr;
    const bool haveConfig = chooseConfig(d.display, request, !d.surfaceless, config);
    if (!haveConfig && !d.surfaceless) {
        error = formatC("System could not choose pixel format, error 0x%x", unsigned(eglGetError()));
        return nullptr;
    }
    if (haveConfig && request.logFormat) logConfig(d.display, config);
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                        EGL_NONE};
    // Surfaceless Mesa offers no configuration for pbuffer-less drawing; the context then goes
    // without one, which framebuffer objects do not need.
    d.context =
        eglCreateContext(d.display, haveConfig ? config : EGLConfig(nullptr), EGL_NO_CONTEXT, contextAttributes);
    if (d.context == EGL_NO_CONTEXT && haveConfig && d.surfaceless)
        d.context = eglCreateContext(d.display, EGLConfig(nullptr), EGL_NO_CONTEXT, contextAttributes);
    if (d.context == EGL_NO_CONTEXT) {
        error = formatC("System could not create Rendering context, error 0x%x", unsigned(eglGetError()));
        return nullptr;
    }
    if (!d.surfaceless) {
        const EGLint pbufferAttributes[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
        d.surface = eglCreatePbufferSurface(d.display, config, pbufferAttributes);
        if (d.surface == EGL_NO_SURFACE) {
            error = formatC("System could not create a pbuffer, error 0x%x", unsigned(eglGetError()));
            return nullptr;
        }
    }
    if (!device->makeCurrent()) {
        error = "ViewRenderContext::createViewGLContext failed";
        return nullptr;
    }
    return device;
}

bool GlDevice::makeCurrent() {
    return eglMakeCurrent(impl_->display, impl_->surface, impl_->surface, impl_->context) == EGL_TRUE;
}

void GlDevice::release() { eglMakeCurrent(impl_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT); }

std::string GlDevice::description() const {
    const auto* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return std::string(vendor ? vendor : "?") + " | " + (renderer ? renderer : "?") + " | " + (version ? version : "?");
}

}  // namespace kinemo
