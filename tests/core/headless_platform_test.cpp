#include "core/headless_platform.h"

#include <gtest/gtest.h>

namespace kinemo {
namespace {

TEST(HeadlessPlatform, AnswersFromTheScriptThenWithEachDefault) {
    HeadlessPlatform p;
    p.queueAnswer(MessageAnswer::No);
    MessageBoxRequest ask{"Save changes to file?", "Brevalonix Kinemo Standard", MessageIcon::Warning,
                          MessageButtons::YesNoCancel, MessageAnswer::Yes};
    EXPECT_EQ(p.showMessageBox(ask), MessageAnswer::No);
    EXPECT_EQ(p.showMessageBox(ask), MessageAnswer::Yes);
    auto boxes = p.recordsOf("messageBox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].number, static_cast<int>(MessageAnswer::No));
    EXPECT_EQ(boxes[1].caption, "Brevalonix Kinemo Standard");
}

TEST(HeadlessPlatform, CancelsFilePromptsOnceTheScriptIsUsedUp) {
    HeadlessPlatform p;
    p.queueFileName("/data/pump.bvr");
    FileDialogRequest open{FileDialogMode::Open, "Select Input File", "", "wrl", "", "", false};
    EXPECT_EQ(p.askFileName(open), "/data/pump.bvr");
    EXPECT_EQ(p.askFileName(open), std::nullopt);
    ASSERT_EQ(p.fileRequests().size(), 2u);
    EXPECT_EQ(p.fileRequests()[0].title, "Select Input File");
}

TEST(HeadlessPlatform, RunsTimersUntilTheyAreStopped) {
    HeadlessPlatform p;
    int ticks = 0;
    ASSERT_TRUE(p.startTimer(1, 10, [&] {
        if (++ticks == 3) p.stopTimer(1);
    }));
    EXPECT_EQ(p.timerInterval(1), 10);
    while (p.fireTimer(1)) {
    }
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(p.timerRunning(1));
    p.setTimersAvailable(false);
    EXPECT_FALSE(p.startTimer(1, 10, [] {}));
}

TEST(PlatformRegistry, FallsBackToTheBuiltInPlatform) {
    HeadlessPlatform p;
    setPlatform(&p);
    EXPECT_EQ(&platform(), &p);
    setPlatform(nullptr);
    EXPECT_NE(&platform(), &p);
    EXPECT_EQ(showMessageBox("q", "c", MessageIcon::Question, MessageButtons::OkCancel, MessageAnswer::Cancel),
              MessageAnswer::Cancel);
}

}  // namespace
}  // namespace kinemo
