#pragma once
// Wall time and sleeping behind an interface, so that code which waits (the short pause after a
// status message) can be tested with a fake clock that never really sleeps.
#include <chrono>
#include <mutex>
#include <vector>

namespace kinemo {

class Clock {
public:
    using Duration = std::chrono::steady_clock::duration;
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    virtual TimePoint now() = 0;
    virtual void sleepFor(Duration duration) = 0;
};

// steady_clock and std::this_thread::sleep_for.
Clock& systemClock();

// Time stands still until advanced; sleeping advances it and is recorded.
class FakeClock : public Clock {
public:
    FakeClock() = default;
    TimePoint now() override;
    void sleepFor(Duration duration) override;
    void advance(Duration duration);
    std::vector<Duration> sleeps() const;
    void clearSleeps();

private:
    mutable std::mutex mutex_;
    TimePoint now_{std::chrono::hours(1)};
    std::vector<Duration> sleeps_;
};

}  // namespace kinemo
