#include "animation/step_ids.h"

#include <atomic>
#include <cstdint>
#include <unordered_set>

#include "animation/animation_group.h"
#include "core/messages.h"
#include "core/numbers.h"

namespace kinemo {
namespace {
std::atomic<std::int32_t> counter{0};
}  // namespace

std::int32_t takeStepId() {
    std::int32_t id = counter.load();
    while (id < INT32_MAX && !counter.compare_exchange_weak(id, id + 1)) {
    }
    return id;
}

std::int32_t stepIdCounter() { return counter.load(); }

void setStepIdCounter(std::int32_t value) { counter.store(value < 0 ? 0 : value); }

void writeHighestIndex(std::string& out) { out += formatC("\n# <kmxHIGHESTINDEX value = \"%i\" />\n", stepIdCounter()); }

int settleStepIdsAfterLoad(AnimationGroup& root, std::int32_t restored) {
    // The root is never written: its id is the one of this run, not one of the file's.
    std::int32_t highest = -1;
    root.forEachDescendant([&](AnimationAtom& a) {
        if (a.id() > highest) highest = a.id();
        return true;
    });
    std::int32_t next = restored >= 0 ? restored : stepIdCounter();
    if (highest >= 0 && highest + std::int64_t(1) > next) next = highest < INT32_MAX ? highest + 1 : INT32_MAX;
    setStepIdCounter(next);

    std::unordered_set<std::int32_t> seen;
    int reassigned = 0;
    root.forEachDescendant([&](AnimationAtom& a) {
        if (a.id() < 0) return true;
        if (!seen.insert(a.id()).second) {
            const std::int32_t old = a.id();
            a.setId(takeStepId());
            seen.insert(a.id());
            ++reassigned;
            logLine(formatC("AnimationAtom: step id %d occurs twice in the file, the later step now has id %d", old,
                            a.id()));
        }
        return true;
    });
    if (root.id() < 0 || seen.count(root.id())) root.setId(takeStepId());
    return reassigned;
}

}  // namespace kinemo
