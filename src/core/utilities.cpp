#include "core/utilities.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "core/numbers.h"

namespace kinemo {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads up to capacity bytes; returns the count read, or -1 on a read error.
long long readAll(int fd, char* out, std::size_t capacity) {
    std::size_t done = 0;
    while (done < capacity) {
        ssize_t n = ::read(fd, out + done, capacity - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Where the bytes of path really go: the target of a symbolic link, else path itself.
std::string resolvedTarget(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string result(real);
    std::free(real);
    return result;
}

}  // namespace

bool writeWholeFile(std::string_view pathText, std::string_view bytes) {
    std::string path = resolvedTarget(std::string(pathText));
    struct stat old {};
    bool hadOld = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = path + formatC(".tmp%ld.%u", static_cast<long>(getpid()), counter.fetch_add(1));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes);
    if (ok && hadOld) fchmod(fd, old.st_mode & 07777);
    int saved = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = saved;
    }
    return ok;
}

std::string formatDuration(double seconds) {
    if (std::isnan(seconds) || std::isinf(seconds)) return formatC("%4.2fsec", seconds);
    if (seconds < 0) {
        std::string positive = formatDuration(-seconds);
        return positive == "0.00sec" ? positive : "-" + positive;
    }
    // Beyond this the hundredths would not fit into 64 bits.
    constexpr double kMaxHundredths = 9.0e18;
    double scaled = std::floor(seconds * 100.0 + 0.5);
    if (scaled > kMaxHundredths) scaled = kMaxHundredths;
    auto h = static_cast<std::int64_t>(scaled);
    std::int64_t minutesTotal = h / 6000;
    long long hours = minutesTotal / 60;
    int minutes = static_cast<int>(minutesTotal % 60);
    int c = static_cast<int>(h % 6000);
    double s = c * 0.01;
    if (hours > 0) {
        if (c % 10 != 0) return formatC("%lldh %dmin %4.2fsec", hours, minutes, s);
        if ((c / 10) % 10 != 0) return formatC("%lldh %dmin %3.1fsec", hours, minutes, s);
        return formatC("%lldh %dmin %2.0fsec", hours, minutes, s);
    }
    if (minutes > 0) {
        if (c % 10 != 0) return formatC("%dmin %4.2fsec", minutes, s);
        return formatC("%dmin %3.1fsec", minutes, s);
    }
    return formatC("%4.2fsec", s);
}

ReadResult readFileText(std::string_view path, std::string& text) {
    FileDescriptor fd(::open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return ReadResult::CannotOpen;
    struct stat st {};
    if (fstat(fd.get(), &st) != 0) return ReadResult::ReadError;
    if (!S_ISREG(st.st_mode)) return ReadResult::NotRegular;
    std::string result;
    try {
        // The size is a hint only: the file may change while it is read.
        std::size_t chunk = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096;
        std::size_t done = 0;
        while (true) {
            result.resize(done + chunk);
            long long n = readAll(fd.get(), result.data() + done, chunk);
            if (n < 0) return ReadResult::ReadError;
            done += static_cast<std::size_t>(n);
            if (static_cast<std::size_t>(n) < chunk) break;
            chunk = 65536;
        }
        result.resize(done);
    } catch (const std::bad_alloc&) {
        return ReadResult::ReadError;
    } catch (const std::length_error&) {
        return ReadResult::ReadError;
    }
    text = std::move(result);
    return ReadResult::Ok;
}

FileBuffer readWholeFile(std::string_view path) {
    FileBuffer buffer;
    FileDescriptor fd(::open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return buffer;
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) return buffer;
    auto size = static_cast<unsigned long long>(st.st_size);
    if (size >= std::numeric_limits<std::size_t>::max() / 2) return buffer;
    std::unique_ptr<char[]> data(new (std::nothrow) char[size + 1]);
    if (!data) return buffer;
    long long n = readAll(fd.get(), data.get(), size);
    // A file that shrank while it was read keeps what was there; an empty one counts as empty.
    if (n <= 0) return buffer;
    data[static_cast<std::size_t>(n)] = '\0';
    buffer.data = std::move(data);
    buffer.size = static_cast<std::size_t>(n);
    return buffer;
}

std::unique_ptr<char[]> readWholeFile(std::string_view path, std::size_t& size) {
    FileBuffer buffer = readWholeFile(path);
    size = buffer.size;
    return std::move(buffer.data);
}

double secondsSinceStart() {
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start);
    return static_cast<double>(elapsed.count()) / 1000.0;
}

std::string lastErrorText() { return lastErrorText(errno); }

std::string lastErrorText(int code) {
    char buffer[256];
    const char* message = strerror_r(code, buffer, sizeof buffer);
    std::string text = formatC("code: %d, text: %s", code, message);
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != '\n' && c != '\r') result += c;
    }
    return result;
}

}  // namespace kinemo
