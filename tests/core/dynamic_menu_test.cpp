#include "core/dynamic_menu.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "app_logic_support.h"
#include "core/headless_platform.h"
#include "core/main_frame_logic.h"
#include "core/messages.h"
#include "test_folder.h"

namespace kinemo {
namespace {

// Services that offer menu entries and record the choices.
class MenuServices : public testing::FakeServices {
public:
    std::vector<MenuItem> chaptersOffered;
    std::vector<MenuItem> languagesOffered;
    std::vector<MenuItem> viewpointsOffered;
    std::vector<std::string> chosen;

    std::vector<MenuItem> chapterMenuItems() override { return chaptersOffered; }
    void chooseChapterMenuItem(int index) override {
        chosen.push_back("chapter " + std::to_string(index));
        currentChapter = index + 1;
        chapterTitle = chaptersOffered[std::size_t(index)].label;
    }
    std::vector<MenuItem> languageMenuItems() override { return languagesOffered; }
    void chooseLanguageMenuItem(int index) override {
        chosen.push_back("language " + std::to_string(index));
        for (std::size_t i = 0; i < languagesOffered.size(); ++i) languagesOffered[i].checked = int(i) == index;
        // The titles are those of the new language now.
        for (MenuItem& item : chaptersOffered) item.label = "Kapitel " + item.label;
    }
    std::vector<MenuItem> viewpointMenuItems() override { return viewpointsOffered; }
    void chooseViewpointMenuItem(int index) override { chosen.push_back("viewpoint " + std::to_string(index)); }
};

std::vector<MenuItem> titles(int n) {
    std::vector<MenuItem> items;
    for (int i = 1; i <= n; ++i) items.push_back({"Chapter " + std::to_string(i)});
    return items;
}

class DynamicMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetMessageService();
        setPlatform(&headless);
        openLogFile(logName);
        logPath = logFilePath();
    }
    void TearDown() override {
        closeLogFile();
        setPlatform(nullptr);
        resetMessageService();
    }
    std::string logText() { return testing::readText(logPath); }

    const std::string logName = "kinemo_dynamic_menu_test_log_" + std::to_string(::getpid()) + ".txt";
    std::string logPath;
    HeadlessPlatform headless;
    MenuServices services;
    MainFrameLogic logic{services, &headless};
};

TEST_F(DynamicMenuTest, EntriesTakeConsecutiveIdsFromTheFirstOfTheRange) {
    DynamicMenu menu("chapter", kChapterMenuFirstId, kChapterMenuLastId);
    int ran = -1;
    EXPECT_TRUE(menu.appendItem("one", [&] { ran = 0; }));
    EXPECT_TRUE(menu.appendItem("two", [&] { ran = 1; }));
    ASSERT_EQ(menu.entries().size(), 2u);
    EXPECT_EQ(menu.entries()[1].commandId, 34001);
    EXPECT_TRUE(menu.dispatch(34001));
    EXPECT_EQ(ran, 1);
}

TEST_F(DynamicMenuTest, StopsAddingAtTheEndOfItsRangeAndLogsItOnce) {
    DynamicMenu menu("chapter", kChapterMenuFirstId, kChapterMenuLastId);
    int added = 0;
    for (int i = 0; i < 25; ++i) added += menu.appendItem("Chapter " + std::to_string(i), [] {});
    EXPECT_EQ(added, 20);
    EXPECT_EQ(menu.entries().back().commandId, kChapterMenuLastId);
    // 34020 lies past the range: it is no entry of this menu, whatever it may mean elsewhere.
    EXPECT_FALSE(menu.dispatch(34020));
    const std::string log = logText();
    EXPECT_NE(log.find("no command id left after 34019; \"Chapter 20\""), std::string::npos) << log;
    EXPECT_EQ(log.find("Chapter 21"), std::string::npos) << log;
}

TEST_F(DynamicMenuTest, AMenuThatIsNotLocatedLogsEveryEntryItWasAskedFor) {
    DynamicMenu menu("language", kLanguageMenuFirstId, kLanguageMenuLastId);
    menu.setLocated(false);
    EXPECT_FALSE(menu.appendItem("Deutsch", [] {}));
    EXPECT_FALSE(menu.appendItem("English", [] {}));
    EXPECT_TRUE(menu.entries().empty());
    const std::string log = logText();
    EXPECT_NE(log.find("Main menu not found for Deutsch"), std::string::npos);
    EXPECT_NE(log.find("Main menu not found for English"), std::string::npos);
}

TEST_F(DynamicMenuTest, ThreeLanguagesLeaveTheSeparatorIdWithoutAction) {
    services.languagesOffered = {
        {"Deutsch"}, {"Francais", false, true}, {"English"}, {"", true}, {"Move Language To Top"}};
    logic.rebuildLanguageMenu();
    const auto& entries = logic.languageMenu.entries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].commandId, 35000);
    EXPECT_EQ(entries[2].commandId, 35002);
    EXPECT_TRUE(entries[3].separator);
    EXPECT_EQ(entries[4].commandId, 35004);
    EXPECT_TRUE(entries[1].checked);
    EXPECT_FALSE(logic.runMenuCommand(35003));
    EXPECT_TRUE(services.chosen.empty());
    EXPECT_TRUE(logic.runMenuCommand(35004));
    EXPECT_EQ(services.chosen, std::vector<std::string>{"language 4"});
}

TEST_F(DynamicMenuTest, AnIdOutsideTheFilledPartDoesNothing) {
    services.chaptersOffered = titles(3);
    logic.rebuildChapterMenu();
    EXPECT_FALSE(logic.runMenuCommand(34003));
    EXPECT_FALSE(logic.runMenuCommand(33999));
    EXPECT_TRUE(services.chosen.empty());
}

TEST_F(DynamicMenuTest, ChoosingAChapterUpdatesTheTitleAndTheCaption) {
    services.chapters = 3;
    services.chaptersOffered = titles(3);
    logic.documentPath = "/g/pump.bvr";
    logic.rebuildChapterMenu();
    EXPECT_TRUE(logic.runMenuCommand(34001));
    EXPECT_EQ(services.chosen, std::vector<std::string>{"chapter 1"});
    EXPECT_EQ(services.caption, "Chapter 2");
    EXPECT_EQ(headless.mainWindowTitle(), "Brevalonix Kinemo Standard - /g/pump: Chapter 2");
}

TEST_F(DynamicMenuTest, ALanguageChoiceRebuildsTheMenusWithTheNewLabels) {
    services.chaptersOffered = titles(2);
    services.languagesOffered = {{"Deutsch", false, true}, {"English"}};
    int rebuilt = 0;
    logic.chapterMenu.setChangedHandler([&] { ++rebuilt; });
    logic.rebuildDynamicMenus();
    EXPECT_EQ(rebuilt, 1);
    EXPECT_TRUE(logic.runMenuCommand(35001));
    EXPECT_EQ(rebuilt, 2);
    EXPECT_EQ(logic.chapterMenu.entries()[0].label, "Kapitel Chapter 1");
    EXPECT_TRUE(logic.languageMenu.entries()[1].checked);
    EXPECT_FALSE(logic.languageMenu.entries()[0].checked);
}

TEST_F(DynamicMenuTest, OpeningADocumentRebuildsTheChapterMenu) {
    services.chaptersOffered = titles(4);
    logic.openDocument("/g/pump.bvr");
    EXPECT_EQ(logic.chapterMenu.entries().size(), 4u);
    services.readSucceeds = false;
    services.chaptersOffered.clear();
    logic.openDocument("/g/missing.bvr");
    EXPECT_TRUE(logic.chapterMenu.entries().empty());
}

TEST_F(DynamicMenuTest, ViewpointEntriesReachTheServices) {
    services.viewpointsOffered = {{"Initial"}, {"Right"}};
    logic.rebuildViewpointMenu();
    EXPECT_TRUE(logic.runMenuCommand(36001));
    EXPECT_EQ(services.chosen, std::vector<std::string>{"viewpoint 1"});
}

TEST(MenuLabels, TheImageSequenceEntryReadsStopWhileRecording) {
    EXPECT_EQ(imageSequenceMenuLabel(true), "Stop Write Video");
    EXPECT_EQ(imageSequenceMenuLabel(false), "Start Write Video");
}

TEST(MenuLabels, TheChapterWindowEntryNamesTheOtherPlace) {
    EXPECT_EQ(chapterWindowMenuLabel(true), "Show Chapters in Separated Window");
    EXPECT_EQ(chapterWindowMenuLabel(false), "Show Chapters in Integrated Window");
}

TEST(ValueWindow, ReadsNumbersInTheCLocaleAndRefusesText) {
    EXPECT_FLOAT_EQ(*valueFromText(" -1.000000"), -1.0f);
    EXPECT_FLOAT_EQ(*valueFromText("2.5e1"), 25.0f);
    EXPECT_FALSE(valueFromText("fast").has_value());
    EXPECT_FALSE(valueFromText("").has_value());
}

}  // namespace
}  // namespace kinemo
