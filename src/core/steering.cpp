#include "core/steering.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/messages.h"
#include "core/numbers.h"
#include "core/paths.h"

namespace kinemo {

namespace {

constexpr std::uint8_t kMagic[4] = {'K', 'S', 'T', '1'};

void putInt(std::uint8_t* out, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t getInt(const std::uint8_t* in) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(in[i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

// A folder we may put a fixed-name socket in: a real directory, ours, closed to group and others.
bool isPrivateFolder(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

bool fillAddress(std::string_view path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

int makeSocket() { return ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

// Whether some process has a socket bound at path (a datagram connect succeeds only then).
bool someoneListens(const sockaddr_un& address) {
    int fd = makeSocket();
    if (fd < 0) return false;
    const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answered;
}

}  // namespace

std::array<std::uint8_t, kSteeringRecordSize> encodeSteeringRecord(const SteeringRecord& record) {
    std::array<std::uint8_t, kSteeringRecordSize> bytes{};
    std::memcpy(bytes.data(), kMagic, 4);
    putInt(bytes.data() + 4, record.code);
    putInt(bytes.data() + 8, record.argument);
    return bytes;
}

std::optional<SteeringRecord> decodeSteeringRecord(const std::uint8_t* bytes, std::size_t size) {
    if (bytes == nullptr || size != kSteeringRecordSize) return std::nullopt;
    if (std::memcmp(bytes, kMagic, 4) != 0) return std::nullopt;
    SteeringRecord record{getInt(bytes + 4), getInt(bytes + 8)};
    if (record.code < kFirstSteeringCode || record.code > kLastSteeringCode) return std::nullopt;
    return record;
}

std::string steeringSocketPath() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        if (isPrivateFolder(runtime)) return ensureTrailingBackslash(runtime) + "kinemo-steering";
    }
    const std::string temp = temporaryDirectory();
    if (temp.empty()) return {};
    return temp + "steering";
}

SteeringServer::~SteeringServer() { close(); }

bool SteeringServer::open(std::string_view requested) {
    close();
    const std::string path = requested.empty() ? steeringSocketPath() : std::string(requested);
    sockaddr_un address{};
    if (!fillAddress(path, address)) {
        logLine("SteeringServer.open: no usable socket path \"" + path + "\"");
        return false;
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            logLine("SteeringServer.open: " + path + " exists and is not a socket");
            return false;
        }
        if (someoneListens(address)) {
            logLine("SteeringServer.open: another instance listens on " + path);
            return false;
        }
        ::unlink(path.c_str());  // left behind by an instance that ended without closing
    }
    int fd = makeSocket();
    if (fd < 0) {
        logLine(formatC("SteeringServer.open: socket failed: %s", std::strerror(errno)));
        return false;
    }
    // Only this user may send: the socket itself is closed to others as well as its folder.
    const mode_t old = ::umask(077);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::umask(old);
    if (bound != 0) {
        logLine(formatC("SteeringServer.open: bind %s failed: %s", path.c_str(), std::strerror(errno)));
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

void SteeringServer::close() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    ::unlink(path_.c_str());
    path_.clear();
}

std::vector<SteeringRecord> SteeringServer::receivePending() {
    std::vector<SteeringRecord> records;
    if (fd_ < 0) return records;
    // One byte more than a record, so that a longer datagram shows as too long, not as cut.
    std::uint8_t buffer[kSteeringRecordSize + 1];
    for (int i = 0; i < 1000; ++i) {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC);
        if (n < 0) {
            if (errno == EINTR) continue;
            break;  // EAGAIN: nothing more waiting
        }
        auto record = decodeSteeringRecord(buffer, static_cast<std::size_t>(n));
        if (record)
            records.push_back(*record);
        else
            logLine(formatC("SteeringServer: dropped a bad record of %ld bytes", static_cast<long>(n)));
    }
    return records;
}

bool sendSteeringCommand(const SteeringRecord& record, std::string* error, std::string_view requested) {
    const std::string path = requested.empty() ? steeringSocketPath() : std::string(requested);
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    sockaddr_un address{};
    if (!fillAddress(path, address)) return fail("no usable socket path");
    int fd = makeSocket();
    if (fd < 0) return fail(std::strerror(errno));
    const auto bytes = encodeSteeringRecord(record);
    const ssize_t sent =
        ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int err = errno;
    ::close(fd);
    if (sent != static_cast<ssize_t>(bytes.size()))
        return fail(err == ENOENT || err == ECONNREFUSED ? "no running kinemo listens on " + path : std::strerror(err));
    return true;
}

}  // namespace kinemo
