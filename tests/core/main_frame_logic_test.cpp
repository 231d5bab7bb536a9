#include "core/main_frame_logic.h"

#include <gtest/gtest.h>

#include "app_logic_support.h"
#include "core/definitions.h"
#include "core/headless_platform.h"
#include "core/messages.h"
#include "core/paths.h"
#include "test_folder.h"

namespace kinemo {
namespace {

using testing::FakeServices;

class MainFrameLogicTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetMessageService();
        setPlatform(&headless);
    }
    void TearDown() override {
        setPlatform(nullptr);
        resetMessageService();
    }
    int messageBoxCount() const { return static_cast<int>(headless.messageBoxes().size()); }

    HeadlessPlatform headless;
    FakeServices services;
    MainFrameLogic logic{services, &headless};
};

TEST(CommandLine, RemovesQuotesAroundALongerText) {
    EXPECT_EQ(documentFromCommandLine("\"/data/My Guide.bvr\""), "/data/My Guide.bvr");
    EXPECT_EQ(documentFromCommandLine(""), "");
}

TEST(CommandLine, KeepsATwoCharacterTextUnchangedEvenInQuotes) {
    testing::TestFolder folder;
    testing::CurrentDirectoryScope here(folder.path());
    EXPECT_EQ(documentFromCommandLine("\"\""), currentDirectory() + "/\"\"");
}

TEST(CommandLine, MakesARelativeDocumentAbsolute) {
    testing::TestFolder folder;
    testing::CurrentDirectoryScope here(folder.path());
    EXPECT_EQ(documentFromCommandLine("guides/a.bvr"), currentDirectory() + "/guides/a.bvr");
}

TEST(CommandLine, TakesTheProgramDirectoryFromTheExecutableOrTheCurrentDirectory) {
    EXPECT_EQ(programDirectoryFrom("/opt/kinemo/bin/kinemo"), "/opt/kinemo/bin/");
    EXPECT_EQ(programDirectoryFrom("kinemo"), currentDirectory() + "/");
}

TEST(Title, ShowsThePathWithoutExtensionAndTheChapter) {
    EXPECT_EQ(composeTitle("", std::nullopt), "Brevalonix Kinemo Standard");
    EXPECT_EQ(composeTitle("/g/pump.v2.bvr", std::nullopt), "Brevalonix Kinemo Standard - /g/pump.v2");
    EXPECT_EQ(composeTitle("/g/pump.bvr", std::string("Cover")), "Brevalonix Kinemo Standard - /g/pump: Cover");
}

TEST_F(MainFrameLogicTest, UpdateTitleNamesTheCurrentChapterOnlyWhenThereAreChapters) {
    logic.documentPath = "/g/pump.bvr";
    services.currentChapter = 1;
    services.chapterTitle = "Base";
    logic.updateTitle();
    EXPECT_EQ(headless.mainWindowTitle(), "Brevalonix Kinemo Standard - /g/pump");
    services.chapters = 3;
    logic.updateTitle();
    EXPECT_EQ(headless.mainWindowTitle(), "Brevalonix Kinemo Standard - /g/pump: Base");
    EXPECT_EQ(services.caption, "Base");
}

TEST_F(MainFrameLogicTest, ConfirmDiscardGoesOnWithoutAskingWhenNothingChanged) {
    EXPECT_TRUE(logic.confirmDiscard());
    services.scene = true;
    EXPECT_TRUE(logic.confirmDiscard());
    EXPECT_EQ(messageBoxCount(), 0);
}

TEST_F(MainFrameLogicTest, ConfirmDiscardAsksWithTheProductTitleAndStopsOnCancel) {
    services.scene = services.changes = true;
    headless.queueAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(logic.confirmDiscard());
    auto boxes = headless.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Save changes to file?");
    EXPECT_EQ(boxes[0].caption, "Brevalonix Kinemo Standard");
    EXPECT_EQ(boxes[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(boxes[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(services.changes);
}

TEST_F(MainFrameLogicTest, ConfirmDiscardGoesOnWithoutSavingOnNo) {
    services.scene = services.changes = true;
    logic.documentPath = "/g/pump.bvr";
    headless.queueAnswer(MessageAnswer::No);
    EXPECT_TRUE(logic.confirmDiscard());
    EXPECT_TRUE(services.written.empty());
}

TEST_F(MainFrameLogicTest, ConfirmDiscardSavesOnYesAndGoesOnWhenTheWriteWorked) {
    services.scene = services.changes = true;
    logic.documentPath = "/g/pump.bvr";
    headless.queueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(logic.confirmDiscard());
    EXPECT_EQ(services.written, (std::vector<std::string>{"/g/pump.bvr"}));
    EXPECT_FALSE(services.changes);
}

TEST_F(MainFrameLogicTest, ConfirmDiscardKeepsTheChangesWhenTheWriteFails) {
    services.scene = services.changes = true;
    services.writeSucceeds = false;
    logic.documentPath = "/g/pump.bvr";
    headless.queueAnswer(MessageAnswer::Yes);
    EXPECT_FALSE(logic.confirmDiscard());
    EXPECT_TRUE(services.changes);
}

TEST_F(MainFrameLogicTest, ConfirmDiscardOnAReadOnlySimulationWarnsAndAsksForANewName) {
    services.scene = services.changes = true;
    logic.documentPath = "/g/pump.ros";
    headless.queueAnswer(MessageAnswer::Yes);
    headless.queueFileName(std::nullopt);  // the save dialog is cancelled
    EXPECT_FALSE(logic.confirmDiscard());
    auto boxes = headless.messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text,
              "ReadOnlySimulation files (*.ros) cannot be read by Orvandel Builder anymore, use a different format");
    EXPECT_EQ(boxes[1].caption, "Brevalonix Kinemo Builder");
    EXPECT_EQ(headless.fileRequests().size(), 1u);
    EXPECT_TRUE(services.changes);

    headless.queueAnswer(MessageAnswer::Yes);
    headless.queueFileName(std::string("/g/pump.bvr"));
    EXPECT_TRUE(logic.confirmDiscard());
    EXPECT_EQ(logic.documentPath, "/g/pump.bvr");
}

TEST_F(MainFrameLogicTest, SaveWithoutASceneReportsAndWritesNothing) {
    EXPECT_FALSE(logic.saveDocument());
    EXPECT_FALSE(logic.saveDocumentAs(false));
    auto boxes = headless.messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "No Scene Available");
    EXPECT_TRUE(headless.fileRequests().empty());
    EXPECT_TRUE(services.calls.empty());
}

TEST_F(MainFrameLogicTest, SaveChecksTheViewpointsAndMarksSavedOnlyAfterAWrite) {
    services.scene = services.changes = true;
    logic.documentPath = "/g/pump.bvr";
    EXPECT_TRUE(logic.saveDocument());
    EXPECT_EQ(services.calls, (std::vector<std::string>{"checkViewpoints", "write /g/pump.bvr", "markSaved"}));
    services.changes = true;
    services.writeSucceeds = false;
    EXPECT_FALSE(logic.saveDocument());
    EXPECT_TRUE(services.changes);
}

TEST_F(MainFrameLogicTest, SaveOfAReadOnlySimulationNeverMarksSaved) {
    services.scene = services.changes = true;
    logic.documentPath = "/g/pump.ros";
    EXPECT_TRUE(logic.saveDocument());
    EXPECT_EQ(services.count("markSaved"), 0);
}

TEST_F(MainFrameLogicTest, SaveWithoutANameAsksForOne) {
    services.scene = services.changes = true;
    headless.queueFileName(std::string("/g/new.bvr"));
    EXPECT_TRUE(logic.saveDocument());
    EXPECT_EQ(logic.documentPath, "/g/new.bvr");
}

TEST_F(MainFrameLogicTest, SaveAsOffersTheWritableTypesAndTakesTheNewName) {
    services.scene = services.changes = true;
    logic.documentPath = "/g/pump.wrl";
    logic.documentDirectory = "/g/";
    headless.queueFileName(std::string("/g/pump.bvr"));
    EXPECT_TRUE(logic.saveDocumentAs(false));
    auto requests = headless.fileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "Select Output File");
    EXPECT_EQ(requests[0].mode, FileDialogMode::Save);
    EXPECT_TRUE(requests[0].overwritePrompt);
    EXPECT_EQ(requests[0].initialFileName, "/g/pump");
    EXPECT_EQ(requests[0].initialDirectory, "/g/");
    EXPECT_EQ(requests[0].filter.rfind("Binary VR File (*.bvr)|*.bvr|", 0), 0u);
    EXPECT_EQ(requests[0].defaultExtension, "bvr");
    EXPECT_EQ(logic.documentPath, "/g/pump.bvr");
    EXPECT_FALSE(services.changes);
    EXPECT_EQ(headless.mainWindowTitle(), "Brevalonix Kinemo Standard - /g/pump");
}

TEST_F(MainFrameLogicTest, SaveAsKeepsTheOldNameWhenTheWriteFails) {
    services.scene = services.changes = true;
    services.writeSucceeds = false;
    logic.documentPath = "/g/pump.bvr";
    headless.queueFileName(std::string("/g/other.wrl"));
    EXPECT_FALSE(logic.saveDocumentAs(false));
    EXPECT_EQ(logic.documentPath, "/g/pump.bvr");
    EXPECT_TRUE(services.changes);
}

TEST_F(MainFrameLogicTest, SaveAsKeepsTheOldNameForReadOnlySimulationsAndPacks) {
    services.scene = services.changes = true;
    logic.documentPath = "/g/pump.bvr";
    headless.queueFileName(std::string("/g/pump.ros"));
    EXPECT_TRUE(logic.saveDocumentAs(false));
    EXPECT_EQ(logic.documentPath, "/g/pump.bvr");
    headless.queueFileName(std::string("/g/pump.exe"));
    EXPECT_TRUE(logic.saveDocumentAs(true));
    EXPECT_EQ(logic.documentPath, "/g/pump.bvr");
    EXPECT_EQ(services.count("pack /g/pump.exe"), 1);
    EXPECT_EQ(services.count("markSaved"), 0);
    auto requests = headless.fileRequests();
    EXPECT_EQ(requests[1].filter.rfind("Selfextracting Executable (*.exe)|*.exe|Binary VR File", 0), 0u);
}

TEST_F(MainFrameLogicTest, SaveAsCancelledWritesNothing) {
    services.scene = true;
    EXPECT_FALSE(logic.saveDocumentAs(false));
    EXPECT_TRUE(services.written.empty());
}

TEST_F(MainFrameLogicTest, OpenPreparesTheRendererReadsAndRemembersTheDirectory) {
    EXPECT_TRUE(logic.openDocument("/g/sub/pump.bvr"));
    EXPECT_EQ(services.calls, (std::vector<std::string>{"prepareForRead", "read /g/sub/pump.bvr", "documentLoaded"}));
    EXPECT_EQ(logic.documentDirectory, "/g/sub/");
    EXPECT_EQ(headless.mainWindowTitle(), "Brevalonix Kinemo Standard - /g/sub/pump");
}

TEST_F(MainFrameLogicTest, AFailedOpenNeverLeavesTheOldSceneUnderTheNewName) {
    ASSERT_TRUE(logic.openDocument("/g/good.bvr"));
    services.readSucceeds = false;
    services.sceneKeptOnFailedRead = true;
    EXPECT_FALSE(logic.openDocument("/g/broken.bvr"));
    EXPECT_EQ(logic.documentPath, "/g/good.bvr");
    services.sceneKeptOnFailedRead = false;
    EXPECT_FALSE(logic.openDocument("/g/broken.bvr"));
    EXPECT_EQ(logic.documentPath, "");
    EXPECT_EQ(services.count("documentLoaded"), 1);
}

TEST_F(MainFrameLogicTest, OpenWithTheDialogAsksForTheReadableTypes) {
    testing::TestFolder folder;
    initSettingsFiles(folder.path());
    headless.queueFileName(folder.file("a.wrl"));
    logic.openDocumentWithDialog();
    auto requests = headless.fileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "Select Input File");
    EXPECT_EQ(requests[0].defaultExtension, "wrl");
    EXPECT_EQ(requests[0].filter,
              "Binary VR File (*.bvr)|*.bvr|VR File with Read Only Simulation (*.ros)|*.ros|"
              "VRML File (*.wrl)|*.wrl|Inventor File (*.iv)|*.iv||");
    EXPECT_EQ(services.count("read " + folder.file("a.wrl")), 1);
}

TEST_F(MainFrameLogicTest, OpenStopsWhenTheChangesAreNotDiscarded) {
    services.scene = services.changes = true;
    logic.documentPath = "/g/pump.bvr";
    headless.queueAnswer(MessageAnswer::Cancel);
    logic.openDocumentWithDialog();
    EXPECT_TRUE(headless.fileRequests().empty());
}

TEST_F(MainFrameLogicTest, ChangingToTheDocumentFolderLeavesTheSettingsFilesWhereTheyWere) {
    testing::TestFolder home;
    testing::TestFolder documents;
    testing::CurrentDirectoryScope here(home.path());
    home.write("Definitions.txt", "[Definitions]\nDefaultInputFileType=wrl\n");
    initSettingsFiles();
    const std::string before = definitionsFile().path();
    ASSERT_TRUE(logic.openDocument(documents.file("pump.bvr")));
    logic.openDocumentWithDialog();  // changes into the document folder, then is cancelled
    EXPECT_EQ(currentDirectory(), std::filesystem::canonical(documents.path()).string());
    EXPECT_EQ(definitionsFile().path(), before);
    EXPECT_EQ(getDefinitionString("DefaultInputFileType", "bvr"), "wrl");
    initSettingsFiles(documents.path());
}

}  // namespace
}  // namespace kinemo
