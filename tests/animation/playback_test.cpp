#include "animation/playback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "animation/animation_atom.h"
#include "animation/player_panel_model.h"
#include "render/renderer.h"

namespace kinemo {
namespace {

using std::chrono::milliseconds;

// A chapter that records the times it is played to and reports finished at a stop time.
class FakeChapter : public AnimationAtom {
public:
    FakeChapter() : AnimationAtom(nullptr, false) {}
    using AnimationAtom::animate;
    bool animate(double time, bool forward) override {
        times.push_back(time);
        directions.push_back(forward);
        usedWhileAnimating = useCount() > 0;
        return forward ? time >= stopAt : time <= 0.0;
    }
    std::vector<double> times;
    std::vector<bool> directions;
    double stopAt = 1e9;
    bool usedWhileAnimating = false;
};

class FakeChapters : public PlaybackChapters {
public:
    FakeChapter chapter;
    bool haveChapter = true;
    double time = 3.0;
    bool beforeFirstStop = false, atTheEnd = false;
    bool throughStops = false;
    std::vector<std::string> calls;
    double runTimeValue = 12.0, firstStopEndValue = 2.0;

    AnimationAtom* currentChapter() override { return haveChapter ? &chapter : nullptr; }
    bool hasSteps() override { return true; }
    double currentTime() override { return time; }
    bool atOrBeforeFirstStop() override { return beforeFirstStop; }
    bool atEnd() override { return atTheEnd; }
    bool switchChapter(bool forward) override {
        calls.push_back(forward ? "switch forward" : "switch backward");
        return true;
    }
    void rewind() override { calls.push_back("rewind"); }
    void runToEnd() override { calls.push_back("run to end"); }
    double runTime() override { return runTimeValue; }
    double firstStopEnd() override { return firstStopEndValue; }
    void positionAtPercent(double p) override { calls.push_back("percent " + std::to_string(int(p))); }
    void setPlayThroughStops(bool on) override { throughStops = on; }
    bool playThroughStops() override { return throughStops; }
};

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        playbackState().speed = 1.0f;
        playbackState().playingForward = true;
        setSpeedLimits(0.4f, 20.0f);
    }
    FakeClock clock;
    std::shared_ptr<Renderer> renderer = Renderer::create();
    FakeChapters chapters;
    Playback playback{renderer.get(), chapters, clock};
};

TEST_F(PlaybackTest, AtSpeedTwoOneSecondOfWallTimeAdvancesTheChapterByTwo) {
    playbackState().speed = 2.0f;
    V_EventAnimation clockEvent(&chapters.chapter, 5.0, clock);
    clockEvent.execute();  // the first frame only starts the clock
    clock.advance(std::chrono::seconds(1));
    clockEvent.execute();
    ASSERT_EQ(chapters.chapter.times.size(), 2u);
    EXPECT_DOUBLE_EQ(chapters.chapter.times[0], 5.0);
    EXPECT_NEAR(chapters.chapter.times[1], 7.0, 1e-9);
    EXPECT_TRUE(chapters.chapter.usedWhileAnimating);
    EXPECT_EQ(chapters.chapter.useCount(), 0);
    EXPECT_TRUE(clockEvent.isBlocking());
}

TEST_F(PlaybackTest, RecordingAtAFixedFrameRateAdvancesOneFrameTimeWhateverTheWallTime) {
    V_EventAnimation clockEvent(&chapters.chapter, 0.0, clock, [] { return 25.0f; });
    clockEvent.execute();
    clock.advance(std::chrono::seconds(3));
    clockEvent.execute();
    clockEvent.execute();
    EXPECT_NEAR(clockEvent.time(), 3 * 0.04, 1e-9);
}

TEST_F(PlaybackTest, PlayingBackwardTakesTheTimeAway) {
    playbackState().playingForward = false;
    V_EventAnimation clockEvent(&chapters.chapter, 4.0, clock);
    clockEvent.execute();
    clock.advance(milliseconds(500));
    clockEvent.execute();
    EXPECT_NEAR(clockEvent.time(), 3.5, 1e-9);
    EXPECT_FALSE(chapters.chapter.directions.back());
}

TEST_F(PlaybackTest, ClockFinishesOnceWhenTheChapterReportsAStop) {
    chapters.chapter.stopAt = 1.0;
    int told = 0;
    V_EventAnimation clockEvent(&chapters.chapter, 0.5, clock);
    clockEvent.setCallback([&] { ++told; });
    clockEvent.execute();
    EXPECT_FALSE(clockEvent.isFinished());
    clock.advance(milliseconds(600));
    clockEvent.execute();
    EXPECT_TRUE(clockEvent.isFinished());
    clock.advance(milliseconds(600));
    clockEvent.execute();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(chapters.chapter.times.size(), 2u);
}

TEST_F(PlaybackTest, ClockFinishedFromOutsideNeitherAnimatesNorTellsTheCallback) {
    int told = 0;
    V_EventAnimation clockEvent(&chapters.chapter, 0.0, clock);
    clockEvent.setCallback([&] { ++told; });
    clockEvent.abort();
    EXPECT_TRUE(clockEvent.isFinished());
    clockEvent.execute();
    EXPECT_TRUE(chapters.chapter.times.empty());
    EXPECT_EQ(told, 0);
}

// A chapter whose step takes a while, as a long frame on the render thread does.
class SlowChapter : public AnimationAtom {
public:
    SlowChapter() : AnimationAtom(nullptr, false) {}
    using AnimationAtom::animate;
    bool animate(double, bool) override {
        entered = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        left = true;
        return false;
    }
    std::atomic<bool> entered{false}, left{false};
};

TEST_F(PlaybackTest, FinishingTheClockWaitsForARunningStepToEnd) {
    SlowChapter slow;
    V_EventAnimation clockEvent(&slow, 0.0, clock);
    std::thread renderThread([&] { clockEvent.execute(); });
    while (!slow.entered) std::this_thread::yield();
    clockEvent.finishAndWait();
    EXPECT_TRUE(slow.left);
    renderThread.join();
    EXPECT_TRUE(clockEvent.isFinished());
}

TEST_F(PlaybackTest, ClockWithoutAChapterFinishesAtOnce) {
    int told = 0;
    V_EventAnimation clockEvent(nullptr, 0.0, clock);
    clockEvent.setCallback([&] { ++told; });
    clockEvent.execute();
    EXPECT_TRUE(clockEvent.isFinished());
    EXPECT_EQ(told, 1);
}

TEST_F(PlaybackTest, PlayCommandsQueueOneClockAtTheCurrentTimeAndFinishThePreviousOne) {
    ASSERT_TRUE(playback.stepForward(false));
    auto first = playback.runningEvent();
    ASSERT_TRUE(first);
    EXPECT_EQ(renderer->queuedEvents(), 1u);
    EXPECT_TRUE(playback.stepBackward(true));
    EXPECT_TRUE(first->isFinished());
    EXPECT_FALSE(playbackState().playingForward);
    EXPECT_TRUE(chapters.throughStops);
    playback.runningEvent()->execute();
    EXPECT_DOUBLE_EQ(chapters.chapter.times.back(), 3.0);
    playback.stopPlayback();
    EXPECT_FALSE(playback.isPlaying());
}

TEST_F(PlaybackTest, JumpToStartAtTheFirstStopGoesToThePreviousChapterRewound) {
    std::vector<double> shown;
    playback.setProgressHandler([&](double t) { shown.push_back(t); });
    chapters.beforeFirstStop = true;
    playback.jumpToStart();
    EXPECT_EQ(chapters.calls, (std::vector<std::string>{"switch backward", "rewind"}));
    EXPECT_EQ(shown, std::vector<double>{0.0});
    chapters.calls.clear();
    chapters.beforeFirstStop = false;
    playback.jumpToStart();
    EXPECT_EQ(chapters.calls, std::vector<std::string>{"rewind"});
}

TEST_F(PlaybackTest, JumpToEndAtTheEndGoesOnToTheNextChapter) {
    std::vector<double> shown;
    playback.setProgressHandler([&](double t) { shown.push_back(t); });
    chapters.atTheEnd = true;
    playback.jumpToEnd();
    EXPECT_EQ(chapters.calls, (std::vector<std::string>{"switch forward", "run to end"}));
    EXPECT_EQ(shown, std::vector<double>{12.0});
}

class PanelTest : public PlaybackTest {
protected:
    PlayerPanelModel panel{playback};
};

TEST_F(PanelTest, PressStatesFollowPlayChangeDirectionAndStop) {
    panel.press(PlayerButton::PlayForward);
    EXPECT_TRUE(panel.isPressed(PlayerButton::PlayForward));
    auto clockEvent = playback.runningEvent();
    ASSERT_TRUE(clockEvent);
    EXPECT_FALSE(chapters.throughStops);

    panel.press(PlayerButton::PlayForward);  // already pressed: nothing
    EXPECT_EQ(playback.runningEvent(), clockEvent);

    panel.press(PlayerButton::PlayToEnd);  // same playback, now through the stops
    EXPECT_TRUE(panel.isPressed(PlayerButton::PlayToEnd));
    EXPECT_FALSE(panel.isPressed(PlayerButton::PlayForward));
    EXPECT_EQ(playback.runningEvent(), clockEvent);
    EXPECT_TRUE(chapters.throughStops);

    panel.press(PlayerButton::PlayBackward);
    EXPECT_EQ(playback.runningEvent(), clockEvent);
    EXPECT_FALSE(playbackState().playingForward);
    EXPECT_FALSE(chapters.throughStops);

    panel.press(PlayerButton::PlayForward);
    EXPECT_EQ(playback.runningEvent(), clockEvent);
    EXPECT_TRUE(playbackState().playingForward);

    panel.press(PlayerButton::PlayBackward);
    panel.press(PlayerButton::PlayToEnd);
    EXPECT_TRUE(playbackState().playingForward);
    EXPECT_TRUE(chapters.throughStops);

    panel.press(PlayerButton::Stop);
    EXPECT_TRUE(clockEvent->isFinished());
    EXPECT_FALSE(panel.pressedButton().has_value());
    EXPECT_FALSE(playback.isPlaying());
}

TEST_F(PanelTest, ReverseAfterTheClockStoppedStartsANewPlayback) {
    panel.press(PlayerButton::PlayForward);
    auto first = playback.runningEvent();
    first->abort();  // finished, but the panel was not told
    panel.press(PlayerButton::PlayBackward);
    EXPECT_NE(playback.runningEvent(), first);
    EXPECT_FALSE(playbackState().playingForward);
    EXPECT_TRUE(panel.isPressed(PlayerButton::PlayBackward));
}

TEST_F(PanelTest, ButtonsAreReleasedWhenTheChapterReachesAStopThroughTheInterfaceThread) {
    std::vector<std::function<void()>> posted;
    PlayerPanelModel queued(playback, [&](std::function<void()> job) { posted.push_back(std::move(job)); });
    chapters.chapter.stopAt = 3.0;
    queued.press(PlayerButton::PlayForward);
    playback.runningEvent()->execute();  // on the render thread
    EXPECT_TRUE(queued.isPressed(PlayerButton::PlayForward));
    ASSERT_EQ(posted.size(), 1u);
    posted[0]();
    EXPECT_FALSE(queued.pressedButton().has_value());
}

TEST_F(PanelTest, PlayWithoutAChapterLeavesThePanelStopped) {
    chapters.haveChapter = false;
    panel.press(PlayerButton::PlayForward);
    EXPECT_FALSE(panel.pressedButton().has_value());
    EXPECT_FALSE(playback.isPlaying());
}

TEST_F(PanelTest, JumpsRunAtOnceAndLeaveTheButtonsReleased) {
    panel.press(PlayerButton::JumpToEnd);
    EXPECT_EQ(chapters.calls, std::vector<std::string>{"run to end"});
    EXPECT_FALSE(panel.pressedButton().has_value());
}

TEST(SpeedSlider, MiddlePositionWithTheDefaultsGivesTwoPointEight) {
    EXPECT_FLOAT_EQ(speedFromSliderPosition(50, 0.4f, 20.0f), 2.8f);
    EXPECT_EQ(speedLabel(2.8f), "x2.8");
    EXPECT_FLOAT_EQ(speedFromSliderPosition(0, 0.4f, 20.0f), 0.4f);
    EXPECT_FLOAT_EQ(speedFromSliderPosition(100, 0.4f, 20.0f), 20.0f);
    EXPECT_EQ(speedLabel(20.0f), "x20");
    EXPECT_EQ(speedLabel(9.0f), "x9.0");
}

TEST(SpeedSlider, PositionOfASpeedIsTheInverseWithinOneStep) {
    for (int p = 0; p <= 100; ++p) {
        const float speed = speedFromSliderPosition(p, 0.4f, 20.0f);
        EXPECT_NEAR(sliderPositionFromSpeed(speed, 0.4f, 20.0f), p, 1) << p;
    }
    EXPECT_EQ(sliderPositionFromSpeed(1000.0f, 0.4f, 20.0f), 100);
    EXPECT_EQ(sliderPositionFromSpeed(0.0f, 0.4f, 20.0f), 0);
    EXPECT_EQ(sliderPositionFromSpeed(-2.8f, 0.4f, 20.0f), 50);
}

TEST(SpeedSlider, LimitsAreKeptApart) {
    setSpeedLimits(0.0f, 0.005f);
    EXPECT_FLOAT_EQ(playbackState().minSpeed, 0.001f);
    EXPECT_FLOAT_EQ(playbackState().maxSpeed, 0.01f);
    EXPECT_FLOAT_EQ(speedFromSliderPosition(0, 0.001f, 0.01f), 0.001f);
    setSpeedLimits(0.4f, 20.0f);
}

TEST_F(PanelTest, OpeningClampsTheSpeedAndTheSliderSetsIt) {
    playbackState().speed = 100.0f;
    panel.open();
    EXPECT_FLOAT_EQ(playbackState().speed, 20.0f);
    EXPECT_EQ(panel.speedPosition(), 100);
    panel.setSpeedFromSlider(50);
    EXPECT_FLOAT_EQ(playbackState().speed, 2.8f);
    EXPECT_EQ(panel.speedText(), "x2.8");
}

TEST(ProgressDisplay, PercentRunsFromTheFirstStopToTheEnd) {
    EXPECT_DOUBLE_EQ(progressPercent(7.0, 2.0, 12.0), 50.0);
    EXPECT_DOUBLE_EQ(progressPercent(1.0, 2.0, 12.0), 0.0);
    EXPECT_DOUBLE_EQ(progressPercent(13.0, 2.0, 12.0), 100.0);
    EXPECT_DOUBLE_EQ(progressPercent(0.0, 2.0, 2.0), 100.0);
}

TEST_F(PanelTest, ProgressSetByTheProgramDoesNotComeBackAsASliderMove) {
    panel.setChangedHandler([&] {
        // What a slider's change signal would do when the panel shows the new value.
        if (panel.progressPosition() == 50) panel.setProgressFromSlider(50);
    });
    panel.showProgress(7.0);
    EXPECT_EQ(panel.progressPosition(), 50);
    EXPECT_EQ(panel.progressText(), "50%");
    EXPECT_TRUE(chapters.calls.empty());
    panel.setChangedHandler({});
    panel.setProgressFromSlider(30);
    EXPECT_EQ(chapters.calls, std::vector<std::string>{"percent 30"});
    EXPECT_EQ(panel.progressText(), "30%");
}

TEST(ChapterLabel, LongTitlesAreCutToFortyCharacters) {
    EXPECT_EQ(chapterLabel(2, 5, "Gear"), "2(5): Gear");
    const std::string label = chapterLabel(12, 15, "Mounting the cover plate with four screws");
    EXPECT_EQ(label.size(), 40u);
    EXPECT_EQ(label, "12(15): Mounting the cover plate with...");
    EXPECT_EQ(chapterLabel(1, 1, std::string(34, 'a')), "1(1): " + std::string(34, 'a'));  // 40: kept whole
}

TEST_F(PanelTest, WithoutAChapterTheLabelSaysSo) {
    EXPECT_EQ(panel.chapterText(), "No chapter loaded");
    panel.showChapter(1, 3, "Base");
    EXPECT_EQ(panel.chapterText(), "1(3): Base");
    panel.showChapter(0, 0, "");
    EXPECT_EQ(panel.chapterText(), "No chapter loaded");
}

TEST(TimingWindow, RowsShowTimesAndBarsFilledToTheCurrentTime) {
    const std::vector<TimingStep> steps{{"Base", 0.0, 10.0}, {"Shaft", 2.0, 6.0}, {"Gear", 8.0, 10.0}};
    const TimingLayout layout = timingLayout(steps, 4.0, 100);
    EXPECT_EQ(layout.formatLine, "Time format: start time/ellapsed time/duration");
    ASSERT_EQ(layout.rows.size(), 3u);
    EXPECT_EQ(layout.rows[0].text.rfind("Duration: ", 0), 0u);
    EXPECT_NE(layout.rows[1].text.find("Shaft"), std::string::npos);
    EXPECT_EQ(layout.rows[1].y, 30);
    EXPECT_EQ(layout.rows[1].barLeft, 20);
    EXPECT_EQ(layout.rows[1].barRight, 60);
    EXPECT_EQ(layout.rows[1].filledRight, 40);
    EXPECT_EQ(layout.rows[2].filledRight, 80);  // not started: nothing filled
}

}  // namespace
}  // namespace kinemo
