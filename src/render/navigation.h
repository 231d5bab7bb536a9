#pragma once
// The 3D view's navigation: mouse gestures turned into view events, the rotation centre, the
// mouse mode and the view commands "Fit To Workpart" and "Initial View". Knows nothing of the
// window system: the 3D view widget forwards its mouse events here in window pixels (origin top
// left), and the scene side answers through a NavigationScene.
#include <functional>
#include <memory>
#include <optional>

#include "render/view_events.h"

namespace kinemo {

class BasicObject;

enum class MouseMode : int { Translate = 1, Rotate = 2, Zoom = 3, Pick = 4 };

struct RayHit {
    Vec3 point{};
    BasicObject* node = nullptr;  // the transform node of the shape hit (observed)
    float distance = 0.0f;
};

// What navigation needs of the open scene. getCamera / setCamera run on the render thread (from the
// events); the rest on the interface thread.
class NavigationScene : public NavigationCamera {
public:
    // The nearest shape hit by a world ray.
    virtual std::optional<RayHit> hitTest(const Ray& ray) = 0;
    // The scene root, the centre node when nothing is hit, and its world bounds.
    virtual BasicObject* rootNode() = 0;
    virtual Bounds rootBounds() = 0;
    // Fits the current viewpoint to the root ("Fit To Workpart" until workparts exist).
    virtual void fitToWorkpart() = 0;
    // Back to the scene's initial viewpoint.
    virtual void initialView() = 0;
    // Picking (right button and pick mode); nothing until picking exists.
    virtual void pick(const Ray&) {}
    virtual void endPick() {}
};

class ViewNavigation {
public:
    static constexpr float kWheelScale = 0.001f;
    static constexpr float kRotateScale = 0.00625f;
    static constexpr float kZoomDragScale = 0.0033333f;

    explicit ViewNavigation(Renderer& renderer);

    // The scene to navigate (may be null: the gestures then do nothing). A new scene forgets the
    // rotation centre.
    void setScene(std::shared_ptr<NavigationScene> scene);
    NavigationScene* scene() const { return scene_.get(); }

    // The events go to sink instead of the renderer's queue (a host that runs them itself).
    void setEventSink(std::function<void(EventHandle)> sink) { sink_ = std::move(sink); }

    MouseMode mouseMode() const { return mode_; }
    void setMouseMode(MouseMode mode) { mode_ = modeBeforeKeys_ = mode; }
    // The "ZoomSpeed" setting; negative is automatic.
    void setZoomSpeed(float speed) { zoomSpeed_ = speed; }
    float zoomSpeed() const { return zoomSpeed_; }

    // Mouse handlers. Nothing happens while the renderer is paused. mouseMove returns true when
    // the view should take the keyboard focus (shift or ctrl held).
    void wheel(int delta);
    void leftButtonDown(int x, int y);
    void leftButtonUp(int x, int y);
    void rightButtonDown(int x, int y);
    void rightButtonUp(int x, int y);
    bool mouseMove(int x, int y, bool leftButton, bool shift, bool ctrl);
    // Shift held: rotate mode ("shift = rotate"); ctrl held: pick mode ("ctrl = pick"); released:
    // back to translate when the keys had set the mode.
    void modifiersChanged(bool shift, bool ctrl);
    // The view's new client size: a resize event is queued.
    void resize(int width, int height);
    // True between a button press and its release: the widget keeps the mouse.
    bool capturesMouse() const { return capture_; }

    // The rotation centre from the pixel: a shape hit gives its transform node and the hit point;
    // otherwise the previous centre node stays; without one the root and its bounds centre.
    void setRotationCentre(float x, float y);
    Vec3 rotationCentre() const { return centre_; }
    BasicObject* centreNode() const { return centreNode_; }

    // Queue rotations about the centre: around the view's vertical axis, its horizontal axis and
    // the view axis (angles in radians).
    void rotateVertical(float amount);
    void rotateHorizontal(float amount);
    void rotateView(float amount);
    // Queues a zoom toward the rotation centre.
    void zoom(float amount);
    // Queues a translation by a drag of (dx, dy) pixels, previous minus new position.
    void translate(float dx, float dy);

    void fitToWorkpart();
    void initialView();

private:
    bool blocked() const;
    void queue(EventHandle event);
    void rotateAbout(const Vec3& cameraAxis, float amount);

    Renderer& renderer_;
    std::function<void(EventHandle)> sink_;
    std::shared_ptr<NavigationScene> scene_;
    MouseMode mode_ = MouseMode::Translate;
    float zoomSpeed_ = -1.0f;
    Vec3 centre_{};
    BasicObject* centreNode_ = nullptr;
    bool leftDown_ = false;
    bool modeFromKeys_ = false;
    MouseMode modeBeforeKeys_ = MouseMode::Translate;
    bool capture_ = false;
    bool haveLast_ = false;
    int lastX_ = 0, lastY_ = 0;
};

}  // namespace kinemo
