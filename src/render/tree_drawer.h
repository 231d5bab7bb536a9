#pragma once
// The renderer's view of the node tree: every frame it walks the tree below its root, lists the
// shapes that are drawn with their world matrices and boxes, draws the opaque ones and queues the
// transparent ones for the blended pass. The camera is the current viewpoint (or one chosen), the
// lights the scene light, the headlight and the current light node.
#include <array>
#include <optional>
#include <vector>

#include "render/scene_drawer.h"

namespace kinemo {

class GroupNode;
class Scene;
class ShapeNode;
class ViewPoint;

class TreeDrawer : public SceneDrawer {
public:
    // Draws the subtree of root (which must outlive the drawer, or be swapped while the renderer
    // is paused).
    explicit TreeDrawer(GroupNode& root);
    // Draws the scene's tree from its super root, with the scene's headlight.
    explicit TreeDrawer(Scene& scene);

    // The viewpoint to look through; none: the scene's current viewpoint (currentViewpoint()).
    void setViewpoint(ViewPoint* viewpoint) { viewpoint_ = viewpoint; }
    ViewPoint* viewpoint() const;
    // The headlight; unset: the scene light's live headlight flag.
    void setHeadlight(std::optional<bool> on) { headlight_ = on; }
    void setRoot(GroupNode& root) { root_ = &root; }
    GroupNode& root() const { return *root_; }

    void collectInUse(std::vector<BasicObject*>& out) override;
    void updateTransforms() override;
    bool camera(Camera& out) override;
    Bounds bounds() override;
    bool depthRange(const Camera& camera, float& nearest, float& farthest) override;
    LightSetup lights() override;
    void beginFrame(const FrameContext& frame, bool forceMaterials) override;
    void applyLightNodes(const FrameContext& frame) override;
    void drawOpaque(const FrameContext& frame) override;
    void drawTransparent(const FrameContext& frame) override;

    // One shape of the frame's list: where its parent's frame lies in the world (column-major,
    // as glMultMatrix takes it) and its world box.
    struct Entry {
        ShapeNode* shape = nullptr;
        std::array<double, 16> model{};
        std::array<double, 3> origin{};        // the parent frame's origin in the world
        std::array<float, 9> globalToLocal{};  // row-major, world directions into the shape's frame
        bool normalize = false;                // the matrix scales: normals are renormalised
        Bounds box;
    };
    // The shapes listed by the last updateTransforms, in tree order.
    const std::vector<Entry>& entries() const { return entries_; }

private:
    void collect(GroupNode& group);
    void draw(const Entry& entry, const FrameContext& frame) const;

    GroupNode* root_;
    Scene* scene_ = nullptr;
    ViewPoint* viewpoint_ = nullptr;
    std::optional<bool> headlight_;
    std::vector<Entry> entries_;
    std::vector<const Entry*> transparent_;
};

}  // namespace kinemo
