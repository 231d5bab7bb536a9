#include "animation/chapter_icons.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "animation_test_support.h"
#include "animation/animation_section.h"
#include "scene/reading_state.h"
#include "scene/scene.h"
#include "scene/scene_file_hooks.h"
#include "scene/scene_reader.h"
#include "scene/scene_writer.h"
#include "text/text_images.h"

namespace kinemo::testing {
namespace {

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void putFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string picture(const std::string& name) { return fileBytes(std::string(KINEMO_TEST_DATA) + "/geometry/" + name); }

std::string record(const std::string& name, const std::string& bytes) {
    std::string out;
    appendImageDataBlock(out, name, bytes);
    return out;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// A chapter block with one stop; inner holds the blocks of sub-chapters instead.
std::string chapterBlock(const std::string& icon, int textId, const std::string& inner = "") {
    return "\n\n# [ACTION>>NEWGROUP]\n# ChapterIconName " + icon +
           "\n\n# DisplayInChapter true\n\n# <kmxTEXT id = \"" + std::to_string(textId) +
           "\">\n# <kmxLANGUAGE id = \"0\" direction = \"f\">Chapter</kmxLANGUAGE>\n# </kmxTEXT>\n# [END]\n" +
           (inner.empty() ? std::string("\n# [ACTION>>STOP]\n") : inner) + "\n# ANIMGROUP_END\n";
}

std::string guide(const std::string& chapters, const std::string& head = "") {
    return "#VRML V2.0 utf8\n\n#Kinemo Builder Version 8.09\n#RequiresProgramVersion 8.03\n#CreationDate 2026/12/09\n\n"
           "Transform {\n    #name Part\n    children [\n\nShape { geometry Box { size 1 1 1 } }\n\n]}\n\n\n"
           "# <kmxDEFINITION>\n" +
           head +
           "\n# <kmxHIGHESTINDEX value = \"20\" />\n\n# <kmxLANGUAGEDEF id = \"0\" name = \"English\" />\n\n\n\n"
           "# </kmxDEFINITION>\n\n\n# ANIMATIONS\n" +
           chapters;
}

class ChapterIconsTest : public AnimationTest {
protected:
    void SetUp() override {
        AnimationTest::SetUp();
        savedHooks_ = sceneFileHooks();
        installSceneReader();
        registerAnimationSectionHandlers();
        setCreationDateSource([] { return std::string("2026/12/09"); });
        std::string pattern = (std::filesystem::temp_directory_path() / "kinemo-icons-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        destroyCurrentScene();
        setCreationDateSource(nullptr);
        sceneFileHooks() = savedHooks_;
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
        AnimationTest::TearDown();
    }
    std::string file(const std::string& name) const { return folder_ + "/" + name; }

    // Reads the guide text from name in the folder; the scene, or none.
    Scene* readGuide(const std::string& name, const std::string& text) {
        putFile(file(name), text);
        return Scene::readFromFile(file(name));
    }

    // As the desktop reads another document: the old chapters go before the new file is read.
    Scene* reread(const std::string& name) {
        destroyCurrentScene();
        resetRootChapter();
        return Scene::readFromFile(file(name));
    }

    std::string folder_;
    SceneFileHooks savedHooks_;
};

TEST_F(ChapterIconsTest, AnIconFileNextToTheGuideIsCarriedByAnOwnFormatSaveAndReadBackWithItsBytes) {
    const std::string gif = picture("see_through_4x2.gif");
    ASSERT_FALSE(gif.empty());
    putFile(file("icons/first.gif"), gif);
    // Stored as written on Windows: the backslash is a separator on disk, and the name stays as it is.
    Scene* scene = readGuide("guide.iv", guide(chapterBlock("icons\\first.gif", 1)));
    ASSERT_NE(scene, nullptr);
    EXPECT_NE(sceneText(*scene, true).find(record("icons\\first.gif", gif)), std::string::npos);
    ASSERT_TRUE(writeToFile(*scene, file("guide.bvr")));

    scene = reread("guide.bvr");
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->kept.definitionImages.count("icons\\first.gif"), 1u);
    EXPECT_EQ(scene->kept.definitionImages.at("icons\\first.gif"), gif);
    EXPECT_FALSE(reported("Can't open image file"));
    EXPECT_FALSE(reported("Could not read Image"));
}

TEST_F(ChapterIconsTest, AnIconNameWithBlanksIsReadWholeAndCarried) {
    const std::string gif = picture("see_through_4x2.gif");
    ASSERT_FALSE(gif.empty());
    putFile(file("my icons/first step.gif"), gif);
    Scene* scene = readGuide("guide.iv", guide(chapterBlock("my icons/first step.gif  ", 1)));
    ASSERT_NE(scene, nullptr);
    const std::string saved = sceneText(*scene, true);
    EXPECT_NE(saved.find("# ChapterIconName my icons/first step.gif\n"), std::string::npos);
    EXPECT_NE(saved.find(record("my icons/first step.gif", gif)), std::string::npos);
    EXPECT_FALSE(reported("Can't open image file"));
}

TEST_F(ChapterIconsTest, AGuideWhoseIconFileIsGoneStillCarriesTheIconOnTheNextSaves) {
    const std::string jpg = picture("grey_16x9.jpg");
    ASSERT_FALSE(jpg.empty());
    putFile(file("cover.jpg"), jpg);
    Scene* scene = readGuide("guide.iv", guide(chapterBlock("cover.jpg", 1)));
    ASSERT_NE(scene, nullptr);
    std::filesystem::create_directories(file("moved"));
    ASSERT_TRUE(writeToFile(*scene, file("moved/guide.bvr")));
    // The guide goes to a machine without its icon file.
    std::filesystem::remove(file("cover.jpg"));
    scene = reread("moved/guide.bvr");
    ASSERT_NE(scene, nullptr);
    const std::string once = sceneText(*scene, true);
    EXPECT_NE(once.find(record("cover.jpg", jpg)), std::string::npos);
    ASSERT_TRUE(writeToFile(*scene, file("moved/again.bvr")));
    scene = reread("moved/again.bvr");
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(sceneText(*scene, true), once);
    EXPECT_FALSE(reported("Can't open image file"));
}

TEST_F(ChapterIconsTest, WriteReadWriteOfAnOwnFormatGuideIsByteIdentical) {
    putFile(file("a.gif"), picture("see_through_4x2.gif"));
    putFile(file("logo.jpg"), picture("grey_16x9.jpg"));
    Scene* scene = readGuide(
        "guide.iv", guide(chapterBlock("a.gif", 1), "# <kmxCOMPANY_LOGO>logo.jpg</kmxCOMPANY_LOGO>\n"));
    ASSERT_NE(scene, nullptr);
    const std::string first = sceneText(*scene, true);
    ASSERT_TRUE(writeToFile(*scene, file("one.bvr")));
    scene = reread("one.bvr");
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(sceneText(*scene, true), first);
    EXPECT_EQ(count(first, "\n<ImageData>\n"), 2u);
}

TEST_F(ChapterIconsTest, EachIconIsCarriedOnceAndASectionsIconComesBeforeThoseOfItsChapters) {
    const std::string gif = picture("see_through_4x2.gif");
    const std::string jpg = picture("grey_16x9.jpg");
    putFile(file("section.jpg"), jpg);
    putFile(file("chapter.gif"), gif);
    const std::string inner = chapterBlock("chapter.gif", 2) + chapterBlock("section.jpg", 3);
    Scene* scene =
        readGuide("guide.iv", guide(chapterBlock("section.jpg", 1, inner) + chapterBlock("chapter.gif", 4)));
    ASSERT_NE(scene, nullptr);
    const std::string head = definitionsHead(*scene, true);
    EXPECT_EQ(head, record("section.jpg", jpg) + record("chapter.gif", gif));
}

TEST_F(ChapterIconsTest, AnIconOfAnotherKindIsReportedInABinaryWriteAndGetsNoBlock) {
    putFile(file("picture.bmp"), "BM not really a bitmap");
    Scene* scene = readGuide("guide.iv", guide(chapterBlock("picture.bmp", 1)));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(sceneText(*scene, false).find("<ImageData>"), std::string::npos);
    EXPECT_FALSE(reported("cannot be segrated"));
    const std::string own = sceneText(*scene, true);
    EXPECT_EQ(own.find("<ImageData>"), std::string::npos);
    EXPECT_TRUE(reported("Object type of 'picture.bmp' cannot be segrated in binary file. \nDistribute separately."));
    // The chapter still names its icon.
    EXPECT_NE(own.find("# ChapterIconName picture.bmp\n"), std::string::npos);
}

TEST_F(ChapterIconsTest, TextWritesCarryNoImageBytesButKeepTheLogoLines) {
    putFile(file("a.gif"), picture("see_through_4x2.gif"));
    putFile(file("logo.jpg"), picture("grey_16x9.jpg"));
    putFile(file("machine.gif"), picture("see_through_5x3.gif"));
    Scene* scene = readGuide("guide.iv", guide(chapterBlock("a.gif", 1),
                                               "# <kmxCOMPANY_LOGO>logo.jpg</kmxCOMPANY_LOGO>\n"
                                               "# <kmxMACHINE_LOGO>machine.gif</kmxMACHINE_LOGO>\n"));
    ASSERT_NE(scene, nullptr);
    const std::string text = sceneText(*scene, false);
    EXPECT_EQ(text.find("<ImageData>"), std::string::npos);
    EXPECT_NE(text.find("# <kmxDEFINITION>\n# <kmxCOMPANY_LOGO>logo.jpg</kmxCOMPANY_LOGO>\n"
                        "# <kmxMACHINE_LOGO>machine.gif</kmxMACHINE_LOGO>\n"),
              std::string::npos);
    // In a binary write each logo's image stands right before its line.
    const std::string head = definitionsHead(*scene, true);
    EXPECT_EQ(head, record("a.gif", picture("see_through_4x2.gif")) + record("logo.jpg", picture("grey_16x9.jpg")) +
                        "# <kmxCOMPANY_LOGO>logo.jpg</kmxCOMPANY_LOGO>\n" +
                        record("machine.gif", picture("see_through_5x3.gif")) +
                        "# <kmxMACHINE_LOGO>machine.gif</kmxMACHINE_LOGO>\n");
}

TEST_F(ChapterIconsTest, AnIconFoundNowhereIsReportedAndTheSaveGoesOn) {
    Scene* scene = readGuide("guide.iv", guide(chapterBlock("missing.gif", 1)));
    ASSERT_NE(scene, nullptr);
    ASSERT_TRUE(writeToFile(*scene, file("guide.bvr")));
    EXPECT_TRUE(reported("Can't open image file " + file("missing.gif")));
    scene = reread("guide.bvr");
    ASSERT_NE(scene, nullptr);
    EXPECT_TRUE(scene->kept.definitionImages.empty());
    EXPECT_EQ(chapterList().size(), 1u);
}

TEST_F(ChapterIconsTest, ABrokenImageRecordIsReportedAndTheRestOfTheBlockIsRead) {
    std::string broken = "\n<ImageData>\n";
    broken += std::string("\xff\xff\xff\x7f", 4) + std::string("\x05\0\0\0", 4) + "ab\n</ImageData>\n";
    Scene* scene =
        readGuide("guide.iv", guide(chapterBlock("", 1), broken + "# <kmxCOMPANY_LOGO>logo.jpg</kmxCOMPANY_LOGO>\n"));
    ASSERT_NE(scene, nullptr);
    EXPECT_TRUE(reported("Corrupt image data record"));
    EXPECT_TRUE(scene->kept.definitionImages.empty());
    EXPECT_EQ(scene->companyLogo, "logo.jpg");
    EXPECT_EQ(scene->highestStepIndex, 20);
}

TEST_F(ChapterIconsTest, AWriteThatTheFileCannotTakeFails) {
    putFile(file("a.gif"), picture("see_through_4x2.gif"));
    Scene* scene = readGuide("guide.iv", guide(chapterBlock("a.gif", 1)));
    ASSERT_NE(scene, nullptr);
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "no /dev/full";
    std::setvbuf(full, nullptr, _IONBF, 0);
    readingState().writingBinary = true;
    EXPECT_FALSE(writeDefinitionsHead(*scene, full));
    readingState().writingBinary = false;
    EXPECT_FALSE(writeScene(*scene, full, true));
    std::fclose(full);
}

TEST(ImageDataRecord, SplitsWhatTheBlockWriterWrote) {
    const std::string bytes("GIF89a\0\x01<ImageData>", 19);
    const std::string block = record("icons\\a.gif", bytes);
    const std::string keyword = "\n<ImageData>";
    const auto r = splitImageDataRecord(std::string_view(block).substr(keyword.size()));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->name, "icons\\a.gif");
    EXPECT_EQ(r->bytes, bytes);
}

TEST(ImageDataRecord, RefusesLengthsPastTheEndOfTheText) {
    const std::string block = record("a.gif", "12345");
    const std::string_view after = std::string_view(block).substr(std::string("\n<ImageData>").size());
    // Cut inside the bytes, and inside the header.
    EXPECT_FALSE(splitImageDataRecord(after.substr(0, after.size() - std::string("\n</ImageData>").size() - 1)));
    EXPECT_FALSE(splitImageDataRecord(after.substr(0, 6)));
    std::string negative(after);
    negative[5 + 3] = '\x80';  // the data length's high byte
    EXPECT_FALSE(splitImageDataRecord(negative));
}

}  // namespace
}  // namespace kinemo::testing
