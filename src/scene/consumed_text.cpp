#include "scene/consumed_text.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "core/messages.h"
#include "core/numbers.h"

namespace kinemo {
namespace {

struct ReleaseState {
    char* begin = nullptr;
    char* end = nullptr;
    std::uintptr_t releasedUpTo = 0;  // page-aligned; nothing below it is held any more
    std::size_t released = 0;
    std::size_t step = std::size_t(1) << 20;
    std::size_t margin = 64 * 1024;
    int tenthsShown = 0;
};

thread_local ReleaseState state;

std::uintptr_t pageSize() {
    static const std::uintptr_t size = [] {
        const long s = sysconf(_SC_PAGESIZE);
        return s > 0 ? std::uintptr_t(s) : std::uintptr_t(4096);
    }();
    return size;
}

}  // namespace

ConsumedTextRelease::ConsumedTextRelease(char* begin, char* end) {
    if (state.begin || !begin || end <= begin) return;
    active_ = true;
    state.begin = begin;
    state.end = end;
    const std::uintptr_t page = pageSize();
    // The page the text begins in may hold other data: release starts at the next whole page.
    state.releasedUpTo = (reinterpret_cast<std::uintptr_t>(begin) + page - 1) & ~(page - 1);
    state.released = 0;
    state.tenthsShown = 0;
}

ConsumedTextRelease::~ConsumedTextRelease() {
    if (!active_) return;
    state.begin = state.end = nullptr;
    state.releasedUpTo = 0;
}

void ConsumedTextRelease::releaseBefore(const char* p) {
    if (!state.begin || p < state.begin || p > state.end) return;
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(p);
    if (at < state.releasedUpTo + state.margin) return;
    const std::uintptr_t upTo = (at - state.margin) & ~(pageSize() - 1);
    if (upTo <= state.releasedUpTo || upTo - state.releasedUpTo < state.step) return;
    // The pages read back as zeros if touched again; nothing touches them.
    if (madvise(reinterpret_cast<void*>(state.releasedUpTo), upTo - state.releasedUpTo, MADV_DONTNEED) == 0)
        state.released += upTo - state.releasedUpTo;
    state.releasedUpTo = upTo;
}

void ConsumedTextRelease::reportProgress(const char* p) {
    constexpr std::ptrdiff_t kLargeText = 16 << 20;
    if (!state.begin || p < state.begin || p > state.end || state.end - state.begin < kLargeText) return;
    const int tenths = int((p - state.begin) * 10 / (state.end - state.begin));
    if (tenths <= state.tenthsShown || tenths >= 10) return;
    state.tenthsShown = tenths;
    showStatus(formatC("Loading... %d%%", tenths * 10));
}

std::size_t ConsumedTextRelease::releasedBytes() { return state.released; }

void ConsumedTextRelease::setLimits(std::size_t step, std::size_t margin) {
    state.step = step;
    state.margin = margin;
}

}  // namespace kinemo
