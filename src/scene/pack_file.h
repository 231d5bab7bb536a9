#pragma once
// "Pack&&Go": a written ".exe" scene is packed with its pack folder into a self-extracting
// program by the outside packer named in PackCommand (makeself on Linux).
#include <string_view>

namespace kinemo {

// Packs the scene file just written at path (the chosen ".exe"): PackFolder's content and the
// scene (as "<name>.bvr") are copied into a fresh private staging folder, which stands for
// "PACKFOLDER" in PackCommand ("EXEFILE" is path); PackBatCommands, when set, becomes
// "PackBatCommands.sh" in it. The packer runs with an argument vector. The user's pack folder is
// never written to. Returns false (reported) when the folder is unset or missing, a copy fails,
// the packer fails or leaves no output.
bool packFile(std::string_view path);

}  // namespace kinemo
