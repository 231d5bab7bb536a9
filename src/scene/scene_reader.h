#pragma once
// The top level of a scene file: header lines, format and source detection, the dispatch of the
// top-level keywords, the definitions block and the checks after the outermost read.
// Scene::readFromFile and Scene::readFromString (scene.h) are the entry points.
#include <string_view>

namespace kinemo {

class GroupNode;
class Scene;

// The program's own version and the version it asks of its readers.
inline constexpr float kProgramVersion = 8.09f;
inline constexpr float kRequiredProgramVersion = 8.03f;

// Version thresholds are compared in the file version's own type, so that a file of exactly that
// version takes the documented branch (a float 2.015 is above the double 2.015).
inline bool versionAbove(float version, double threshold) { return version > static_cast<float>(threshold); }
inline bool versionBelow(float version, double threshold) { return version < static_cast<float>(threshold); }

// Reads the version from the text after "#Kinemo" / "#Orvandel" (" Builder Version 8.09"), never
// past the end of that line, and sets the file version (-2 when the edition is unknown).
float readVersionNumber(const char* text, const char* end);

// Reads "# <kmxDEFINITION>" ... "# </kmxDEFINITION>" from just after its keyword; returns the
// position after the end tag (or end when the tag is missing).
const char* readDefinitionsBlock(Scene& scene, const char* text, const char* end);

// The checks after the outermost read; then the scene goes to the renderer.
void postLoad(Scene& scene);

// Reads the text of an Inline file into group without disturbing the including file's node
// table, DEF names, version or own-format flag.
bool readNestedContent(GroupNode& group, std::string_view text);

// Lets Inline files go through the scene reader.
void installSceneReader();

}  // namespace kinemo
