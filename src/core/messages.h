#pragma once
// The message service: the one way every part of the program tells the user about problems and
// progress (message box, status line, log). The platform behind it is set at start-up.
#include <string_view>

namespace kinemo {

// level 0: status line; 1: status line and a short pause; 2 and above: a modal message box.
// Always logged as "Error: text" or "Warning: text".
void reportMessage(std::string_view text, int level, bool isError);
void showStatus(std::string_view text, bool toLog = false);
void setPromptText(std::string_view text);
void setWorkpartText(std::string_view text);
// Writes text and a line break to the log and flushes it.
void logLine(std::string_view text);
// Creates the log in the temporary directory, else in the current directory, else uses stdout.
void openLogFile(std::string_view name);
void closeLogFile();

}  // namespace kinemo
