// Drawing the node tree: a flat list of the shapes with their world matrices is built once per
// frame, so that bounds, clipping depths and both drawing passes agree on what is drawn.
#include "render/tree_drawer.h"

#include <GL/gl.h>

#include <cmath>

#include "geometry/face_object.h"
#include "geometry/material_cache.h"
#include "geometry/shape_node.h"
#include "render/projection.h"
#include "scene/bounding_box.h"
#include "scene/group_node.h"
#include "scene/light.h"
#include "scene/lod.h"
#include "scene/scene.h"
#include "scene/scene_light.h"
#include "scene/viewpoint.h"

namespace kinemo {
namespace {

// The 8 corners of a box of the parent's frame, taken into the world.
Bounds worldBox(const BoundingBox& local, const std::array<double, 16>& m) {
    Bounds out;
    for (int i = 0; i < 8; ++i) {
        const double p[3] = {(i & 1) ? local.max[0] : local.min[0], (i & 2) ? local.max[1] : local.min[1],
                             (i & 4) ? local.max[2] : local.min[2]};
        Vec3 w;
        for (int r = 0; r < 3; ++r) w[r] = float(m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r]);
        out.extend(w);
    }
    return out;
}

bool finite(const Bounds& b) {
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(b.min[i]) || !std::isfinite(b.max[i])) return false;
    return true;
}

}  // namespace

TreeDrawer::TreeDrawer(GroupNode& root) : root_(&root) {}

TreeDrawer::TreeDrawer(Scene& scene) : root_(&scene.superRoot()), scene_(&scene) {}

ViewPoint* TreeDrawer::viewpoint() const { return viewpoint_ ? viewpoint_ : currentViewpoint(); }

void TreeDrawer::collectInUse(std::vector<BasicObject*>& out) {
    out.push_back(root_);
    if (scene_) out.push_back(scene_);
    if (ViewPoint* v = viewpoint()) out.push_back(v);
}

void TreeDrawer::updateTransforms() {
    root_->prepareFrame(viewpoint());
    entries_.clear();
    collect(*root_);
}

void TreeDrawer::collect(GroupNode& group) {
    // A hidden group has hidden every shape below it.
    if (!group.visible() && group.childCount() > 0) return;
    TransformData& t = group.currentTransform;
    const float* l = t.localToGlobal();
    const double* o = t.globalTranslation();
    Entry base;
    base.model = {l[0], l[3], l[6], 0.0, l[1], l[4], l[7], 0.0, l[2], l[5], l[8], 0.0, o[0], o[1], o[2], 1.0};
    base.origin = {o[0], o[1], o[2]};
    const float* g = t.globalToLocal();
    for (int i = 0; i < 9; ++i) base.globalToLocal[i] = g[i];
    base.normalize = !(t.globalUniform() && std::fabs(t.globalScaleFactor() - 1.0f) < 1.0e-5f);
    // A level-of-detail group draws only the child its level choice picked (none: -1).
    const auto* lod = dynamic_cast<const LOD*>(&group);
    for (std::size_t i = 0; i < group.childCount(); ++i) {
        if (lod && long(i) != long(lod->level)) continue;
        Node* child = group.child(i);
        if (ShapeNode* shape = child->asShapeNode()) {
            if (shape->renderOrderKey() < 0) continue;
            BoundingBox local;
            shape->extendLocalBounds(local);
            Entry e = base;
            e.shape = shape;
            if (!local.isEmpty()) e.box = worldBox(local, e.model);
            if (!finite(e.box)) e.box = Bounds{};
            entries_.push_back(e);
        } else if (GroupNode* sub = child->asGroupNode()) {
            collect(*sub);
        }
    }
}

bool TreeDrawer::camera(Camera& out) {
    ViewPoint* v = viewpoint();
    if (!v) return false;
    double position[3];
    float rotation[4];
    v->worldPose(position, rotation);
    out.position = {float(position[0]), float(position[1]), float(position[2])};
    out.orientation = {rotation[0], rotation[1], rotation[2], rotation[3]};
    out.fieldOfView = float(viewpointFieldOfView());
    return true;
}

Bounds TreeDrawer::bounds() {
    Bounds all;
    for (const Entry& e : entries_) {
        if (e.box.empty()) continue;
        all.extend(e.box.min);
        all.extend(e.box.max);
    }
    return all;
}

bool TreeDrawer::depthRange(const Camera& camera, float& nearest, float& farthest) {
    bool any = false;
    for (const Entry& e : entries_) {
        if (e.box.empty()) continue;
        float n = 0.0f, f = 0.0f;
        if (!depthRangeOfBox(e.box, camera, n, f)) continue;
        if (!any || n < nearest) nearest = n;
        if (!any || f > farthest) farthest = f;
        any = true;
    }
    return any;
}

LightSetup TreeDrawer::lights() {
    LightSetup s;
    const LightValues& live = sceneLight().live;
    s.headlight = headlight_ ? *headlight_ : live.headlight;
    s.sceneLightColour = {live.colour[0], live.colour[1], live.colour[2]};
    s.sceneLightIntensity = live.intensity;
    s.sceneLightAmbientIntensity = live.ambientIntensity;
    Vec3 d{live.direction[0], live.direction[1], live.direction[2]};
    // The renderer sets the scene light in camera coordinates; a world direction is turned by the
    // inverse of the camera's rotation (mode 1 directions are in camera coordinates already).
    Camera c;
    if (sceneLight().lightMode == 0 && camera(c)) {
        const Matrix3 r = rotationOf(c.orientation);
        d = {r[0][0] * d[0] + r[1][0] * d[1] + r[2][0] * d[2], r[0][1] * d[0] + r[1][1] * d[1] + r[2][1] * d[2],
             r[0][2] * d[0] + r[1][2] * d[1] + r[2][2] * d[2]};
    }
    s.sceneLightDirection = d;
    return s;
}

void TreeDrawer::beginFrame(const FrameContext&, bool) {
    transparent_.clear();
    materialCache().reset();
    deletePendingFaceBuffers();
}

void TreeDrawer::applyLightNodes(const FrameContext&) {
    Light* light = currentLight();
    if (!light) {
        glDisable(GL_LIGHT2);
        return;
    }
    const LightNodeSetup s = light->glSetup();
    glEnable(GL_LIGHT2);
    glLightfv(GL_LIGHT2, GL_AMBIENT, s.ambient);
    glLightfv(GL_LIGHT2, GL_DIFFUSE, s.diffuse);
    glLightfv(GL_LIGHT2, GL_POSITION, s.position);
}

void TreeDrawer::draw(const Entry& e, const FrameContext& frame) const {
    ShapeDrawContext context;
    const double d[3] = {frame.viewerPosition[0] - e.origin[0], frame.viewerPosition[1] - e.origin[1],
                         frame.viewerPosition[2] - e.origin[2]};
    for (int r = 0; r < 3; ++r)
        context.viewerLocal[r] = float(e.globalToLocal[3 * r] * d[0] + e.globalToLocal[3 * r + 1] * d[1] +
                                       e.globalToLocal[3 * r + 2] * d[2]);
    context.cameraDistance = float(std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]));
    context.offscreen = frame.offscreen;
    glPushMatrix();
    glMultMatrixd(e.model.data());
    if (e.normalize) glEnable(GL_NORMALIZE);
    e.shape->draw(context);
    if (e.normalize) glDisable(GL_NORMALIZE);
    glPopMatrix();
}

void TreeDrawer::drawOpaque(const FrameContext& frame) {
    for (const Entry& e : entries_) {
        if (frame.stopEarly()) break;
        const int key = e.shape->renderOrderKey();
        if (key < 0) continue;
        if (key == 1) {
            transparent_.push_back(&e);
            continue;
        }
        draw(e, frame);
    }
    finishFaceDrawing();
}

void TreeDrawer::drawTransparent(const FrameContext& frame) {
    materialCache().reset();
    for (const Entry* e : transparent_) {
        if (frame.stopEarly()) break;
        draw(*e, frame);
    }
    finishFaceDrawing();
    transparent_.clear();
}

}  // namespace kinemo
