#pragma once
// Steering a running instance from another program: one local datagram socket per user, each
// datagram one fixed-size record (code, argument). Records are checked strictly; anything else
// that arrives is logged and dropped.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kinemo {

enum SteeringCode : std::int32_t {
    SteerSetChapter = 1000,
    SteerSetAnimStep = 1001,
    SteerStartPlay = 1002,
    SteerStartFastAnim = 1003,
    SteerStopAnim = 1004,
    SteerCloseKinemo = 1005,
    SteerWindowPosX = 1006,
    SteerWindowPosY = 1007,
    SteerWindowSizeX = 1008,
    SteerWindowSizeY = 1009,
    SteerWindowHide = 1010,
    SteerWindowShow = 1011,
    SteerStartBackPlay = 1012,
};
inline constexpr std::int32_t kFirstSteeringCode = 1000;
inline constexpr std::int32_t kLastSteeringCode = 1012;

struct SteeringRecord {
    std::int32_t code = 0;
    std::int32_t argument = 0;
    bool operator==(const SteeringRecord&) const = default;
};

// On the wire: "KST1", then code and argument as 32-bit little-endian integers.
inline constexpr std::size_t kSteeringRecordSize = 12;
std::array<std::uint8_t, kSteeringRecordSize> encodeSteeringRecord(const SteeringRecord& record);
// None unless bytes is exactly one record with the right magic and a code from 1000 to 1012.
std::optional<SteeringRecord> decodeSteeringRecord(const std::uint8_t* bytes, std::size_t size);

// "$XDG_RUNTIME_DIR/kinemo-steering" when that folder is ours and closed to others, else
// "steering" in the private temporary folder; "" when neither is available.
std::string steeringSocketPath();

// The receiving end, owned by the main window. Not copyable; closes and removes its socket.
class SteeringServer {
public:
    SteeringServer() = default;
    ~SteeringServer();
    SteeringServer(const SteeringServer&) = delete;
    SteeringServer& operator=(const SteeringServer&) = delete;

    // Binds path (steeringSocketPath() when empty). A socket that another running instance
    // answers on is left alone and false returned; a stale one is replaced. Logged on failure.
    bool open(std::string_view path = {});
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // The non-blocking descriptor to watch for reading; -1 when closed.
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    // Every record waiting now, in arrival order; bad datagrams are logged and dropped.
    std::vector<SteeringRecord> receivePending();

private:
    int fd_ = -1;
    std::string path_;
};

// Sends one record to the instance listening at path (steeringSocketPath() when empty). False
// with a reason in error when nobody listens or the send fails.
bool sendSteeringCommand(const SteeringRecord& record, std::string* error = nullptr, std::string_view path = {});

}  // namespace kinemo
