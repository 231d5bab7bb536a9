#pragma once
// Navigation over the node tree: the camera is the current viewpoint, the hit test runs the pick
// ray against the world boxes of the visible shapes, "Fit To Workpart" fits the current viewpoint
// to the root and "Initial View" returns to the scene's initial viewpoint.
#include "render/navigation.h"

namespace kinemo {

class GroupNode;

class SceneNavigation : public NavigationScene {
public:
    // root must outlive this object (or be swapped while the renderer is paused).
    explicit SceneNavigation(GroupNode& root) : root_(&root) {}

    bool getCamera(Camera& out) override;
    void setCamera(const Camera& camera) override;
    // The nearest visible shape whose world box the ray enters; the node is the shape's group.
    std::optional<RayHit> hitTest(const Ray& ray) override;
    BasicObject* rootNode() override;
    Bounds rootBounds() override;
    void fitToWorkpart() override;
    void initialView() override;

private:
    void hitGroup(GroupNode& group, const Ray& ray, std::optional<RayHit>& best, int depth);
    GroupNode* root_;
};

// Where a ray enters a box (its distance along the unit direction; 0 when it starts inside), or
// none when it misses.
std::optional<float> rayEntersBox(const Ray& ray, const Bounds& box);

}  // namespace kinemo
