#include "scene/pack_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/definitions.h"
#include "scene_files_support.h"

namespace kinemo {
namespace {

using testing::fileText;
using testing::putFile;
using testing::Reports;
using testing::TempFolder;

class PackFileTest : public ::testing::Test {
protected:
    void TearDown() override {
        definitionsFile().setString("PackFolder", "");
        definitionsFile().setString("PackCommand", "");
        definitionsFile().setString("PackBatCommands", "");
    }
};

TEST_F(PackFileTest, AnEmptyPackFolderIsRefused) {
    TempFolder dir;
    putFile(dir.file("guide.exe"), "scene");
    Reports reports;
    EXPECT_FALSE(packFile(dir.file("guide.exe")));
    EXPECT_TRUE(reports.contains("PackFolder"));
    EXPECT_EQ(fileText(dir.file("guide.exe")), "scene");
}

TEST_F(PackFileTest, AFailingPackerIsReportedAndTheUsersFolderIsUntouched) {
    TempFolder dir;
    std::filesystem::create_directory(dir.file("pack"));
    putFile(dir.file("pack/readme.txt"), "read me");
    putFile(dir.file("guide.exe"), "scene");
    definitionsFile().setString("PackFolder", dir.file("pack"));
    definitionsFile().setString("PackCommand", "false PACKFOLDER EXEFILE");
    definitionsFile().setString("PackBatCommands", "KINEMO_EXE FILE<CR>exit");
    EXPECT_FALSE(packFile(dir.file("guide.exe")));
    EXPECT_EQ(fileText(dir.file("pack/readme.txt")), "read me");
    EXPECT_FALSE(std::filesystem::exists(dir.file("pack/guide.bvr")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("pack/PackBatCommands.sh")));
}

TEST_F(PackFileTest, MakeselfPacksTheFolderTheSceneAndTheScript) {
    if (std::system("command -v makeself >/dev/null 2>&1") != 0) GTEST_SKIP() << "makeself is not installed";
    TempFolder dir;
    std::filesystem::create_directory(dir.file("pack"));
    putFile(dir.file("pack/readme.txt"), "read me");
    putFile(dir.file("my guide.exe"), "scene bytes");
    definitionsFile().setString("PackFolder", dir.file("pack"));
    definitionsFile().setString("PackCommand", "makeself --quiet --nox11 PACKFOLDER EXEFILE Kinemo-guide ./PackBatCommands.sh");
    definitionsFile().setString("PackBatCommands", "KINEMO_EXE FILE<CR>exit");
    ASSERT_TRUE(packFile(dir.file("my guide.exe")));
    // Unpack without running the script and look at what came out.
    const std::string out = dir.file("out");
    const std::string cmd = "sh '" + dir.file("my guide.exe") + "' --quiet --noexec --target '" + out + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(fileText(out + "/readme.txt"), "read me");
    EXPECT_EQ(fileText(out + "/my guide.bvr"), "scene bytes");
    EXPECT_EQ(fileText(out + "/PackBatCommands.sh"), "#!/bin/sh\nkinemo 'my guide.bvr'\nexit");
    EXPECT_TRUE((std::filesystem::status(out + "/PackBatCommands.sh").permissions() & std::filesystem::perms::owner_exec) !=
                std::filesystem::perms::none);
    EXPECT_FALSE(std::filesystem::exists(dir.file("pack/my guide.bvr")));
}

TEST_F(PackFileTest, TheSampleDefinitionsPackWithMakeself) {
    if (std::system("command -v makeself >/dev/null 2>&1") != 0) GTEST_SKIP() << "makeself is not installed";
    TempFolder dir;
    std::filesystem::create_directory(dir.file("pack"));
    putFile(dir.file("pack/readme.txt"), "read me");
    putFile(dir.file("guide.exe"), "scene bytes");
    definitionsFile().readFromMemory(fileText(std::string(KINEMO_TEST_DATA) + "/../../examples/Definitions.txt"));
    EXPECT_TRUE(getDefinitionString("MovieConverterCommand", "").rfind("ffmpeg ", 0) == 0);
    definitionsFile().setString("PackFolder", dir.file("pack"));
    ASSERT_TRUE(packFile(dir.file("guide.exe")));
    const std::string out = dir.file("out");
    const std::string cmd = "sh '" + dir.file("guide.exe") + "' --quiet --noexec --target '" + out + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(fileText(out + "/guide.bvr"), "scene bytes");
    EXPECT_EQ(fileText(out + "/PackBatCommands.sh"), "#!/bin/sh\nkinemo 'guide.bvr'\nexit 0");
}

}  // namespace
}  // namespace kinemo
