#include "render/renderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>

#include "core/messages.h"
#include "core/numbers.h"
#include "render/gl_device.h"
#include "render/gpu_mesh.h"
#include "render/projection.h"

namespace kinemo {

namespace {

std::mutex currentMutex;
std::shared_ptr<Renderer> currentRenderer;
// Losing stereo is reported once per run, whichever renderer finds it.
std::atomic<bool> stereoRefusalReported{false};

constexpr int kWaitSlices = 1000;
constexpr auto kSlice = std::chrono::milliseconds(10);

// Raises the in-use counters of what a frame draws and lowers them on every way out.
class InUseMarks {
public:
    explicit InUseMarks(std::vector<BasicObject*> objects) : objects_(std::move(objects)) {
        for (BasicObject* o : objects_) o->acquireUse();
    }
    ~InUseMarks() {
        for (BasicObject* o : objects_) o->releaseUse();
    }
    InUseMarks(const InUseMarks&) = delete;
    InUseMarks& operator=(const InUseMarks&) = delete;

private:
    std::vector<BasicObject*> objects_;
};

class UseGuard {
public:
    explicit UseGuard(BasicObject& o) : o_(o) { o_.acquireUse(); }
    ~UseGuard() { o_.releaseUse(); }
    UseGuard(const UseGuard&) = delete;
    UseGuard& operator=(const UseGuard&) = delete;

private:
    BasicObject& o_;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

bool SceneDrawer::depthRange(const Camera& camera, float& nearest, float& farthest) {
    return depthRangeOfBox(bounds(), camera, nearest, farthest);
}

std::shared_ptr<Renderer> Renderer::create(RendererSettings settings) {
    return std::shared_ptr<Renderer>(new Renderer(std::move(settings)));
}

Renderer::Renderer(RendererSettings settings)
    : settings_(std::move(settings)),
      shapeStereo_(settings_.useStereo && !settings_.useStereoOnScene),
      sceneStereo_(settings_.useStereo && settings_.useStereoOnScene),
      created_(std::chrono::steady_clock::now()) {}

Renderer::~Renderer() {
    // The thread holds a reference while it runs, so it has ended or is ending here.
    std::lock_guard<std::mutex> guard(threadMutex_);
    if (thread_.joinable()) {
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();
        else
            thread_.join();
    }
}

std::shared_ptr<Renderer> Renderer::current() {
    std::lock_guard<std::mutex> lock(currentMutex);
    return currentRenderer;
}

void Renderer::setCurrent(std::shared_ptr<Renderer> renderer) {
    std::lock_guard<std::mutex> lock(currentMutex);
    currentRenderer = std::move(renderer);
}

void Renderer::setFrameSink(FrameSink sink) {
    std::lock_guard<std::mutex> lock(mutex_);
    frameSink_ = std::move(sink);
}
void Renderer::setFatalHandler(FatalHandler handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    fatalHandler_ = std::move(handler);
}
void Renderer::setMessagePump(std::function<void()> pump) {
    std::lock_guard<std::mutex> lock(mutex_);
    messagePump_ = std::move(pump);
}
void Renderer::setCommandRunner(CommandRunner runner) {
    std::lock_guard<std::mutex> lock(mutex_);
    commandRunner_ = std::move(runner);
}

void Renderer::signal() {
    ++signals_;
    wake_.notify_all();
}

bool Renderer::start() {
    std::lock_guard<std::mutex> guard(threadMutex_);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (started_) return true;
        started_ = true;
    }
    try {
        thread_ = std::thread([self = shared_from_this()] { self->threadMain(); });
    } catch (const std::exception&) {
        logLine("Error starting rendering.");
        std::lock_guard<std::mutex> lock(mutex_);
        started_ = false;
        return false;
    }
    return true;
}

bool Renderer::waitUntilRunning(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, timeout, [&] { return running_ || failed_ || finished_; });
    return running_;
}

bool Renderer::isRunning() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

bool Renderer::hasFailed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failed_;
}

bool Renderer::isRenderThread() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return threadId_ == std::this_thread::get_id();
}

void Renderer::setScene(SceneDrawer* scene) {
    // Never swap the scene under a frame: the old one may be deleted right after.
    std::optional<RendererPause> pause;
    if (!isRenderThread()) pause.emplace(*this);
    std::lock_guard<std::mutex> lock(mutex_);
    scene_ = scene;
    redrawRequested_ = true;
    signal();
}

SceneDrawer* Renderer::scene() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return scene_;
}

void Renderer::requestRedraw() {
    std::lock_guard<std::mutex> lock(mutex_);
    redrawRequested_ = true;
    signal();
}

void Renderer::pushEvent(EventHandle event) {
    if (!event) return;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.push_back(std::move(event));
        queueSize_.store(queue_.size());
    }
    std::lock_guard<std::mutex> lock(mutex_);
    signal();
}

void Renderer::abortEvents() {
    std::lock_guard<std::mutex> lock(queueMutex_);
    for (const EventHandle& e : queue_)
        if (!e->isFinished()) e->abort();
}

bool Renderer::isEventPending(const V_Event& event) const {
    std::lock_guard<std::mutex> lock(queueMutex_);
    for (const EventHandle& e : queue_)
        if (e.get() == &event) return !e->isFinished();
    return false;
}

std::size_t Renderer::queuedEvents() const { return queueSize_.load(); }

std::uint64_t Renderer::startPause() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!running_) return 0;
    const bool ownThread = threadId_ == std::this_thread::get_id();
    if (stopRequested_) {
        // The loop is ending; still never return while it may be drawing a frame.
        pauseRequested_ = true;
        pauseFlag_.store(true);
        signal();
        if (!ownThread) wake_.wait_for(lock, kSlice * kWaitSlices, [&] { return !running_; });
        return 0;
    }
    if (pauseRequested_) {
        lock.unlock();
        reportMessage("Multiple calls to startPause", 0, true);
        return 0;
    }
    const std::uint64_t ticket = ++ticketCounter_;
    pauseTicket_ = ticket;
    pauseRequested_ = true;
    pauseFlag_.store(true);
    signal();
    // Called from an event on the render thread: it is between frames already.
    if (ownThread) return ticket;
    for (int i = 0; i < kWaitSlices; ++i) {
        if (pausedTicket_ == ticket || !running_) return ticket;
        if (messagePump_) {
            std::function<void()> pump = messagePump_;
            lock.unlock();
            pump();
            lock.lock();
            if (pausedTicket_ == ticket || !running_) return ticket;
        }
        wake_.wait_for(lock, kSlice);
    }
    if (pausedTicket_ == ticket || !running_) return ticket;
    lock.unlock();
    reportMessage("Exiting renderer pause loop after 10 seconds waiting", 2, true);
    return ticket;
}

void Renderer::endPause(std::uint64_t ticket) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ticket == 0 || ticket != pauseTicket_ || !pauseRequested_ || stopRequested_) return;
    pauseRequested_ = false;
    pauseFlag_.store(false);
    pausedTicket_ = 0;
    signal();
}

bool Renderer::isPauseRequested() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pauseRequested_;
}

bool Renderer::isPaused() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pauseRequested_ && pausedTicket_ != 0 && pausedTicket_ == pauseTicket_;
}

bool Renderer::stop() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!started_) return true;
    stopRequested_ = true;
    pauseRequested_ = true;
    pauseFlag_.store(true);
    signal();
    if (threadId_ == std::this_thread::get_id()) return false;
    for (int i = 0; i < kWaitSlices && !finished_; ++i) {
        if (messagePump_) {
            std::function<void()> pump = messagePump_;
            lock.unlock();
            pump();
            lock.lock();
        }
        wake_.wait_for(lock, kSlice, [&] { return finished_; });
    }
    if (!finished_) {
        lock.unlock();
        reportMessage("Exiting renderer stop loop after 10 seconds waiting", 2, true);
        return false;
    }
    lock.unlock();
    std::lock_guard<std::mutex> guard(threadMutex_);
    if (thread_.joinable()) thread_.join();
    return true;
}

void Renderer::setViewSize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    bool apply = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        viewWidth_ = width;
        viewHeight_ = height;
        viewSizeDirty_ = true;
        apply = threadId_ == std::this_thread::get_id() && device_ != nullptr;
        signal();
    }
    if (apply) applyViewSize();
}

std::array<int, 2> Renderer::viewSize() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {viewWidth_, viewHeight_};
}

ViewScales Renderer::viewScales() const {
    std::lock_guard<std::mutex> lock(mutex_);
    ViewScales s;
    const float g = 2.0f * std::tan(fieldOfView_ * 3.14159265f / 360.0f);
    const float a = float(viewWidth_) / float(viewHeight_);
    s.extentX = g * a;
    s.extentY = g;
    s.unitsPerPixelX = s.extentX / float(viewWidth_);
    s.unitsPerPixelY = s.extentY / float(viewHeight_);
    s.pixelsPerUnitX = float(viewWidth_) / s.extentX;
    s.pixelsPerUnitY = float(viewHeight_) / s.extentY;
    return s;
}

float Renderer::fieldOfView() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return fieldOfView_;
}

void Renderer::setFieldOfView(float degrees) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (degrees > 0.0f && degrees < 180.0f) fieldOfView_ = degrees;
}

void Renderer::setBackground(const Vec3& colour) {
    std::lock_guard<std::mutex> lock(mutex_);
    background_ = colour;
    redrawRequested_ = true;
    signal();
}

std::array<float, 2> Renderer::clippingDistances() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {nearPlane_, farPlane_};
}

void Renderer::applyViewSize() {
    int w, h;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!viewSizeDirty_) return;
        viewSizeDirty_ = false;
        w = viewWidth_;
        h = viewHeight_;
    }
    contextSetUp(w, h);
}

void Renderer::contextSetUp(int width, int height) {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    applyQualityHints(settings_);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const FrustumBounds f = frustumBounds(45.0, double(width) / double(height), 0.45, 100.0);
    glFrustum(f.left, f.right, f.bottom, f.top, f.nearPlane, f.farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void Renderer::updatePerspective(float nearPlane, float farPlane) {
    Vec3 background;
    float fov;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        nearPlane_ = nearPlane;
        farPlane_ = farPlane;
        background = background_;
        fov = fieldOfView_;
    }
    const int w = std::max(targetWidth_, 1);
    const int h = std::max(targetHeight_, 1);
    glViewport(0, 0, w, h);
    glClearColor(background[0], background[1], background[2], 0.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const std::array<double, 2> jitter = smoothingJitter(toView_ ? smoothingPass_.load() : 0, w, h);
    const FrustumBounds f = frustumBounds(fov, double(w) / double(h), nearPlane, farPlane, jitter[0], jitter[1]);
    glFrustum(f.left, f.right, f.bottom, f.top, f.nearPlane, f.farPlane);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (settings_.reportLevel > 8)
        logLine(formatC("Renderer::updatePerspective near: %f, far: %f", double(nearPlane), double(farPlane)));
}

Vec3 Renderer::pickRay(float x, float y) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pickRayDirection(x, y, viewWidth_, viewHeight_, fieldOfView_);
}

Ray Renderer::pickRayWorld(float x, float y) const {
    Camera camera;
    Vec3 d;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        camera = lastCamera_;
        d = pickRayDirection(x, y, viewWidth_, viewHeight_, fieldOfView_);
    }
    Vec3 w = rotate(rotationOf(camera.orientation), d);
    const float len = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
    for (float& c : w) c /= len;
    return {camera.position, w};
}

void Renderer::setRecording(bool on) {
    if (isRenderThread()) {
        switchRecording(on);
        return;
    }
    post([this, on] { switchRecording(on); });
}

bool Renderer::getRecording() const { return recording_.load(); }

void Renderer::setSequenceName(std::string name) {
    std::lock_guard<std::mutex> lock(mutex_);
    sequenceName_ = std::move(name);
}

std::string Renderer::sequenceName() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sequenceName_;
}

void Renderer::setVideoOutput(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    videoOutput_ = on;
}

int Renderer::recordedFrames() const { return recordedFrames_.load(); }

void Renderer::pushOverlay(OverlayItem* item) {
    if (item == nullptr) return;
    std::lock_guard<std::mutex> lock(overlayMutex_);
    overlays_.push_back(item);
}

bool Renderer::shapeStereo() const { return shapeStereo_.load(); }
bool Renderer::sceneStereo() const { return sceneStereo_.load(); }
bool Renderer::isOffscreen() const { return offscreen_.load(); }
int Renderer::smoothingPass() const { return smoothingPass_.load(); }
std::uint64_t Renderer::framesDrawn() const { return framesDrawn_.load(); }
std::uint64_t Renderer::framesShown() const { return framesShown_.load(); }

void Renderer::post(std::function<void()> work) {
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    std::lock_guard<std::mutex> lock(mutex_);
    if (finished_) return;
    jobs_.push_back(std::move(job));
    signal();
}

bool Renderer::runOnRenderThread(std::function<void()> work, std::chrono::milliseconds timeout) {
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    std::unique_lock<std::mutex> lock(mutex_);
    if (threadId_ == std::this_thread::get_id()) {
        lock.unlock();
        job->work();
        return true;
    }
    if (!running_ || stopRequested_) return false;
    jobs_.push_back(job);
    signal();
    wake_.wait_for(lock, timeout,
                   [&] { return job->state == Job::State::done || job->state == Job::State::cancelled; });
    if (job->state == Job::State::queued) {
        // Not begun: take it back, so that it never runs after its caller has gone.
        jobs_.erase(std::remove(jobs_.begin(), jobs_.end(), job), jobs_.end());
        return false;
    }
    // Once begun it may use the caller's data: wait for its end.
    wake_.wait(lock, [&] { return job->state == Job::State::done || job->state == Job::State::cancelled; });
    return job->state == Job::State::done;
}

void Renderer::runJobs(std::unique_lock<std::mutex>& lock) {
    while (!jobs_.empty()) {
        std::shared_ptr<Job> job = jobs_.front();
        jobs_.pop_front();
        job->state = Job::State::running;
        lock.unlock();
        job->work();
        lock.lock();
        job->state = Job::State::done;
        wake_.notify_all();
    }
}

bool Renderer::capture(PixelImage& image, int width, int height) {
    auto result = std::make_shared<PixelImage>();
    const bool ran = runOnRenderThread([this, result, width, height] {
        BitmapRenderContext context(*this, width, height);
        if (!context.valid()) return;
        glDisable(GL_DITHER);
        context.render();
        glFlush();
        context.readPixels(*result);
        context.restoreViewSize();
    });
    if (!ran || result->rows == 0) return false;
    image = std::move(*result);
    return true;
}

void Renderer::makeViewCurrent() {
    if (!isRenderThread() || !view_) return;
    const std::array<int, 2> size = viewSize();
    view_->makeCurrent(size[0], size[1]);
}

bool Renderer::createContext() {
    const bool stereoWanted = shapeStereo_.load() || sceneStereo_.load();
    GlDevice::Request request;
    request.alphaBits = settings_.alphaBits;
    request.depthBits = 32;
    request.stereo = stereoWanted;
    request.logFormat = settings_.renderContextReportLevel > 0;
    std::string error;
    device_ = GlDevice::create(request, error);
    if (!device_) {
        logLine(error);
        return false;
    }
    if (stereoWanted && !device_->stereoGranted()) {
        shapeStereo_.store(false);
        sceneStereo_.store(false);
        if (!stereoRefusalReported.exchange(true)) reportMessage("OpenGL stereo mode not accepted", 3, true);
    }
    if (settings_.reportLevel > 3) logLine("Renderer: " + device_->description());
    view_ = std::make_unique<ViewRenderContext>(32);
    const std::array<int, 2> size = viewSize();
    return view_->makeCurrent(size[0], size[1]);
}

void Renderer::threadMain() {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        threadId_ = std::this_thread::get_id();
        wake_.wait(lock, [&] { return scene_ != nullptr || stopRequested_; });
        if (stopRequested_) {
            finished_ = true;
            for (auto& job : jobs_) job->state = Job::State::cancelled;
            jobs_.clear();
            wake_.notify_all();
            return;
        }
    }
    setGlThread(true);
    if (!createContext()) {
        setGlThread(false);
        sequenceContext_.reset();
        view_.reset();
        device_.reset();
        FatalHandler handler;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            failed_ = true;
            finished_ = true;
            handler = fatalHandler_;
            wake_.notify_all();
        }
        reportMessage("ViewRenderContext::createViewGLContext failed", 0, true);
        const std::string text =
            "Der Grafiktreiber konnte nicht richtig initialisiert werden.\nVersuchen Sie die Grafikkarte in den 24-bit "
            "(True Color) mode zu setzen \nund starten Sie die Applikation neu.";
        if (handler)
            handler(text);
        else
            reportMessage(text, 4, true);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        viewSizeDirty_ = true;
    }
    applyViewSize();
    const auto loopStart = std::chrono::steady_clock::now();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = true;
        wake_.notify_all();
    }
    logLine(formatC("debug time1: %f", secondsSince(created_)));
    std::uint64_t frames = 1;
    auto rateStart = std::chrono::steady_clock::now();

    for (;;) {
        std::uint64_t seen;
        bool draw = false;
        SceneDrawer* scene;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            seen = signals_;
            if (stopRequested_) break;
            runJobs(lock);
            if (pendingViewSize_ && !pauseRequested_) {
                viewWidth_ = (*pendingViewSize_)[0];
                viewHeight_ = (*pendingViewSize_)[1];
                viewSizeDirty_ = true;
                redrawRequested_ = true;
                pendingViewSize_.reset();
            }
            scene = scene_;
            if (redrawRequested_ && !pauseRequested_ && scene != nullptr) {
                redrawRequested_ = false;
                draw = true;
            }
        }
        applyViewSize();
        if (draw) {
            ++frames;
            if (settings_.reportLevel > 3 && frames % 20 == 0) {
                const double dt = secondsSince(rateStart);
                rateStart = std::chrono::steady_clock::now();
                if (dt > 0.0) showStatus(formatC("frame rate: %5.3f", 20.0 / dt));
            }
            drawViewFrame();
            if (recording_.load()) recordFrame();
        }
        if (scene != nullptr) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (stopRequested_) break;
            }
            processEvents();
        }
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (stopRequested_) break;
            if (pauseRequested_) {
                pausedTicket_ = pauseTicket_;
                wake_.notify_all();
                while (pauseRequested_ && !stopRequested_) {
                    runJobs(lock);
                    if (pausedTicket_ != pauseTicket_) {
                        pausedTicket_ = pauseTicket_;
                        wake_.notify_all();
                    }
                    if (queueSize_.load() > 0) {
                        lock.unlock();
                        dropEventsWhilePaused();
                        lock.lock();
                        continue;
                    }
                    if (!pauseRequested_ || stopRequested_ || !jobs_.empty()) continue;
                    wake_.wait(lock);
                }
                if (stopRequested_) break;
                seen = signals_ - 1;  // look at everything again after a pause
            }
            // Smoothing: four jittered passes follow a still image.
            if (redrawRequested_)
                smoothingPass_.store(0);
            else if (settings_.useAntialiasing && smoothingPass_.load() < 4) {
                redrawRequested_ = true;
                smoothingPass_.fetch_add(1);
            }
        }
        if (settings_.sleepSecAfterRender > 0.0f) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait_for(lock, std::chrono::duration<double>(settings_.sleepSecAfterRender),
                           [&] { return stopRequested_; });
        }
        std::unique_lock<std::mutex> lock(mutex_);
        // Idle: sleep until anything changes.
        wake_.wait(lock, [&] {
            return signals_ != seen || stopRequested_ || !jobs_.empty() || viewSizeDirty_ ||
                   (scene_ != nullptr && (redrawRequested_ || queueSize_.load() > 0));
        });
    }

    logLine(formatC("debug time10: %f", secondsSince(created_)));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        wake_.notify_all();
    }
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.clear();
        queueSize_.store(0);
    }
    if (sequenceContext_) sequenceContext_.reset();
    collectGlGarbage();
    view_.reset();
    device_.reset();
    setGlThread(false);
    const double runTime = secondsSince(loopStart);
    logLine(formatC("Renderer, Frame Rate: %6.2f", runTime > 0.0 ? double(frames) / runTime : 0.0));
    logLine(formatC("debug time11: %f", secondsSince(created_)));
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& job : jobs_) job->state = Job::State::cancelled;
    jobs_.clear();
    finished_ = true;
    wake_.notify_all();
}

void Renderer::drawViewFrame() {
    const std::array<int, 2> size = viewSize();
    if (!view_ || !view_->makeCurrent(size[0], size[1])) return;
    targetWidth_ = size[0];
    targetHeight_ = size[1];
    toView_ = true;
    render();
}

void Renderer::renderOffscreen(int width, int height) {
    const int savedWidth = targetWidth_, savedHeight = targetHeight_;
    const bool savedToView = toView_;
    targetWidth_ = std::max(width, 1);
    targetHeight_ = std::max(height, 1);
    toView_ = false;
    offscreen_.store(true);
    render();
    offscreen_.store(false);
    targetWidth_ = savedWidth;
    targetHeight_ = savedHeight;
    toView_ = savedToView;
}

void Renderer::processEvents() {
    std::vector<EventHandle> snapshot;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        snapshot = queue_;
    }
    if (snapshot.empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        redrawRequested_ = true;
    }
    bool blocked = false;
    for (const EventHandle& event : snapshot) {
        if (pauseFlag_.load()) break;
        if (blocked && !event->isNavigation()) continue;
        UseGuard inUse(*event);
        if (!event->isFinished()) event->execute();
        if (!event->isFinished() && event->isBlocking()) blocked = true;
    }
    if (pauseFlag_.load()) {
        dropEventsWhilePaused();
        return;
    }
    std::lock_guard<std::mutex> lock(queueMutex_);
    std::erase_if(queue_, [](const EventHandle& e) { return e->isFinished(); });
    queueSize_.store(queue_.size());
}

void Renderer::dropEventsWhilePaused() {
    std::vector<EventHandle> dropped;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        dropped.swap(queue_);
        queueSize_.store(0);
    }
    // A resize asked for during the pause is not lost with its event.
    std::optional<std::array<int, 2>> size;
    for (const EventHandle& e : dropped)
        if (const auto* resize = dynamic_cast<const V_EventResize*>(e.get()); resize != nullptr && !e->isFinished())
            size = std::array<int, 2>{resize->width(), resize->height()};
    if (size) {
        std::lock_guard<std::mutex> lock(mutex_);
        pendingViewSize_ = size;
    }
}

void Renderer::render() {
    SceneDrawer* scene;
    Vec3 background;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (threadId_ != std::this_thread::get_id()) return;
        scene = scene_;
        background = background_;
    }
    if (settings_.reportLevel > 7) logLine("Renderer::render");
    if (scene == nullptr) return;
    collectGlGarbage();
    std::vector<BasicObject*> inUse;
    scene->collectInUse(inUse);
    InUseMarks marks(std::move(inUse));

    scene->updateTransforms();
    Camera camera;
    if (!scene->camera(camera)) {
        reportMessage("No Viewpoint", 0, true);
        return;
    }
    framesDrawn_.fetch_add(1);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lastCamera_ = camera;
        if (camera.fieldOfView > 0.0f && camera.fieldOfView < 180.0f) fieldOfView_ = camera.fieldOfView;
    }
    const Bounds box = scene->bounds();
    float diagonal = 0.0f;
    if (!box.empty()) {
        const float dx = box.max[0] - box.min[0], dy = box.max[1] - box.min[1], dz = box.max[2] - box.min[2];
        diagonal = std::sqrt(dx * dx + dy * dy + dz * dz);
    }
    float nearest = 0.0f, farthest = 0.0f;
    const bool inFront = scene->depthRange(camera, nearest, farthest);
    const ClipPlanes planes = clippingPlanes(diagonal, inFront, nearest, farthest);
    updatePerspective(planes.nearPlane, planes.farPlane);

    FrameContext frame;
    frame.camera = camera;
    frame.viewerPosition = camera.position;
    frame.width = targetWidth_;
    frame.height = targetHeight_;
    frame.offscreen = offscreen_.load();
    frame.shapeStereo = shapeStereo_.load();
    // Off-screen images are drawn while the renderer is paused (capture): the pause that long
    // view passes give way to must not cut them short.
    frame.pauseRequested = frame.offscreen ? nullptr : &pauseFlag_;

    scene->beginFrame(frame, frame.offscreen);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    const LightSetup lights = scene->lights();
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, lights.globalAmbient.data());
    scene->drawBackground(frame);

    glLoadIdentity();
    if (lights.headlight) {
        const GLfloat towards[4] = {lights.headlightTowards[0], lights.headlightTowards[1], lights.headlightTowards[2],
                                    0.0f};
        glEnable(GL_LIGHT0);
        glLightfv(GL_LIGHT0, GL_AMBIENT, lights.headlightAmbient.data());
        glLightfv(GL_LIGHT0, GL_DIFFUSE, lights.headlightDiffuse.data());
        glLightfv(GL_LIGHT0, GL_SPECULAR, lights.headlightSpecular.data());
        glLightfv(GL_LIGHT0, GL_POSITION, towards);
    } else {
        glDisable(GL_LIGHT0);
    }
    {
        const Vec3& c = lights.sceneLightColour;
        const float ai = lights.sceneLightAmbientIntensity, i = lights.sceneLightIntensity;
        const GLfloat ambient[4] = {ai * c[0], ai * c[1], ai * c[2], 1.0f};
        const GLfloat diffuse[4] = {i * c[0], i * c[1], i * c[2], 1.0f};
        const GLfloat position[4] = {-lights.sceneLightDirection[0], -lights.sceneLightDirection[1],
                                     -lights.sceneLightDirection[2], 0.0f};
        glEnable(GL_LIGHT1);
        glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
        glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
        glLightfv(GL_LIGHT1, GL_SPECULAR, diffuse);
        glLightfv(GL_LIGHT1, GL_POSITION, position);
    }
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
    const std::array<float, 16> view = viewMatrix(camera);
    glLoadMatrixf(view.data());
    scene->applyLightNodes(frame);
    glDisable(GL_CULL_FACE);

    glLoadMatrixf(view.data());
    scene->drawOpaque(frame);
    GpuMesh::finishDrawing();
    // The transparent pass.
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLoadMatrixf(view.data());
    if (!frame.stopEarly()) scene->drawTransparent(frame);
    GpuMesh::finishDrawing();
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);

    postRender(targetWidth_, targetHeight_, toView_);
}

void Renderer::postRender(int width, int height, bool toView) {
    const int pass = toView ? smoothingPass_.load() : 0;
    bool shown = toView && (pass == 0 || pass == 4);
    if (toView && pass >= 1 && pass <= 4) {
        // Framebuffer objects have no accumulation buffer: the jittered passes are averaged
        // here, with the weights of an accumulation buffer (load, add, add, add, return).
        const std::size_t count = std::size_t(width) * std::size_t(height) * 4;
        passBytes_.resize(count);
        view_->readFrame(width, height, passBytes_);
        if (pass == 1 || accumulation_.size() != count) accumulation_.assign(count, 0);
        for (std::size_t i = 0; i < count; ++i) accumulation_[i] = std::uint16_t(accumulation_[i] + passBytes_[i]);
        if (pass == 4) {
            // readFrame gave the rows top first; glDrawPixels wants them bottom first.
            const std::size_t rowBytes = std::size_t(width) * 4;
            for (int y = 0; y < height; ++y) {
                const std::size_t from = std::size_t(height - 1 - y) * rowBytes;
                const std::size_t to = std::size_t(y) * rowBytes;
                for (std::size_t i = 0; i < rowBytes; ++i)
                    passBytes_[to + i] = std::uint8_t((accumulation_[from + i] + 2) / 4);
            }
            glPushAttrib(GL_ENABLE_BIT);
            glDisable(GL_DEPTH_TEST);
            glDisable(GL_BLEND);
            glDisable(GL_LIGHTING);
            glDisable(GL_DITHER);
            glWindowPos2i(0, 0);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, passBytes_.data());
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glPopAttrib();
        }
    }
    drawOverlays(width, height, shown || !toView);
    if (shown) presentFrame(width, height);
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) logLine(formatC("Renderer::postRender error: %ld", long(error)));
}

void Renderer::presentFrame(int width, int height) {
    FrameSink sink;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sink = frameSink_;
    }
    if (sink) {
        view_->readFrame(width, height, frameBytes_);
        sink(width, height, frameBytes_.data());
    }
    framesShown_.fetch_add(1);
}

void Renderer::drawOverlays(int width, int height, bool draw) {
    std::vector<OverlayItem*> items;
    {
        std::lock_guard<std::mutex> lock(overlayMutex_);
        items.swap(overlays_);
    }
    if (!draw || items.empty()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, double(width), 0.0, double(height), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (OverlayItem* item : items) {
        if (pauseFlag_.load()) break;
        item->drawOverlay(width, height);
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void Renderer::recordFrame() {
    if (!sequenceContext_) return;
    const int frame = recordedFrames_.load() + 1;
    sequenceContext_->render();
    const std::string name = sequenceFileName(sequenceName(), frame);
    showStatus(name);
    if (sequenceContext_->saveBitmap(name)) recordedFiles_.push_back(name);
    recordedFrames_.store(frame);
    makeViewCurrent();
}

void Renderer::switchRecording(bool on) {
    if (on) {
        if (sequenceContext_) {
            reportMessage("Rejected attempt to reinitialize fThreadBitmapRenderContext", 0, true);
            return;
        }
        sequenceContext_ = std::make_unique<BitmapRenderContext>(*this, 0, 0);
        recordedFrames_.store(0);
        recordedFiles_.clear();
        recording_.store(true);
        makeViewCurrent();
        return;
    }
    if (!sequenceContext_) {
        reportMessage("Rejected attempt to delete fThreadBitmapRenderContext", 0, true);
        return;
    }
    recording_.store(false);
    sequenceContext_.reset();
    makeViewCurrent();
    bool video;
    CommandRunner runner;
    std::string name;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        video = videoOutput_;
        runner = commandRunner_;
        name = sequenceName_;
    }
    if (recordedFrames_.load() > 1 && video && !settings_.movieConverterCommand.empty())
        convertImageSequence(settings_.movieConverterCommand, name, recordedFiles_, runner);
}

RendererPause::RendererPause(Renderer& renderer) : renderer_(renderer) {
    if (!renderer_.isPauseRequested()) ticket_ = renderer_.startPause();
}

RendererPause::~RendererPause() {
    if (ticket_ != 0) renderer_.endPause(ticket_);
}

}  // namespace kinemo
