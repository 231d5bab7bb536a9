#pragma once
// A level-of-detail group: it draws one of its children, chosen by the viewer's distance from its
// centre. It is read from VRML files and saved as a plain group holding all of its levels.
#include "geometry/vector.h"
#include "scene/group_node.h"

namespace kinemo {

class LOD : public GroupNode {
public:
    LOD();
    // Replaces the value of KeepSingleChildPerLOD read by the first LOD (tests, a reloaded
    // definitions file).
    static void setKeepSingleChildPerLOD(long keep);

    // The body after the "LOD " keyword: "center", "range " and the children (after "level ").
    const char* readFromText(const char* text) override;
    const char* readBody(const char* text, const char* end);
    // Chooses the level, then draws that child only.
    void render(Renderer& renderer) override;
    // The per-frame pass: the group pass, then the level choice from the current viewpoint.
    void prepareFrame(const ViewPoint* current) override;
    // With KeepSingleChildPerLOD set, a further child replaces the first (up to that count of
    // additions) and later ones are kept without parent.
    Node* addChild(std::unique_ptr<Node>&& c) override;
    std::unique_ptr<Node> removeChild(Node* c) override;
    using GroupNode::addChild;

    // The level for a viewer at distance d: child 0 when visible and nearer than range 0; else
    // the first visible child j with j the last or range[j-1] < d < range[j]; else the last
    // visible child; -1 when none is visible. Ranges that are missing count as infinite.
    int chooseLevel(double d) const;

    float center[3] = {0.0f, 0.0f, 0.0f};
    VectorF ranges;
    int level = -1;
    int addedChildren = 0;

private:
    std::vector<std::unique_ptr<Node>> unattached_;
};

// The reader hook for "LOD ": an LOD under the group.
const char* readLodNode(GroupNode& group, const char* text, const char* end);

}  // namespace kinemo
