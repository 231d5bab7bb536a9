#include "core/run_command.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/clock.h"
#include "core/headless_platform.h"
#include "core/messages.h"
#include "test_folder.h"

namespace kinemo {
namespace {

using testing::TestFolder;

class RunCommand : public ::testing::Test {
protected:
    void SetUp() override {
        resetMessageService();
        setPlatform(&platform_);
        setMessageClock(&clock_);
    }
    void TearDown() override {
        resetMessageService();
        setPlatform(nullptr);
    }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : platform_.messageBoxes()) texts.push_back(box.text);
        return texts;
    }

    HeadlessPlatform platform_;
    FakeClock clock_;
    TestFolder folder_;
};

TEST_F(RunCommand, ReturnsZeroWhenTheProgramSucceeds) {
    EXPECT_EQ(runCommand("true", "Test", "hint"), 0);
    EXPECT_TRUE(platform_.messageBoxes().empty());
}

TEST_F(RunCommand, SplitsTheCommandLineAtBlanks) {
    std::string a = folder_.file("a"), b = folder_.file("b"), c = folder_.file("c");
    EXPECT_EQ(runCommand(" touch " + a + "  " + b + "   " + c + " ", "Test", "hint"), 0);
    EXPECT_TRUE(std::filesystem::exists(a));
    EXPECT_TRUE(std::filesystem::exists(b));
    EXPECT_TRUE(std::filesystem::exists(c));
}

TEST_F(RunCommand, ReportsANonZeroExitStatusAsAFailure) {
    EXPECT_EQ(runCommand("false", "Selfextractor packing", "Check PackCommand."), kCommandFailed);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{
                              "Error during execution of Selfextractor packing command: false. Check PackCommand."});
}

TEST_F(RunCommand, ReportsAProgramThatCannotBeStarted) {
    EXPECT_EQ(runCommand("/nonexistent-folder/packer -x", "Movie", "Install it."), kCommandNotStarted);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{
                              "Error during execution of Movie command: /nonexistent-folder/packer -x. Install it."});
}

TEST_F(RunCommand, ReportsAnEmptyCommandOnTheStatusLine) {
    EXPECT_EQ(runCommand("", "Selfextractor packing", "hint"), kCommandNotSpecified);
    EXPECT_EQ(lastStatusText(), "No command specified for: Selfextractor packing");
    EXPECT_TRUE(platform_.messageBoxes().empty());
    EXPECT_EQ(runCommand("    ", "Movie", "hint"), kCommandNotSpecified);
    EXPECT_EQ(runCommand("ab", "Movie", "hint"), kCommandNotSpecified);
}

TEST_F(RunCommand, RefusesACommandLongerThan1024Characters) {
    std::string command = "true " + std::string(1020, 'x');
    EXPECT_EQ(runCommand(command, "Movie", "hint"), kCommandNotSpecified);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Error, Movie command is too long: " + command});
}

TEST_F(RunCommand, AcceptsExactly1024CharactersAfterTheBlanksAreDropped) {
    std::string command = " true " + std::string(1019, 'x') + " ";
    EXPECT_EQ(runCommand(command, "Movie", "hint"), 0);
}

TEST_F(RunCommand, PassesArgumentsWithBlanksInTheVectorForm) {
    std::string path = folder_.file("with blank.txt");
    EXPECT_EQ(runCommand(std::vector<std::string>{"touch", path}, "Test", "hint"), 0);
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(RunCommand, ReportsTheExitStatusAndACrashDistinctly) {
    EXPECT_EQ(runCommand(std::vector<std::string>{"sh", "-c", "exit 3"}, "Test", "hint"), kCommandFailed);
    EXPECT_EQ(runCommand(std::vector<std::string>{"sh", "-c", "kill -KILL $$"}, "Test", "hint"), kCommandCrashed);
    EXPECT_EQ(boxTexts().size(), 2u);
    EXPECT_EQ(boxTexts()[0], "Error during execution of Test command: sh -c exit 3. hint");
}

TEST_F(RunCommand, ReportsAnEmptyArgumentVector) {
    EXPECT_EQ(runCommand(std::vector<std::string>{}, "Movie", "hint"), kCommandNotSpecified);
    EXPECT_EQ(lastStatusText(), "No command specified for: Movie");
}

}  // namespace
}  // namespace kinemo
