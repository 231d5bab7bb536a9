// "kinemo-tool info FILE": reads a scene file and prints what it holds as one JSON object.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_type.h"
#include "core/numbers.h"
#include "scene/reading_state.h"
#include "scene/scene.h"
#include "scene/scene_file_hooks.h"
#include "scene/scene_report.h"
#include "tool_commands.h"

namespace kinemo::tool {
namespace {

std::string jsonString(std::string_view s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            out += formatC("\\u%04x", c);
        } else if (c >= 0x80) {
            // Texts are Windows-1252; JSON wants UTF-8: Latin-1 covers what file names hold.
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string number(double v) { return formatC("%.9g", v); }

}  // namespace

int infoCommand(const std::vector<std::string_view>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: kinemo-tool info FILE\n");
        return 2;
    }
    const std::string path(args[0]);
    long warnings = 0, errors = 0;
    SceneReportListener previous = setSceneReportListener([&](std::string_view, int, bool isError, bool isLog) {
        if (isLog) return;
        ++(isError ? errors : warnings);
    });
    installSceneFileSupport();
    Scene* scene = Scene::readFromFile(path);
    setSceneReportListener(previous);
    if (!scene) {
        std::fprintf(stderr, "kinemo-tool info: %s could not be read\n", path.c_str());
        return 1;
    }
    const SceneCounts c = countScene(*scene);
    const ReadingState& s = readingState();
    const BoundingBox& box = scene->root().boundsBox();
    std::string out = "{";
    out += "\"file\": " + jsonString(path);
    const char* typeName = fileTypeName(fileTypeOf(path));
    out += ", \"type\": " + jsonString(*typeName ? typeName : "Unknown");
    out += ", \"fileVersion\": " + formatC("%.6g", double(s.fileVersion));
    out += ", \"vrmlVersion\": " + jsonString(sourceTypeName(s.source));
    const std::pair<const char*, long> counts[] = {
        {"nodes", c.nodes},         {"groups", c.groups},       {"shapes", c.shapes},       {"faceSets", c.faceSets},
        {"lineSets", c.lineSets},   {"points", c.points},       {"triangles", c.triangles}, {"materials", c.materials},
        {"textures", c.textures},   {"viewpoints", c.viewpoints}, {"chapters", c.chapters}, {"steps", c.steps},
        {"languages", c.languages},
    };
    for (const auto& [name, value] : counts) out += formatC(", \"%s\": %ld", name, value);
    if (box.isEmpty()) {
        out += ", \"bounds\": null";
    } else {
        out += ", \"bounds\": {\"min\": [" + number(box.min[0]) + ", " + number(box.min[1]) + ", " + number(box.min[2]) +
               "], \"max\": [" + number(box.max[0]) + ", " + number(box.max[1]) + ", " + number(box.max[2]) + "]}";
    }
    out += formatC(", \"warnings\": %ld, \"errors\": %ld", warnings, errors);
    out += ", \"loadSeconds\": " + formatC("%.3f", scene->loadSeconds);
    out += "}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    destroyCurrentScene();
    return 0;
}

}  // namespace kinemo::tool
