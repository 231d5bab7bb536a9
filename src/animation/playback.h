#pragma once
// Playback: the clock event that moves the current chapter in time once per render loop, the
// process-wide playback state and the player commands (play to the next stop, to the end,
// backward, stop, jump to the start or the end of a chapter). The commands run on the interface
// thread; the clock runs on the render thread.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/clock.h"
#include "render/view_event.h"

namespace kinemo {

class AnimationAtom;
class Renderer;

// The direction and the speed are read by the clock on the render thread while the interface
// thread may change them.
struct PlaybackState {
    std::atomic<bool> playingForward{true};
    std::atomic<float> speed{1.0f};  // animation seconds per wall-clock second
    float minSpeed = 0.4f;
    float maxSpeed = 20.0f;
};
PlaybackState& playbackState();
// The speed slider range from the preferences "MinAnimationSpeed" (at least 0.001) and
// "MaxAnimationSpeed" (at least 10 times the minimum).
void readSpeedLimits();
void setSpeedLimits(float minSpeed, float maxSpeed);

// The playback clock: each step adds the elapsed wall time times the speed to the chapter time
// (or subtracts it when playing backward) and lets the chapter animate. Recording at a fixed
// frame rate, each step advances speed / frames per second instead. Done when the chapter
// reports a stop, its start or its end, or when finished from outside.
class V_EventAnimation : public V_Event {
public:
    // target: the chapter played (not owned; none finishes at once). frameRate, when set, answers
    // the fixed frame rate of a recording in progress, or 0.
    V_EventAnimation(AnimationAtom* target, double time, Clock& clock = systemClock(),
                     std::function<float()> frameRate = {});
    void execute() override;
    bool isFinished() const override { return isDone(); }
    bool isBlocking() const override { return true; }
    // Finishes the event at once (any thread; it never waits, so the renderer may call it with its
    // queue held).
    void abort() override { setDone(); }
    // Finishes the event and, when a step is running on another thread, returns after it.
    void finishAndWait();
    // Told once, on the render thread, when the chapter reports finished (not on abort).
    void setCallback(std::function<void()> callback) { callback_ = std::move(callback); }

    double time() const;
    double startTime() const { return startTime_; }

private:
    AnimationAtom* target_;
    Clock& clock_;
    std::function<float()> frameRate_;
    std::function<void()> callback_;
    mutable std::mutex stepMutex_;
    double time_;
    double startTime_;
    Clock::TimePoint lastClock_{};
    bool started_ = false;
    std::atomic<std::thread::id> stepThread_{};
};

// What the player commands do to the chapters; the default works on the current chapter of the
// animation state, tests put in their own.
class PlaybackChapters {
public:
    virtual ~PlaybackChapters() = default;
    virtual AnimationAtom* currentChapter() = 0;
    virtual bool hasSteps() = 0;
    virtual double currentTime() = 0;
    // At or before the chapter's first stop.
    virtual bool atOrBeforeFirstStop() = 0;
    // The chapter stands at its end (everything applied).
    virtual bool atEnd() = 0;
    virtual bool switchChapter(bool forward) = 0;
    virtual void rewind() = 0;
    virtual void runToEnd() = 0;
    virtual double runTime() = 0;
    virtual double firstStopEnd() = 0;
    virtual void positionAtPercent(double percent) = 0;
    virtual void setPlayThroughStops(bool on) = 0;
    virtual bool playThroughStops() = 0;
    virtual void refresh() {}
};
std::unique_ptr<PlaybackChapters> makeChapterPlayback();

class Playback {
public:
    // renderer may be null (then nothing is played). The clock is what the clock events read.
    Playback(Renderer* renderer, PlaybackChapters& chapters, Clock& clock = systemClock());
    ~Playback();

    // Finish the running events, set the direction and the stop flag, queue one clock event for
    // the current chapter at its current time. False without a current chapter.
    bool stepForward(bool playThroughStops);
    bool stepBackward(bool playThroughStops);
    void stopPlayback();
    void jumpToStart();
    void jumpToEnd();
    // The progress slider: the chapter shown at percent (0..100) of its way.
    void positionAt(double percent);
    // Changes while playing (the press-state machine), without restarting the clock.
    void setDirection(bool forward);
    void setPlayThroughStops(bool on);

    bool isPlaying() const;
    // The clock event of the last play command (none after a stop).
    std::shared_ptr<V_EventAnimation> runningEvent() const { return running_; }
    // Told on the render thread when the running clock event reports finished.
    void setStoppedHandler(std::function<void()> handler) { stopped_ = std::move(handler); }
    // Told with the time to show after a jump.
    void setProgressHandler(std::function<void(double)> handler) { progress_ = std::move(handler); }
    PlaybackChapters& chapters() { return chapters_; }
    // Finishes every running event and waits for a running clock step to end.
    void finishRunning();

private:
    bool start(bool forward, bool playThroughStops);

    Renderer* renderer_;
    PlaybackChapters& chapters_;
    Clock& clock_;
    std::shared_ptr<V_EventAnimation> running_;
    std::function<void()> stopped_;
    std::function<void(double)> progress_;
};

}  // namespace kinemo
