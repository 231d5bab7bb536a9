#include "animation/animation_section.h"
#include "scene/scene_reader.h"
#include "tool_commands.h"

namespace kinemo::tool {

void installSceneFileSupport() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    installSceneReader();
    registerAnimationSectionHandlers();
}

}  // namespace kinemo::tool
