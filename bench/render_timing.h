#pragma once
// What the frame benchmarks share: a renderer running on a scene, timed one finished frame at a
// time on its own thread, and the CPU of all the process's threads (the render thread and the
// rasteriser's), which a loaded machine does not inflate as it does wall time.
#include <GL/gl.h>
#include <sys/resource.h>

#include <chrono>
#include <memory>

#include "render/renderer.h"
#include "render/scene_drawer.h"

namespace kinemo::bench {

inline double processCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

struct Running {
    std::shared_ptr<Renderer> renderer;
    bool ok = false;
    Running(SceneDrawer& scene, int w, int h) : renderer(Renderer::create()) {
        renderer->setViewSize(w, h);
        renderer->setScene(&scene);
        ok = renderer->start() && renderer->waitUntilRunning(std::chrono::seconds(30));
    }
    ~Running() { renderer->stop(); }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    // One frame into the view, finished; its wall time in seconds.
    double frame() {
        double seconds = 0.0;
        renderer->runOnRenderThread(
            [&] {
                const auto t0 = std::chrono::steady_clock::now();
                renderer->makeViewCurrent();
                renderer->render();
                glFinish();
                seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            },
            std::chrono::seconds(60));
        return seconds;
    }
};

}  // namespace kinemo::bench
