#include "scene/scene_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/definitions.h"
#include "core/headless_platform.h"
#include "scene/def_registry.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene.h"
#include "scene/scene_binary.h"
#include "scene/viewpoint.h"
#include "scene_files_support.h"
#include "text/text_form.h"

namespace kinemo {
namespace {

using testing::dataPath;
using testing::fileText;
using testing::putFile;
using testing::Reports;
using testing::TempFolder;

class SceneReaderTest : public ::testing::Test {
protected:
    void TearDown() override { destroyCurrentScene(); }
};

long countGroups(const GroupNode& g) {
    long n = 0;
    for (std::size_t i = 0; i < g.childCount(); ++i)
        if (const GroupNode* c = g.child(i)->asGroupNode()) n += 1 + countGroups(*c);
    return n;
}

// The groups directly under g (a viewpoint made for a file without one stands there too).
std::vector<GroupNode*> groupChildren(GroupNode& g) {
    std::vector<GroupNode*> out;
    for (std::size_t i = 0; i < g.childCount(); ++i)
        if (GroupNode* c = g.child(i)->asGroupNode()) out.push_back(c);
    return out;
}

TEST_F(SceneReaderTest, ReadsAPlainVrml2FileWithoutVersion) {
    Scene* scene = Scene::readFromFile(dataPath("vrml2_parts.wrl"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(currentScene(), scene);
    EXPECT_EQ(readingState().fileVersion, -1.0f);
    EXPECT_EQ(readingState().source, SourceType::Vrml2);
    ASSERT_EQ(groupChildren(scene->root()).size(), 1u);
    EXPECT_EQ(groupChildren(scene->root())[0]->getName(), "Bracket");
    EXPECT_NE(scene->currentViewpoint, nullptr);
    EXPECT_EQ(countGroups(scene->root()), 3);
}

TEST_F(SceneReaderTest, ReadsVrml1AndInventorSources) {
    ASSERT_NE(Scene::readFromFile(dataPath("vrml1_part.wrl")), nullptr);
    EXPECT_EQ(readingState().source, SourceType::Vrml1);
    EXPECT_EQ(readingState().cadSource, CadSource::None);
    Scene* scene = Scene::readFromFile(dataPath("inventor_part.iv"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(readingState().cadSource, CadSource::Inventor);
    EXPECT_GE(countGroups(scene->root()), 2);
}

TEST_F(SceneReaderTest, RefusesAFileThatNeedsANewerProgramAndLeavesNoSceneCurrent) {
    Reports reports;
    ASSERT_NE(Scene::readFromFile(dataPath("vrml2_parts.wrl")), nullptr);
    EXPECT_EQ(Scene::readFromFile(dataPath("refuses_version.wrl")), nullptr);
    EXPECT_TRUE(reports.contains("Current file requires program version >=9.00, program has only version 8.09"));
    EXPECT_EQ(currentScene(), nullptr);
}

TEST_F(SceneReaderTest, AFileOfExactlyTheRequiredVersionIsRead) {
    Scene s;
    const std::string text = "#VRML V2.0 utf8\n#RequiresProgramVersion 8.09\nTransform { children [ ] }\n";
    EXPECT_NE(s.readFromString(text.data(), text.size()), nullptr);
    EXPECT_EQ(groupChildren(s.root()).size(), 1u);
}

TEST_F(SceneReaderTest, KeepsThePreviousSceneWhenTheNewFileDoesNotDecompress) {
    TempFolder dir;
    Scene* first = Scene::readFromFile(dataPath("vrml2_parts.wrl"));
    ASSERT_NE(first, nullptr);
    putFile(dir.file("broken.bvr"), "#KINEMBIN V01\x05\x00\x00\x00garbage-garbage");
    Reports reports;
    EXPECT_EQ(Scene::readFromFile(dir.file("broken.bvr")), nullptr);
    EXPECT_EQ(currentScene(), first);
    EXPECT_EQ(groupChildren(first->root()).size(), 1u);
    EXPECT_EQ(Scene::readFromFile(dir.file("missing.wrl")), nullptr);
    EXPECT_TRUE(reports.contains("Could not open file"));
    EXPECT_EQ(currentScene(), first);
}

TEST_F(SceneReaderTest, AnExeIsNeverParsedAsAScene) {
    TempFolder dir;
    putFile(dir.file("guide.exe"), "#VRML V2.0 utf8\nTransform { children [ ] }\n");
    Reports reports;
    EXPECT_EQ(Scene::readFromFile(dir.file("guide.exe")), nullptr);
    EXPECT_TRUE(reports.contains("Unxpected file type"));
}

TEST_F(SceneReaderTest, ACompressedAndAnUncompressedDocumentReadToTheSameScene) {
    TempFolder dir;
    const std::string text = fileText(dataPath("own_guide.iv"));
    putFile(dir.file("plain.bvr"), text);
    auto packed = compressContent(text);
    ASSERT_TRUE(packed);
    putFile(dir.file("packed.bvr"), *packed);
    Scene* a = Scene::readFromFile(dir.file("plain.bvr"));
    ASSERT_NE(a, nullptr);
    const long groupsA = countGroups(a->root());
    const std::string animationsA = a->kept.animations;
    Scene* b = Scene::readFromFile(dir.file("packed.bvr"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(countGroups(b->root()), groupsA);
    EXPECT_EQ(b->kept.animations, animationsA);
    EXPECT_EQ(b->highestStepIndex, 41);
}

TEST(SceneReaderVersion, StopsAtTheEndOfTheLine) {
    const std::string shortLine = " Builder\n8.09 Version 3.0\n";
    EXPECT_EQ(readVersionNumber(shortLine.data(), shortLine.data() + shortLine.size()), -2.0f);
    const std::string full = " Builder Version 8.09\nTransform";
    EXPECT_EQ(readVersionNumber(full.data(), full.data() + full.size()), 8.09f);
    const std::string standard = " Standard Version 7.5";
    EXPECT_EQ(readVersionNumber(standard.data(), standard.data() + standard.size()), 7.5f);
    const std::string unknown = " Xyz Version 7.5";
    EXPECT_EQ(readVersionNumber(unknown.data(), unknown.data() + unknown.size()), -2.0f);
}

TEST(SceneReaderVersion, AFileOfExactlyAThresholdTakesTheDocumentedBranch) {
    EXPECT_FALSE(versionAbove(2.015f, 2.015));
    EXPECT_FALSE(versionBelow(2.015f, 2.015));
    EXPECT_TRUE(versionBelow(2.99f, 3.0));
    EXPECT_FALSE(versionBelow(3.0f, 3.0));
    setTextTagForm(false);
    {
        Scene s;
        const std::string text = "#VRML V2.0 utf8\n#Kinemo Builder Version 2.015\n";
        s.readFromString(text.data(), text.size());
    }
    EXPECT_FALSE(textTagForm());
    {
        Scene s;
        const std::string text = "#VRML V2.0 utf8\n#Kinemo Builder Version 2.02\n";
        s.readFromString(text.data(), text.size());
    }
    EXPECT_TRUE(textTagForm());
}

TEST_F(SceneReaderTest, TheDefinitionsBlockIsReadToItsEndWhateverTheIconSize) {
    Scene* scene = Scene::readFromFile(dataPath("own_guide.iv"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->chapterIconSize, 24);
    EXPECT_EQ(scene->highestStepIndex, 41);
    EXPECT_EQ(scene->companyLogo, "logo.jpg");
    EXPECT_NE(scene->kept.definitionsTail.find("<kmxFONT_FORMATS>"), std::string::npos);
    EXPECT_TRUE(scene->kept.hasMetaInfo);
    EXPECT_EQ(scene->kept.metaInfo, "some meta information\n");
    EXPECT_TRUE(scene->kept.hasAnimations);
    EXPECT_NE(scene->kept.animations.find("ANIMGROUP_START"), std::string::npos);
    EXPECT_TRUE(scene->headlight);
    EXPECT_FLOAT_EQ(scene->skyColor[2], 0.3f);
}

TEST_F(SceneReaderTest, TheTopLevelLoopReadsPastAThousandKeywords) {
    std::string text = "#VRML V2.0 utf8\n#Kinemo Builder Version 8.09\n";
    for (int i = 0; i < 1500; ++i) text += "NavigationInfo { headlight FALSE }\n";
    text += "\n# <kmxDEFINITION>\n\n# <kmxHIGHESTINDEX value = \"7\" />\n# </kmxDEFINITION>\n\n# ANIMATIONS\n# kept\n";
    Scene s;
    ASSERT_NE(s.readFromString(text.data(), text.size()), nullptr);
    EXPECT_EQ(s.highestStepIndex, 7);
    EXPECT_EQ(s.kept.animations, "# kept");
}

TEST_F(SceneReaderTest, ReportsVrmlVersionMismatches) {
    {
        Reports reports;
        Scene s;
        const std::string text = "#VRML V1.0 ascii\nTransform { }\n";
        s.readFromString(text.data(), text.size());
        EXPECT_FALSE(reports.contains("VRML claims to be VRML1 but is VRML2"));
    }
    {
        Reports reports;
        Scene s;
        const std::string text = "#VRML V1.0 ascii\nShape { }\n";
        s.readFromString(text.data(), text.size());
        EXPECT_TRUE(reports.contains("VRML claims to be VRML1 but is VRML2: Shape "));
    }
    {
        Reports reports;
        Scene s;
        const std::string text = "#VRML V2.0 utf8\nSeparator { }\n";
        s.readFromString(text.data(), text.size());
        EXPECT_TRUE(reports.contains("VRML claims to be VRML2 but is VRML1"));
    }
    {
        Reports reports;
        Scene s;
        const std::string text = "#VRML V3.0 utf8\n";
        s.readFromString(text.data(), text.size());
        EXPECT_TRUE(reports.contains("Unknown VRML type"));
    }
}

TEST_F(SceneReaderTest, AnInlineLeavesTheIncludingFilesStateAlone) {
    TempFolder dir;
    putFile(dir.file("part.wrl"),
            "#VRML V2.0 utf8\n#Kinemo Builder Version 1.50\nDEF Outer Transform { children [ ] }\nTransform { }\n");
    putFile(dir.file("main.bvr"),
            "#KINEMML V2.0 utf8\n#Kinemo Builder Version 8.09\n"
            "DEF Outer Transform { children [ ] }\n"
            "Inline { url \"part.wrl\" }\n"
            "Transform { children [ USE Outer ] }\n");
    Scene* scene = Scene::readFromFile(dir.file("main.bvr"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(readingState().fileVersion, 8.09f);
    // The outer DEF is still found after the Inline: the last group holds its copy.
    const std::vector<GroupNode*> groups = groupChildren(scene->root());
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[2]->childCount(), 1u);
    // The first group kept its node table entry.
    EXPECT_EQ(nodeTable().at(groups[0]->id()), groups[0]);
}

long countViewpointNodes(const GroupNode& g) {
    long n = 0;
    for (std::size_t i = 0; i < g.childCount(); ++i) {
        if (dynamic_cast<const ViewPoint*>(g.child(i))) ++n;
        if (const GroupNode* c = g.child(i)->asGroupNode()) n += countViewpointNodes(*c);
    }
    return n;
}

TEST_F(SceneReaderTest, ViewpointsOfInlineFilesAreDeletedUnlessTheSettingKeepsThem) {
    TempFolder dir;
    putFile(dir.file("part.wrl"),
            "#VRML V2.0 utf8\nViewpoint { position 0 0 50 description \"part camera\" }\n"
            "Transform { children [ Viewpoint { position 1 0 50 } Shape { geometry Box { } } ] }\n");
    putFile(dir.file("main.wrl"),
            "#VRML V2.0 utf8\nInline { url \"part.wrl\" }\nViewpoint { position 0 0 9 description \"main\" }\n");
    Scene* scene = Scene::readFromFile(dir.file("main.wrl"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(countViewpointNodes(scene->root()), 1);
    auto* current = dynamic_cast<ViewPoint*>(scene->currentViewpoint);
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->initialTransform.translation()[2], 9.0f);
    EXPECT_EQ(current->parent(), &scene->root());

    definitionsFile().setBool("EllimianteInlineViewpoints", false);
    scene = Scene::readFromFile(dir.file("main.wrl"));
    definitionsFile().setBool("EllimianteInlineViewpoints", true);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(countViewpointNodes(scene->root()), 3);
}

TEST_F(SceneReaderTest, OlderFilesOfferToRemoveViewpointsThatNoStepUses) {
    TempFolder dir;
    const std::string body =
        "Viewpoint { position 0 0 9 }\n"
        "Transform { children [ Viewpoint { position 1 0 9 } Shape { geometry Box { } } ] }\n"
        "Transform { children [ Viewpoint { position 2 0 9 } ] }\n";
    putFile(dir.file("old.wrl"), "#VRML V2.0 utf8\n" + body);
    putFile(dir.file("new.bvr"), "#KINEMML V2.0 utf8\n#Kinemo Builder Version 8.09\n" + body);
    HeadlessPlatform headless;
    setPlatform(&headless);

    // Cancel is preselected: the viewpoints stay.
    Scene* scene = Scene::readFromFile(dir.file("old.wrl"));
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(headless.messageBoxes().size(), 1u);
    EXPECT_EQ(headless.messageBoxes()[0].text, "This file contains 2 unused viewpoints, do you want to remove them?");
    EXPECT_EQ(headless.messageBoxes()[0].caption, "Brevalonix Kinemo Builder");
    EXPECT_EQ(countViewpointNodes(scene->root()), 3);

    headless.clearRecords();
    headless.queueAnswer(MessageAnswer::Ok);
    scene = Scene::readFromFile(dir.file("old.wrl"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(countViewpointNodes(scene->root()), 1);
    EXPECT_EQ(scene->currentViewpoint->parent(), &scene->root());

    // A recent guide is not asked about.
    headless.clearRecords();
    ASSERT_NE(Scene::readFromFile(dir.file("new.bvr")), nullptr);
    EXPECT_TRUE(headless.messageBoxes().empty());
    setPlatform(nullptr);
}

TEST_F(SceneReaderTest, CommentedMetaInfoWithCarriageReturnsIsReadToItsEnd) {
    const std::string text =
        "#VRML V2.0 utf8\n#Kinemo Builder Version 8.09\n\n# <kmxDEFINITION>\n# </kmxDEFINITION>\n"
        "\n# <kmxMETA_INFO>\r\n# first\r\n# second\rthird\n# </kmxMETA_INFO>\n\n# ANIMATIONS\n# kept\n";
    Scene s;
    ASSERT_NE(s.readFromString(text.data(), text.size()), nullptr);
    EXPECT_EQ(s.kept.metaInfo, "first\nsecond\nthird\n");
    EXPECT_EQ(s.kept.animations, "# kept");
}

TEST_F(SceneReaderTest, HostileTextNeverCrashes) {
    const std::string texts[] = {
        "#Kinemo",
        "#Kinemo B",
        "#RequiresProgramVersion",
        "# <kmxDEFINITION",
        "# <kmxDEFINITION>\n# <kmxCHP_ICN_SIZE>",
        "# <kmxDEFINITION>\n# <kmxHIGHESTINDEX value = \"",
        "<kmxMETA_INFO>",
        "# ANIMATIONS",
        "Background { skyColor 1",
        "NavigationInfo { headlight",
        "Viewpoint { position 0 0 {{{{",
        "DirectionalLight \"",
        "}}}}]]]] {{{{ [[[[",
        "DEF",
    };
    for (const std::string& t : texts) {
        Scene s;
        s.readFromString(t.data(), t.size());
    }
}

}  // namespace
}  // namespace kinemo
