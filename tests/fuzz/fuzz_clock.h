#pragma once
// Level 1 reports pause for the status line; a fuzzer does not wait.
#include <chrono>

#include "core/clock.h"

namespace kinemo::fuzzing {

class NoSleepClock : public Clock {
public:
    TimePoint now() override { return TimePoint(std::chrono::hours(1)); }
    void sleepFor(Duration) override {}
};

}  // namespace kinemo::fuzzing
