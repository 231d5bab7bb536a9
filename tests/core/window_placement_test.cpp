#include "core/window_placement.h"

#include <gtest/gtest.h>

#include "core/definitions.h"
#include "core/headless_platform.h"
#include "test_folder.h"

namespace kinemo {
namespace {

TEST(WindowPlacement, RaisesSmallRememberedSizesTo400) {
    EXPECT_EQ(normalisedWindowSize(false, 300, 0).initialWidth, 400);
    EXPECT_EQ(normalisedWindowSize(false, 300, 0).initialHeight, 400);
    EXPECT_EQ(normalisedWindowSize(false, 400, 401).initialHeight, 401);
    EXPECT_EQ(normalisedWindowSize(false, -1, -7).initialWidth, -1);
}

TEST(WindowPlacement, FullSizeForgetsTheRememberedSize) {
    auto s = normalisedWindowSize(true, 900, 700);
    EXPECT_EQ(s.initialWidth, -1);
    EXPECT_EQ(s.initialHeight, -1);
    EXPECT_FALSE(initialWindowRect(s, {1920, 1080, 96}).has_value());
}

TEST(WindowPlacement, UsesTheRememberedSizeAt272) {
    auto rect = initialWindowRect(normalisedWindowSize(false, 1000, 700), {1920, 1080, 96});
    ASSERT_TRUE(rect);
    EXPECT_EQ(*rect, (WindowRect{272, 0, 1000, 700}));
}

TEST(WindowPlacement, FallsBackToTwoThirdsOfTheScreen) {
    auto rect = initialWindowRect(normalisedWindowSize(false, -1, 700), {1920, 1081, 96});
    ASSERT_TRUE(rect);
    EXPECT_EQ(*rect, (WindowRect{272, 0, 1275, 690}));
}

TEST(WindowPlacement, ReadsTheWindowGeometryFileOverTheDefinitions) {
    testing::TestFolder folder;
    testing::TestFolder temp;
    testing::EnvironmentScope tmpdir("TMPDIR", temp.path());
    folder.write("Definitions.txt", "[Definitions]\nInitialSizeX=900\nInitialSizeY=800\n");
    initSettingsFiles(folder.path());
    globalPreferencesFile().setLong("InitialSizeX", 300);
    auto s = readWindowSizeSettings();
    EXPECT_EQ(s.initialWidth, 400);
    EXPECT_EQ(s.initialHeight, 800);
    initSettingsFiles(temp.path());
}

TEST(WindowPlacement, MovesThenShowsTheWindow) {
    HeadlessPlatform headless;
    headless.setScreenSize({1200, 900, 96});
    placeMainWindow(headless, normalisedWindowSize(false, -1, -1));
    auto records = headless.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].call, "setMainWindowRect");
    EXPECT_EQ(records[0].rect, (WindowRect{272, 0, 795, 570}));
    EXPECT_EQ(records[1].call, "showMainWindow");
}

TEST(WindowPlacement, ScalesThePlayerColumnWithTheScreenResolution) {
    EXPECT_EQ(playerPanelWidth(96), 232);
    EXPECT_EQ(playerPanelWidth(144), 342);
    EXPECT_EQ(playerPanelWidth(120), 287);  // 275.0 + 12
    EXPECT_EQ(fullScreenRect({1600, 1000, 96}), (WindowRect{0, 0, 1600, 970}));
}

}  // namespace
}  // namespace kinemo
