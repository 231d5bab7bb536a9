// The player commands on real chapters: the clock plays a chapter of pauses and stops.
#include <gtest/gtest.h>

#include "animation/playback.h"
#include "animation/player_panel_model.h"
#include "animation/stop_pause_steps.h"
#include "animation_test_support.h"
#include "render/renderer.h"
#include "scene/testing/tree_builder.h"

namespace kinemo::testing {
namespace {

class PlaybackChaptersTest : public AnimationTest {
protected:
    void SetUp() override {
        AnimationTest::SetUp();
        playbackState().speed = 1.0f;
        playbackState().playingForward = true;
        c = chapter("c");
        add(std::make_unique<PauseAnimationObject>(nullptr, true, 1000));
        add(std::make_unique<StopAnimationObject>());
        add(std::make_unique<PauseAnimationObject>(nullptr, true, 2000));
        rebuildTimelines(*c);
        animationState().currentChapter = c;
        animationState().currentIndex = 0;
        animationState().currentTime = 0.0;
    }
    void add(std::unique_ptr<AnimationAtom> step) { ASSERT_TRUE(c->appendChild(step)); }

    TestScene scene;
    AnimationGroup* c = nullptr;
    FakeClock clock;
    std::shared_ptr<Renderer> renderer = Renderer::create();
    std::unique_ptr<PlaybackChapters> chapters = makeChapterPlayback();
};

TEST_F(PlaybackChaptersTest, TimingRowsListEveryStepWithItsTimes) {
    const std::vector<TimingStep> steps = timingStepsOf(*c);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_NEAR(steps[0].end, 1.0, 1e-6);
    EXPECT_NEAR(steps[2].start, steps[1].end, 1e-6);
    EXPECT_NEAR(steps[2].end - steps[2].start, 2.0, 1e-6);
}

TEST_F(PlaybackChaptersTest, PlayingForwardHaltsAtTheStopAndReleasesThePanel) {
    Playback playback(renderer.get(), *chapters, clock);
    PlayerPanelModel panel(playback);
    panel.press(PlayerButton::PlayForward);
    auto event = playback.runningEvent();
    ASSERT_TRUE(event);
    for (int frame = 0; frame < 100 && !event->isFinished(); ++frame) {
        event->execute();
        clock.advance(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(event->isFinished());
    EXPECT_LT(animationState().currentTime, 2.5);
    EXPECT_GE(animationState().currentTime, 1.0);
    EXPECT_FALSE(panel.pressedButton().has_value());
}

TEST_F(PlaybackChaptersTest, JumpToEndShowsTheRunTimeAndTheChapterStandsAtItsEnd) {
    Playback playback(renderer.get(), *chapters, clock);
    double shown = -1.0;
    playback.setProgressHandler([&](double t) { shown = t; });
    playback.jumpToEnd();
    EXPECT_NEAR(shown, c->getRunTime(), 1e-9);
    EXPECT_TRUE(chapters->atEnd());
    EXPECT_FALSE(chapters->atOrBeforeFirstStop());
}

}  // namespace
}  // namespace kinemo::testing
