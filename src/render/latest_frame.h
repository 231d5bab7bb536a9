#pragma once
// The hand-over of shown frames to the desktop program's 3D view: the render thread stores each
// frame, the interface thread takes the newest one when it paints. Frames the view had no time
// to paint are simply replaced.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace kinemo {

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // top row first
    std::uint64_t number = 0;        // counts from 1; 0 is no frame yet
};

class LatestFrame {
public:
    // Stores a copy of the frame (render thread) and calls the notifier, which should only post
    // a repaint to the interface thread.
    void store(int width, int height, const std::uint8_t* rgba);
    // Copies the newest frame into out when it is newer than out (interface thread); false when
    // there is nothing new.
    bool takeIfNewer(Frame& out) const;
    void setNotifier(std::function<void()> notifier);

private:
    mutable std::mutex mutex_;
    Frame frame_;
    std::function<void()> notifier_;
};

// A frame sink for Renderer::setFrameSink that stores into latest.
std::function<void(int, int, const std::uint8_t*)> frameSinkInto(std::shared_ptr<LatestFrame> latest);

}  // namespace kinemo
