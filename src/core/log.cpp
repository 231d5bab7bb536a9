#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "core/messages.h"
#include "core/paths.h"

namespace kinemo {
namespace {

// The render thread logs too: one lock around every line keeps lines whole.
std::mutex& logMutex() {
    static std::mutex* mutex = new std::mutex;  // kept alive for logging during static destruction
    return *mutex;
}
std::FILE* logFile = nullptr;  // nullptr: the log is stdout
bool logClosed = false;        // after closeLogFile, late lines go to stderr
std::string logPath;

std::FILE* createLog(const std::string& path) {
    // O_NOFOLLOW: a fixed name must never be opened through a link someone left there.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "w");
    if (!file) ::close(fd);
    return file;
}

}  // namespace

void logLine(std::string_view text) {
    std::lock_guard lock(logMutex());
    std::FILE* out = logFile ? logFile : (logClosed ? stderr : stdout);
    std::fwrite(text.data(), 1, text.size(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

void openLogFile(std::string_view name) {
    std::lock_guard lock(logMutex());
    if (logFile) {
        std::fclose(logFile);
        logFile = nullptr;
        logPath.clear();
    }
    logClosed = false;  // a log that cannot be created falls back to standard output
    std::string candidates[2];
    std::string temp = temporaryDirectory();
    if (!temp.empty()) candidates[0] = temp + std::string(name);
    std::string current = currentDirectory();
    if (!current.empty()) candidates[1] = ensureTrailingBackslash(current) + std::string(name);
    for (const auto& path : candidates) {
        if (path.empty()) continue;
        logFile = createLog(path);
        if (logFile) {
            logPath = path;
            logClosed = false;
            return;
        }
    }
}

void closeLogFile() {
    std::lock_guard lock(logMutex());
    logClosed = true;
    if (logFile) std::fclose(logFile);
    logFile = nullptr;
    logPath.clear();
}

std::string logFilePath() {
    std::lock_guard lock(logMutex());
    return logPath;
}

}  // namespace kinemo
