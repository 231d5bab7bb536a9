#include "core/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "core/errors.h"
#include "core/messages.h"

namespace kinemo {
namespace {

std::size_t lastSeparator(std::string_view path) { return path.find_last_of("/\\"); }

// Position of the last "." in the file name part, or npos.
std::size_t extensionDot(std::string_view path) {
    std::size_t sep = lastSeparator(path);
    std::size_t nameStart = sep == std::string_view::npos ? 0 : sep + 1;
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart) return std::string_view::npos;
    return dot;
}

}  // namespace

bool isPathSeparator(char c) { return c == '/' || c == '\\'; }

std::string ensureTrailingBackslash(std::string_view path) {
    std::string result(path);
    if (result.empty() || !isPathSeparator(result.back())) result += '/';
    return result;
}

std::string directoryOf(std::string_view path) {
    std::size_t sep = lastSeparator(path);
    if (sep == std::string_view::npos) {
        reportMessage("Could not find any backslash in " + std::string(path), 3, true);
        throw OperationAbandoned("Cannot proceed");
    }
    return std::string(path.substr(0, sep + 1));
}

std::string fileNameOf(std::string_view path) {
    std::size_t sep = lastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string withoutExtension(std::string_view path) {
    std::size_t dot = extensionDot(path);
    return std::string(dot == std::string_view::npos ? path : path.substr(0, dot));
}

std::string extensionOf(std::string_view path) {
    std::size_t dot = extensionDot(path);
    if (dot == std::string_view::npos) return std::string(path);
    std::string result(path.substr(dot + 1));
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    while (true) {
        if (getcwd(buffer.data(), buffer.size())) return std::string(buffer.data());
        if (errno != ERANGE || buffer.size() > (1u << 20)) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string absolutePath(std::string_view path) {
    if (!path.empty() && path.front() == '/') return std::string(path);
    std::string dir = currentDirectory();
    if (dir.empty()) return std::string(path);
    if (dir.back() != '/') dir += '/';
    return dir + std::string(path);
}

std::string privateTemporaryDirectory() {
    const char* env = std::getenv("TMPDIR");
    std::string base = env && env[0] == '/' ? env : "/tmp";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    uid_t uid = getuid();
    std::string dir = base + (base == "/" ? "" : "/") + "kinemo-" + std::to_string(uid);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return {};
    struct stat st {};
    // lstat: a symlink planted under the fixed name is refused, never followed.
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid) return {};
    if ((st.st_mode & 077) != 0 && chmod(dir.c_str(), 0700) != 0) return {};
    return dir;
}

std::string temporaryDirectory() {
    std::string dir = privateTemporaryDirectory();
    if (!dir.empty()) dir += '/';
    return dir;
}

}  // namespace kinemo
