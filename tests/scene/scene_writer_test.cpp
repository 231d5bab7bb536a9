#include "scene/scene_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "core/definitions.h"
#include "geometry/binary_io.h"
#include "scene/reading_state.h"
#include "scene/scene.h"
#include "scene/scene_binary.h"
#include "scene/scene_file_hooks.h"
#include "scene/scene_reader.h"
#include "scene_files_support.h"
#include "text/translator.h"

namespace kinemo {
namespace {

using testing::dataPath;
using testing::fileText;
using testing::putFile;
using testing::Reports;
using testing::TempFolder;

class SceneWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        setCreationDateSource([] { return std::string("2009/03/05"); });
    }
    void TearDown() override {
        setCreationDateSource(nullptr);
        destroyCurrentScene();
    }
};

std::string readAndWrite(const std::string& path, bool binary) {
    Scene* scene = Scene::readFromFile(path);
    if (!scene) return "(not read)";
    return sceneText(*scene, binary);
}

TEST_F(SceneWriterTest, AnEmptySceneHasTheFixedLayout) {
    // The layout of this layer alone, without the special nodes' blocks.
    const SceneFileHooks saved = sceneFileHooks();
    sceneFileHooks() = SceneFileHooks{};
    Scene s;
    std::string languages;
    Translator::writeLanguageDefinitions(languages);
    const std::string expected =
        "#VRML V2.0 utf8\n\n#Kinemo Builder Version 8.09\n#RequiresProgramVersion 8.03\n#CreationDate 2009/03/05"
        "\n\nWorldInfo { \n  info  [\"Kinemo Builder Version 8.09, authored with Kinemo\"]\n}"
        "\n\nNavigationInfo {\n  speed 1000\n  type [\"EXAMINE\", \"ANY\"]\n  headlight  TRUE\n}"
        "\n\n\n# <kmxDEFINITION>\n\n# <kmxHIGHESTINDEX value = \"-1\" />\n" +
        languages + "# </kmxDEFINITION>\n\n\n# ANIMATIONS\n\n";
    const std::string text = sceneText(s, false);
    sceneFileHooks() = saved;
    EXPECT_EQ(text, expected);
}

TEST_F(SceneWriterTest, BinaryWritesStartWithTheOwnFormatLineAndTheFlagLastsOneWrite) {
    Scene s;
    const std::string text = sceneText(s, true);
    EXPECT_EQ(text.rfind("#KINEMML V2.0 utf8\n", 0), 0u);
    EXPECT_FALSE(readingState().writingBinary);
    EXPECT_FALSE(binaryWriteMode());
    EXPECT_EQ(sceneText(s, false).rfind("#VRML V2.0 utf8\n", 0), 0u);
}

TEST_F(SceneWriterTest, TheHeadlightSurvivesASaveInBothStates) {
    TempFolder dir;
    for (bool on : {true, false}) {
        auto scene = std::make_unique<Scene>();
        scene->setHeadlightOn(on);
        ASSERT_TRUE(writeToFile(*scene, dir.file("light.iv")));
        scene.reset();
        Scene* back = Scene::readFromFile(dir.file("light.iv"));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->headlightOn(), on);
        destroyCurrentScene();
    }
}

TEST_F(SceneWriterTest, TheFirstTopLevelViewpointStaysTheInitialOne) {
    TempFolder dir;
    putFile(dir.file("two.wrl"),
            "#VRML V2.0 utf8\n"
            "Viewpoint { position 0 1 20 description \"Front\" }\n"
            "Viewpoint { position 20 1 0 orientation 0 1 0 1.5708 description \"Right\" }\n"
            "Transform { children Shape { geometry Box { size 1 1 1 } } }\n");
    Scene* scene = Scene::readFromFile(dir.file("two.wrl"));
    ASSERT_NE(scene, nullptr);
    const std::string text = sceneText(*scene, false);
    const std::size_t initial = text.find("Viewpoint {");
    ASSERT_NE(initial, std::string::npos);
    EXPECT_NE(text.find("position 0.000 1.000 20.000", initial), std::string::npos) << text;
}

TEST_F(SceneWriterTest, ANonBlackSkyWritesABackgroundAndABlackOneNone) {
    Scene s;
    EXPECT_EQ(sceneText(s, false).find("Background"), std::string::npos);
    s.skyColor[0] = 0.5f;
    EXPECT_NE(sceneText(s, false).find("\nBackground { \n skyColor 0.500000 0.000000 0.000000 \n}"), std::string::npos);
}

TEST_F(SceneWriterTest, TheChapterIconSizeIsWrittenOnlyWhenItIsNotSixteen) {
    Scene s;
    EXPECT_EQ(sceneText(s, false).find("kmxCHP_ICN_SIZE"), std::string::npos);
    s.chapterIconSize = 24;
    EXPECT_NE(sceneText(s, false).find("# <kmxCHP_ICN_SIZE>24</kmxCHP_ICN_SIZE>\n"), std::string::npos);
}

TEST_F(SceneWriterTest, WriteReadWriteIsByteIdenticalAndKeepsBlocksOfOtherOwners) {
    TempFolder dir;
    const std::string first = readAndWrite(dataPath("own_guide.iv"), false);
    putFile(dir.file("first.iv"), first);
    const std::string second = readAndWrite(dir.file("first.iv"), false);
    EXPECT_EQ(second, first);
    EXPECT_NE(first.find("# <kmxCOMPANY_LOGO>logo.jpg</kmxCOMPANY_LOGO>\n"), std::string::npos);
    EXPECT_NE(first.find("# <kmxFONT_FORMATS> kept as written\n"), std::string::npos);
    EXPECT_NE(first.find("\n# <kmxMETA_INFO>\n# some meta information\n# </kmxMETA_INFO>"), std::string::npos);
    EXPECT_NE(first.find("# ANIMATIONS\n# ANIMGROUP_START id = \"1\"\n# ANIMGROUP_END\n"), std::string::npos);
    EXPECT_NE(first.find("value = \"41\""), std::string::npos);
    EXPECT_NE(first.find("#name Cover"), std::string::npos);
}

TEST_F(SceneWriterTest, BinaryRoundTripsAreStableToo) {
    TempFolder dir;
    Scene* scene = Scene::readFromFile(dataPath("own_guide.iv"));
    ASSERT_NE(scene, nullptr);
    ASSERT_TRUE(writeToFile(*scene, dir.file("a.bvr")));
    EXPECT_TRUE(looksCompressed(fileText(dir.file("a.bvr"))));
    scene = Scene::readFromFile(dir.file("a.bvr"));
    ASSERT_NE(scene, nullptr);
    const std::string once = sceneText(*scene, true);
    ASSERT_TRUE(writeToFile(*scene, dir.file("b.ros")));
    scene = Scene::readFromFile(dir.file("b.ros"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(sceneText(*scene, true), once);
}

TEST_F(SceneWriterTest, GeometrySurvivesTextAndBinaryRoundTrips) {
    TempFolder dir;
    for (const char* fixture : {"vrml2_parts.wrl", "vrml1_part.wrl", "inventor_part.iv"}) {
        SCOPED_TRACE(fixture);
        Scene* scene = Scene::readFromFile(dataPath(fixture));
        ASSERT_NE(scene, nullptr);
        const SceneCounts before = countScene(*scene);
        ASSERT_GT(before.shapes, 0);
        ASSERT_TRUE(writeToFile(*scene, dir.file("a.bvr")));
        ASSERT_TRUE(writeToFile(*scene, dir.file("a.iv")));
        for (const char* copy : {"a.bvr", "a.iv"}) {
            scene = Scene::readFromFile(dir.file(copy));
            ASSERT_NE(scene, nullptr);
            const SceneCounts after = countScene(*scene);
            EXPECT_EQ(after.groups, before.groups);
            EXPECT_EQ(after.shapes, before.shapes);
            EXPECT_EQ(after.triangles, before.triangles);
            EXPECT_EQ(after.points, before.points);
            EXPECT_EQ(after.materials, before.materials);
            EXPECT_EQ(after.viewpoints, before.viewpoints);
        }
        const std::string once = sceneText(*scene, false);
        putFile(dir.file("b.iv"), once);
        scene = Scene::readFromFile(dir.file("b.iv"));
        ASSERT_NE(scene, nullptr);
        EXPECT_EQ(sceneText(*scene, false), once);
    }
}

TEST_F(SceneWriterTest, AnUncompressedDocumentIsPlainKinemmlAndReadsBack) {
    TempFolder dir;
    definitionsFile().setBool("CompressBinaryOutput", false);
    Scene* scene = Scene::readFromFile(dataPath("own_guide.iv"));
    ASSERT_NE(scene, nullptr);
    const bool written = writeToFile(*scene, dir.file("plain.bvr"));
    definitionsFile().setBool("CompressBinaryOutput", true);
    ASSERT_TRUE(written);
    EXPECT_EQ(fileText(dir.file("plain.bvr")).rfind("#KINEMML V2.0 utf8\n", 0), 0u);
    scene = Scene::readFromFile(dir.file("plain.bvr"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->highestStepIndex, 41);
}

TEST_F(SceneWriterTest, WrlFilesAreNeverWritten) {
    TempFolder dir;
    Reports reports;
    Scene s;
    EXPECT_FALSE(writeToFile(s, dir.file("model.wrl")));
    EXPECT_TRUE(reports.contains("Brevalonix Kinemo Builder cannot write WRL files"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("model.wrl")));
}

TEST_F(SceneWriterTest, AFailedSaveLeavesThePreviousFileIntactAndIsReported) {
    TempFolder dir;
    Reports reports;
    Scene s;
    EXPECT_FALSE(writeToFile(s, dir.file("no/such/folder/guide.bvr")));
    EXPECT_TRUE(reports.contains("Cannot write to file, check permissions for "));
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    putFile(dir.file("guide.bvr"), "previous document");
    ::chmod(dir.path().c_str(), 0500);
    EXPECT_FALSE(writeToFile(s, dir.file("guide.bvr")));
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(fileText(dir.file("guide.bvr")), "previous document");
}

TEST_F(SceneWriterTest, AWriteThatFailsMidwayKeepsThePreviousFile) {
    TempFolder dir;
    putFile(dir.file("guide.bvr"), "previous document");
    Scene s;
    sceneFileHooks().writeAnimations = [](Scene&, std::FILE*) { return false; };
    Reports reports;
    const bool written = writeToFile(s, dir.file("guide.bvr"));
    sceneFileHooks().writeAnimations = nullptr;
    EXPECT_FALSE(written);
    EXPECT_TRUE(reports.contains("Cannot write to file"));
    EXPECT_EQ(fileText(dir.file("guide.bvr")), "previous document");
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(SceneWriterTest, ASaveLeavesNoTemporaryFilesBehind) {
    TempFolder dir;
    Scene s;
    ASSERT_TRUE(writeToFile(s, dir.file("guide.bvr")));
    ASSERT_TRUE(writeToFile(s, dir.file("guide.iv")));
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 2);
}

TEST_F(SceneWriterTest, AWorkpartFileHoldsOnlyTheHeaderAndTheGroup) {
    TempFolder dir;
    Scene s;
    GroupNode* part = s.root().createChild<GroupNode>(true);
    part->setName("Pump");
    part->createChild<GroupNode>(true)->setName("Impeller");
    ASSERT_TRUE(saveWorkpart(s, *part, dir.file("workpart.wrl")));
    const std::string text = fileText(dir.file("workpart.wrl"));
    EXPECT_EQ(text.rfind("#VRML V2.0 utf8\n", 0), 0u);
    EXPECT_NE(text.find("#name Pump"), std::string::npos);
    EXPECT_NE(text.find("#name Impeller"), std::string::npos);
    EXPECT_EQ(text.find("NavigationInfo"), std::string::npos);
    EXPECT_EQ(text.find("kmxDEFINITION"), std::string::npos);
}

}  // namespace
}  // namespace kinemo
