#include "geometry/image.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/definitions.h"
#include "core/messages.h"
#include "geometry/image_list.h"
#include "geometry/image_settings.h"
#include "geometry/jpeg_decoder.h"
#include "image_test_support.h"

namespace kinemo {
namespace {

using testing::geometryData;
using testing::readBytes;

namespace fs = std::filesystem;

std::array<std::uint8_t, 4> bytesOf(std::uint32_t word) {
    std::array<std::uint8_t, 4> b;
    std::memcpy(b.data(), &word, 4);
    return b;
}

// Resets the process-wide image state around every test.
class ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = imageSettings();
        imageReadContext() = ImageReadContext{};
        imageReadContext().documentDirectory = geometryData("");
        imageList().clear();
    }
    void TearDown() override {
        imageSettings() = saved_;
        imageReadContext() = ImageReadContext{};
        imageList().clear();
    }

    const char* readPixelTexture(ImageImpl& image, const std::string& text) {
        text_ = text;
        return image.readImageFromString(text_.data(), text_.data() + text_.size());
    }

    std::string text_;
    ImageSettings saved_;
};

// A private scratch folder removed at the end of the test.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "kinemo-image-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST_F(ImageTest, ResamplesA300By200JpegToA256By128Texture) {
    ImageImpl image("solid_300x200.jpg");
    ASSERT_TRUE(image.load());
    EXPECT_EQ(image.width(), 256);
    EXPECT_EQ(image.height(), 128);
    EXPECT_NEAR(image.scaleX(), 0.8533f, 1e-4f);
    EXPECT_NEAR(image.scaleY(), 0.64f, 1e-6f);
    EXPECT_EQ(image.pixels().size(), 256u * 128u);
    EXPECT_FALSE(image.rawData().empty());
}

TEST_F(ImageTest, StartsTheTextureWithTheBottomRowAndGivesEveryPixelAlpha129) {
    DecodedImage file;
    ASSERT_TRUE(decodeJpeg(readBytes(geometryData("rgb_37x23.jpg")), file));
    ImageImpl image("rgb_37x23.jpg");
    ASSERT_TRUE(image.load());
    ASSERT_EQ(image.width(), 32);
    ASSERT_EQ(image.height(), 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int column = static_cast<int>((x + 0.5f) / image.scaleX());
            const int row = 23 - static_cast<int>((y + 0.5f) / image.scaleY()) - 1;
            const auto b = bytesOf(image.pixels()[static_cast<std::size_t>(y * 32 + x)]);
            const std::uint8_t* p = file.pixel(column, row);
            ASSERT_EQ(b[0], p[0]);
            ASSERT_EQ(b[1], p[1]);
            ASSERT_EQ(b[2], p[2]);
            ASSERT_EQ(b[3], kTextureAlpha);
        }
    }
}

TEST_F(ImageTest, StaysInsideTheFileWhenRoundingReachesItsLastColumn) {
    // 2 * 8192 - 1 columns: (x + 0.5) / scale rounds to the width itself for the last texture column.
    DecodedImage wide;
    wide.width = 16383;
    wide.height = 1;
    wide.rgb.assign(16383 * 3, 7);
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0, height = 0;
    float sx = 0, sy = 0;
    resampleForTexture(wide, pixels, width, height, sx, sy);
    EXPECT_EQ(width, 8192);
    EXPECT_EQ(bytesOf(pixels.back())[0], 7);
}

TEST_F(ImageTest, DecodesGifTexturesThroughTheirPalette) {
    ImageImpl image("two_colour_21x13.gif");
    ASSERT_TRUE(image.load());
    EXPECT_TRUE(image.isGif());
    EXPECT_EQ(image.width(), 16);
    EXPECT_EQ(image.height(), 8);
    const DecodedImage reference = testing::readPpm(geometryData("two_colour_21x13.ppm"));
    const auto b = bytesOf(image.pixels()[0]);
    const std::uint8_t* p = reference.pixel(0, 12);
    EXPECT_EQ(b[0], p[0]);
    EXPECT_EQ(b[2], p[2]);
}

TEST_F(ImageTest, KeepsPaletteBitmapsForDialogImages) {
    ImageImpl image("eight_colour_19x11.gif");
    ASSERT_TRUE(image.load(false));
    ASSERT_NE(image.bitmap(), nullptr);
    EXPECT_EQ(image.bitmap()->bitsPerPixel(), 4);
    EXPECT_EQ(image.width(), 19);
    ImageImpl photo("rgb_37x23.jpg");
    ASSERT_TRUE(photo.load(false));
    ASSERT_NE(photo.bitmap(), nullptr);
    EXPECT_EQ(photo.bitmap()->bitsPerPixel(), 24);
    EXPECT_EQ(photo.bitmap()->stride(), 40u * 3u);  // 37 pixels rounded up to 40
}

TEST_F(ImageTest, LeavesImagesThatCannotBeReadNotLoaded) {
    for (const char* name : {"missing.jpg", "\"\"", "notes.txt", "report.doc"}) {
        ImageImpl image(name);
        EXPECT_FALSE(image.load()) << name;
        if (std::string(name) == "notes.txt") {
            EXPECT_EQ(lastStatusText(), "Cannot process Image notes.txt");
        }
        EXPECT_FALSE(image.loaded()) << name;
        EXPECT_TRUE(image.pixels().empty()) << name;
    }
}

TEST_F(ImageTest, ReportsAJpegFileWithAGifNameAsUnreadable) {
    ScratchFolder scratch;
    fs::copy_file(geometryData("rgb_37x23.jpg"), scratch.path() + "/fake.gif");
    imageReadContext().documentDirectory = scratch.path() + "/";
    ImageImpl image("fake.gif");
    EXPECT_FALSE(image.load());
    EXPECT_EQ(lastStatusText(), "Could not read Image fake.gif");
}

TEST_F(ImageTest, OpensBackslashNamesWithSlashesAndKeepsTheStoredName) {
    ScratchFolder scratch;
    fs::create_directory(scratch.path() + "/Materials");
    fs::copy_file(geometryData("grey_16x9.jpg"), scratch.path() + "/Materials/wood.jpg");
    imageReadContext().documentDirectory = scratch.path() + "/";
    ImageImpl image("Materials\\wood.jpg");
    ASSERT_TRUE(image.load());
    EXPECT_EQ(image.name(), "Materials\\wood.jpg");
}

TEST(ImagePath, TakesSlashAndDriveLetterNamesAsAbsolute) {
    EXPECT_EQ(resolveImagePath("/data/a.jpg", "/scene/"), "/data/a.jpg");
    EXPECT_EQ(resolveImagePath("C:\\tex\\a.jpg", "/scene/"), "C:/tex/a.jpg");
    EXPECT_EQ(resolveImagePath("tex\\a.jpg", "/scene/"), "/scene/tex/a.jpg");
    EXPECT_TRUE(isAbsoluteImageName("D:\\x.gif"));
    EXPECT_FALSE(isAbsoluteImageName("x.gif"));
}

TEST_F(ImageTest, ReadsBothByteOrderKeysAndLetsEitherOneTurnTheExchangeOff) {
    ScratchFolder scratch;
    const auto settingsWith = [&](const std::string& lines) {
        std::ofstream(scratch.path() + "/Definitions.txt") << "[Definitions]\n" << lines;
        initSettingsFiles(scratch.path());
        return readImageSettings();
    };
    EXPECT_TRUE(settingsWith("").swapPixelTextureBytes());
    EXPECT_FALSE(settingsWith("ChangeImageImageByteOrder=false\n").swapPixelTextureBytes());
    EXPECT_FALSE(settingsWith("ChangeTextureImageByteOrder=no\n").swapPixelTextureBytes());
    EXPECT_TRUE(settingsWith("ChangeTextureImageByteOrder=true\nImageReportLevel=3\n").swapPixelTextureBytes());
    EXPECT_EQ(readImageSettings().reportLevel, 3);
    initSettingsFiles("/nonexistent-folder");
}

TEST_F(ImageTest, LogsADriveLetterNameAsAbsoluteAndOpensItUnchanged) {
    ScratchFolder scratch;
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    setenv("TMPDIR", scratch.path().c_str(), 1);
    openLogFile("image-test-log.txt");
    const std::string logPath = logFilePath();
    ImageImpl image("C:\\tex\\a.jpg");
    EXPECT_FALSE(image.load());
    closeLogFile();
    if (oldTmp)
        setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        unsetenv("TMPDIR");
    ASSERT_FALSE(logPath.empty());
    std::ifstream in(logPath);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("Image file path is absolute: C:\\tex\\a.jpg"), std::string::npos) << log;
    EXPECT_NE(log.find("Can't open image file C:/tex/a.jpg"), std::string::npos) << log;
}

TEST_F(ImageTest, ExchangesRedAndBlueOfPixelTexturesFromOtherPrograms) {
    ImageImpl image;
    readPixelTexture(image, " 2 1 3 0xFF0000 0x00FF00 }");
    ASSERT_TRUE(image.loaded());
    ASSERT_EQ(image.pixels().size(), 2u);
    EXPECT_EQ(bytesOf(image.pixels()[0])[0], 0xFF);
    EXPECT_EQ(bytesOf(image.pixels()[0])[2], 0x00);
    EXPECT_EQ(bytesOf(image.pixels()[1])[1], 0xFF);
}

TEST_F(ImageTest, KeepsPixelTextureWordsAsWrittenInOwnFiles) {
    imageReadContext().fileFromOtherProgram = false;
    ImageImpl image;
    readPixelTexture(image, " 2 1 3 0xFF0000 0x00FF00 }");
    ASSERT_TRUE(image.loaded());
    EXPECT_EQ(bytesOf(image.pixels()[0])[2], 0xFF);
    EXPECT_EQ(bytesOf(image.pixels()[0])[0], 0x00);
}

TEST_F(ImageTest, LetsEitherByteOrderSettingTurnTheExchangeOff) {
    for (int which = 0; which < 2; ++which) {
        imageSettings() = saved_;
        (which == 0 ? imageSettings().changeImageByteOrder : imageSettings().changeTextureByteOrder) = false;
        ImageImpl image;
        readPixelTexture(image, "2 1 3 0xFF0000 0x00FF00");
        ASSERT_TRUE(image.loaded());
        EXPECT_EQ(bytesOf(image.pixels()[0])[2], 0xFF) << which;
    }
}

TEST_F(ImageTest, ReadsPixelTextureWordsUpToTheClosingBrace) {
    ImageImpl image;
    const char* after = readPixelTexture(image, "2 2 3\n0x1,0x2\t0x3 4 } repeatS TRUE");
    EXPECT_TRUE(image.loaded());
    EXPECT_EQ(*after, '}');
    EXPECT_EQ(image.width(), 2);
    EXPECT_EQ(image.height(), 2);
}

TEST_F(ImageTest, RefusesPixelTexturesWhosePixelCountDiffers) {
    ImageImpl shortImage;
    readPixelTexture(shortImage, "2 2 3 0x1 0x2 0x3 }");
    EXPECT_FALSE(shortImage.loaded());
    EXPECT_TRUE(shortImage.pixels().empty());
    ImageImpl badHeader;
    readPixelTexture(badHeader, "2 }");
    EXPECT_FALSE(badHeader.loaded());
    ImageImpl badWidth;
    readPixelTexture(badWidth, "0 1 3 0x1 }");
    EXPECT_FALSE(badWidth.loaded());
    ImageImpl badHeight;
    readPixelTexture(badHeight, "1 -1 3 0x1 }");
    EXPECT_FALSE(badHeight.loaded());
}

TEST_F(ImageTest, StopsPixelTexturesAtAWordThatIsNoNumber) {
    ImageImpl image;
    const char* after = readPixelTexture(image, "2 1 3 0x1 fader 0x2 }");
    EXPECT_FALSE(image.loaded());
    EXPECT_EQ(std::string(after, 5), "fader");
}

TEST_F(ImageTest, RefusesPixelTextureSizesWhoseProductOverflows) {
    // 65536 x 65536 is 2^32: as 32-bit arithmetic it would be 0 and match an empty list.
    ImageImpl image;
    const char* after = readPixelTexture(image, "65536 65536 3 }");
    EXPECT_FALSE(image.loaded());
    EXPECT_TRUE(image.pixels().empty());
    EXPECT_EQ(*after, '}');
    ImageImpl huge;
    readPixelTexture(huge, "2147483647 2147483647 3 0x1 0x2 }");
    EXPECT_FALSE(huge.loaded());
}

TEST_F(ImageTest, ReadsComponentsOtherThanThreeIntoTheirChannelsAfterReportingThem) {
    ImageImpl rgba;
    readPixelTexture(rgba, "1 1 4 0x11223344 }");
    ASSERT_TRUE(rgba.loaded());
    EXPECT_EQ(bytesOf(rgba.pixels()[0]), (std::array<std::uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));
    ImageImpl grey;
    readPixelTexture(grey, "2 1 1 0x80 0xff }");
    ASSERT_TRUE(grey.loaded());
    EXPECT_EQ(bytesOf(grey.pixels()[0]), (std::array<std::uint8_t, 4>{0x80, 0x80, 0x80, 0xff}));
    ImageImpl greyAlpha;
    readPixelTexture(greyAlpha, "1 1 2 0x8040 }");
    ASSERT_TRUE(greyAlpha.loaded());
    EXPECT_EQ(bytesOf(greyAlpha.pixels()[0]), (std::array<std::uint8_t, 4>{0x80, 0x80, 0x80, 0x40}));
}

std::string writtenText(const std::function<bool(std::FILE*)>& write) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    write(file);
    std::fclose(file);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

TEST_F(ImageTest, WritesPixelTextureTextWithABreakBeforeEveryFourthWord) {
    imageReadContext().fileFromOtherProgram = false;
    ImageImpl image;
    readPixelTexture(image, "5 1 3 0xff0000 0x1 0x0 0xabcdef 0x81000010 }");
    ASSERT_TRUE(image.loaded());
    const std::string text = writtenText([&](std::FILE* f) { return image.writeImageText(f); });
    EXPECT_EQ(text, "\n      image 5 1 3\n    0xff0000 0x1 0x0 0xabcdef\n    0x81000010");
}

TEST_F(ImageTest, ReadsWrittenPixelTexturesBackUnchanged) {
    imageReadContext().fileFromOtherProgram = false;
    ImageImpl placeholder;
    placeholder.makePlaceholder();
    const std::string text = writtenText([&](std::FILE* f) { return placeholder.writeImageText(f); });
    const std::size_t start = text.find("image ") + 6;
    ImageImpl read;
    readPixelTexture(read, text.substr(start));
    ASSERT_TRUE(read.loaded());
    EXPECT_EQ(read.pixels(), placeholder.pixels());
}

TEST_F(ImageTest, MakesAPlaceholderOfAlternatingSquares) {
    ImageImpl image;
    image.makePlaceholder();
    ASSERT_EQ(image.width(), 32);
    ASSERT_EQ(image.height(), 32);
    EXPECT_EQ(image.pixels()[0], 0x00FF0099u);
    EXPECT_EQ(image.pixels()[7], 0x00FF0099u);
    EXPECT_EQ(image.pixels()[8], 0xFF00FF99u);
    EXPECT_EQ(image.pixels()[8 * 32], 0xFF00FF99u);
    EXPECT_EQ(image.pixels()[8 * 32 + 8], 0x00FF0099u);
}

TEST_F(ImageTest, WritesInlineRecordsThatReadBackToTheSameImage) {
    ImageImpl image("Materials\\wood.jpg");
    ASSERT_TRUE(image.decode(readBytes(geometryData("rgb_37x23.jpg")), false));
    std::string record;
    ASSERT_TRUE(image.appendImageData(record));
    ASSERT_EQ(record.rfind("\n<ImageData>\n", 0), 0u);
    const std::string keyword = "\n<ImageData>";
    const std::string data = record + "\n  url \"x\"";
    ImageImpl read;
    const char* after = read.readImageData(data.data() + keyword.size(), data.data() + data.size(), true);
    EXPECT_EQ(read.name(), "Materials\\wood.jpg");
    EXPECT_EQ(read.rawData(), image.rawData());
    EXPECT_TRUE(read.loaded());
    EXPECT_EQ(read.pixels(), image.pixels());
    EXPECT_EQ(std::string(after), "\n  url \"x\"");
}

TEST_F(ImageTest, ReportsAnImageWithoutRawDataAndWritesNoRecord) {
    ImageImpl image;
    image.makePlaceholder();
    std::string record;
    EXPECT_FALSE(image.appendImageData(record));
    EXPECT_TRUE(record.empty());
}

std::string recordWithSizes(std::int32_t nameLength, std::int32_t dataLength, const std::string& body) {
    std::string record = "\n";
    for (std::int32_t v : {nameLength, dataLength}) {
        for (int i = 0; i < 4; ++i) record += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xff);
    }
    return record + body;
}

TEST_F(ImageTest, SkipsInlineRecordsWhoseSizesRunPastTheData) {
    for (auto [nameLength, dataLength] : std::vector<std::pair<std::int32_t, std::int32_t>>{
             {6, 1 << 30}, {-5, 10}, {6, -1}, {0x7fffffff, 0x7fffffff}}) {
        const std::string data =
            recordWithSizes(nameLength, dataLength, std::string("a.jpg\0xyz\n</ImageData> DEF rest", 31));
        ImageImpl image;
        const char* after = image.readImageData(data.data(), data.data() + data.size(), true);
        EXPECT_FALSE(image.loaded());
        EXPECT_EQ(std::string(after), " DEF rest") << nameLength << " " << dataLength;
    }
    const std::string tooShort = "\n\1\0";
    ImageImpl image;
    EXPECT_EQ(image.readImageData(tooShort.data(), tooShort.data() + tooShort.size(), true),
              tooShort.data() + tooShort.size());
}

TEST_F(ImageTest, SharesImagesOfTheSameFile) {
    auto first = findOrLoad("grey_16x9.jpg", false);
    auto second = findOrLoad("grey_16x9.jpg", false);
    ASSERT_TRUE(first->loaded());
    EXPECT_EQ(first, second);
    EXPECT_EQ(imageList().size(), 1u);
    EXPECT_NE(findOrLoad("grey_16x9.jpg", true), first);
}

TEST_F(ImageTest, KeepsEqualRelativeNamesFromDifferentFoldersApart) {
    ScratchFolder scratch;
    for (const char* folder : {"/a", "/b"}) fs::create_directory(scratch.path() + folder);
    fs::copy_file(geometryData("grey_16x9.jpg"), scratch.path() + "/a/t.jpg");
    fs::copy_file(geometryData("rgb_37x23.jpg"), scratch.path() + "/b/t.jpg");
    imageReadContext().documentDirectory = scratch.path() + "/a/";
    auto fromA = findOrLoad("t.jpg", false);
    imageReadContext().documentDirectory = scratch.path() + "/b/";
    auto fromB = findOrLoad("t.jpg", false);
    EXPECT_NE(fromA, fromB);
    EXPECT_EQ(fromA->width(), 16);
    EXPECT_EQ(fromB->width(), 32);
}

TEST_F(ImageTest, DoesNotListImagesThatFailedToLoad) {
    auto image = findOrLoad("missing.jpg", false);
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(image->loaded());
    EXPECT_EQ(imageList().size(), 0u);
}

TEST_F(ImageTest, TriesAFailedFileOnlyOncePerScene) {
    ScratchFolder scratch;
    const std::string script = scratch.path() + "/counting-convert";
    std::ofstream(script) << "#!/bin/sh\necho run >> '" << scratch.path() << "/runs'\nexit 1\n";
    fs::permissions(script, fs::perms::owner_all);
    imageSettings().converterProgram = script;
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(findOrLoad("photo.png", false)->loaded());
    std::ifstream runs(scratch.path() + "/runs");
    int count = 0;
    for (std::string line; std::getline(runs, line);) ++count;
    EXPECT_EQ(count, 1);
    imageList().clear();
    EXPECT_FALSE(findOrLoad("photo.png", false)->loaded());
}

}  // namespace
}  // namespace kinemo
