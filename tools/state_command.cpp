// "kinemo-tool state FILE [--chapter N] [--stop K | --time T | --end] [--language NAME]": plays a
// chapter of a guide as the player would and prints what the reader then sees as one JSON object.
// Other tools and checks read this output: its keys stay as they are.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "animation/animation_group.h"
#include "animation/text_step.h"
#include "core/text_encoding.h"
#include "geometry/shape_node.h"
#include "playback_position.h"
#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/scene.h"
#include "scene/viewpoint.h"
#include "text/translator.h"
#include "tool_commands.h"

namespace kinemo::tool {
namespace {

int usage() {
    std::fprintf(stderr, "usage: kinemo-tool state FILE [--chapter N] [--stop K | --time T | --end] [--language NAME]\n%s",
                 kPlaybackUsage);
    return 2;
}

std::string jsonString(std::string_view text) {
    const std::string utf8 = cp1252ToUtf8(text);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

// The shortest text that reads back as the same value, in the C form whatever the locale;
// a value that is no number is null, which JSON can hold.
template <class T>
std::string jsonNumber(T value) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

template <class T>
std::string jsonArray(const T* values, int n) {
    std::string out = "[";
    for (int i = 0; i < n; ++i) {
        if (i) out += ", ";
        out += jsonNumber(values[i]);
    }
    return out + "]";
}

// The node's own shape, or for a group the first shape below it, depth first.
ShapeNode* firstShape(Node& node, int depth = 0) {
    if (ShapeNode* s = node.asShapeNode()) return s;
    if (depth > 1000) return nullptr;
    if (GroupNode* g = node.asGroupNode())
        for (std::size_t i = 0; i < g->childCount(); ++i)
            if (ShapeNode* s = firstShape(*g->child(i), depth + 1)) return s;
    return nullptr;
}

std::string nodeObject(Node& node) {
    static const float kNoTranslation[3] = {0, 0, 0}, kNoRotation[4] = {0, 0, 1, 0}, kNoScale[3] = {1, 1, 1};
    const float* translation = kNoTranslation;
    const float* rotation = kNoRotation;
    const float* scale = kNoScale;
    if (TransformNode* t = node.asTransformNode()) {
        translation = t->currentTransform.translation();
        rotation = t->currentTransform.rotation();
        scale = t->currentTransform.scale();
    }
    std::string out = "{\"id\": " + std::to_string(node.id());
    out += ", \"name\": " + jsonString(node.getName());
    out += node.visible() ? ", \"visible\": true" : ", \"visible\": false";
    out += ", \"translation\": " + jsonArray(translation, 3);
    out += ", \"rotation\": " + jsonArray(rotation, 4);
    out += ", \"scale\": " + jsonArray(scale, 3);
    if (ShapeNode* shape = firstShape(node)) {
        const Material& m = shape->appearance().material();
        out += ", \"diffuseColor\": " + jsonArray(m.diffuse().data(), 3);
        out += ", \"transparency\": " + jsonNumber(m.transparency());
    } else {
        out += ", \"diffuseColor\": null, \"transparency\": null";
    }
    return out + "}";
}

}  // namespace

int stateCommand(const std::vector<std::string_view>& args) {
    if (args.empty() || args[0].starts_with("--")) return usage();
    const std::string path(args[0]);
    PlaybackPosition position;
    std::string error;
    for (std::size_t i = 1; i < args.size();) {
        if (!takePlaybackOption(args, i, position, error)) return usage();
        if (!error.empty()) {
            std::fprintf(stderr, "kinemo-tool state: %s\n", error.c_str());
            return 2;
        }
    }

    installSceneFileSupport();
    Scene* scene = Scene::readFromFile(path);
    if (!scene) {
        std::fprintf(stderr, "kinemo-tool state: %s could not be read\n", path.c_str());
        return 1;
    }
    struct SceneEnd {
        ~SceneEnd() { destroyCurrentScene(); }
    } sceneEnd;
    AnimationGroup* chapter = applyPlaybackPosition(position, error);
    if (!chapter) {
        std::fprintf(stderr, "kinemo-tool state: %s\n", error.c_str());
        return 1;
    }

    const TextAnimationObject* shown = shownTextStep(-1);
    std::string out = "{\"chapter\": " + jsonString(chapter->getName());
    out += ", \"time\": " + jsonNumber(animationState().currentTime);
    out += ", \"language\": " + jsonString(Translator::currentLanguage());
    out += ", \"text\": " + jsonString(shown ? shown->displayText() : std::string());
    ViewPoint* camera = currentViewpoint();
    if (!camera) camera = dynamic_cast<ViewPoint*>(scene->currentViewpoint);
    if (camera) {
        double where[3];
        float orientation[4];
        camera->worldPose(where, orientation);
        out += ", \"camera\": {\"position\": " + jsonArray(where, 3) +
               ", \"orientation\": " + jsonArray(orientation, 4) + "}";
    } else {
        out += ", \"camera\": null";
    }
    out += ", \"nodes\": [";
    bool first = true;
    const NodeTable& table = nodeTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        Node* node = table.at(std::int32_t(i));
        if (!node || node->id() < 0) continue;
        out += first ? "\n  " : ",\n  ";
        first = false;
        out += nodeObject(*node);
    }
    out += "\n]}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

}  // namespace kinemo::tool
