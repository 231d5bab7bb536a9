#include "scene/consumed_text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <vector>
#include <string>

#include "core/messages.h"
#include "scene/scene.h"
#include "scene/scene_file_hooks.h"
#include "scene/scene_reader.h"
#include "scene/scene_writer.h"
#include "scene_files_support.h"

namespace kinemo {
namespace {

using testing::dataPath;
using testing::fileText;
using testing::putFile;
using testing::TempFolder;

// Unnamed groups are numbered on from read to read.
std::string withoutGroupNumbers(const std::string& text) {
    return std::regex_replace(text, std::regex("noname[0-9]+"), "noname");
}

class ConsumedText : public ::testing::Test {
protected:
    void TearDown() override {
        ConsumedTextRelease::setLimits(std::size_t(1) << 20, 64 * 1024);
        destroyCurrentScene();
    }
};

TEST_F(ConsumedText, ReleasesOnlyWholePagesThatLieTheMarginBehindTheReader) {
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    std::string text(64 * page, 'x');
    ConsumedTextRelease::setLimits(0, 4 * page);
    {
        ConsumedTextRelease release(text.data(), text.data() + text.size());
        const char* reader = text.data() + 40 * page + 123;
        ConsumedTextRelease::releaseBefore(reader);
        EXPECT_GT(ConsumedTextRelease::releasedBytes(), 30 * page);
        EXPECT_LE(ConsumedTextRelease::releasedBytes(), 36 * page);
        // Everything from the margin before the reader on is still there.
        for (const char* p = reader - 4 * page; p < text.data() + text.size(); ++p) ASSERT_EQ(*p, 'x');
        // A position behind what was released, or outside the text, releases nothing more.
        const std::size_t released = ConsumedTextRelease::releasedBytes();
        ConsumedTextRelease::releaseBefore(text.data() + 10 * page);
        std::string other(64 * page, 'y');
        ConsumedTextRelease::releaseBefore(other.data() + 60 * page);
        EXPECT_EQ(ConsumedTextRelease::releasedBytes(), released);
        EXPECT_EQ(other.find_first_not_of('y'), std::string::npos);
    }
    // With no scope active nothing is released.
    std::string after(64 * page, 'z');
    ConsumedTextRelease::releaseBefore(after.data() + 60 * page);
    EXPECT_EQ(after.find_first_not_of('z'), std::string::npos);
}

TEST_F(ConsumedText, AnInnerScopeLeavesTheOuterTextInCharge) {
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    std::string outer(32 * page, 'o'), inner(32 * page, 'i');
    ConsumedTextRelease::setLimits(0, page);
    ConsumedTextRelease release(outer.data(), outer.data() + outer.size());
    {
        ConsumedTextRelease nested(inner.data(), inner.data() + inner.size());
        ConsumedTextRelease::releaseBefore(inner.data() + 30 * page);
    }
    EXPECT_EQ(inner.find_first_not_of('i'), std::string::npos);
    ConsumedTextRelease::releaseBefore(outer.data() + 30 * page);
    EXPECT_GT(ConsumedTextRelease::releasedBytes(), 0u);
}

TEST_F(ConsumedText, ALargeTextShowsHowFarReadingHasComeInTenths) {
    std::string text(32u << 20, 'x');
    std::vector<std::string> shown;
    setStatusRefreshHook([&] { shown.push_back(lastStatusText()); });
    {
        ConsumedTextRelease release(text.data(), text.data() + text.size());
        for (const double at : {0.05, 0.25, 0.27, 0.31, 0.95, 1.0})
            ConsumedTextRelease::reportProgress(text.data() + std::size_t(at * double(text.size())));
    }
    setStatusRefreshHook(nullptr);
    EXPECT_EQ(shown, (std::vector<std::string>{"Loading... 20%", "Loading... 30%", "Loading... 90%"}));
    // A small text reads too fast to tell.
    std::string small(1u << 20, 'x');
    ConsumedTextRelease release(small.data(), small.data() + small.size());
    shown.clear();
    setStatusRefreshHook([&] { shown.push_back(lastStatusText()); });
    ConsumedTextRelease::reportProgress(small.data() + small.size() / 2);
    setStatusRefreshHook(nullptr);
    EXPECT_TRUE(shown.empty());
}

// No reader goes back into text it has passed: reading every file with its pages released a page
// behind each child gives the very scene that reading without release gives.
TEST_F(ConsumedText, FilesReadWithTheirTextReleasedBehindTheReaderGiveTheSameScene) {
    installSceneReader();
    const std::string files[] = {dataPath("own_guide.iv"),       dataPath("vrml2_parts.wrl"),
                                 dataPath("vrml1_part.wrl"),     dataPath("inventor_part.iv"),
                                 dataPath("repeated_parts.wrl"), std::string(KINEMO_TEST_DATA) + "/../../examples/example.iv"};
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        ASSERT_FALSE(fileText(file).empty());
        ConsumedTextRelease::setLimits(std::size_t(1) << 40, std::size_t(1) << 40);
        Scene* kept = Scene::readFromFile(file);
        ASSERT_NE(kept, nullptr);
        const std::string expected = withoutGroupNumbers(sceneText(*kept, true));
        destroyCurrentScene();
        ConsumedTextRelease::setLimits(0, page);
        Scene* released = Scene::readFromFile(file);
        ASSERT_NE(released, nullptr);
        EXPECT_EQ(withoutGroupNumbers(sceneText(*released, true)), expected);
        destroyCurrentScene();
        if (fileText(file).size() > 4 * page) {
            EXPECT_GT(ConsumedTextRelease::releasedBytes(), 0u);
        }
    }
}

// Parts named far back in the text are used again near its end, in groups nested three deep.
TEST_F(ConsumedText, PartsUsedLongAfterTheirDefinitionAreFoundWhenTheTextBehindIsGone) {
    installSceneReader();
    std::string text = "#VRML V2.0 utf8\n";
    for (int k = 0; k < 300; ++k) {
        text += "DEF ASSEMBLY_" + std::to_string(k) + " Transform { translation " + std::to_string(k) +
                " 0 0 children [ Transform { children [ DEF PART_" + std::to_string(k) +
                " Shape { appearance Appearance { material Material { diffuseColor 0.5 0.25 0.125 } } geometry "
                "IndexedFaceSet { coord Coordinate { point [ ";
        for (int i = 0; i < 40; ++i) text += std::to_string(i) + ".5 " + std::to_string(k) + " 1.25, ";
        text += "] } coordIndex [ ";
        for (int t = 0; t + 2 < 40; ++t) text += std::to_string(t) + " " + std::to_string(t + 1) + " " + std::to_string(t + 2) + " -1 ";
        text += "] } } ";
        if (k >= 250) text += "USE PART_" + std::to_string(k - 250) + " ";
        text += "] } ] }\n";
    }
    TempFolder dir;
    putFile(dir.file("parts.wrl"), text);
    ConsumedTextRelease::setLimits(std::size_t(1) << 40, std::size_t(1) << 40);
    Scene* kept = Scene::readFromFile(dir.file("parts.wrl"));
    ASSERT_NE(kept, nullptr);
    const std::string expected = withoutGroupNumbers(sceneText(*kept, false));
    destroyCurrentScene();
    ConsumedTextRelease::setLimits(0, std::size_t(sysconf(_SC_PAGESIZE)));
    Scene* released = Scene::readFromFile(dir.file("parts.wrl"));
    ASSERT_NE(released, nullptr);
    EXPECT_GT(ConsumedTextRelease::releasedBytes(), text.size() / 2);
    EXPECT_EQ(withoutGroupNumbers(sceneText(*released, false)), expected);
    EXPECT_EQ(countScene(*released).shapes, 350);
}

}  // namespace
}  // namespace kinemo
