#include "core/definitions.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>

#include "core/paths.h"
#include "test_folder.h"

namespace kinemo {
namespace {

using testing::CurrentDirectoryScope;
using testing::EnvironmentScope;
using testing::readText;
using testing::TestFolder;

TEST(Definitions, GivesOnlyDefaultsWithoutADefinitionsHeader) {
    Definitions d;
    d.readFromMemory("Flag=true\nCount=5\n[Other]\nName=x\n");
    EXPECT_FALSE(d.getBool("Flag", false));
    EXPECT_EQ(d.getLong("Count", -1), -1);
    EXPECT_EQ(d.getString("Name", "dflt"), "dflt");
    EXPECT_EQ(d.getFloat("Count", 2.5f), 2.5f);
}

TEST(Definitions, AcceptsTrueYesFalseAndNoInAnyCase) {
    Definitions d;
    d.readFromMemory("[Definitions]\na=TRUE\nb=yEs\nc=False\nd=NO\ne=1\nf=\n");
    EXPECT_TRUE(d.getBool("a", false));
    EXPECT_TRUE(d.getBool("b", false));
    EXPECT_FALSE(d.getBool("c", true));
    EXPECT_FALSE(d.getBool("d", true));
    EXPECT_TRUE(d.getBool("e", true));
    EXPECT_FALSE(d.getBool("e", false));
    EXPECT_TRUE(d.getBool("f", true));
}

TEST(Definitions, ReadsLongsLikeAtoi) {
    Definitions d;
    d.readFromMemory("[Definitions]\na=42abc\nb=abc\nc=  -17\nd=+8\ne=99999999999\nf=\n");
    EXPECT_EQ(d.getLong("a", -1), 42);
    EXPECT_EQ(d.getLong("b", -1), 0);
    EXPECT_EQ(d.getLong("c", -1), -17);
    EXPECT_EQ(d.getLong("d", -1), 8);
    EXPECT_EQ(d.getLong("e", -1), 2147483647);
    EXPECT_EQ(d.getLong("f", -1), 0);
    EXPECT_EQ(d.getLong("missing", -1), -1);
}

TEST(Definitions, ReadsFloatsLikeAtofWithZeroForWords) {
    Definitions d;
    d.readFromMemory("[Definitions]\na=2.5e1x\nb=word\nc=.5\nd=1e300\n");
    EXPECT_EQ(d.getFloat("a", -1), 25.0f);
    EXPECT_EQ(d.getFloat("b", -1), 0.0f);
    EXPECT_EQ(d.getFloat("c", -1), 0.5f);
    EXPECT_TRUE(std::isinf(d.getFloat("d", -1)));
    EXPECT_EQ(d.getFloat("missing", 1.25f), 1.25f);
}

TEST(Definitions, StoresSettersInTheFileForms) {
    Definitions d;
    d.setBool("b", true);
    d.setLong("l", -12);
    d.setFloat("f", 1.5f);
    d.setString("s", "text with blanks");
    EXPECT_EQ(d.toText(), "[Definitions]\nb=true\nl=-12\nf=1.500000e+00\ns=text with blanks\n\n");
}

TEST(Definitions, ReadsBackAFloatWrittenInExponentForm) {
    TestFolder folder;
    Definitions d(folder.file("Preferences.txt"));
    d.setFloat("StereoEyeDistance", 1.5f);
    ASSERT_TRUE(d.writeFile());
    Definitions back(folder.file("Preferences.txt"));
    EXPECT_EQ(back.getFloat("StereoEyeDistance", 0.0f), 1.5f);
}

TEST(Definitions, SettersNeverWriteTheFile) {
    TestFolder folder;
    folder.write("p.txt", "[Definitions]\na=1\n");
    Definitions d(folder.file("p.txt"));
    d.setLong("a", 2);
    EXPECT_EQ(readText(folder.file("p.txt")), "[Definitions]\na=1\n");
}

TEST(Definitions, MakesRelativeNamesAbsoluteAtConstruction) {
    TestFolder folder;
    TestFolder elsewhere;
    folder.write("Definitions.txt", "[Definitions]\nMaxTreeLevel=7\n");
    CurrentDirectoryScope here(folder.path());
    Definitions d("Definitions.txt");
    EXPECT_EQ(d.path(), folder.file("Definitions.txt"));
    CurrentDirectoryScope there(elsewhere.path());
    d.setLong("MaxTreeLevel", 8);
    ASSERT_TRUE(d.readFile());
    EXPECT_EQ(d.getLong("MaxTreeLevel", 50), 7);
}

TEST(Definitions, PutsTheGlobalPreferencesIntoThePrivateTemporaryFolder) {
    TestFolder folder;
    EnvironmentScope tmp("TMPDIR", folder.path());
    std::string expected = folder.path() + "/kinemo-" + std::to_string(getuid()) + "/KinemoStandardPreferences.txt";
    EXPECT_EQ(Definitions::resolvePath("GlobalPreferences.txt"), expected);
}

TEST(Definitions, KeepsGlobalPreferencesInMemoryWhenThereIsNoPrivateFolder) {
    EnvironmentScope tmp("TMPDIR", "/nonexistent-folder/deeper");
    Definitions d("GlobalPreferences.txt");
    d.setLong("InitialSizeX", 900);
    EXPECT_FALSE(d.writeFile());
    EXPECT_EQ(d.getLong("InitialSizeX", -1), 900);
}

class SettingsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.write("Definitions.txt", "[Definitions]\nInitialSizeX=500\nInitialSizeY=300\nSetFullSize=yes\n");
        folder_.write("Preferences.txt", "[Definitions]\nZoomSpeed=2.0\nAlignClonesGlobally=true\n");
        std::string privateFolder = folder_.path() + "/kinemo-" + std::to_string(getuid());
        std::filesystem::create_directory(privateFolder);
        std::filesystem::permissions(privateFolder, std::filesystem::perms::owner_all);
        folder_.write("kinemo-" + std::to_string(getuid()) + "/KinemoStandardPreferences.txt",
                      "[Definitions]\nInitialSizeX=900\n");
        initSettingsFiles(folder_.path());
    }
    void TearDown() override { initSettingsFiles("/nonexistent-folder"); }

    TestFolder folder_;
    EnvironmentScope tmp_{"TMPDIR", folder_.path()};
};

TEST_F(SettingsFiles, ReadsTheThreeFiles) {
    EXPECT_TRUE(getDefinitionBool("SetFullSize", false));
    EXPECT_EQ(preferencesFile().getFloat("ZoomSpeed", -1.0f), 2.0f);
    EXPECT_EQ(globalPreferencesFile().getLong("InitialSizeX", -1), 900);
    EXPECT_EQ(getDefinitionString("DefaultInputFileType", "bvr"), "bvr");
}

TEST_F(SettingsFiles, LayeredLookupLetsTheLaterFileWinWhenItHoldsTheKey) {
    EXPECT_EQ(getLayeredLong(globalPreferencesFile(), "InitialSizeX", -1), 900);
    EXPECT_EQ(getLayeredLong(globalPreferencesFile(), "InitialSizeY", -1), 300);
    EXPECT_EQ(getLayeredLong(globalPreferencesFile(), "KeepSingleChildPerLOD", -1), -1);
    EXPECT_TRUE(getLayeredBool(preferencesFile(), "AlignClonesGlobally", false));
    EXPECT_EQ(getLayeredFloat(preferencesFile(), "ZoomSpeed", -1.0f), 2.0f);
    EXPECT_EQ(getLayeredString(preferencesFile(), "PackCommand", ""), "");
}

TEST_F(SettingsFiles, RemembersTheWindowSizeInThePrivateFolderAtOnce) {
    rememberMainWindowSize(1200, 753);
    Definitions back("GlobalPreferences.txt");
    EXPECT_EQ(back.getLong("InitialSizeX", -1), 1207);
    EXPECT_EQ(back.getLong("InitialSizeY", -1), 800);
    EXPECT_EQ(getLayeredLong(back, "InitialSizeY", -1), 800);
}

}  // namespace
}  // namespace kinemo
