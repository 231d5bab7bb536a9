// Placeholder until the message service lands: everything goes to standard error.
#include "core/messages.h"

#include <cstdio>
#include <string>

namespace kinemo {

void reportMessage(std::string_view text, int, bool isError) {
    std::fprintf(stderr, "%s: %.*s\n", isError ? "Error" : "Warning", static_cast<int>(text.size()), text.data());
}
void showStatus(std::string_view, bool) {}
void setPromptText(std::string_view) {}
void setWorkpartText(std::string_view) {}
void logLine(std::string_view text) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}
void openLogFile(std::string_view) {}
void closeLogFile() {}

}  // namespace kinemo
