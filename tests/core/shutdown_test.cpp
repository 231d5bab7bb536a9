#include <unistd.h>

#include <gtest/gtest.h>

#include "app_logic_support.h"
#include "core/headless_platform.h"
#include "core/main_frame_logic.h"
#include "core/messages.h"
#include "test_folder.h"

namespace kinemo {
namespace {

using testing::FakeServices;

class ShutdownTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetMessageService();
        setPlatform(&headless);
        openLogFile(logName);
    }
    void TearDown() override {
        closeLogFile();
        setPlatform(nullptr);
        resetMessageService();
    }
    std::string logText() { return testing::readText(logPath); }
    void closeAndKeepLog() {
        logPath = logFilePath();
        logic.closeMainWindow();
    }

    // CTest runs the cases side by side: each process keeps a log of its own.
    const std::string logName = "kinemo_shutdown_test_log_" + std::to_string(::getpid()) + ".txt";
    std::string logPath;
    HeadlessPlatform headless;
    FakeServices services;
    MainFrameLogic logic{services, &headless};
};

TEST_F(ShutdownTest, ClosesAtOnceWithoutARenderer) {
    closeAndKeepLog();
    EXPECT_EQ(logic.shutdownState(), ShutdownState::Closed);
    EXPECT_TRUE(services.ended);
    EXPECT_FALSE(headless.timerRunning(kShutdownTimerId));
    EXPECT_NE(logText().find("CMainFrame::OnClose, gRenderer == NULL\n"), std::string::npos);
    EXPECT_EQ(logFilePath(), "");
}

TEST_F(ShutdownTest, CancelKeepsTheProgramRunningAndTheRendererUntouched) {
    services.scene = services.changes = true;
    services.renderer = services.running = true;
    headless.queueAnswer(MessageAnswer::Cancel);
    logic.closeMainWindow();
    EXPECT_EQ(logic.shutdownState(), ShutdownState::Running);
    EXPECT_TRUE(services.calls.empty());
    EXPECT_FALSE(headless.timerRunning(kShutdownTimerId));
}

TEST_F(ShutdownTest, WaitsForTheRenderThreadOnTheTenMillisecondTimer) {
    services.renderer = services.running = true;
    services.runningTicks = 3;
    closeAndKeepLog();
    EXPECT_EQ(logic.shutdownState(), ShutdownState::StoppingRenderer);
    EXPECT_EQ(services.calls, (std::vector<std::string>{"stopRenderer"}));
    EXPECT_EQ(headless.timerInterval(kShutdownTimerId), 10);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(headless.fireTimer(kShutdownTimerId));
    EXPECT_EQ(logic.shutdownState(), ShutdownState::StoppingRenderer);
    ASSERT_TRUE(headless.fireTimer(kShutdownTimerId));
    EXPECT_EQ(logic.shutdownState(), ShutdownState::Closed);
    EXPECT_FALSE(headless.timerRunning(kShutdownTimerId));
    EXPECT_EQ(services.calls,
              (std::vector<std::string>{"stopRenderer", "stopRenderer", "releaseRenderer", "endMainLoop"}));
    const std::string log = logText();
    EXPECT_NE(log.find("CMainFrame::OnTimer, iCall == 3\n"), std::string::npos);
    EXPECT_NE(
        log.find("CMainFrame::OnTimer, gRenderer not running\nCMainFrame::OnTimer, iCall == 4\nMainFrame::doClose\n"),
        std::string::npos);
    auto status = headless.recordsOf("status");
    ASSERT_GE(status.size(), 2u);
    EXPECT_EQ(status[status.size() - 2].text, "Terminating Render Thread");
    EXPECT_EQ(status.back().text, "");
}

TEST_F(ShutdownTest, GivesUpOnAHungRenderThreadAfter200TicksWithoutDestroyingIt) {
    services.renderer = services.running = true;
    closeAndKeepLog();
    int ticks = 0;
    while (headless.fireTimer(kShutdownTimerId) && ticks < 1000) ++ticks;
    EXPECT_EQ(ticks, 200);
    EXPECT_EQ(logic.shutdownState(), ShutdownState::Closed);
    EXPECT_EQ(services.count("releaseRunningRenderer"), 1);
    EXPECT_NE(logText().find("CMainFrame::OnTimer, iCall == 200\nMainFrame::doClose\n"), std::string::npos);
    EXPECT_EQ(logText().find("gRenderer not running"), std::string::npos);
}

TEST_F(ShutdownTest, IgnoresASecondCloseWhileStopping) {
    services.renderer = services.running = true;
    closeAndKeepLog();
    logic.closeMainWindow();
    logic.closeMainWindow();
    EXPECT_EQ(services.count("stopRenderer"), 1);
    services.running = false;
    headless.fireTimer(kShutdownTimerId);
    logic.closeMainWindow();
    EXPECT_EQ(services.count("endMainLoop"), 1);
}

TEST_F(ShutdownTest, ClosesEvenWhenTheTimerCannotBeStarted) {
    services.renderer = services.running = true;
    headless.setTimersAvailable(false);
    closeAndKeepLog();
    EXPECT_EQ(logic.shutdownState(), ShutdownState::Closed);
    EXPECT_NE(logText().find("Timer failed in CMainFrame::OnClose\n"), std::string::npos);
}

TEST_F(ShutdownTest, ClosesWhenTheRendererVanishesWhileWaiting) {
    services.renderer = services.running = true;
    closeAndKeepLog();
    services.renderer = false;
    headless.fireTimer(kShutdownTimerId);
    EXPECT_EQ(logic.shutdownState(), ShutdownState::Closed);
    EXPECT_NE(logText().find("CMainFrame::OnTimer, gRenderer == NULL\n"), std::string::npos);
}

TEST_F(ShutdownTest, LateLogLinesGoToStandardErrorAfterTheClose) {
    closeAndKeepLog();
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    logLine("late line");
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "late line\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(logText().find("late line"), std::string::npos);
}

}  // namespace
}  // namespace kinemo
