#pragma once
// Starting an outside program (packer, video or image converter) and waiting for it. The program
// is started directly with an argument vector, never through a shell.
#include <string>
#include <string_view>
#include <vector>

namespace kinemo {

// Results besides 0 (the program ran and exited with status 0).
inline constexpr int kCommandNotSpecified = -2;  // empty or too long a command
inline constexpr int kCommandNotStarted = -1;    // the program could not be started
inline constexpr int kCommandFailed = -3;        // the program exited with a non-zero status
inline constexpr int kCommandCrashed = -4;       // the program was ended by a signal

// commandLine is split at blanks (no quoting: a program path must not hold blanks) after every
// pair of blanks has become one. Failures are reported (purpose names the command for the user,
// hint tells what to check) and logged.
int runCommand(std::string_view commandLine, std::string_view purpose, std::string_view hint);
// The same for arguments that may hold blanks; argv[0] is the program, looked up in PATH.
int runCommand(const std::vector<std::string>& argv, std::string_view purpose, std::string_view hint);

}  // namespace kinemo
