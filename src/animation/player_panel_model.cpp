#include "animation/player_panel_model.h"

#include <algorithm>
#include <cmath>

#include "animation/animation_atom_ref.h"
#include "animation/animation_group.h"
#include "core/numbers.h"
#include "core/utilities.h"
#include "text/translator.h"

namespace kinemo {

const char* playerButtonToolTip(PlayerButton button) {
    static constexpr std::array<const char*, kPlayerButtonCount> tips{
        "Jump to start of chapter",  "Play backward to next stop",     "Stop animation",
        "Play forward to next stop", "Play forward to end of chapter", "Jump to end of chapter"};
    return tips[std::size_t(button)];
}

float speedFromSliderPosition(int position, float minSpeed, float maxSpeed) {
    position = std::clamp(position, 0, 100);
    double speed = double(minSpeed) * std::pow(double(maxSpeed) / double(minSpeed), position / 100.0);
    if (!(speed >= 1e-6)) speed = 1e-6;
    // Two significant digits: scaled into [10, 100), rounded, scaled back.
    const double scale = std::pow(10.0, std::floor(std::log10(speed)) - 1.0);
    return float(std::round(speed / scale) * scale);
}

int sliderPositionFromSpeed(float speed, float minSpeed, float maxSpeed) {
    const double range = std::log(double(maxSpeed) / double(minSpeed));
    if (!(range > 0.0)) return 0;
    const double p = std::round(100.0 * std::log((std::fabs(double(speed)) + 1e-6) / double(minSpeed)) / range);
    if (!(p >= 0.0)) return 0;
    return int(std::min(p, 100.0));
}

std::string speedLabel(float speed) { return formatC(speed > 9.0f ? "x%1.0f" : "x%1.1f", double(speed)); }

double progressPercent(double time, double firstStopEnd, double runTime) {
    if (!(runTime > firstStopEnd)) return 100.0;
    const double p = (time - firstStopEnd) / (runTime - firstStopEnd) * 100.0;
    if (!(p >= 0.0)) return 0.0;
    return std::min(p, 100.0);
}

std::string chapterLabel(long number, long count, std::string_view title) {
    std::string label = formatC("%ld(%ld): %s", number, count, std::string(title).c_str());
    if (label.size() > 40) label = label.substr(0, 37) + "...";
    return label;
}

TimingLayout timingLayout(const std::vector<TimingStep>& steps, double currentTime, int width) {
    TimingLayout layout;
    layout.formatLine = "Time format: start time/ellapsed time/duration";
    layout.currentLine = formatC("Current time: %s", formatDuration(currentTime).c_str());
    double total = 0.0;
    for (const TimingStep& s : steps) total = std::max(total, s.end);
    const double scale = total > 0.0 ? double(std::max(width, 0)) / total : 0.0;
    int y = 0;
    for (std::size_t i = 0; i < steps.size(); ++i, y += 30) {
        const TimingStep& s = steps[i];
        const double duration = std::max(s.end - s.start, 0.0);
        const double elapsed = std::clamp(currentTime - s.start, 0.0, duration);
        TimingRow row;
        row.y = y;
        row.text = i == 0 ? formatC("Duration: %s,", formatDuration(total).c_str())
                          : formatC("%s/%s/%s,", formatDuration(s.start).c_str(), formatDuration(elapsed).c_str(),
                                    formatDuration(duration).c_str());
        row.text += s.name;
        row.barLeft = int(std::lround(s.start * scale));
        row.barRight = int(std::lround(s.end * scale));
        row.filledRight = int(std::lround((s.start + elapsed) * scale));
        layout.rows.push_back(std::move(row));
    }
    return layout;
}

std::vector<TimingStep> timingStepsOf(const AnimationGroup& chapter) {
    std::vector<TimingStep> steps;
    for (const TimelineEntry* e : chapter.timeline()) {
        if (e == nullptr || !e->isStart || e->ref == nullptr || e->ref->atom == nullptr) continue;
        steps.push_back({e->ref->atom->getName(), e->ref->startEntry.time, e->ref->endEntry.time});
    }
    return steps;
}

void PlayerPanelModel::attachToAnimationState() {
    AnimationState& s = animationState();
    s.progressChanged = [this](double time) { showProgress(time); };
    s.textCleared = [this] { onInterfaceThread([this] { showText({}); }); };
    attached_ = true;
}

PlayerPanelModel::PlayerPanelModel(Playback& playback, std::function<void(std::function<void()>)> post)
    : playback_(playback), post_(std::move(post)) {
    playback_.setStoppedHandler([this] { onInterfaceThread([this] { playbackStopped(); }); });
    chapterText_ = Translator::translate("No chapter loaded");
    open();
}

PlayerPanelModel::~PlayerPanelModel() {
    playback_.setStoppedHandler({});
    if (attached_) {
        animationState().progressChanged = {};
        animationState().textCleared = {};
    }
}

void PlayerPanelModel::onInterfaceThread(std::function<void()> job) {
    if (post_)
        post_(std::move(job));
    else
        job();
}

void PlayerPanelModel::notify() {
    if (changed_) changed_();
}

void PlayerPanelModel::open() {
    PlaybackState& s = playbackState();
    s.speed = std::clamp(s.speed.load(), s.minSpeed, s.maxSpeed);
    speedPosition_ = sliderPositionFromSpeed(s.speed, s.minSpeed, s.maxSpeed);
}

void PlayerPanelModel::press(PlayerButton button) {
    if (pressed_ == button) return;
    const bool playing = playback_.isPlaying();
    const std::optional<PlayerButton> before = pressed_;
    bool changedOnly = false;
    if (playing && before) {
        const PlayerButton b = *before;
        using P = PlayerButton;
        if (b == P::PlayForward && button == P::PlayBackward) {
            playback_.setDirection(false);
            changedOnly = true;
        } else if (b == P::PlayBackward && button == P::PlayForward) {
            playback_.setDirection(true);
            changedOnly = true;
        } else if (b == P::PlayForward && button == P::PlayToEnd) {
            playback_.setPlayThroughStops(true);
            changedOnly = true;
        } else if (b == P::PlayToEnd && button == P::PlayForward) {
            playback_.setPlayThroughStops(false);
            changedOnly = true;
        } else if (b == P::PlayBackward && button == P::PlayToEnd) {
            playback_.setDirection(true);
            playback_.setPlayThroughStops(true);
            changedOnly = true;
        } else if (b == P::PlayToEnd && button == P::PlayBackward) {
            playback_.setDirection(false);
            playback_.setPlayThroughStops(false);
            changedOnly = true;
        }
    }
    pressed_ = button;
    notify();
    if (!changedOnly) runCommand(button);
}

void PlayerPanelModel::runCommand(PlayerButton button) {
    bool playing = false;
    switch (button) {
        case PlayerButton::JumpToStart:
            playback_.jumpToStart();
            break;
        case PlayerButton::PlayBackward:
            playing = playback_.stepBackward(false);
            break;
        case PlayerButton::Stop:
            playback_.stopPlayback();
            break;
        case PlayerButton::PlayForward:
            playing = playback_.stepForward(false);
            break;
        case PlayerButton::PlayToEnd:
            playing = playback_.stepForward(true);
            break;
        case PlayerButton::JumpToEnd:
            playback_.jumpToEnd();
            break;
    }
    // Jumps and stop are done at once; a play that could not start leaves the panel stopped.
    if (!playing) playbackStopped();
}

void PlayerPanelModel::playbackStopped() {
    if (!pressed_) return;
    pressed_.reset();
    notify();
}

void PlayerPanelModel::setSpeedFromSlider(int position) {
    if (settingSliders_) return;
    PlaybackState& s = playbackState();
    s.speed = speedFromSliderPosition(position, s.minSpeed, s.maxSpeed);
    speedPosition_ = std::clamp(position, 0, 100);
    notify();
}

void PlayerPanelModel::setProgressFromSlider(int position) {
    if (settingSliders_) return;
    position = std::clamp(position, 0, 100);
    playback_.positionAt(double(position));
    progressPosition_ = position;
    playbackStopped();
    notify();
}

std::string PlayerPanelModel::progressText() const { return formatC("%ld%c", long(progressPosition_), '%'); }

void PlayerPanelModel::showProgress(double time) {
    const double percent = progressPercent(time, playback_.chapters().firstStopEnd(), playback_.chapters().runTime());
    onInterfaceThread([this, time, percent] {
        currentTime_ = time;
        settingSliders_ = true;
        progressPosition_ = int(percent);
        notify();
        settingSliders_ = false;
    });
}

void PlayerPanelModel::showChapter(long number, long count, std::string_view title) {
    chapterText_ = number > 0 ? chapterLabel(number, count, title) : Translator::translate("No chapter loaded");
    notify();
}

void PlayerPanelModel::showText(std::string text) {
    text_ = std::move(text);
    notify();
}

}  // namespace kinemo
