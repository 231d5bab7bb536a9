#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "core/messages.h"
#include "test_folder.h"

namespace kinemo {
namespace {

using testing::CurrentDirectoryScope;
using testing::EnvironmentScope;
using testing::readText;
using testing::TestFolder;

std::string privateFolderIn(const TestFolder& folder) { return folder.path() + "/kinemo-" + std::to_string(getuid()); }

class LogFile : public ::testing::Test {
protected:
    void TearDown() override { closeLogFile(); }
    TestFolder temp_;
    TestFolder current_;
};

TEST_F(LogFile, IsCreatedInThePrivateTemporaryFolder) {
    EnvironmentScope tmp("TMPDIR", temp_.path());
    CurrentDirectoryScope cwd(current_.path());
    openLogFile("Kinemo_Viewer_Log.txt");
    EXPECT_EQ(logFilePath(), privateFolderIn(temp_) + "/Kinemo_Viewer_Log.txt");
    logLine("AnimationGroup.initialize");
    EXPECT_EQ(readText(logFilePath()), "AnimationGroup.initialize\n");
    EXPECT_EQ(std::filesystem::status(privateFolderIn(temp_)).permissions(), std::filesystem::perms::owner_all);
}

TEST_F(LogFile, TruncatesTheLogOfAnEarlierRun) {
    EnvironmentScope tmp("TMPDIR", temp_.path());
    openLogFile("log.txt");
    logLine("earlier run");
    closeLogFile();
    openLogFile("log.txt");
    logLine("this run");
    EXPECT_EQ(readText(logFilePath()), "this run\n");
}

TEST_F(LogFile, FallsBackToTheCurrentDirectory) {
    EnvironmentScope tmp("TMPDIR", "/nonexistent-folder/deeper");
    CurrentDirectoryScope cwd(current_.path());
    openLogFile("log.txt");
    EXPECT_EQ(logFilePath(), current_.file("log.txt"));
    logLine("here");
    EXPECT_EQ(readText(current_.file("log.txt")), "here\n");
}

TEST_F(LogFile, NeverWritesThroughALinkInThePrivateFolder) {
    EnvironmentScope tmp("TMPDIR", temp_.path());
    CurrentDirectoryScope cwd(current_.path());
    std::filesystem::create_directory(privateFolderIn(temp_));
    std::filesystem::permissions(privateFolderIn(temp_), std::filesystem::perms::owner_all);
    std::string victim = temp_.write("victim.txt", "keep me");
    std::filesystem::create_symlink(victim, privateFolderIn(temp_) + "/log.txt");
    openLogFile("log.txt");
    logLine("line");
    EXPECT_EQ(readText(victim), "keep me");
    EXPECT_EQ(logFilePath(), current_.file("log.txt"));
}

TEST_F(LogFile, RefusesAPrivateFolderThatIsALink) {
    TestFolder other;
    std::filesystem::create_directory_symlink(other.path(), privateFolderIn(temp_));
    EnvironmentScope tmp("TMPDIR", temp_.path());
    CurrentDirectoryScope cwd(current_.path());
    openLogFile("log.txt");
    EXPECT_EQ(logFilePath(), current_.file("log.txt"));
    EXPECT_FALSE(std::filesystem::exists(other.file("log.txt")));
}

TEST_F(LogFile, FallsBackToStandardOutputWhenNoFolderWorks) {
    EnvironmentScope tmp("TMPDIR", "/nonexistent-folder/deeper");
    std::string gone = current_.file("gone");
    std::filesystem::create_directory(gone);
    CurrentDirectoryScope cwd(gone);
    std::filesystem::remove(gone);  // the current directory no longer exists
    openLogFile("log.txt");
    EXPECT_EQ(logFilePath(), "");
    ::testing::internal::CaptureStdout();
    logLine("to stdout");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "to stdout\n");
}

TEST_F(LogFile, LateLinesAfterTheCloseGoToStandardError) {
    // Standard output may carry a tool's result (JSON), so lines logged during shutdown stay off it.
    closeLogFile();
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    logLine("late");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "late\n");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(LogFile, KeepsLinesFromManyThreadsWhole) {
    EnvironmentScope tmp("TMPDIR", temp_.path());
    openLogFile("log.txt");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            std::string line = "thread " + std::to_string(t) + " " + std::string(200, static_cast<char>('a' + t));
            for (int i = 0; i < 200; ++i) logLine(line);
        });
    }
    for (auto& thread : threads) thread.join();
    std::string text = readText(logFilePath());
    std::set<std::string> seen;
    std::size_t lines = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        seen.insert(text.substr(start, end - start));
        ++lines;
        start = end + 1;
    }
    EXPECT_EQ(lines, 800u);
    EXPECT_EQ(seen.size(), 4u);
}

}  // namespace
}  // namespace kinemo
