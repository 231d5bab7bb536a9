#pragma once
// The player panel without its widgets: which of the six buttons is shown pressed, what pressing
// one does, the speed and progress sliders with their labels, the chapter label, the text shown
// and the rows of the timing window. The desktop program's panel shows this model and forwards
// the reader's clicks and slider moves to it.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "animation/playback.h"

namespace kinemo {

enum class PlayerButton { JumpToStart = 0, PlayBackward, Stop, PlayForward, PlayToEnd, JumpToEnd };
inline constexpr int kPlayerButtonCount = 6;
// The tool tip of a button ("Jump to start of chapter", ...).
const char* playerButtonToolTip(PlayerButton button);

// speed = min * (max / min)^(position / 100), at least 1e-6, rounded to two significant digits.
float speedFromSliderPosition(int position, float minSpeed, float maxSpeed);
// The inverse, rounded and clamped to 0..100.
int sliderPositionFromSpeed(float speed, float minSpeed, float maxSpeed);
// "x%1.1f", or "x%1.0f" above 9.
std::string speedLabel(float speed);
// Percentage of the progress display for a time, given the end of the chapter's first stop and
// its run time.
double progressPercent(double time, double firstStopEnd, double runTime);
// "%ld(%ld): %s", cut to 37 characters and "..." when longer than 40.
std::string chapterLabel(long number, long count, std::string_view title);

// One step of the timing window.
struct TimingStep {
    std::string name;
    double start = 0.0;
    double end = 0.0;
};
struct TimingRow {
    std::string text;
    int y = 0;        // 30 pixels apart
    int barLeft = 0;  // the step's bar, scaled to the window width
    int barRight = 0;
    int filledRight = 0;  // filled up to the current time
};
struct TimingLayout {
    std::string formatLine;   // "Time format: start time/ellapsed time/duration"
    std::string currentLine;  // "Current time: %s"
    std::vector<TimingRow> rows;
};
TimingLayout timingLayout(const std::vector<TimingStep>& steps, double currentTime, int width);
class AnimationGroup;
// The steps of a chapter's timeline, in the order they start, with their start and end times.
std::vector<TimingStep> timingStepsOf(const AnimationGroup& chapter);

class PlayerPanelModel {
public:
    // post runs a job on the interface thread (the render thread's notices go through it); none
    // runs it at once.
    explicit PlayerPanelModel(Playback& playback, std::function<void(std::function<void()>)> post = {});
    ~PlayerPanelModel();
    PlayerPanelModel(const PlayerPanelModel&) = delete;
    PlayerPanelModel& operator=(const PlayerPanelModel&) = delete;

    // The chapter sequencing reports its moves and cleared texts to this panel (until it goes).
    void attachToAnimationState();
    // Told (on the interface thread) whenever something shown changed.
    void setChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }

    // The panel opens: the speed is clamped into the slider's range.
    void open();

    void press(PlayerButton button);
    std::optional<PlayerButton> pressedButton() const { return pressed_; }
    bool isPressed(PlayerButton button) const { return pressed_ == button; }
    // The chapter reported finished: every button released.
    void playbackStopped();

    // Slider moves by the reader; ignored while the program itself sets the sliders.
    void setSpeedFromSlider(int position);
    void setProgressFromSlider(int position);
    int speedPosition() const { return speedPosition_; }
    std::string speedText() const { return speedLabel(playbackState().speed.load()); }
    int progressPosition() const { return progressPosition_; }
    std::string progressText() const;

    // Called after every move of the chapter (from the render thread while playing).
    void showProgress(double time);
    // The chapter label from the current chapter's number, the chapter count and its title;
    // number 0 for no chapter.
    void showChapter(long number, long count, std::string_view title);
    const std::string& chapterText() const { return chapterText_; }
    // The text panel's content (rich text in the current language), empty for none.
    void showText(std::string text);
    const std::string& text() const { return text_; }
    // The timing window's steps and the current time.
    void setTimingSteps(std::vector<TimingStep> steps) { timingSteps_ = std::move(steps); }
    TimingLayout timing(int width) const { return timingLayout(timingSteps_, currentTime_, width); }
    double currentTime() const { return currentTime_; }

    // True while the program sets the sliders (their change signals must not come back).
    bool settingSliders() const { return settingSliders_; }

private:
    void runCommand(PlayerButton button);
    void notify();
    void onInterfaceThread(std::function<void()> job);

    Playback& playback_;
    std::function<void(std::function<void()>)> post_;
    std::function<void()> changed_;
    std::optional<PlayerButton> pressed_;
    int speedPosition_ = 0;
    int progressPosition_ = 0;
    double currentTime_ = 0.0;
    std::string chapterText_;
    std::string text_;
    std::vector<TimingStep> timingSteps_;
    bool settingSliders_ = false;
    bool attached_ = false;
};

}  // namespace kinemo
