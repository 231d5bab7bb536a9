#include "core/clock.h"

#include <thread>

namespace kinemo {
namespace {

class SystemClock : public Clock {
public:
    TimePoint now() override { return std::chrono::steady_clock::now(); }
    void sleepFor(Duration duration) override { std::this_thread::sleep_for(duration); }
};

}  // namespace

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

Clock::TimePoint FakeClock::now() {
    std::lock_guard lock(mutex_);
    return now_;
}

void FakeClock::sleepFor(Duration duration) {
    std::lock_guard lock(mutex_);
    sleeps_.push_back(duration);
    now_ += duration;
}

void FakeClock::advance(Duration duration) {
    std::lock_guard lock(mutex_);
    now_ += duration;
}

std::vector<Clock::Duration> FakeClock::sleeps() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
}

void FakeClock::clearSleeps() {
    std::lock_guard lock(mutex_);
    sleeps_.clear();
}

}  // namespace kinemo
