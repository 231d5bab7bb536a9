#include "core/messages.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>

#include "core/clock.h"
#include "core/headless_platform.h"
#include "test_folder.h"

namespace kinemo {
namespace {

using namespace std::chrono_literals;
using testing::EnvironmentScope;
using testing::readText;
using testing::TestFolder;

class MessageService : public ::testing::Test {
protected:
    void SetUp() override {
        resetMessageService();
        setPlatform(&platform_);
        setMessageClock(&clock_);
        // CTest runs the cases side by side: each process keeps a log of its own.
        openLogFile("messages_test_log_" + std::to_string(::getpid()) + ".txt");
        ASSERT_NE(logFilePath(), "");
    }
    void TearDown() override {
        closeLogFile();
        resetMessageService();
        setPlatform(nullptr);
    }
    std::string log() const { return readText(logFilePath()); }

    TestFolder folder_;
    EnvironmentScope tmp_{"TMPDIR", folder_.path()};
    HeadlessPlatform platform_;
    FakeClock clock_;
};

TEST_F(MessageService, ShowsAnErrorBoxAtLevelThreeAndLogsItsCaption) {
    reportMessage("No Scene Available", 3, true);
    auto boxes = platform_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No Scene Available");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(log(), "Error: No Scene Available\n");
    EXPECT_TRUE(clock_.sleeps().empty());
}

TEST_F(MessageService, ShowsAWarningBoxAtLevelTwo) {
    reportMessage("careful", 2, false);
    auto boxes = platform_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Warning");
    EXPECT_EQ(boxes[0].icon, MessageIcon::Warning);
    EXPECT_EQ(log(), "Warning: careful\n");
}

TEST_F(MessageService, OnlyUpdatesTheStatusLineAndLogsAtLevelOne) {
    reportMessage("loading", 1, false);
    EXPECT_TRUE(platform_.messageBoxes().empty());
    EXPECT_EQ(platform_.statusField(StatusField::Message), "loading");
    EXPECT_EQ(lastStatusText(), "loading");
    EXPECT_TRUE(statusShowsReport());
    EXPECT_EQ(log(), "Warning: loading\n");
}

TEST_F(MessageService, PausesAHundredMillisecondsAfterTheFirstLevelOneReport) {
    reportMessage("first", 1, true);
    EXPECT_EQ(clock_.sleeps(), std::vector<Clock::Duration>{Clock::Duration(100ms)});
}

TEST_F(MessageService, SkipsThePauseWithin300MillisecondsOfTheLastOne) {
    reportMessage("one", 1, true);
    clock_.clearSleeps();
    reportMessage("two", 1, true);
    clock_.advance(300ms);
    reportMessage("three", 1, true);
    EXPECT_TRUE(clock_.sleeps().empty());
    clock_.advance(1ms);
    reportMessage("four", 1, true);
    EXPECT_EQ(clock_.sleeps().size(), 1u);
}

TEST_F(MessageService, DoesNotPauseForAnUnchangedText) {
    reportMessage("same", 1, true);
    clock_.advance(10s);
    clock_.clearSleeps();
    reportMessage("same", 1, true);
    EXPECT_TRUE(clock_.sleeps().empty());
    EXPECT_EQ(log(), "Error: same\nError: same\n");
}

TEST_F(MessageService, NeverPausesAtLevelZeroOrForBoxes) {
    reportMessage("a", 0, false);
    reportMessage("b", 2, false);
    clock_.advance(10s);
    reportMessage("c", 0, false);
    reportMessage("d", 5, true);
    EXPECT_TRUE(clock_.sleeps().empty());
}

TEST_F(MessageService, KeepsThePauseTimesOfEachLevelApart) {
    reportMessage("zero", 0, false);
    reportMessage("one", 1, false);
    EXPECT_EQ(clock_.sleeps().size(), 1u);
}

TEST_F(MessageService, PassesTextsThroughTheMessageHook) {
    setMessageHook([](std::string_view text) {
        std::string out = "[";
        out.append(text);
        out += ']';
        return out;
    });
    reportMessage("Cannot proceed", 3, true);
    showStatus("Saving", true);
    ASSERT_EQ(platform_.messageBoxes().size(), 1u);
    EXPECT_EQ(platform_.messageBoxes()[0].text, "[Cannot proceed]");
    EXPECT_EQ(log(), "Error: [Cannot proceed]\n[Saving]\n");
    EXPECT_EQ(lastStatusText(), "[Saving]");
}

TEST_F(MessageService, ShowStatusClearsTheReportMarkAndLogsOnlyWhenAsked) {
    reportMessage("problem", 0, true);
    showStatus("Saving part 3");
    EXPECT_FALSE(statusShowsReport());
    EXPECT_EQ(platform_.statusField(StatusField::Message), "Saving part 3");
    showStatus("logged", true);
    EXPECT_EQ(log(), "Error: problem\nlogged\n");
}

TEST_F(MessageService, RefreshesTheViewsStatusLineAfterEveryChange) {
    int refreshes = 0;
    std::string seen;
    setStatusRefreshHook([&] {
        ++refreshes;
        seen = lastStatusText();
    });
    reportMessage("r", 3, false);
    showStatus("s");
    EXPECT_EQ(refreshes, 2);
    EXPECT_EQ(seen, "s");
}

TEST_F(MessageService, SetsThePromptAndWorkpartFields) {
    setPromptText("Select First Point");
    setWorkpartText("bolt, nut");
    EXPECT_EQ(platform_.statusField(StatusField::Prompt), "Select First Point");
    EXPECT_EQ(platform_.statusField(StatusField::Workpart), "bolt, nut");
    EXPECT_EQ(promptText(), "Select First Point");
    EXPECT_EQ(workpartText(), "bolt, nut");
    EXPECT_EQ(platform_.statusField(StatusField::Message), "");
}

TEST(MessageServiceWithoutPlatform, AnswersBoxesWithTheBuiltInPlatform) {
    resetMessageService();
    FakeClock clock;
    setMessageClock(&clock);
    setPlatform(nullptr);
    ::testing::internal::CaptureStdout();
    reportMessage("nobody sees this box", 3, true);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Error: nobody sees this box\n");
    resetMessageService();
}

}  // namespace
}  // namespace kinemo
