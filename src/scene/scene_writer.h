#pragma once
// Writing the scene: our own KINEMML text (compressed afterwards for document files) or plain
// VRML 2 text, in a fixed order: header, navigation, light, background, viewpoint, the tree, the
// definitions block, meta information and the animation section.
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace kinemo {

class GroupNode;
class Scene;

// "Kinemo Builder Version 8.09": the product title without its maker word, and the version.
std::string versionText();

// The date written after "#CreationDate " ("2009/03/05" from the local date); tests inject one.
void setCreationDateSource(std::function<std::string()> source);
std::string creationDateText();

// Saves the scene by the path's type: ".bvr", ".ros" and ".exe" as compressed KINEMML (unless
// CompressBinaryOutput is false), anything else but ".wrl" as VRML 2 text. The old file is
// replaced only by a complete new one: the text goes to a temporary file in the same folder,
// every write and the close are checked, the compressed form goes to another temporary file,
// and only then is the target replaced. When compression fails the uncompressed KINEMML (which
// reads) is kept and false returned. pack: after writing an ".exe", run the packer.
// Returns false (reported) on every failure.
bool writeToFile(Scene& scene, std::string_view path, bool pack = false);

// The whole text of the scene; binary selects KINEMML and the binary blocks. False when a write
// failed. The binary flag is set for this write only.
bool writeScene(Scene& scene, std::FILE* file, bool binary);
// The same into memory.
std::string sceneText(Scene& scene, bool binary);

bool writeHeader(std::FILE* file, bool binary);
// The children of a group, depth first (the scene's datum layers write nothing).
bool writeGroupChildren(Scene& scene, GroupNode& group, std::FILE* file);
bool writeDefinitionsBlock(Scene& scene, std::FILE* file);

// Writes one group with its subtree as a VRML 2 file of its own (no navigation, light,
// viewpoint, definitions or animations; never compressed). False (reported) on failure.
bool saveWorkpart(Scene& scene, GroupNode& workpart, std::string_view path);

// The number of saves of this run.
long saveCounter();

}  // namespace kinemo
