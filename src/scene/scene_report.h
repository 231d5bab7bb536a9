#pragma once
// Reports of the scene readers and tree edits. They go to the message service; a listener can
// watch them as well (the structure window's status line, tests).
#include <functional>
#include <string_view>

namespace kinemo {

void sceneReport(std::string_view text, int level, bool isError);
void sceneLog(std::string_view text);

// Receives every report and log line of the scene code; isLog is true for log lines.
using SceneReportListener = std::function<void(std::string_view text, int level, bool isError, bool isLog)>;
// Installs a listener and returns the previous one.
SceneReportListener setSceneReportListener(SceneReportListener listener);

}  // namespace kinemo
