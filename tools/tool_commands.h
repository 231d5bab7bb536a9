#pragma once
// The subcommands of kinemo-tool that live in files of their own.
#include <string_view>
#include <vector>

namespace kinemo::tool {

// Plugs every reader the build has into the scene reader (once).
void installSceneFileSupport();

int infoCommand(const std::vector<std::string_view>& args);
int convertCommand(const std::vector<std::string_view>& args);
// render FILE OUT [--size WxH] [--viewpoint N] [--chapter N] [--stop K | --time T | --end]
// [--language NAME]: one frame into a PNG or BMP file, the guide played to that place.
int renderCommand(const std::vector<std::string_view>& args);
// state FILE [--chapter N] [--stop K | --time T | --end] [--language NAME]: the guide played to
// that place, as JSON.
int stateCommand(const std::vector<std::string_view>& args);
// send CODE [ARG]: a steering record to the running desktop program.
int sendCommand(const std::vector<std::string_view>& args);

}  // namespace kinemo::tool
