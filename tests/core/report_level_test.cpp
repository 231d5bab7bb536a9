#include "core/report_level.h"

#include <gtest/gtest.h>

#include "core/definitions.h"
#include "test_folder.h"

namespace kinemo {
namespace {

using testing::EnvironmentScope;
using testing::TestFolder;

class ReportLevels : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.write("Definitions.txt", "[Definitions]\nSceneReportLevel=5\nTextureReportLevel=junk\n");
        initSettingsFiles(folder_.path());
    }
    void TearDown() override { initSettingsFiles("/nonexistent-folder"); }

    TestFolder folder_;
    EnvironmentScope tmp_{"TMPDIR", folder_.path()};
};

TEST_F(ReportLevels, AreNotReadUntilTheFirstInstanceIsMade) {
    ReportLevel level("SceneReportLevel");
    EXPECT_EQ(level.level(), -1);
    EXPECT_FALSE(level.reaches(0));
    EXPECT_TRUE(level.readOnce());
    EXPECT_EQ(level.level(), 5);
    EXPECT_TRUE(level.reaches(5));
    EXPECT_FALSE(level.reaches(6));
}

TEST_F(ReportLevels, AreReadOnlyOnce) {
    ReportLevel level("SceneReportLevel");
    level.readOnce();
    definitionsFile().setLong("SceneReportLevel", 11);
    EXPECT_FALSE(level.readOnce());
    EXPECT_EQ(level.level(), 5);
    forgetAllReportLevels();
    EXPECT_TRUE(level.readOnce());
    EXPECT_EQ(level.level(), 11);
}

TEST_F(ReportLevels, UseTheirClassDefaultWhenTheKeyIsMissing) {
    ReportLevel animation("V_EventAnimationReportLevel");
    ReportLevel statistic("GroupNodeStatisticLevel");
    ReportLevel own("SomethingNewReportLevel", 4);
    animation.readOnce();
    statistic.readOnce();
    own.readOnce();
    EXPECT_EQ(animation.level(), 13);
    EXPECT_EQ(statistic.level(), 2);
    EXPECT_EQ(own.level(), 4);
}

TEST_F(ReportLevels, ReadAWordAsZeroLikeEveryIntegerSetting) {
    ReportLevel texture("TextureReportLevel");
    texture.readOnce();
    EXPECT_EQ(texture.level(), 0);
}

TEST_F(ReportLevels, RegisterWhileTheyLive) {
    auto before = reportLevels().size();
    {
        ReportLevel temporary("ImageReportLevel");
        EXPECT_EQ(reportLevels().size(), before + 1);
    }
    EXPECT_EQ(reportLevels().size(), before);
}

}  // namespace
}  // namespace kinemo
