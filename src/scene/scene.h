#pragma once
// The one current document: the root group "root" under "super_root" under the top group, the two
// datum layer groups, the current viewpoint, the navigation and background state, the file name,
// and the blocks of the file whose readers live in other layers (kept as text until one is
// registered, so that a save puts them back where they stood).
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "core/basic_object.h"
#include "scene/group_node.h"

namespace kinemo {

class Scene : public BasicObject {
public:
    // Builds the fixed groups (root at node table position 0, super_root at 1) and becomes current.
    Scene();
    ~Scene() override;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Reads a scene file into a new current scene and runs the checks after loading. The previous
    // scene is kept when the file cannot be read, is of the wrong type or does not decompress;
    // it is destroyed once the new text is at hand. A failed parse leaves no scene current.
    static Scene* readFromFile(std::string_view path);

    // Parses scene text into this scene (the outermost read: node table, DEF registry and the
    // reading state start afresh). Returns the position after the text, or none on failure.
    const char* readFromString(const char* text, std::size_t length);

    GroupNode& top() { return *top_; }
    GroupNode& superRoot() { return *superRoot_; }
    GroupNode& root() { return *root_; }
    const GroupNode& root() const { return *root_; }
    GroupNode& tempDatumLayer() { return *tempDatumLayer_; }
    GroupNode& cornerPointDatumLayer() { return *cornerPointDatumLayer_; }

    // The viewpoint read at the top level of the file (the one shown first), and the one shown now.
    Node* initialViewpoint = nullptr;
    Node* currentViewpoint = nullptr;

    // The headlight; with the scene light registered it lives there (headlight is then what the
    // last read found).
    bool headlightOn() const;
    void setHeadlightOn(bool on);
    bool headlight = true;
    float skyColor[3] = {0, 0, 0};
    std::string fileName;
    std::string creationDate;  // as read from "#CreationDate "
    std::int32_t chapterIconSize = 16;
    std::int32_t highestStepIndex = -1;  // "<kmxHIGHESTINDEX value", -1 when the file had none
    std::string companyLogo, machineLogo;

    // Blocks kept as read while their owners are not registered (see scene_file_hooks.h). Each
    // holds exactly the bytes the writer puts back.
    struct KeptBlocks {
        std::string light;           // the scene's DirectionalLight, with the text before it
        std::string viewpoint;       // the top-level Viewpoint, with the text before it
        std::string definitionsHead;  // chapter icon images and logo lines of the definitions block
        std::string definitionsTail;  // font formats and viewpoint definitions
        std::string metaInfo;        // between "<kmxMETA_INFO>\n" and "</kmxMETA_INFO>"
        std::string animations;      // the animation section after "# ANIMATIONS\n"
        bool hasMetaInfo = false;
        bool hasAnimations = false;
        // The image records of the definitions block by name (chapter icons, logos) as the file
        // carried them, so that a guide whose image files are gone still carries them when saved.
        std::map<std::string, std::string, std::less<>> definitionImages;
    } kept;

    // The text of the file being read; emptied when the read is over (nothing read points into it).
    std::string lastText;
    // Statistics of the last read, for reports.
    double loadSeconds = 0;

private:
    friend class SceneReader;
    // Parses text, which the scene keeps as its last text (no copy).
    const char* readOwnedText(std::string&& text);
    std::unique_ptr<GroupNode> top_;
    GroupNode* superRoot_ = nullptr;
    GroupNode* root_ = nullptr;
    std::unique_ptr<GroupNode> tempDatumLayer_;
    std::unique_ptr<GroupNode> cornerPointDatumLayer_;
};

// The current scene, or none.
Scene* currentScene();
// Destroys the current scene (nothing when there is none).
void destroyCurrentScene();

}  // namespace kinemo
