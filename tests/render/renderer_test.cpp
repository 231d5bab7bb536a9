// The render thread's handshakes and its event queue, checked from the interface side.
#include "render/renderer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <thread>

#include "test_scene.h"

namespace kinemo {
namespace {

using namespace std::chrono_literals;

template <class Pred>
bool waitUntil(Pred pred, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class CountingEvent : public V_Event {
public:
    explicit CountingEvent(int steps = 1, bool blocking = false, bool navigation = false)
        : steps_(steps), blocking_(blocking), navigation_(navigation) {}
    void execute() override {
        executed.fetch_add(1);
        if (executed.load() >= steps_) setDone();
    }
    bool isBlocking() const override { return blocking_; }
    bool isNavigation() const override { return navigation_; }
    std::atomic<int> executed{0};

private:
    int steps_;
    bool blocking_;
    bool navigation_;
};

// Never finishes by itself: only an abort ends it.
class EndlessEvent : public V_Event {
public:
    explicit EndlessEvent(bool blocking = false) : blocking_(blocking) {}
    void execute() override { executed.fetch_add(1); }
    bool isBlocking() const override { return blocking_; }
    std::atomic<int> executed{0};

private:
    bool blocking_;
};

class RendererThread : public ::testing::Test {
protected:
    void SetUp() override {
        scene.addCube({1, 1, 1, 1});
        renderer = Renderer::create();
        renderer->setViewSize(32, 32);
        renderer->setScene(&scene);
        ASSERT_TRUE(renderer->start());
        if (!renderer->waitUntilRunning(20s)) {
            GTEST_SKIP() << "no OpenGL here";
        }
        ASSERT_TRUE(waitUntil([&] { return scene.framesDrawn.load() >= 1; }));
    }
    void TearDown() override {
        if (renderer) {
            EXPECT_TRUE(renderer->stop());
        }
    }

    test::TestScene scene;
    std::shared_ptr<Renderer> renderer;
};

TEST_F(RendererThread, StartPauseNeverReturnsWhileAFrameIsDrawn) {
    scene.drawMilliseconds = 15;
    std::atomic<bool> keepDrawing{true};
    std::thread asker([&] {
        while (keepDrawing.load()) {
            renderer->requestRedraw();
            std::this_thread::sleep_for(1ms);
        }
    });
    for (int i = 0; i < 15; ++i) {
        const std::uint64_t ticket = renderer->startPause();
        EXPECT_NE(ticket, 0u);
        EXPECT_FALSE(scene.inFrame.load()) << "round " << i;
        EXPECT_TRUE(renderer->isPaused());
        const int before = scene.framesDrawn.load();
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(scene.framesDrawn.load(), before) << "nothing is drawn while paused";
        renderer->endPause(ticket);
        std::this_thread::sleep_for(std::chrono::milliseconds(i % 7));
    }
    keepDrawing.store(false);
    asker.join();
}

TEST_F(RendererThread, SwappingTheSceneNeverHappensUnderAFrame) {
    scene.drawMilliseconds = 20;
    test::TestScene other;
    other.drawMilliseconds = 20;
    std::atomic<bool> keepDrawing{true};
    std::thread asker([&] {
        while (keepDrawing.load()) {
            renderer->requestRedraw();
            std::this_thread::sleep_for(1ms);
        }
    });
    for (int i = 0; i < 6; ++i) {
        test::TestScene& from = i % 2 == 0 ? scene : other;
        renderer->setScene(i % 2 == 0 ? &other : &scene);
        EXPECT_FALSE(from.inFrame.load()) << "round " << i;
        std::this_thread::sleep_for(30ms);
    }
    keepDrawing.store(false);
    asker.join();
    renderer->setScene(&scene);
    EXPECT_GT(other.framesDrawn.load(), 0);
}

TEST_F(RendererThread, OnlyTheCallerThatStartedAPauseEndsIt) {
    const std::uint64_t first = renderer->startPause();
    ASSERT_NE(first, 0u);
    const std::uint64_t second = renderer->startPause();  // reports the multiple calls
    EXPECT_EQ(second, 0u);
    renderer->endPause(second);
    EXPECT_TRUE(renderer->isPaused());
    renderer->endPause(first);
    EXPECT_FALSE(renderer->isPauseRequested());
}

TEST_F(RendererThread, NestedPauseGuardsLeaveTheOuterPauseStanding) {
    {
        RendererPause outer(*renderer);
        EXPECT_TRUE(outer.started());
        {
            RendererPause inner(*renderer);
            EXPECT_FALSE(inner.started());
        }
        EXPECT_TRUE(renderer->isPaused());
    }
    EXPECT_FALSE(renderer->isPauseRequested());
}

TEST_F(RendererThread, AStaleTicketDoesNotEndALaterPause) {
    const std::uint64_t first = renderer->startPause();
    renderer->endPause(first);
    const std::uint64_t second = renderer->startPause();
    EXPECT_TRUE(renderer->isPaused());
    renderer->endPause(first);
    EXPECT_TRUE(renderer->isPaused());
    renderer->endPause(second);
    EXPECT_FALSE(renderer->isPauseRequested());
}

TEST_F(RendererThread, RunsEveryEventPushedFromManyThreadsOnce) {
    std::vector<std::shared_ptr<CountingEvent>> events;
    for (int i = 0; i < 400; ++i) events.push_back(std::make_shared<CountingEvent>());
    std::vector<std::thread> pushers;
    for (int t = 0; t < 4; ++t)
        pushers.emplace_back([&, t] {
            for (int i = t; i < 400; i += 4) renderer->pushEvent(events[std::size_t(i)]);
        });
    for (std::thread& p : pushers) p.join();
    ASSERT_TRUE(waitUntil([&] { return renderer->queuedEvents() == 0; }));
    for (const auto& e : events) EXPECT_EQ(e->executed.load(), 1);
}

class PushingEvent : public V_Event {
public:
    PushingEvent(Renderer& renderer, std::shared_ptr<CountingEvent> child) : renderer_(renderer), child_(child) {}
    void execute() override {
        renderer_.pushEvent(child_);
        setDone();
    }

private:
    Renderer& renderer_;
    std::shared_ptr<CountingEvent> child_;
};

TEST_F(RendererThread, AnEventMayQueueAnotherOne) {
    auto child = std::make_shared<CountingEvent>();
    renderer->pushEvent(std::make_shared<PushingEvent>(*renderer, child));
    ASSERT_TRUE(waitUntil([&] { return child->executed.load() == 1 && renderer->queuedEvents() == 0; }));
}

TEST_F(RendererThread, AbortEndsAnEndlessEventAndTheHandleOutlivesIt) {
    auto endless = std::make_shared<EndlessEvent>();
    renderer->pushEvent(endless);
    ASSERT_TRUE(waitUntil([&] { return endless->executed.load() > 3; }));
    EXPECT_TRUE(renderer->isEventPending(*endless));
    renderer->abortEvents();
    ASSERT_TRUE(waitUntil([&] { return renderer->queuedEvents() == 0; }));
    EXPECT_FALSE(renderer->isEventPending(*endless));
    endless->abort();  // the renderer let go; our handle is still sound
    EXPECT_TRUE(endless->isAborted());
}

TEST_F(RendererThread, BehindABlockingEventOnlyNavigationRuns) {
    auto blocking = std::make_shared<EndlessEvent>(true);
    auto navigation = std::make_shared<CountingEvent>(1, false, true);
    auto resize = std::make_shared<CountingEvent>();
    renderer->pushEvent(blocking);
    renderer->pushEvent(resize);
    renderer->pushEvent(navigation);
    ASSERT_TRUE(waitUntil([&] { return navigation->executed.load() == 1 && blocking->executed.load() > 5; }));
    EXPECT_EQ(resize->executed.load(), 0) << "waits for the blocking event";
    blocking->abort();
    ASSERT_TRUE(waitUntil([&] { return resize->executed.load() == 1; }));
}

TEST_F(RendererThread, EventsArePausedAndAResizeAskedForMeanwhileIsKept) {
    {
        RendererPause pause(*renderer);
        auto counting = std::make_shared<CountingEvent>();
        renderer->pushEvent(counting);
        renderer->pushEvent(std::make_shared<V_EventResize>(*renderer, 200, 0));
        std::this_thread::sleep_for(30ms);
        EXPECT_EQ(counting->executed.load(), 0);
        EXPECT_EQ(renderer->viewSize(), (std::array<int, 2>{32, 32}));
    }
    ASSERT_TRUE(waitUntil([&] { return renderer->viewSize() == std::array<int, 2>{200, 1}; }));
}

TEST_F(RendererThread, RaisesTheInUseCounterOnlyWhileDrawing) {
    const int before = scene.rootUseSeen.load();
    renderer->requestRedraw();
    ASSERT_TRUE(waitUntil([&] { return scene.rootUseSeen.load() > before; }));
    RendererPause pause(*renderer);
    EXPECT_EQ(scene.root.useCount(), 0);
}

TEST_F(RendererThread, ReleasesTheInUseCounterWhenThereIsNoViewpoint) {
    {
        RendererPause pause(*renderer);
        scene.hasCamera = false;
    }
    renderer->requestRedraw();
    std::this_thread::sleep_for(30ms);
    RendererPause pause(*renderer);
    EXPECT_EQ(scene.root.useCount(), 0);
}

TEST_F(RendererThread, CaptureRunsOnThePausedRenderThread) {
    RendererPause pause(*renderer);
    const int before = scene.framesDrawn.load();
    PixelImage image;
    ASSERT_TRUE(renderer->capture(image, 16, 8));
    EXPECT_EQ(image.cols, 16);
    EXPECT_EQ(image.rows, 8);
    EXPECT_EQ(scene.framesDrawn.load(), before + 1);
}

TEST_F(RendererThread, AnIdleViewNeitherDrawsNorSpins) {
    std::this_thread::sleep_for(50ms);
    const int frames = scene.framesDrawn.load();
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    std::this_thread::sleep_for(400ms);
    getrusage(RUSAGE_SELF, &after);
    auto micros = [](const rusage& u) {
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000000L + u.ru_utime.tv_usec + u.ru_stime.tv_usec;
    };
    EXPECT_EQ(scene.framesDrawn.load(), frames);
    // Well under one per cent of a core would be 4 ms; allow for the test machine's noise.
    EXPECT_LT(micros(after) - micros(before), 20000L);
}

TEST_F(RendererThread, StopEndsThePausedLoopAndLaterPausesReturnAtOnce) {
    const std::uint64_t ticket = renderer->startPause();
    EXPECT_NE(ticket, 0u);
    EXPECT_TRUE(renderer->stop());
    EXPECT_FALSE(renderer->isRunning());
    EXPECT_EQ(renderer->startPause(), 0u);
    PixelImage image;
    EXPECT_FALSE(renderer->capture(image, 4, 4));
}

TEST(RendererLifetime, StopBeforeAnySceneEndsTheWaitingThread) {
    auto renderer = Renderer::create();
    ASSERT_TRUE(renderer->start());
    EXPECT_TRUE(renderer->stop());
    EXPECT_FALSE(renderer->isRunning());
}

TEST(RendererLifetime, AResizeBeforeTheSceneRunsAtOnce) {
    auto renderer = Renderer::create();
    V_EventResize resize(*renderer, 0, 5);
    EXPECT_TRUE(resize.isDone());
    EXPECT_EQ(renderer->viewSize(), (std::array<int, 2>{1, 5}));
}

}  // namespace
}  // namespace kinemo
