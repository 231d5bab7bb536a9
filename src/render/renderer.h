#pragma once
// The process-wide renderer: its thread owns the OpenGL context, draws the scene whenever a
// redraw was asked for, and works off the queue of view events one step per loop. The interface
// thread changes the scene only while the renderer is paused (startPause / endPause, or the
// RendererPause guard). Frames for the 3D view are handed to a frame sink.
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/basic_object.h"
#include "render/movie_command.h"
#include "render/render_context.h"
#include "render/renderer_settings.h"
#include "render/scene_drawer.h"
#include "render/view_event.h"

namespace kinemo {

class GlDevice;

// Receives every shown frame on the render thread: width x height RGBA bytes, top row first.
// The bytes are valid only during the call.
using FrameSink = std::function<void(int width, int height, const std::uint8_t* rgba)>;
// Told once when the graphics driver cannot be set up (on the render thread). The desktop
// program queues it to the interface thread, shows it and exits with a non-zero status.
using FatalHandler = std::function<void(const std::string& message)>;

// Navigation scales derived from the field of view and the view size (one distance unit ahead).
struct ViewScales {
    float extentX = 0.0f;  // horizontal view extent
    float extentY = 0.0f;  // vertical view extent
    float unitsPerPixelX = 0.0f;
    float unitsPerPixelY = 0.0f;
    float pixelsPerUnitX = 0.0f;
    float pixelsPerUnitY = 0.0f;
};

struct Ray {
    Vec3 origin{};
    Vec3 direction{};  // unit length
};

// Made with create() only: the render thread holds a reference while it runs, so an owner that
// lets go after a stop that timed out never frees what the thread still uses. Call stop() before
// letting go; a renderer that was never stopped keeps its thread (waiting) until the process ends.
class Renderer : public BasicObject, public std::enable_shared_from_this<Renderer> {
public:
    static std::shared_ptr<Renderer> create(RendererSettings settings = {});
    ~Renderer() override;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The process-wide renderer (may be null).
    static std::shared_ptr<Renderer> current();
    static void setCurrent(std::shared_ptr<Renderer> renderer);

    // Host hooks; set them before start.
    void setFrameSink(FrameSink sink);
    void setFatalHandler(FatalHandler handler);
    // Called every 10 ms while the interface thread waits in startPause or stop.
    void setMessagePump(std::function<void()> pump);
    void setCommandRunner(CommandRunner runner);

    // Creates the render thread; "Error starting rendering." is logged when it cannot be made.
    bool start();
    // Waits until the loop runs; false when it failed (no graphics) or the time ran out.
    bool waitUntilRunning(std::chrono::milliseconds timeout);
    bool isRunning() const;
    bool hasFailed() const;

    // The scene to draw (not owned; may be null). The thread waits for one before it creates
    // its context. Pauses the renderer for the swap, so the previous scene may be deleted after.
    void setScene(SceneDrawer* scene);
    SceneDrawer* scene() const;
    void requestRedraw();

    // Queues an event; any thread, including the render thread from inside an event.
    void pushEvent(EventHandle event);
    // Asks every unfinished queued event to finish at once.
    void abortEvents();
    // True while the event is queued and not finished.
    bool isEventPending(const V_Event& event) const;
    std::size_t queuedEvents() const;

    // Pause handshake (interface thread). startPause returns once the render thread has
    // stopped between two frames, or after 10 s (reported). It returns a ticket for endPause,
    // 0 when this call did not start the pause; only the starter's ticket ends it.
    std::uint64_t startPause();
    void endPause(std::uint64_t ticket);
    bool isPauseRequested() const;
    bool isPaused() const;
    // Ends the loop; waits at most 10 s (reported). False when the thread still runs.
    bool stop();

    // Any thread; the render thread applies the new size before its next frame. A zero width
    // or height becomes 1.
    void setViewSize(int width, int height);
    std::array<int, 2> viewSize() const;
    ViewScales viewScales() const;
    float fieldOfView() const;
    void setFieldOfView(float degrees);
    void setBackground(const Vec3& colour);
    // Render thread: viewport, clear colour, jittered frustum, depth test, clear.
    void updatePerspective(float nearPlane, float farPlane);
    std::array<float, 2> clippingDistances() const;

    // The view direction through window pixel (x, y) from the top left, in camera coordinates.
    Vec3 pickRay(float x, float y) const;
    // The same ray in world coordinates, from the camera of the last drawn frame.
    Ray pickRayWorld(float x, float y) const;

    // Image sequence recording; from any thread (runs on the render thread).
    void setRecording(bool on);
    bool getRecording() const;
    void setSequenceName(std::string name);
    std::string sequenceName() const;
    // Whether switching recording off turns the images into a video with the movie command.
    void setVideoOutput(bool on);
    int recordedFrames() const;

    // Draws one frame into the current context. Render thread only.
    void render();
    // Draws the scene once into an off-screen image of width x height (0 x 0: the view size).
    // Called from the interface thread while the renderer is paused: the paused render thread
    // draws it while the caller waits. False when the renderer does not run.
    bool capture(PixelImage& image, int width, int height);
    // Runs job on the render thread between frames (also while paused) and waits for it.
    bool runOnRenderThread(std::function<void()> job,
                           std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

    // Overlay drawing for the next frame (text areas); drawn over the frame, then forgotten.
    void pushOverlay(OverlayItem* item);

    bool shapeStereo() const;
    bool sceneStereo() const;
    bool isOffscreen() const;
    int smoothingPass() const;
    std::uint64_t framesDrawn() const;
    std::uint64_t framesShown() const;
    bool isRenderThread() const;
    const RendererSettings& settings() const { return settings_; }

    // Render thread: binds the view context again (after a bitmap context).
    void makeViewCurrent();
    // Render thread: draws one frame into a bitmap context (pass 0, materials forced).
    void renderOffscreen(int width, int height);

private:
    explicit Renderer(RendererSettings settings);
    struct Job {
        enum class State { queued, running, done, cancelled };
        std::function<void()> work;
        State state = State::queued;
    };

    void threadMain();
    bool createContext();
    void contextSetUp(int width, int height);
    void applyViewSize();
    void drawViewFrame();
    void processEvents();
    void dropEventsWhilePaused();
    void runJobs(std::unique_lock<std::mutex>& lock);
    void recordFrame();
    void switchRecording(bool on);
    void postRender(int width, int height, bool toView);
    void presentFrame(int width, int height);
    void drawOverlays(int width, int height, bool draw);
    void signal();
    void post(std::function<void()> job);

    const RendererSettings settings_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::uint64_t signals_ = 0;
    bool started_ = false;
    bool running_ = false;
    bool failed_ = false;
    bool finished_ = false;
    bool stopRequested_ = false;
    bool pauseRequested_ = false;
    std::uint64_t pauseTicket_ = 0;
    std::uint64_t pausedTicket_ = 0;
    std::uint64_t ticketCounter_ = 0;
    bool redrawRequested_ = true;
    SceneDrawer* scene_ = nullptr;
    int viewWidth_ = 10;
    int viewHeight_ = 10;
    bool viewSizeDirty_ = true;
    std::optional<std::array<int, 2>> pendingViewSize_;
    float fieldOfView_ = 45.0f;
    Vec3 background_{0.0f, 0.0f, 0.0f};
    Camera lastCamera_;
    std::deque<std::shared_ptr<Job>> jobs_;
    std::string sequenceName_ = "imageSequence";
    bool videoOutput_ = true;

    mutable std::mutex queueMutex_;
    std::vector<EventHandle> queue_;
    std::atomic<std::size_t> queueSize_{0};

    std::mutex overlayMutex_;
    std::vector<OverlayItem*> overlays_;

    std::atomic<bool> pauseFlag_{false};  // mirror of pauseRequested_ for drawing passes
    std::atomic<bool> recording_{false};
    std::atomic<int> recordedFrames_{0};
    std::atomic<std::uint64_t> framesDrawn_{0};
    std::atomic<std::uint64_t> framesShown_{0};
    std::atomic<int> smoothingPass_{0};
    std::atomic<bool> offscreen_{false};
    std::atomic<bool> shapeStereo_;
    std::atomic<bool> sceneStereo_;
    std::mutex threadMutex_;
    std::thread thread_;
    std::thread::id threadId_;
    std::chrono::steady_clock::time_point created_;

    FrameSink frameSink_;
    FatalHandler fatalHandler_;
    std::function<void()> messagePump_;
    CommandRunner commandRunner_;

    // Render thread only.
    std::unique_ptr<GlDevice> device_;
    std::unique_ptr<ViewRenderContext> view_;
    std::unique_ptr<BitmapRenderContext> sequenceContext_;
    std::vector<std::string> recordedFiles_;
    float nearPlane_ = 0.45f;
    float farPlane_ = 100.0f;
    int targetWidth_ = 10;
    int targetHeight_ = 10;
    bool toView_ = true;
    std::vector<std::uint16_t> accumulation_;
    std::vector<std::uint8_t> frameBytes_;
    std::vector<std::uint8_t> passBytes_;
};

// Pauses the renderer for its lifetime unless it is paused already; only the guard that
// started the pause ends it.
class RendererPause {
public:
    explicit RendererPause(Renderer& renderer);
    ~RendererPause();
    RendererPause(const RendererPause&) = delete;
    RendererPause& operator=(const RendererPause&) = delete;
    bool started() const { return ticket_ != 0; }

private:
    Renderer& renderer_;
    std::uint64_t ticket_ = 0;
};

}  // namespace kinemo
