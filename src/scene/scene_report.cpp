#include "scene/scene_report.h"

#include <utility>

#include "core/messages.h"

namespace kinemo {
namespace {
SceneReportListener& listener() {
    static SceneReportListener l;
    return l;
}
}  // namespace

void sceneReport(std::string_view text, int level, bool isError) {
    reportMessage(text, level, isError);
    if (listener()) listener()(text, level, isError, false);
}

void sceneLog(std::string_view text) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    logLine(text);
    if (listener()) listener()(text, 0, false, true);
}

SceneReportListener setSceneReportListener(SceneReportListener l) { return std::exchange(listener(), std::move(l)); }

}  // namespace kinemo
