#include "core/headless_platform.h"

#include <cstdio>
#include <utility>

namespace kinemo {

void HeadlessPlatform::record(PlatformRecord record) {
    if (recording_) records_.push_back(std::move(record));
}

MessageAnswer HeadlessPlatform::showMessageBox(const MessageBoxRequest& request) {
    std::lock_guard lock(mutex_);
    MessageAnswer answer = request.defaultAnswer;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    if (echo_) {
        std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
    }
    if (recording_) messageBoxes_.push_back(request);
    record({"messageBox", request.text, request.caption, static_cast<int>(answer), {}});
    return answer;
}

void HeadlessPlatform::setStatusField(StatusField field, std::string_view text) {
    std::lock_guard lock(mutex_);
    int index = static_cast<int>(field);
    if (index < 0 || index >= kStatusFieldCount) return;
    status_[index] = std::string(text);
    record({"status", std::string(text), {}, index, {}});
}

std::optional<std::string> HeadlessPlatform::askFileName(const FileDialogRequest& request) {
    std::lock_guard lock(mutex_);
    std::optional<std::string> answer;
    if (!fileNames_.empty()) {
        answer = std::move(fileNames_.front());
        fileNames_.pop_front();
    }
    if (recording_) fileRequests_.push_back(request);
    record({"askFileName", request.title, request.filter, static_cast<int>(request.mode), {}});
    return answer;
}

bool HeadlessPlatform::startTimer(int id, int intervalMs, std::function<void()> onTick) {
    std::lock_guard lock(mutex_);
    record({"startTimer", {}, {}, id, {0, 0, intervalMs, 0}});
    if (!timersAvailable_) return false;
    timers_[id] = Timer{intervalMs, std::move(onTick)};
    return true;
}

void HeadlessPlatform::stopTimer(int id) {
    std::lock_guard lock(mutex_);
    record({"stopTimer", {}, {}, id, {}});
    timers_.erase(id);
}

WindowRect HeadlessPlatform::mainWindowRect() {
    std::lock_guard lock(mutex_);
    return window_;
}

void HeadlessPlatform::setMainWindowRect(const WindowRect& rect) {
    std::lock_guard lock(mutex_);
    window_ = rect;
    record({"setMainWindowRect", {}, {}, 0, rect});
}

void HeadlessPlatform::showMainWindow() {
    std::lock_guard lock(mutex_);
    visible_ = true;
    record({"showMainWindow", {}, {}, 0, {}});
}

void HeadlessPlatform::hideMainWindow() {
    std::lock_guard lock(mutex_);
    visible_ = false;
    record({"hideMainWindow", {}, {}, 0, {}});
}

void HeadlessPlatform::setMainWindowTopmost(bool topmost) {
    std::lock_guard lock(mutex_);
    topmost_ = topmost;
    record({"setMainWindowTopmost", {}, {}, topmost ? 1 : 0, {}});
}

void HeadlessPlatform::raiseMainWindow() {
    std::lock_guard lock(mutex_);
    record({"raiseMainWindow", {}, {}, 0, {}});
}

void HeadlessPlatform::setMainWindowTitle(std::string_view title) {
    std::lock_guard lock(mutex_);
    title_ = std::string(title);
    record({"setMainWindowTitle", title_, {}, 0, {}});
}

ScreenSize HeadlessPlatform::screenSize() {
    std::lock_guard lock(mutex_);
    return screen_;
}

void HeadlessPlatform::queueAnswer(MessageAnswer answer) {
    std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

void HeadlessPlatform::queueFileName(std::optional<std::string> fileName) {
    std::lock_guard lock(mutex_);
    fileNames_.push_back(std::move(fileName));
}

void HeadlessPlatform::setScreenSize(ScreenSize size) {
    std::lock_guard lock(mutex_);
    screen_ = size;
}

void HeadlessPlatform::setTimersAvailable(bool available) {
    std::lock_guard lock(mutex_);
    timersAvailable_ = available;
}

void HeadlessPlatform::setEchoMessageBoxes(bool echo) {
    std::lock_guard lock(mutex_);
    echo_ = echo;
}

void HeadlessPlatform::setRecording(bool recording) {
    std::lock_guard lock(mutex_);
    recording_ = recording;
}

std::vector<PlatformRecord> HeadlessPlatform::records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

std::vector<PlatformRecord> HeadlessPlatform::recordsOf(std::string_view call) const {
    std::lock_guard lock(mutex_);
    std::vector<PlatformRecord> result;
    for (const auto& r : records_) {
        if (r.call == call) result.push_back(r);
    }
    return result;
}

std::vector<MessageBoxRequest> HeadlessPlatform::messageBoxes() const {
    std::lock_guard lock(mutex_);
    return messageBoxes_;
}

std::vector<FileDialogRequest> HeadlessPlatform::fileRequests() const {
    std::lock_guard lock(mutex_);
    return fileRequests_;
}

void HeadlessPlatform::clearRecords() {
    std::lock_guard lock(mutex_);
    records_.clear();
    messageBoxes_.clear();
    fileRequests_.clear();
}

std::string HeadlessPlatform::statusField(StatusField field) const {
    std::lock_guard lock(mutex_);
    int index = static_cast<int>(field);
    if (index < 0 || index >= kStatusFieldCount) return {};
    return status_[index];
}

bool HeadlessPlatform::mainWindowVisible() const {
    std::lock_guard lock(mutex_);
    return visible_;
}

bool HeadlessPlatform::mainWindowTopmost() const {
    std::lock_guard lock(mutex_);
    return topmost_;
}

std::string HeadlessPlatform::mainWindowTitle() const {
    std::lock_guard lock(mutex_);
    return title_;
}

bool HeadlessPlatform::timerRunning(int id) const {
    std::lock_guard lock(mutex_);
    return timers_.count(id) != 0;
}

int HeadlessPlatform::timerInterval(int id) const {
    std::lock_guard lock(mutex_);
    auto it = timers_.find(id);
    return it == timers_.end() ? 0 : it->second.intervalMs;
}

bool HeadlessPlatform::fireTimer(int id) {
    std::function<void()> tick;
    {
        std::lock_guard lock(mutex_);
        auto it = timers_.find(id);
        if (it == timers_.end()) return false;
        tick = it->second.onTick;
    }
    // The tick runs unlocked: it may stop its own timer or report messages.
    if (tick) tick();
    return true;
}

}  // namespace kinemo
