#pragma once
// The one OpenGL context of the process (desktop OpenGL, compatibility profile, through EGL),
// owned by the render thread. It draws only into framebuffer objects, so it needs no window:
// the same code runs under the desktop program, in the tool and in CI.
#include <memory>
#include <string>

namespace kinemo {

class GlDevice {
public:
    struct Request {
        int alphaBits = 8;
        int depthBits = 32;
        bool stereo = false;
        bool logFormat = false;
    };

    // Opens the display (Mesa's surfaceless platform, else the default display with a small
    // pbuffer), creates the context and makes it current for the calling thread. Returns null
    // and sets error when any step fails.
    static std::unique_ptr<GlDevice> create(const Request& request, std::string& error);
    ~GlDevice();
    GlDevice(const GlDevice&) = delete;
    GlDevice& operator=(const GlDevice&) = delete;

    bool makeCurrent();
    void release();
    // Framebuffer objects have no stereo buffers: a stereo request is never granted.
    bool stereoGranted() const { return false; }
    std::string description() const;

private:
    GlDevice();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kinemo
