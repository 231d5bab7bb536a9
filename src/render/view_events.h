#pragma once
// The navigation events: camera rotation about a centre, translation and zoom. They are queued
// with the renderer by the interface thread and run on the render thread, where they read and
// set the camera through a NavigationCamera. Each runs in one step; they still run behind a
// blocking event (playback), so the reader can look around while a step plays.
#include <array>
#include <chrono>
#include <memory>

#include "render/renderer.h"
#include "render/scene_drawer.h"
#include "render/view_event.h"

namespace kinemo {

using Quaternion = std::array<double, 4>;  // x, y, z, w

// Axis-angle (radians) to unit quaternion and back; a zero axis is the identity.
Quaternion quaternionOf(const std::array<float, 4>& axisAngle);
std::array<float, 4> axisAngleOf(const Quaternion& q);
// a after b: rotating by the product is rotating by b first, then by a.
Quaternion multiply(const Quaternion& a, const Quaternion& b);
Vec3 rotate(const Quaternion& q, const Vec3& v);

// The camera that navigation moves, in world coordinates (the current viewpoint). Called on the
// render thread by the events.
class NavigationCamera {
public:
    virtual ~NavigationCamera() = default;
    // False when there is no camera; the events then do nothing.
    virtual bool getCamera(Camera& out) = 0;
    virtual void setCamera(const Camera& camera) = 0;
};

// The steady-clock time of the last navigation step (for the "still" smoothing and idle logic).
std::chrono::steady_clock::time_point lastInteractionTime();

// Which frame a rotation axis is given in: the world, or the camera's own (x right, y up, z back).
enum class RotationFrame { World, Camera };

// Rotates the camera about centre: orientation q * R, position c + q(p - c).
class V_EventRotateViewPoint : public V_Event {
public:
    V_EventRotateViewPoint(Renderer& renderer, std::shared_ptr<NavigationCamera> camera, std::array<float, 4> rotation,
                           Vec3 centre, RotationFrame frame = RotationFrame::World);
    void execute() override;
    bool isFinished() const override { return isDone(); }
    bool isNavigation() const override { return true; }
    const std::array<float, 4>& rotation() const { return rotation_; }
    const Vec3& centre() const { return centre_; }

private:
    Renderer& renderer_;
    std::shared_ptr<NavigationCamera> camera_;
    std::array<float, 4> rotation_;
    Vec3 centre_;
    RotationFrame frame_;
};

// Adds an offset to the camera position. The offset is either given in world coordinates or
// built from a mouse drag in pixels when the event runs, from the camera of that moment, so that
// the point at the centre's depth follows the cursor.
class V_EventTranslateViewPoint : public V_Event {
public:
    V_EventTranslateViewPoint(Renderer& renderer, std::shared_ptr<NavigationCamera> camera, Vec3 offset);
    // dx, dy: previous minus new cursor position in pixels; centre: the point whose depth is used;
    // scales: the renderer's view scales.
    static std::shared_ptr<V_EventTranslateViewPoint> fromDrag(Renderer& renderer,
                                                               std::shared_ptr<NavigationCamera> camera, float dx,
                                                               float dy, Vec3 centre, ViewScales scales);
    void execute() override;
    bool isFinished() const override { return isDone(); }
    bool isNavigation() const override { return true; }
    const Vec3& offset() const { return offset_; }

private:
    Renderer& renderer_;
    std::shared_ptr<NavigationCamera> camera_;
    Vec3 offset_;
    bool fromPixels_ = false;
    float dx_ = 0.0f, dy_ = 0.0f;
    Vec3 centre_{};
    ViewScales scales_{};
};

// Moves the camera along its view axis. zoomSpeed >= 0: by zoomSpeed * amount * 100; negative
// (automatic): by (2^amount - 1) of the target's camera depth, so a positive amount moves away from
// the target and a negative one never goes past it.
class V_EventZoomViewPoint : public V_Event {
public:
    V_EventZoomViewPoint(Renderer& renderer, std::shared_ptr<NavigationCamera> camera, float amount, Vec3 target,
                         float zoomSpeed);
    void execute() override;
    bool isFinished() const override { return isDone(); }
    bool isNavigation() const override { return true; }
    float amount() const { return amount_; }

private:
    Renderer& renderer_;
    std::shared_ptr<NavigationCamera> camera_;
    float amount_;
    Vec3 target_;
    float zoomSpeed_;
};

// The camera-frame step of a zoom: the distance the camera moves along its own z.
float zoomStep(float amount, float targetCameraZ, float zoomSpeed);

}  // namespace kinemo
