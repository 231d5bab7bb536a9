#pragma once
// The services the main window's logic reaches, over the real scene, renderer and panels.
// The chapter list and the undo stack come with their own layers; until then the defaults of
// AppServices answer for them.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QObject;

#include "core/main_frame_logic.h"

namespace kinemo {

class GroupNode;
class Playback;
class PlaybackChapters;
class PlayerPanelModel;
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
    // The player commands over the current chapter and the panel's state; made anew when the
    // renderer starts and gone when it is released; onPlayerMade is told of both.
    Playback* playback() const { return playback_.get(); }
    PlayerPanelModel* playerModel() const { return playerModel_.get(); }
    std::function<void()> onPlayerMade;
    // The root of the scene shown, after a read; null before the old scene goes.
    std::function<void(GroupNode*)> onSceneChanged;

    // Called to end the main loop (destroys the windows).
    std::function<void()> onEndMainLoop;
    std::function<void(const std::string&, int)> onChapterCaption;
    std::function<void()> onPlaybackStopped;
    // After the current language changed (the text panel is refreshed already).
    std::function<void()> onLanguageChanged;

    // Chapters: the chapter list of the document (chapters holding steps, depth-first).
    int chapterCount() override;
    bool selectChapter(int position) override;
    bool hasCurrentChapter() override;
    bool runToStep(int position) override;
    std::optional<std::string> currentChapterTitle() override;
    int currentChapterPosition() override;
    // The menus built at run time.
    std::vector<MenuItem> chapterMenuItems() override;
    void chooseChapterMenuItem(int index) override;
    std::vector<MenuItem> languageMenuItems() override;
    void chooseLanguageMenuItem(int index) override;
    std::vector<MenuItem> viewpointMenuItems() override;
    void chooseViewpointMenuItem(int index) override;
    // Runs a change of the scene from the interface thread: playback is stopped and the renderer
    // holds still meanwhile; a redraw follows.
    void changeScene(const std::function<void()>& change);

    bool hasScene() override;
    void prepareForRead() override;
    bool readDocument(const std::string& path) override;
    void documentLoaded() override;
    bool writeDocument(const std::string& path, bool pack) override;
    void showChapterCaption(const std::string& title, int position) override;
    void playForward(bool fast) override;
    void playBackward() override;
    void stopAnimation() override;
    bool hasRenderer() override;
    void stopRenderer() override;
    bool rendererRunning() override;
    void releaseRenderer() override;
    void endMainLoop() override;

private:
    void makePlayer();
    // A render thread still running may yet report to the player: then it is left to it.
    void dropPlayer(bool leak);

    std::shared_ptr<Renderer> renderer_;
    std::unique_ptr<SceneDrawer> drawer_;
    // Queued jobs from the render thread are run on the interface thread through this object,
    // and dropped with it.
    std::unique_ptr<QObject> postTarget_;
    std::unique_ptr<PlaybackChapters> chapters_;
    std::unique_ptr<Playback> playback_;
    std::unique_ptr<PlayerPanelModel> playerModel_;
    int languageHandler_ = -1;
    bool stopAsked_ = false;
    bool abandoned_ = false;
};

}  // namespace kinemo
