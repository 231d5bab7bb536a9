#include "core/messages.h"

#include <algorithm>
#include <chrono>
#include <mutex>

#include "core/clock.h"
#include "core/platform.h"

namespace kinemo {
namespace {

using namespace std::chrono_literals;

constexpr int kPauseLevels = 4;
// A pause after a report is skipped when the last one for its level ended this recently, so a
// burst of reports does not stall the program.
constexpr Clock::Duration kPauseSpacing = 300ms;

struct MessageState {
    std::mutex mutex;
    std::string lastStatus;
    bool showsReport = false;
    std::string prompt;
    std::string workpart;
    bool pauseTimesSet = false;
    Clock::TimePoint pauseEnd[kPauseLevels];
    MessageHook hook;
    std::function<void()> refresh;
    Clock* clock = nullptr;
};

MessageState& state() {
    static MessageState* s = new MessageState;  // kept alive for messages during static destruction
    return *s;
}

Clock& clockLocked(MessageState& s) { return s.clock ? *s.clock : systemClock(); }

std::string translated(std::string_view text) {
    MessageHook hook;
    {
        std::lock_guard lock(state().mutex);
        hook = state().hook;
    }
    return hook ? hook(text) : std::string(text);
}

void refreshStatusLine() {
    MessageState& s = state();
    std::string text;
    std::function<void()> refresh;
    {
        std::lock_guard lock(s.mutex);
        text = s.lastStatus;
        refresh = s.refresh;
    }
    platform().setStatusField(StatusField::Message, text);
    if (refresh) refresh();
}

Clock::Duration pauseFor(int level) { return level == 1 ? Clock::Duration(100ms) : Clock::Duration::zero(); }

void pauseAfterReport(int level) {
    MessageState& s = state();
    int slot = std::clamp(level, 0, kPauseLevels - 1);
    Clock* clock;
    {
        std::lock_guard lock(s.mutex);
        clock = &clockLocked(s);
        if (clock->now() - s.pauseEnd[slot] <= kPauseSpacing) return;
    }
    Clock::Duration length = pauseFor(level);
    if (length > Clock::Duration::zero()) clock->sleepFor(length);
    std::lock_guard lock(s.mutex);
    s.pauseEnd[slot] = clock->now();
}

}  // namespace

void reportMessage(std::string_view text, int level, bool isError) {
    MessageState& s = state();
    std::string message = translated(text);
    bool changed;
    {
        std::lock_guard lock(s.mutex);
        if (!s.pauseTimesSet) {
            // The pause times start one second before the first message, so it may pause at once.
            Clock::TimePoint start = clockLocked(s).now() - 1s;
            std::fill(std::begin(s.pauseEnd), std::end(s.pauseEnd), start);
            s.pauseTimesSet = true;
        }
        changed = message != s.lastStatus;
        s.lastStatus = message;
        s.showsReport = true;
    }
    const char* caption = isError ? "Error" : "Warning";
    if (level >= 2) {
        platform().showMessageBox(MessageBoxRequest{message, caption,
                                                    isError ? MessageIcon::Error : MessageIcon::Warning,
                                                    MessageButtons::Ok, MessageAnswer::Ok});
    }
    logLine(std::string(caption) + ": " + message);
    refreshStatusLine();
    if (level < 2 && changed) pauseAfterReport(level);
}

void showStatus(std::string_view text, bool toLog) {
    MessageState& s = state();
    std::string message = translated(text);
    {
        std::lock_guard lock(s.mutex);
        s.lastStatus = message;
        s.showsReport = false;
    }
    if (toLog) logLine(message);
    refreshStatusLine();
}

void setPromptText(std::string_view text) {
    {
        std::lock_guard lock(state().mutex);
        state().prompt = std::string(text);
    }
    platform().setStatusField(StatusField::Prompt, text);
}

void setWorkpartText(std::string_view text) {
    {
        std::lock_guard lock(state().mutex);
        state().workpart = std::string(text);
    }
    platform().setStatusField(StatusField::Workpart, text);
}

std::string lastStatusText() {
    std::lock_guard lock(state().mutex);
    return state().lastStatus;
}

bool statusShowsReport() {
    std::lock_guard lock(state().mutex);
    return state().showsReport;
}

std::string promptText() {
    std::lock_guard lock(state().mutex);
    return state().prompt;
}

std::string workpartText() {
    std::lock_guard lock(state().mutex);
    return state().workpart;
}

void setMessageHook(MessageHook hook) {
    std::lock_guard lock(state().mutex);
    state().hook = std::move(hook);
}

void setStatusRefreshHook(std::function<void()> refresh) {
    std::lock_guard lock(state().mutex);
    state().refresh = std::move(refresh);
}

void setMessageClock(Clock* clock) {
    std::lock_guard lock(state().mutex);
    state().clock = clock;
}

void resetMessageService() {
    MessageState& s = state();
    std::lock_guard lock(s.mutex);
    s.lastStatus.clear();
    s.showsReport = false;
    s.prompt.clear();
    s.workpart.clear();
    s.pauseTimesSet = false;
    s.hook = nullptr;
    s.refresh = nullptr;
    s.clock = nullptr;
}

}  // namespace kinemo
