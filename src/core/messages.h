#pragma once
// The message service: the one way every part of the program tells the user about problems and
// progress (message box, status line, log). The platform behind it is set at start-up
// (core/platform.h). Every function here may be called from any thread.
#include <functional>
#include <string>
#include <string_view>

namespace kinemo {

class Clock;

// level 0: status line; 1: status line and a short pause; 2 and above: a modal message box.
// Always logged as "Error: text" or "Warning: text".
void reportMessage(std::string_view text, int level, bool isError);
void showStatus(std::string_view text, bool toLog = false);
void setPromptText(std::string_view text);
void setWorkpartText(std::string_view text);
// Writes text and a line break to the log and flushes it.
void logLine(std::string_view text);
// Creates the log in the private temporary folder, else in the current directory, else uses
// stdout. Until it is opened log lines go to stdout; after closeLogFile they go to stderr.
void openLogFile(std::string_view name);
void closeLogFile();
// The log file's absolute path; "" while the log is stdout.
std::string logFilePath();

// What the status line holds and whether it shows a report (reportMessage) or a plain status
// (showStatus); the prompt and workpart fields.
std::string lastStatusText();
bool statusShowsReport();
std::string promptText();
std::string workpartText();

// The translator's hook that every reported or shown text passes through (identity until set;
// an empty function restores the identity).
using MessageHook = std::function<std::string(std::string_view)>;
void setMessageHook(MessageHook hook);
// Called after every change of the status text, so that the 3D view can redraw its status line.
void setStatusRefreshHook(std::function<void()> refresh);
// The clock used for the pause after level-1 reports; nullptr restores the system clock.
void setMessageClock(Clock* clock);
// Forgets the status texts, the pause times, the hooks and the clock (for tests).
void resetMessageService();

}  // namespace kinemo
