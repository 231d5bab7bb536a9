// kinemo-tool: the command-line face of the engine. Each subcommand is one entry of the table.
#include "core/definitions.h"
#include "core/headless_platform.h"
#include "core/messages.h"
#include "core/platform.h"
#include "tool_commands.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Args = std::vector<std::string_view>;

struct Command {
    const char* name;
    const char* usage;
    const char* summary;
    int (*run)(const Args& args);
};

int notYet(const Args&) {
    std::fprintf(stderr, "kinemo-tool: this command is not available in this build\n");
    return 2;
}

const Command kCommands[] = {
    {"info", "info FILE", "print what a scene file holds, as JSON", kinemo::tool::infoCommand},
    {"convert", "convert IN OUT", "read IN and write OUT by OUT's type", kinemo::tool::convertCommand},
#ifdef KINEMO_TOOL_RENDER
    {"render", "render FILE OUT [--size WxH] [--viewpoint N] [playback options of state]",
     "draw a scene into a PNG or BMP file", kinemo::tool::renderCommand},
#else
    {"render", "render FILE OUT [--size WxH] [--viewpoint N]", "draw a scene into a PNG or BMP file", notYet},
#endif
    {"state", "state FILE [--chapter N] [--stop K | --time T | --end] [--language NAME]",
     "print what the player shows at a place of a guide, as JSON", kinemo::tool::stateCommand},
    {"send", "send CODE ARG", "send a steering command to a running kinemo", kinemo::tool::sendCommand},
    {"exports", "exports FILE", "write the guide's exports", notYet},
};

void printHelp(std::FILE* out) {
    std::fprintf(out, "usage: kinemo-tool [--version] [--help] COMMAND [ARGS]\n\ncommands:\n");
    for (const auto& c : kCommands) std::fprintf(out, "  %-46s %s\n", c.usage, c.summary);
}

}  // namespace

int main(int argc, char** argv) {
    Args args(argv + 1, argv + argc);
    if (args.empty()) {
        printHelp(stderr);
        return 2;
    }
    if (args[0] == "--version") {
        std::printf("kinemo-tool %s\n", KINEMO_VERSION);
        return 0;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        printHelp(stdout);
        return 0;
    }
    // The tool shares the settings files with the desktop program, but keeps a log of its own so
    // that it never truncates the log of a running program. Message boxes go to stderr.
    kinemo::initSettingsFiles();
    kinemo::openLogFile("kinemo-tool_Log.txt");
    kinemo::HeadlessPlatform headless;
    headless.setEchoMessageBoxes(true);
    headless.setRecording(false);
    kinemo::setPlatform(&headless);
    struct Shutdown {
        ~Shutdown() {
            kinemo::setPlatform(nullptr);
            kinemo::closeLogFile();
        }
    } shutdown;
    for (const auto& c : kCommands) {
        if (args[0] == c.name) {
            try {
                return c.run(Args(args.begin() + 1, args.end()));
            } catch (const std::exception& e) {
                std::fprintf(stderr, "kinemo-tool %s: %s\n", c.name, e.what());
                return 1;
            }
        }
    }
    std::fprintf(stderr, "kinemo-tool: unknown command '%.*s' (try --help)\n", static_cast<int>(args[0].size()), args[0].data());
    return 2;
}
