#pragma once
// Where the layers that own parts of a scene file plug into its reader and writer: special nodes
// (viewpoints, the scene light, sounds), the animation section, the meta information, font formats
// and viewpoint definitions, the step id counter and the renderer. A block whose hook is unset is
// kept as text by the reader and written back unchanged, so no save loses it.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace kinemo {

class GroupNode;
class Node;
class Scene;

enum class NodeWriteResult { Unknown, Written, Failed };

// Counts of what a scene holds, for reports ("kinemo-tool info").
struct SceneCounts {
    long nodes = 0, groups = 0, shapes = 0, faceSets = 0, lineSets = 0, points = 0, triangles = 0;
    long materials = 0, textures = 0, viewpoints = 0, chapters = 0, steps = 0, languages = 0;
};

// A reader of a block that begins at a keyword: text is where the keyword began, after where it
// ended, end the end of the text. Returns the position after the block.
using BlockReader = std::function<const char*(Scene& scene, const char* text, const char* after, const char* end)>;
// Appends a block; false when it could not be written.
using BlockWriter = std::function<bool(Scene& scene, std::FILE* file)>;

struct SceneFileHooks {
    // The top-level "Viewpoint" and "DirectionalLight": read under the root / into the scene light.
    // The viewpoint reader appends the node it made to the root.
    BlockReader readViewpoint;
    BlockReader readLight;
    BlockWriter writeLight;
    // Writes the current viewpoint (the VRML node before the geometry).
    BlockWriter writeViewpoint;
    // Nodes of the tree that are neither groups nor shapes (viewpoints are registered for the
    // definitions block here, sound nodes written).
    std::function<NodeWriteResult(Scene& scene, Node& node, std::FILE* file)> writeOtherNode;
    // The viewpoint definitions ("# [DEF>>VIEWPOINT]") and font formats of the definitions block.
    BlockReader readViewpointDefinitions;
    BlockWriter writeViewpointDefinitions;
    // The head of the definitions block: the chapter icon images, then each logo's image and its
    // "<kmxCOMPANY_LOGO>" / "<kmxMACHINE_LOGO>" line.
    BlockWriter writeChapterIcons;
    // "<kmxMETA_INFO>" ... "</kmxMETA_INFO>" and "# ANIMATIONS".
    BlockReader readMetaInfo;
    BlockWriter writeMetaInfo;  // the whole block, or nothing when there is none
    BlockReader readAnimations;
    BlockWriter writeAnimations;  // the section after "# ANIMATIONS\n"
    // The step id counter: restored from "<kmxHIGHESTINDEX", written back.
    std::function<void(std::int32_t)> restoreStepIdCounter;
    std::function<std::int32_t()> stepIdCounter;
    // Made when a file holds no viewpoint: a viewpoint under the root fitted to the bounds.
    std::function<Node*(Scene& scene)> createDefaultViewpoint;
    // The outermost read has ended: the scene goes to the renderer.
    std::function<void(Scene& scene)> handOver;
    // The first viewpoint the read met, wherever it stood.
    std::function<Node*()> firstViewpointRead;
    // A read or a write begins (the per-scene state of the special nodes is reset).
    std::function<void()> prepareRead;
    std::function<void(Scene& scene)> prepareWrite;
    // The headlight lives with the scene light when that is registered.
    std::function<bool()> headlight;
    std::function<void(bool)> setHeadlight;
    // Adds the viewpoints that animation steps fly to (the animation layer fills it).
    std::function<void(std::vector<const Node*>& used)> viewpointsUsedBySteps;
    // Fills the counts that need the geometry and animation layers.
    std::function<void(const Scene& scene, SceneCounts& counts)> countContent;
};

SceneFileHooks& sceneFileHooks();

}  // namespace kinemo

namespace kinemo {

// What the scene holds: the tree's own counts, completed by countContent when it is set.
SceneCounts countScene(const Scene& scene);

}  // namespace kinemo
