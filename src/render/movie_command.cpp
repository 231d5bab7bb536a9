#include "render/movie_command.h"

#include <cstdio>

#include "core/messages.h"
#include "core/numbers.h"
#include "core/run_command.h"

namespace kinemo {

namespace {

void replaceAll(std::string& text, std::string_view what, std::string_view with) {
    std::size_t at = 0;
    while ((at = text.find(what, at)) != std::string::npos) {
        text.replace(at, what.size(), with);
        at += with.size();
    }
}

std::vector<std::string> splitArguments(std::string_view command) {
    std::vector<std::string> out;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (char c : command) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (inArgument) out.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            current.push_back(c);
            inArgument = true;
        }
    }
    if (inArgument) out.push_back(std::move(current));
    return out;
}

}  // namespace

std::string sequenceFileName(std::string_view sequenceName, int frame) {
    const std::string digits = std::to_string(1000000LL + frame);
    return std::string(sequenceName) + digits.substr(digits.size() - 6) + ".bmp";
}

std::vector<std::string> movieCommandArguments(std::string_view command, std::string_view sequenceName) {
    std::vector<std::string> args = splitArguments(command);
    const std::string firstImage = sequenceFileName(sequenceName, 2);
    const std::string pattern = std::string(sequenceName) + "%06d.bmp";
    for (std::string& arg : args) {
        // IMAGEPATTERN first: its replacement contains no placeholder, and the others cannot
        // produce it from the user's sequence name by accident.
        replaceAll(arg, "IMAGEPATTERN", pattern);
        replaceAll(arg, "FIRSTIMAGE", firstImage);
        replaceAll(arg, "VIDEOFILE", sequenceName);
    }
    return args;
}

bool convertImageSequence(std::string_view command, std::string_view sequenceName,
                          const std::vector<std::string>& written, const CommandRunner& run) {
    const std::vector<std::string> args = movieCommandArguments(command, sequenceName);
    if (args.empty() || written.empty()) return false;
    const std::string kept = "The images are kept as " + written.front() + " to " + written.back() + ".";
    int status;
    if (run) {
        status = run(args, "Video conversion");
        if (status != 0) reportMessage(formatC("Video conversion failed (status %d). ", status) + kept, 3, true);
    } else {
        status = runCommand(args, "Video conversion", kept);  // reports a failure with the hint
    }
    if (status != 0) return false;
    for (const std::string& file : written) std::remove(file.c_str());
    return true;
}

}  // namespace kinemo
