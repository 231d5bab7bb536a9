#include "core/utilities.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "test_folder.h"

namespace kinemo {
namespace {

using testing::TestFolder;

TEST(FormatDuration, WritesTheDocumentedExamples) {
    EXPECT_EQ(formatDuration(0.004), "0.00sec");
    EXPECT_EQ(formatDuration(75.5), "1min 15.5sec");
    EXPECT_EQ(formatDuration(3600), "1h 0min  0sec");
}

TEST(FormatDuration, ChoosesTheShortestExactSecondsForm) {
    EXPECT_EQ(formatDuration(5), "5.00sec");
    EXPECT_EQ(formatDuration(59.994), "59.99sec");
    EXPECT_EQ(formatDuration(59.996), "1min 0.0sec");
    EXPECT_EQ(formatDuration(61.25), "1min 1.25sec");
    EXPECT_EQ(formatDuration(3661.25), "1h 1min 1.25sec");
    EXPECT_EQ(formatDuration(3725.5), "1h 2min 5.5sec");
    EXPECT_EQ(formatDuration(7322), "2h 2min  2sec");
    EXPECT_EQ(formatDuration(90000), "25h 0min  0sec");
}

TEST(FormatDuration, HandlesNegativeAndNonFiniteValues) {
    EXPECT_EQ(formatDuration(-75.5), "-1min 15.5sec");
    EXPECT_EQ(formatDuration(-0.001), "0.00sec");
    EXPECT_EQ(formatDuration(std::nan("")), " nansec");
    EXPECT_EQ(formatDuration(std::numeric_limits<double>::infinity()), " infsec");
    EXPECT_EQ(formatDuration(-std::numeric_limits<double>::infinity()), "-infsec");
    std::string huge = formatDuration(1e300);
    EXPECT_NE(huge.find("h "), std::string::npos);
}

TEST(ReadWholeFile, GivesTheBytesFollowedByAZeroByte) {
    TestFolder folder;
    std::string bytes("abc\0def", 7);
    folder.write("f.bin", bytes);
    std::size_t size = 99;
    auto data = readWholeFile(folder.file("f.bin"), size);
    ASSERT_TRUE(data);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(std::string(data.get(), size), bytes);
    EXPECT_EQ(data[7], '\0');
}

TEST(ReadWholeFile, GivesNothingForMissingEmptyOrSpecialFiles) {
    TestFolder folder;
    folder.write("empty", "");
    ASSERT_EQ(mkfifo(folder.file("fifo").c_str(), 0600), 0);
    std::size_t size = 5;
    EXPECT_FALSE(readWholeFile(folder.file("missing"), size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(readWholeFile(folder.file("empty")));
    EXPECT_FALSE(readWholeFile(folder.path()));
    EXPECT_FALSE(readWholeFile(folder.file("fifo")));
}

TEST(WriteWholeFile, ReplacesTheContentAndKeepsThePermissions) {
    TestFolder folder;
    std::string path = folder.write("f.txt", "old content");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(writeWholeFile(path, "new"));
    EXPECT_EQ(testing::readText(path), "new");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(SecondsSinceStart, MeasuresWallTimeNotProcessorTime) {
    double before = secondsSinceStart();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_GE(secondsSinceStart() - before, 0.029);
}

TEST(LastErrorText, NamesTheCodeAndItsMessageOnOneLine) {
    errno = ENOENT;
    EXPECT_EQ(lastErrorText(), "code: 2, text: No such file or directory");
    EXPECT_EQ(lastErrorText(EACCES), "code: 13, text: Permission denied");
}

}  // namespace
}  // namespace kinemo
