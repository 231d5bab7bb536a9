#pragma once
// What the renderer draws through. The scene layer implements SceneDrawer over its node tree;
// tests and benchmarks implement it over geometry of their own. Every call comes from the render
// thread with the renderer's OpenGL context current.
#include <array>
#include <atomic>
#include <vector>

namespace kinemo {

class BasicObject;

using Vec3 = std::array<float, 3>;
using Colour4 = std::array<float, 4>;

// The current camera, VRML style: the camera looks along its own -z with +y up, rotated by the
// axis-angle orientation (radians) and placed at position.
struct Camera {
    Vec3 position{0.0f, 0.0f, 10.0f};
    std::array<float, 4> orientation{0.0f, 0.0f, 1.0f, 0.0f};
    float fieldOfView = 45.0f;  // vertical, degrees
};

// An axis-aligned box in world coordinates; empty when min exceeds max.
struct Bounds {
    Vec3 min{1.0f, 1.0f, 1.0f};
    Vec3 max{-1.0f, -1.0f, -1.0f};
    bool empty() const { return min[0] > max[0] || min[1] > max[1] || min[2] > max[2]; }
    void extend(const Vec3& p);
};

// The light data the renderer turns into GL_LIGHT0 (headlight) and GL_LIGHT1 (scene light).
struct LightSetup {
    Colour4 globalAmbient{0.2f, 0.2f, 0.2f, 1.0f};
    bool headlight = true;
    Colour4 headlightAmbient{0.0f, 0.0f, 0.0f, 1.0f};
    Colour4 headlightDiffuse{1.0f, 1.0f, 1.0f, 1.0f};
    Colour4 headlightSpecular{1.0f, 1.0f, 1.0f, 1.0f};
    Vec3 headlightTowards{0.0f, 0.0f, 1.0f};  // direction to the light, camera coordinates
    // The scene light is set with an identity modelview, so its direction is in camera
    // coordinates too. Intensity 0 leaves it dark.
    Vec3 sceneLightColour{1.0f, 1.0f, 1.0f};
    float sceneLightAmbientIntensity = 0.0f;
    float sceneLightIntensity = 0.0f;
    Vec3 sceneLightDirection{0.0f, 0.0f, -1.0f};  // the way the light travels
};

// What one drawing pass knows about the frame.
struct FrameContext {
    Camera camera;
    Vec3 viewerPosition{};  // for back-face decisions: the camera position in world coordinates
    float eyeShift = 0.0f;  // stereo: camera shift along its x axis for this pass
    int width = 1;
    int height = 1;
    bool offscreen = false;    // drawing into a bitmap context: look textures up on every bind
    bool shapeStereo = false;  // every shape draws itself twice
    // Set while a pause is requested: long passes stop early.
    const std::atomic<bool>* pauseRequested = nullptr;
    bool stopEarly() const { return pauseRequested != nullptr && pauseRequested->load(std::memory_order_relaxed); }
};

class SceneDrawer {
public:
    virtual ~SceneDrawer() = default;

    // Objects that deletion must respect while a frame is drawn (the root, the document, the
    // viewpoint list); the renderer raises their in-use counters for the frame.
    virtual void collectInUse(std::vector<BasicObject*>& out) {}
    // First call of every frame: bring transforms up to date.
    virtual void updateTransforms() {}
    // The current camera; false when the scene has no viewpoint (the frame is then not drawn).
    virtual bool camera(Camera& out) = 0;
    // World bounds of everything drawn; used for the clipping distances.
    virtual Bounds bounds() = 0;
    // Nearest and farthest depth of the shapes' bounds in front of the camera; false when none
    // lies in front. The default takes the corners of bounds().
    virtual bool depthRange(const Camera& camera, float& nearest, float& farthest);
    virtual LightSetup lights() { return {}; }
    // Frame preparation: empty the transparent queue, reset the material cache. forceMaterials is
    // set for bitmap contexts, which must receive every material value again.
    virtual void beginFrame(const FrameContext& frame, bool forceMaterials) {}
    virtual void drawBackground(const FrameContext& frame) {}
    // The scene's own light nodes, after the headlight and the scene light are set.
    virtual void applyLightNodes(const FrameContext& frame) {}
    // Draws the opaque shapes and queues the transparent ones for drawTransparent.
    virtual void drawOpaque(const FrameContext& frame) = 0;
    // Draws the queued transparent shapes (blending is on, depth writes off).
    virtual void drawTransparent(const FrameContext& frame) {}
    // Camera distance between the two eyes for scene stereo.
    virtual float stereoEyeDistance() { return 0.0f; }
};

// Drawn over the finished frame in window coordinates (origin bottom left, one unit a pixel),
// with depth test and lighting off: text areas pinned to parts.
class OverlayItem {
public:
    virtual ~OverlayItem() = default;
    virtual void drawOverlay(int width, int height) = 0;
};

}  // namespace kinemo
