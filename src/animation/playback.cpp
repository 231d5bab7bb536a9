#include "animation/playback.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "animation/animation_group.h"
#include "core/definitions.h"
#include "render/renderer.h"

namespace kinemo {

PlaybackState& playbackState() {
    static PlaybackState state;
    return state;
}

void setSpeedLimits(float minSpeed, float maxSpeed) {
    if (!(minSpeed >= 0.001f)) minSpeed = 0.001f;
    if (!(maxSpeed >= 10.0f * minSpeed)) maxSpeed = 10.0f * minSpeed;
    playbackState().minSpeed = minSpeed;
    playbackState().maxSpeed = maxSpeed;
}

void readSpeedLimits() {
    setSpeedLimits(getLayeredFloat(preferencesFile(), "MinAnimationSpeed", 0.4f),
                   getLayeredFloat(preferencesFile(), "MaxAnimationSpeed", 20.0f));
}

V_EventAnimation::V_EventAnimation(AnimationAtom* target, double time, Clock& clock, std::function<float()> frameRate)
    : target_(target),
      clock_(clock),
      frameRate_(std::move(frameRate)),
      time_(time),
      startTime_(std::chrono::duration<double>(clock.now().time_since_epoch()).count()) {}

double V_EventAnimation::time() const {
    std::lock_guard<std::mutex> lock(stepMutex_);
    return time_;
}

void V_EventAnimation::finishAndWait() {
    setDone();
    // A step that is running ends before the command that finished us changes the chapter; a
    // step that finishes its own event does not wait for itself.
    if (stepThread_.load() == std::this_thread::get_id()) return;
    std::lock_guard<std::mutex> lock(stepMutex_);
}

void V_EventAnimation::execute() {
    std::function<void()> notify;
    {
        std::lock_guard<std::mutex> lock(stepMutex_);
        if (isDone()) return;
        stepThread_.store(std::this_thread::get_id());
        if (target_ == nullptr) {
            setDone();
            notify = callback_;
        } else {
            const Clock::TimePoint now = clock_.now();
            if (!started_) {
                started_ = true;
                lastClock_ = now;
            }
            const PlaybackState& state = playbackState();
            const double speed = state.speed.load();
            const float fps = frameRate_ ? frameRate_() : 0.0f;
            double dt = fps > 0.0f ? speed / fps : speed * std::chrono::duration<double>(now - lastClock_).count();
            lastClock_ = now;
            if (!std::isfinite(dt)) dt = 0.0;
            const bool forward = state.playingForward.load();
            time_ += forward ? dt : -dt;
            target_->acquireUse();
            const bool finished = target_->animate(time_, forward);
            target_->releaseUse();
            if (finished && !isDone()) {
                setDone();
                notify = callback_;
            }
        }
        stepThread_.store(std::thread::id{});
    }
    if (notify) notify();
}

namespace {

// The chapters of the animation state: the current chapter, its time and timeline position.
class StateChapters : public PlaybackChapters {
public:
    AnimationGroup* chapter() { return animationState().currentChapter; }
    AnimationAtom* currentChapter() override { return chapter(); }
    bool hasSteps() override { return chapter() != nullptr && chapter()->childCount() > 0; }
    double currentTime() override { return animationState().currentTime; }
    bool atOrBeforeFirstStop() override {
        return chapter() != nullptr && chapter()->firstStopStartIndex() >= animationState().currentIndex - 1;
    }
    bool atEnd() override {
        AnimationGroup* c = chapter();
        if (c == nullptr) return false;
        const auto size = std::int32_t(c->timeline().size());
        return animationState().currentIndex >= size - 1 && animationState().currentTime >= c->getRunTime() - 1e-9;
    }
    bool switchChapter(bool forward) override { return kinemo::switchChapter(forward); }
    void rewind() override {
        if (chapter()) chapter()->rewindChapter();
    }
    void runToEnd() override {
        if (chapter()) chapter()->runChapterToEnd();
    }
    double runTime() override { return chapter() ? chapter()->getRunTime() : 0.0; }
    double firstStopEnd() override { return chapter() ? chapter()->firstStopEnd() : 0.0; }
    void positionAtPercent(double percent) override {
        if (chapter()) chapter()->positionAtPercent(percent, 255);
    }
    void setPlayThroughStops(bool on) override { animationState().playThroughStops = on; }
    bool playThroughStops() override { return animationState().playThroughStops; }
    void refresh() override {
        if (animationState().redrawRequested) animationState().redrawRequested();
    }
};

}  // namespace

std::unique_ptr<PlaybackChapters> makeChapterPlayback() { return std::make_unique<StateChapters>(); }

Playback::Playback(Renderer* renderer, PlaybackChapters& chapters, Clock& clock)
    : renderer_(renderer), chapters_(chapters), clock_(clock) {}

Playback::~Playback() {
    if (running_) running_->abort();
}

void Playback::finishRunning() {
    if (renderer_) renderer_->abortEvents();
    if (running_) running_->finishAndWait();
    running_.reset();
}

bool Playback::isPlaying() const { return running_ != nullptr && !running_->isFinished(); }

bool Playback::start(bool forward, bool playThroughStops) {
    finishRunning();
    AnimationAtom* chapter = chapters_.currentChapter();
    if (chapter == nullptr || renderer_ == nullptr) return false;
    // The timeline position for the new direction is runTo's business, not ours.
    playbackState().playingForward = forward;
    chapters_.setPlayThroughStops(playThroughStops);
    auto event = std::make_shared<V_EventAnimation>(chapter, chapters_.currentTime(), clock_, [r = renderer_] {
        return r->getRecording() ? r->settings().imageSequenceFrameRate : 0.0f;
    });
    event->setCallback([this] {
        if (stopped_) stopped_();
    });
    running_ = event;
    renderer_->pushEvent(event);
    return true;
}

bool Playback::stepForward(bool playThroughStops) { return start(true, playThroughStops); }
bool Playback::stepBackward(bool playThroughStops) { return start(false, playThroughStops); }
void Playback::stopPlayback() { finishRunning(); }

void Playback::setDirection(bool forward) { playbackState().playingForward = forward; }
void Playback::setPlayThroughStops(bool on) { chapters_.setPlayThroughStops(on); }

void Playback::jumpToStart() {
    if (chapters_.currentChapter() == nullptr || !chapters_.hasSteps()) return;
    finishRunning();
    // The chapter is moved from this thread: the renderer holds still meanwhile.
    std::optional<RendererPause> pause;
    if (renderer_) pause.emplace(*renderer_);
    if (chapters_.atOrBeforeFirstStop()) chapters_.switchChapter(false);
    chapters_.rewind();
    chapters_.refresh();
    if (progress_) progress_(0.0);
}

void Playback::jumpToEnd() {
    if (chapters_.currentChapter() == nullptr) return;
    finishRunning();
    // The chapter is moved from this thread: the renderer holds still meanwhile.
    std::optional<RendererPause> pause;
    if (renderer_) pause.emplace(*renderer_);
    if (chapters_.atEnd()) chapters_.switchChapter(true);
    chapters_.runToEnd();
    chapters_.refresh();
    if (progress_) progress_(chapters_.runTime());
}

void Playback::positionAt(double percent) {
    if (chapters_.currentChapter() == nullptr) return;
    finishRunning();
    std::optional<RendererPause> pause;
    if (renderer_) pause.emplace(*renderer_);
    chapters_.positionAtPercent(percent);
    chapters_.refresh();
}

}  // namespace kinemo
