#include "render/movie_command.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace kinemo {
namespace {

namespace fs = std::filesystem;

fs::path freshFolder(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("kinemo_render_" + name + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(SequenceFileName, EndsInTheLastSixDigitsOfTheFrameNumber) {
    EXPECT_EQ(sequenceFileName("imageSequence", 1), "imageSequence000001.bmp");
    EXPECT_EQ(sequenceFileName("imageSequence", 123456), "imageSequence123456.bmp");
    EXPECT_EQ(sequenceFileName("s", 1000002), "s000002.bmp");
}

TEST(MovieCommand, SubstitutesInsideEachArgumentSoNamesWithBlanksStayWhole) {
    const std::vector<std::string> args =
        movieCommandArguments("ffmpeg  -i FIRSTIMAGE   VIDEOFILE.mp4", "/tmp/my clips/take one");
    const std::vector<std::string> expected{"ffmpeg", "-i", "/tmp/my clips/take one000002.bmp",
                                            "/tmp/my clips/take one.mp4"};
    EXPECT_EQ(args, expected);
}

TEST(MovieCommand, GivesTheImagePatternForFfmpeg) {
    const std::vector<std::string> args = movieCommandArguments("ffmpeg -start_number 2 -i IMAGEPATTERN out", "seq");
    ASSERT_EQ(args.size(), 6u);
    EXPECT_EQ(args[4], "seq%06d.bmp");
}

TEST(MovieCommand, KeepsAQuotedProgramPathAsOneArgument) {
    const std::vector<std::string> args = movieCommandArguments("\"/opt/video tools/conv\" FIRSTIMAGE", "a");
    const std::vector<std::string> expected{"/opt/video tools/conv", "a000002.bmp"};
    EXPECT_EQ(args, expected);
}

TEST(MovieCommand, IsEmptyForABlankCommand) { EXPECT_TRUE(movieCommandArguments("   ", "seq").empty()); }

TEST(ConvertImageSequence, DeletesExactlyTheWrittenFramesAfterSuccess) {
    const fs::path dir = freshFolder("convert_ok");
    const std::string base = (dir / "imageSequence").string();
    std::vector<std::string> written;
    for (int i = 1; i <= 3; ++i) {
        written.push_back(sequenceFileName(base, i));
        std::ofstream(written.back()) << "x";
    }
    const std::string other = sequenceFileName(base, 4);  // not written by this recording
    std::ofstream(other) << "keep";
    std::vector<std::string> seen;
    auto runner = [&](const std::vector<std::string>& args, std::string_view title) {
        seen = args;
        EXPECT_EQ(title, "Video conversion");
        return 0;
    };
    EXPECT_TRUE(convertImageSequence("conv FIRSTIMAGE VIDEOFILE", base, written, runner));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1], written[1]);
    for (const std::string& f : written) EXPECT_FALSE(fs::exists(f)) << f;
    EXPECT_TRUE(fs::exists(other));
    fs::remove_all(dir);
}

TEST(ConvertImageSequence, KeepsTheFramesWhenTheCommandFails) {
    const fs::path dir = freshFolder("convert_fail");
    const std::string base = (dir / "seq").string();
    std::vector<std::string> written{sequenceFileName(base, 1), sequenceFileName(base, 2)};
    for (const std::string& f : written) std::ofstream(f) << "x";
    auto runner = [](const std::vector<std::string>&, std::string_view) { return 1; };
    EXPECT_FALSE(convertImageSequence("conv FIRSTIMAGE", base, written, runner));
    for (const std::string& f : written) EXPECT_TRUE(fs::exists(f)) << f;
    fs::remove_all(dir);
}

}  // namespace
}  // namespace kinemo
