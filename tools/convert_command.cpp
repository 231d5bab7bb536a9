// "kinemo-tool convert IN OUT": reads IN and writes OUT by OUT's type (".bvr"/".ros": compressed
// KINEMML; ".iv": VRML 2 text). Exits non-zero when either side fails.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "scene/scene.h"
#include "scene/scene_writer.h"
#include "tool_commands.h"

namespace kinemo::tool {

int convertCommand(const std::vector<std::string_view>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: kinemo-tool convert IN OUT\n");
        return 2;
    }
    const std::string in(args[0]), out(args[1]);
    installSceneFileSupport();
    Scene* scene = Scene::readFromFile(in);
    if (!scene) {
        std::fprintf(stderr, "kinemo-tool convert: %s could not be read\n", in.c_str());
        return 1;
    }
    const bool written = writeToFile(*scene, out);
    destroyCurrentScene();
    if (!written) {
        std::fprintf(stderr, "kinemo-tool convert: %s could not be written\n", out.c_str());
        return 1;
    }
    return 0;
}

}  // namespace kinemo::tool
