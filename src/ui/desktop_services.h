#pragma once
// The services the main window's logic reaches, over the real scene, renderer and panels.
// Chapters, playback and the undo stack come with their own layers; until then the defaults of
// AppServices answer for them.
#include <functional>
#include <memory>

#include "core/main_frame_logic.h"

namespace kinemo {

class Renderer;
class SceneDrawer;

class DesktopServices : public AppServices {
public:
    DesktopServices();
    ~DesktopServices() override;

    // Makes and starts the renderer with the given frame sink; it waits for a scene before it
    // sets up its graphics. False when its thread cannot be started.
    bool startRenderer(std::function<void(int, int, const std::uint8_t*)> frameSink,
                       std::function<void(const std::string&)> fatal);
    Renderer* renderer() const { return renderer_.get(); }
    // True when the render thread was let go while still running.
    bool rendererAbandoned() const { return abandoned_; }

    // Called to end the main loop (destroys the windows).
    std::function<void()> onEndMainLoop;
    std::function<void(const std::string&, int)> onChapterCaption;
    std::function<void()> onPlaybackStopped;

    bool hasScene() override;
    void prepareForRead() override;
    bool readDocument(const std::string& path) override;
    void documentLoaded() override;
    bool writeDocument(const std::string& path, bool pack) override;
    void showChapterCaption(const std::string& title, int position) override;
    void stopAnimation() override;
    bool hasRenderer() override;
    void stopRenderer() override;
    bool rendererRunning() override;
    void releaseRenderer() override;
    void endMainLoop() override;

private:
    std::shared_ptr<Renderer> renderer_;
    std::unique_ptr<SceneDrawer> drawer_;
    bool stopAsked_ = false;
    bool abandoned_ = false;
};

}  // namespace kinemo
