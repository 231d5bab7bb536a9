#pragma once
// The settings the node tree reads, gathered in one place. They are read once, at the first use,
// with the defaults written here; tests and the settings service may change them afterwards.
#include <array>
#include <string>

namespace kinemo {

struct SceneSettings {
    long maxTreeLevel = 50;                 // "MaxTreeLevel"
    long groupNodeStatisticLevel = 2;       // "GroupNodeStatisticLevel"
    long groupNodeReportLevel = 0;          // "GroupNodeReportLevel"
    long transformReportLevel = 0;          // "TransformNodeReportLevel"
    bool changeWorkpartColor = false;       // "ChangeWorkpartColor"
    bool useLateLoadingForBuilder = false;  // "UseLateWebshapeLoadingForBuilder"
    double importScaleFactor = 1.0;         // "ImportScaleFactor"
    // "ElliminatableNodeName1" to "ElliminatableNodeName22".
    std::array<std::string, 22> eliminatableNodeNames;
    // Guards against hostile files, not in the settings files.
    long maxInlineFileBytes = 256L * 1024 * 1024;
    long maxClonedNodesPerRead = 500000;
    long long maxInlineBytesPerRead = 2LL * 1024 * 1024 * 1024;  // all Inline files of one read together
};

// The process-wide settings of the tree, filled with the defaults on first use.
SceneSettings& sceneSettings();

}  // namespace kinemo
