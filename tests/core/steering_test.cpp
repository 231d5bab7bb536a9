#include "core/steering.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "app_logic_support.h"
#include "core/headless_platform.h"
#include "core/main_frame_logic.h"
#include "core/messages.h"
#include "test_folder.h"

namespace kinemo {
namespace {

using testing::FakeServices;

TEST(SteeringRecord, RoundTripsThroughItsFixedLayout) {
    SteeringRecord record{SteerSetAnimStep, -5};
    auto bytes = encodeSteeringRecord(record);
    EXPECT_EQ(std::memcmp(bytes.data(), "KST1", 4), 0);
    EXPECT_EQ(bytes[4], 0xE9);  // 1001 little-endian
    EXPECT_EQ(bytes[5], 0x03);
    auto back = decodeSteeringRecord(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, record);
}

TEST(SteeringRecord, RejectsWrongSizesMagicAndCodes) {
    auto bytes = encodeSteeringRecord({SteerStartPlay, 0});
    EXPECT_FALSE(decodeSteeringRecord(bytes.data(), bytes.size() - 1));
    std::uint8_t longer[13] = {};
    std::memcpy(longer, bytes.data(), bytes.size());
    EXPECT_FALSE(decodeSteeringRecord(longer, sizeof longer));
    EXPECT_FALSE(decodeSteeringRecord(nullptr, 12));
    auto bad = bytes;
    bad[0] = 'X';
    EXPECT_FALSE(decodeSteeringRecord(bad.data(), bad.size()));
    for (int code : {999, 1013, -1}) {
        auto out = encodeSteeringRecord({code, 0});
        EXPECT_FALSE(decodeSteeringRecord(out.data(), out.size())) << code;
    }
}

TEST(SteeringSocket, LivesInTheRuntimeFolderOnlyWhenItIsPrivate) {
    testing::TestFolder runtime;
    testing::EnvironmentScope xdg("XDG_RUNTIME_DIR", runtime.path());
    ::chmod(runtime.path().c_str(), 0700);
    EXPECT_EQ(steeringSocketPath(), runtime.path() + "/kinemo-steering");
    ::chmod(runtime.path().c_str(), 0755);
    EXPECT_NE(steeringSocketPath(), runtime.path() + "/kinemo-steering");
}

class SteeringServerTest : public ::testing::Test {
protected:
    void SetUp() override { path = folder.file("steer"); }
    testing::TestFolder folder;
    std::string path;
};

TEST_F(SteeringServerTest, DeliversRecordsInOrderAndDropsBadDatagrams) {
    SteeringServer server;
    ASSERT_TRUE(server.open(path));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
    ASSERT_TRUE(sendSteeringCommand({SteerSetChapter, 2}, nullptr, path));

    int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const char junk[40] = "KST1 followed by far too many bytes";
    ASSERT_EQ(::sendto(fd, junk, sizeof junk, 0, reinterpret_cast<sockaddr*>(&address), sizeof address), 40);
    ASSERT_EQ(::sendto(fd, junk, 3, 0, reinterpret_cast<sockaddr*>(&address), sizeof address), 3);
    ::close(fd);
    ASSERT_TRUE(sendSteeringCommand({SteerStopAnim, 0}, nullptr, path));

    auto records = server.receivePending();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], (SteeringRecord{SteerSetChapter, 2}));
    EXPECT_EQ(records[1], (SteeringRecord{SteerStopAnim, 0}));
    EXPECT_TRUE(server.receivePending().empty());
}

TEST_F(SteeringServerTest, LeavesASocketAloneThatAnotherInstanceListensOn) {
    SteeringServer first;
    ASSERT_TRUE(first.open(path));
    SteeringServer second;
    EXPECT_FALSE(second.open(path));
    ASSERT_TRUE(sendSteeringCommand({SteerStartPlay, 0}, nullptr, path));
    EXPECT_EQ(first.receivePending().size(), 1u);
}

TEST_F(SteeringServerTest, ReplacesAStaleSocketButNeverAPlainFile) {
    {
        int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);  // leaves the socket file behind, as a crashed instance would
    }
    SteeringServer server;
    EXPECT_TRUE(server.open(path));
    server.close();
    EXPECT_NE(::access(path.c_str(), F_OK), 0);

    folder.write("plain", "data");
    EXPECT_FALSE(server.open(folder.file("plain")));
    EXPECT_EQ(testing::readText(folder.file("plain")), "data");
}

TEST_F(SteeringServerTest, SendingWithNobodyListeningFailsWithAReason) {
    std::string error;
    EXPECT_FALSE(sendSteeringCommand({SteerStartPlay, 0}, &error, path));
    EXPECT_NE(error.find("no running kinemo"), std::string::npos);
}

class SteeringCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetMessageService();
        setPlatform(&headless);
    }
    void TearDown() override {
        setPlatform(nullptr);
        resetMessageService();
    }
    HeadlessPlatform headless;
    FakeServices services;
    MainFrameLogic logic{services, &headless};
};

TEST_F(SteeringCommandTest, SelectsAChapterInsideTheListOnly) {
    services.chapters = 2;
    logic.handleSteering(SteerSetChapter, 3);
    EXPECT_EQ(lastStatusText(), "Interface called SetChapter 3");
    EXPECT_EQ(services.count("selectChapter 3"), 0);
    logic.handleSteering(SteerSetChapter, 0);
    logic.handleSteering(SteerSetChapter, 2);
    EXPECT_EQ(services.calls, (std::vector<std::string>{"selectChapter 2"}));
}

TEST_F(SteeringCommandTest, ReportsAnInvalidStepFilledWithTheArgument) {
    services.currentChapter = 1;
    services.steps = 4;
    logic.handleSteering(SteerSetAnimStep, 0);
    EXPECT_EQ(lastStatusText(), "Interface called invalid SetAnimStep 0");
    logic.handleSteering(SteerSetAnimStep, 4);
    EXPECT_EQ(lastStatusText(), "Interface called SetAnimStep 4");
    EXPECT_EQ(services.count("runToStep 4"), 1);
    logic.handleSteering(SteerSetAnimStep, 5);
    EXPECT_EQ(lastStatusText(), "Interface called invalid SetAnimStep 5");
}

TEST_F(SteeringCommandTest, ReportsAStepRequestWithoutAChapter) {
    logic.handleSteering(SteerSetAnimStep, 1);
    EXPECT_EQ(lastStatusText(), "Interface called without aimation group");
    EXPECT_TRUE(services.calls.empty());
}

TEST_F(SteeringCommandTest, StartsAndStopsPlayback) {
    logic.handleSteering(SteerStartPlay, 0);
    EXPECT_EQ(lastStatusText(), "Interface called StartPlay");
    logic.handleSteering(SteerStartFastAnim, 0);
    EXPECT_EQ(lastStatusText(), "Interface called StartFastAnim");
    logic.handleSteering(SteerStartBackPlay, 0);
    EXPECT_EQ(lastStatusText(), "Interface called StartBackPlay");
    logic.handleSteering(SteerStopAnim, 0);
    EXPECT_EQ(lastStatusText(), "Interface called StopAnim");
    EXPECT_EQ(services.calls, (std::vector<std::string>{"play", "playFast", "playBack", "abortEvents"}));
    logic.handleSteering(1013, 0);
    logic.handleSteering(999, 0);
    EXPECT_EQ(services.calls.size(), 4u);
}

TEST_F(SteeringCommandTest, MovesAndSizesTheWindowOneEdgeAtATime) {
    headless.setMainWindowRect({10, 20, 800, 600});
    headless.clearRecords();
    logic.handleSteering(SteerWindowPosX, 100);
    auto moves = headless.recordsOf("setMainWindowRect");
    ASSERT_EQ(moves.size(), 2u);  // once onto its own rectangle, then the change
    EXPECT_EQ(moves[0].rect, (WindowRect{10, 20, 800, 600}));
    EXPECT_EQ(moves[1].rect, (WindowRect{100, 20, 800, 600}));
    logic.handleSteering(SteerWindowPosY, 50);
    logic.handleSteering(SteerWindowSizeX, 640);
    logic.handleSteering(SteerWindowSizeY, 480);
    EXPECT_EQ(headless.mainWindowRect(), (WindowRect{100, 50, 640, 480}));
    EXPECT_EQ(headless.recordsOf("setMainWindowRect").size(), 5u);
    EXPECT_EQ(lastStatusText(), "Interface called WindowSizeY 480");
}

TEST_F(SteeringCommandTest, HidesOutOfTheTopmostBandAndShowsByTheArgument) {
    logic.handleSteering(SteerWindowShow, 0);
    EXPECT_TRUE(headless.mainWindowVisible());
    EXPECT_TRUE(headless.mainWindowTopmost());
    logic.handleSteering(SteerWindowHide, 0);
    EXPECT_FALSE(headless.mainWindowVisible());
    EXPECT_FALSE(headless.mainWindowTopmost());
    logic.handleSteering(SteerWindowShow, 2);
    EXPECT_FALSE(headless.mainWindowTopmost());
    EXPECT_EQ(headless.recordsOf("raiseMainWindow").size(), 1u);
    logic.handleSteering(SteerWindowShow, 0);
    logic.handleSteering(SteerWindowShow, 1);
    EXPECT_FALSE(headless.mainWindowTopmost());
    EXPECT_EQ(lastStatusText(), "Interface called WindowShow");
}

TEST_F(SteeringCommandTest, ClosesTheProgram) {
    logic.handleSteering(SteerCloseKinemo, 0);
    EXPECT_EQ(logic.shutdownState(), ShutdownState::Closed);
    EXPECT_TRUE(services.ended);
}

}  // namespace
}  // namespace kinemo
