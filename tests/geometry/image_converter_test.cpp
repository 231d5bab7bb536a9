#include "geometry/image_converter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/paths.h"
#include "geometry/image.h"
#include "geometry/image_list.h"
#include "geometry/image_settings.h"
#include "image_test_support.h"

namespace kinemo {
namespace {

namespace fs = std::filesystem;
using testing::geometryData;
using testing::readBytes;

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// A stand-in converter that records its arguments and writes a known JPEG to the target.
class ConverterTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = imageSettings();
        std::string pattern = (fs::temp_directory_path() / "kinemo-convert-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        fs::copy_file(geometryData("tiny_9x7.png"), folder_ + "/photo.tiff");
        const std::string script = folder_ + "/fake-convert";
        std::ofstream(script) << "#!/bin/sh\n"
                              << "for a in \"$@\"; do echo \"$a\"; done > '" << folder_ << "/args'\n"
                              << "t=\"$2\"; cp '" << geometryData("grey_16x9.jpg") << "' \"${t#jpg:}\"\n"
                              << "dirname \"${t#jpg:}\" > '" << folder_ << "/target-folder'\n";
        fs::permissions(script, fs::perms::owner_all);
        imageSettings().converterProgram = script;
        imageReadContext().documentDirectory = folder_ + "/";
    }
    void TearDown() override {
        imageSettings() = saved_;
        imageReadContext() = ImageReadContext{};
        imageList().clear();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string folder_;
    ImageSettings saved_;
};

TEST_F(ConverterTest, NamesTheConvertedFileAfterTheImageNameInAPrivateFolder) {
    EXPECT_EQ(convertedFileName("photo.tiff"), "photo.tjpg");
    EXPECT_EQ(convertedFileName("Materials\\scan.png"), "scan.jpg");
    ImageImpl image("photo.tiff");
    ASSERT_TRUE(image.load());
    const auto args = lines(folder_ + "/args");
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[0], folder_ + "/photo.tiff[0]");
    EXPECT_EQ(fs::path(args[1].substr(4)).filename(), "photo.tjpg");
    const std::string target = lines(folder_ + "/target-folder").at(0);
    EXPECT_EQ(target.rfind(temporaryDirectory(), 0), 0u) << target;
    EXPECT_FALSE(fs::exists(target)) << "the private folder is removed after the conversion";
    EXPECT_FALSE(fs::exists(folder_ + "/photo.tjpg")) << "nothing is written next to the user's image";
}

TEST_F(ConverterTest, KeepsTheUsersImageNameAndTheConvertedBytes) {
    auto image = findOrLoad("photo.tiff", false);
    ASSERT_TRUE(image->loaded());
    EXPECT_EQ(image->name(), "photo.tiff");
    EXPECT_EQ(image->rawData(), readBytes(geometryData("grey_16x9.jpg")));
    EXPECT_EQ(image->width(), 16);
}

TEST_F(ConverterTest, PassesNamesWithBlanksAndShellCharactersAsOneArgument) {
    fs::copy_file(geometryData("tiny_9x7.png"), folder_ + "/my photo;$(x).png");
    ImageImpl image("my photo;$(x).png");
    ASSERT_TRUE(image.load());
    EXPECT_EQ(lines(folder_ + "/args").at(0), folder_ + "/my photo;$(x).png[0]");
}

TEST_F(ConverterTest, ReportsAFailedConversionAndLeavesTheImageNotLoaded) {
    imageSettings().converterProgram = "/bin/false";
    ImageImpl image("photo.tiff");
    EXPECT_FALSE(image.load());
    EXPECT_FALSE(image.loaded());
    imageSettings().converterProgram = folder_ + "/no-such-program";
    EXPECT_FALSE(image.load());
}

TEST_F(ConverterTest, ConvertsAPngWithTheRealConverter) {
    if (access("/usr/bin/convert", X_OK) != 0) GTEST_SKIP() << "ImageMagick is not installed";
    imageSettings().converterProgram = "/usr/bin/convert";
    fs::copy_file(geometryData("tiny_9x7.png"), folder_ + "/tiny.png");
    ImageImpl image("tiny.png");
    ASSERT_TRUE(image.load());
    EXPECT_EQ(image.width(), 8);
    EXPECT_EQ(image.height(), 4);
    EXPECT_EQ(image.name(), "tiny.png");
    EXPECT_FALSE(fs::exists(folder_ + "/tiny.jpg"));
}

}  // namespace
}  // namespace kinemo
