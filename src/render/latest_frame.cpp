#include "render/latest_frame.h"

namespace kinemo {

void LatestFrame::store(int width, int height, const std::uint8_t* rgba) {
    std::function<void()> notify;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        frame_.width = width;
        frame_.height = height;
        frame_.rgba.assign(rgba, rgba + std::size_t(width) * std::size_t(height) * 4);
        ++frame_.number;
        notify = notifier_;
    }
    if (notify) notify();
}

bool LatestFrame::takeIfNewer(Frame& out) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (frame_.number == 0 || frame_.number == out.number) return false;
    out = frame_;
    return true;
}

void LatestFrame::setNotifier(std::function<void()> notifier) {
    std::lock_guard<std::mutex> lock(mutex_);
    notifier_ = std::move(notifier);
}

std::function<void(int, int, const std::uint8_t*)> frameSinkInto(std::shared_ptr<LatestFrame> latest) {
    return [latest = std::move(latest)](int width, int height, const std::uint8_t* rgba) {
        latest->store(width, height, rgba);
    };
}

}  // namespace kinemo
