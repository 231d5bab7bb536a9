#include "scene/scene_settings.h"

#include "core/definitions.h"
#include "core/numbers.h"

namespace kinemo {

SceneSettings& sceneSettings() {
    static SceneSettings settings = [] {
        SceneSettings s;
        s.maxTreeLevel = getDefinitionLong("MaxTreeLevel", 50);
        s.groupNodeStatisticLevel = getDefinitionLong("GroupNodeStatisticLevel", 2);
        s.groupNodeReportLevel = getDefinitionLong("GroupNodeReportLevel", 4);
        s.transformReportLevel = getDefinitionLong("TransformNodeReportLevel", 0);
        s.changeWorkpartColor = getDefinitionBool("ChangeWorkpartColor", false);
        s.useLateLoadingForBuilder = getDefinitionBool("UseLateWebshapeLoadingForBuilder", false);
        s.importScaleFactor = getDefinitionFloat("ImportScaleFactor", 1.0f);
        for (int i = 1; i <= 22; ++i) {
            const char* fallback = i == 21 ? "noname*" : i == 22 ? "noName*" : "";
            s.eliminatableNodeNames[std::size_t(i - 1)] =
                getDefinitionString(formatC("ElliminatableNodeName%d", i), fallback);
        }
        return s;
    }();
    return settings;
}

}  // namespace kinemo
