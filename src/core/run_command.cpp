#include "core/run_command.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/messages.h"
#include "core/numbers.h"

extern char** environ;

namespace kinemo {
namespace {

std::string joined(const std::vector<std::string>& argv) {
    std::string text;
    for (const auto& a : argv) {
        if (!text.empty()) text += ' ';
        text += a;
    }
    return text;
}

void reportExecutionError(std::string_view purpose, std::string_view commandLine, std::string_view hint) {
    reportMessage("Error during execution of " + std::string(purpose) + " command: " + std::string(commandLine) + ". " +
                      std::string(hint),
                  3, true);
}

int spawnAndWait(const std::vector<std::string>& argv, std::string_view purpose, std::string_view commandLine,
                 std::string_view hint) {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t pid = 0;
    int error = posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ);
    if (error != 0) {
        logLine("runCommand: cannot start " + argv[0] + ": " + std::strerror(error));
        reportExecutionError(purpose, commandLine, hint);
        return kCommandNotStarted;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            logLine("runCommand: lost " + argv[0] + ": " + std::strerror(errno));
            reportExecutionError(purpose, commandLine, hint);
            return kCommandNotStarted;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return 0;
    if (WIFSIGNALED(status)) {
        logLine(formatC("runCommand: %s ended by signal %d", argv[0].c_str(), WTERMSIG(status)));
        reportExecutionError(purpose, commandLine, hint);
        return kCommandCrashed;
    }
    logLine(formatC("runCommand: %s ended with exit status %d", argv[0].c_str(),
                    WIFEXITED(status) ? WEXITSTATUS(status) : -1));
    reportExecutionError(purpose, commandLine, hint);
    return kCommandFailed;
}

}  // namespace

int runCommand(std::string_view commandLine, std::string_view purpose, std::string_view hint) {
    std::string command;
    command.reserve(commandLine.size());
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        command += commandLine[i];
        if (commandLine[i] == ' ' && i + 1 < commandLine.size() && commandLine[i + 1] == ' ') ++i;
    }
    if (command.size() <= 2) {
        reportMessage("No command specified for: " + std::string(purpose), 1, true);
        return kCommandNotSpecified;
    }
    if (command.front() == ' ') command.erase(0, 1);
    if (!command.empty() && command.back() == ' ') command.pop_back();
    if (command.size() > 1024) {
        reportMessage("Error, " + std::string(purpose) + " command is too long: " + std::string(commandLine), 3, true);
        return kCommandNotSpecified;
    }
    // Blanks left over from longer runs would make empty arguments, which no program means.
    std::vector<std::string> argv;
    std::size_t start = 0;
    while (start <= command.size()) {
        std::size_t end = command.find(' ', start);
        if (end == std::string::npos) end = command.size();
        if (end > start) argv.emplace_back(command.substr(start, end - start));
        start = end + 1;
    }
    if (argv.empty()) {
        reportMessage("No command specified for: " + std::string(purpose), 1, true);
        return kCommandNotSpecified;
    }
    return spawnAndWait(argv, purpose, commandLine, hint);
}

int runCommand(const std::vector<std::string>& argv, std::string_view purpose, std::string_view hint) {
    if (argv.empty() || argv[0].empty()) {
        reportMessage("No command specified for: " + std::string(purpose), 1, true);
        return kCommandNotSpecified;
    }
    return spawnAndWait(argv, purpose, joined(argv), hint);
}

}  // namespace kinemo
