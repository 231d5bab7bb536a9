#pragma once
// View events: everything that changes the image over time is queued with the renderer and run
// one step per render loop on the render thread. Events are shared handles, so an abort from the
// interface thread can never reach an event the renderer has already let go of.
#include <atomic>
#include <memory>
#include <string>

#include "core/basic_object.h"

namespace kinemo {

class Renderer;

class V_Event : public BasicObject {
public:
    // One step of the event; the base finishes at once.
    virtual void execute() { done_.store(true); }
    virtual bool isFinished() const { return done_.load() || aborted_.load(); }
    // While a blocking event is unfinished only navigation events behind it run.
    virtual bool isBlocking() const { return false; }
    // Asks the event to finish at once; safe from any thread.
    virtual void abort() { aborted_.store(true); }
    // Camera rotation, translation and zoom: these still run behind a blocking event.
    virtual bool isNavigation() const { return false; }

    bool isDone() const { return done_.load(); }
    bool isAborted() const { return aborted_.load(); }

protected:
    void setDone() { done_.store(true); }

private:
    std::atomic<bool> done_{false};
    std::atomic<bool> aborted_{false};
};

using EventHandle = std::shared_ptr<V_Event>;

// Sets the renderer's view size; a zero width or height becomes 1. Runs at once when the
// renderer has no scene yet.
class V_EventResize : public V_Event {
public:
    V_EventResize(Renderer& renderer, int width, int height);
    void execute() override;
    bool isFinished() const override { return isDone(); }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    Renderer& renderer_;
    int width_;
    int height_;
};

// Switches image sequence recording; when switched on, the sequence name is set first.
class V_EventImageSequence : public V_Event {
public:
    V_EventImageSequence(Renderer& renderer, bool on, std::string sequenceName);
    void execute() override;
    bool isFinished() const override { return isDone(); }

private:
    Renderer& renderer_;
    bool on_;
    std::string sequenceName_;
};

}  // namespace kinemo
