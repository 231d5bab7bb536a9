#include "render/scene_navigation.h"

#include <algorithm>
#include <cmath>

#include "scene/bounding_box.h"
#include "scene/group_node.h"
#include "scene/viewpoint.h"

namespace kinemo {

namespace {

constexpr int kMaxDepth = 1000;

Bounds toWorld(GroupNode& group, const BoundingBox& local) {
    Bounds out;
    out.min = {1e30f, 1e30f, 1e30f};
    out.max = {-1e30f, -1e30f, -1e30f};
    for (int k = 0; k < 8; ++k) {
        const double p[3] = {(k & 1) ? local.max[0] : local.min[0], (k & 2) ? local.max[1] : local.min[1],
                             (k & 4) ? local.max[2] : local.min[2]};
        double w[3];
        group.currentTransform.toGlobalPoint(p, w);
        out.extend({float(w[0]), float(w[1]), float(w[2])});
    }
    return out;
}

}  // namespace

std::optional<float> rayEntersBox(const Ray& ray, const Bounds& box) {
    if (box.empty()) return std::nullopt;
    float t0 = 0.0f, t1 = 1e30f;
    for (int i = 0; i < 3; ++i) {
        const float d = ray.direction[i];
        if (std::fabs(d) < 1e-12f) {
            if (ray.origin[i] < box.min[i] || ray.origin[i] > box.max[i]) return std::nullopt;
            continue;
        }
        float a = (box.min[i] - ray.origin[i]) / d;
        float b = (box.max[i] - ray.origin[i]) / d;
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
        if (!(t0 <= t1)) return std::nullopt;
    }
    return t0;
}

bool SceneNavigation::getCamera(Camera& out) {
    ViewPoint* v = currentViewpoint();
    if (v == nullptr) return false;
    double p[3];
    float r[4];
    v->worldPose(p, r);
    out.position = {float(p[0]), float(p[1]), float(p[2])};
    out.orientation = {r[0], r[1], r[2], r[3]};
    out.fieldOfView = float(viewpointFieldOfView());
    return true;
}

void SceneNavigation::setCamera(const Camera& camera) {
    ViewPoint* v = currentViewpoint();
    if (v == nullptr) return;
    const double p[3] = {camera.position[0], camera.position[1], camera.position[2]};
    const float r[4] = {camera.orientation[0], camera.orientation[1], camera.orientation[2], camera.orientation[3]};
    v->setWorldPose(p, r, false);
}

void SceneNavigation::hitGroup(GroupNode& group, const Ray& ray, std::optional<RayHit>& best, int depth) {
    if (depth > kMaxDepth || (!group.visible() && group.childCount() > 0)) return;
    for (std::size_t i = 0; i < group.childCount(); ++i) {
        Node* child = group.child(i);
        if (GroupNode* g = child->asGroupNode()) {
            hitGroup(*g, ray, best, depth + 1);
            continue;
        }
        if (child->asShapeNode() == nullptr || !child->visible()) continue;
        BoundingBox local;
        child->extendLocalBounds(local);
        if (local.isEmpty()) continue;
        const std::optional<float> t = rayEntersBox(ray, toWorld(group, local));
        if (!t || (best && best->distance <= *t)) continue;
        RayHit hit;
        hit.distance = *t;
        hit.node = &group;
        for (int k = 0; k < 3; ++k) hit.point[k] = ray.origin[k] + *t * ray.direction[k];
        best = hit;
    }
}

std::optional<RayHit> SceneNavigation::hitTest(const Ray& ray) {
    std::optional<RayHit> best;
    hitGroup(*root_, ray, best, 0);
    return best;
}

BasicObject* SceneNavigation::rootNode() { return root_; }

Bounds SceneNavigation::rootBounds() {
    root_->updateBounds();
    BoundingBox world;
    root_->extendBounds(world);
    Bounds out;
    if (world.isEmpty()) return out;
    out.min = {world.min[0], world.min[1], world.min[2]};
    out.max = {world.max[0], world.max[1], world.max[2]};
    return out;
}

void SceneNavigation::fitToWorkpart() {
    if (ViewPoint* v = currentViewpoint()) fitToBoundingBox(*v, *root_);
}

void SceneNavigation::initialView() {
    if (ViewPoint* v = initialViewpoint())
        activate(*v);
    else if (ViewPoint* current = currentViewpoint())
        activate(*current);
}

}  // namespace kinemo
