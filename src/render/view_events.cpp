#include "render/view_events.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "render/projection.h"

namespace kinemo {

namespace {

std::atomic<std::chrono::steady_clock::rep> lastInteraction{0};

void noteInteraction(Renderer& renderer) {
    lastInteraction.store(std::chrono::steady_clock::now().time_since_epoch().count());
    renderer.requestRedraw();
}

Quaternion conjugate(const Quaternion& q) { return {-q[0], -q[1], -q[2], q[3]}; }

}  // namespace

Quaternion quaternionOf(const std::array<float, 4>& axisAngle) {
    const double x = axisAngle[0], y = axisAngle[1], z = axisAngle[2];
    const double len = std::sqrt(x * x + y * y + z * z);
    if (len < 1e-12 || !std::isfinite(len) || !std::isfinite(axisAngle[3])) return {0, 0, 0, 1};
    const double s = std::sin(axisAngle[3] * 0.5) / len;
    return {x * s, y * s, z * s, std::cos(axisAngle[3] * 0.5)};
}

std::array<float, 4> axisAngleOf(const Quaternion& q) {
    const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (n < 1e-15) return {0.0f, 0.0f, 1.0f, 0.0f};
    double w = q[3] / n;
    const double s = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]) / n;
    if (s < 1e-12) return {0.0f, 0.0f, 1.0f, 0.0f};
    w = std::clamp(w, -1.0, 1.0);
    const double angle = 2.0 * std::atan2(s, w);
    return {float(q[0] / n / s), float(q[1] / n / s), float(q[2] / n / s), float(angle)};
}

Quaternion multiply(const Quaternion& a, const Quaternion& b) {
    return {
        a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1], a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
        a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3], a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
}

Vec3 rotate(const Quaternion& q, const Vec3& v) {
    const Quaternion p{v[0], v[1], v[2], 0.0};
    const Quaternion r = multiply(multiply(q, p), conjugate(q));
    return {float(r[0]), float(r[1]), float(r[2])};
}

std::chrono::steady_clock::time_point lastInteractionTime() {
    return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(lastInteraction.load()));
}

V_EventRotateViewPoint::V_EventRotateViewPoint(Renderer& renderer, std::shared_ptr<NavigationCamera> camera,
                                               std::array<float, 4> rotation, Vec3 centre, RotationFrame frame)
    : renderer_(renderer), camera_(std::move(camera)), rotation_(rotation), centre_(centre), frame_(frame) {}

void V_EventRotateViewPoint::execute() {
    Camera cam;
    if (camera_ && camera_->getCamera(cam)) {
        const Quaternion r = quaternionOf(cam.orientation);
        Quaternion q = quaternionOf(rotation_);
        // An axis in the camera's frame is R a in the world: the rotation becomes R q R^-1.
        if (frame_ == RotationFrame::Camera) q = multiply(multiply(r, q), conjugate(r));
        const Vec3 rel{cam.position[0] - centre_[0], cam.position[1] - centre_[1], cam.position[2] - centre_[2]};
        const Vec3 moved = rotate(q, rel);
        cam.position = {centre_[0] + moved[0], centre_[1] + moved[1], centre_[2] + moved[2]};
        cam.orientation = axisAngleOf(multiply(q, r));
        camera_->setCamera(cam);
    }
    noteInteraction(renderer_);
    setDone();
}

V_EventTranslateViewPoint::V_EventTranslateViewPoint(Renderer& renderer, std::shared_ptr<NavigationCamera> camera,
                                                     Vec3 offset)
    : renderer_(renderer), camera_(std::move(camera)), offset_(offset) {}

std::shared_ptr<V_EventTranslateViewPoint> V_EventTranslateViewPoint::fromDrag(Renderer& renderer,
                                                                               std::shared_ptr<NavigationCamera> camera,
                                                                               float dx, float dy, Vec3 centre,
                                                                               ViewScales scales) {
    auto event = std::make_shared<V_EventTranslateViewPoint>(renderer, std::move(camera), Vec3{});
    event->fromPixels_ = true;
    event->dx_ = dx;
    event->dy_ = dy;
    event->centre_ = centre;
    event->scales_ = scales;
    return event;
}

void V_EventTranslateViewPoint::execute() {
    Camera cam;
    if (camera_ && camera_->getCamera(cam)) {
        const Matrix3 r = rotationOf(cam.orientation);
        if (fromPixels_) {
            // Depth of the centre in front of the camera: -(R^T (c - p)).z.
            const Vec3 rel{centre_[0] - cam.position[0], centre_[1] - cam.position[1], centre_[2] - cam.position[2]};
            const float depth = -(r[0][2] * rel[0] + r[1][2] * rel[1] + r[2][2] * rel[2]);
            // dx, dy are previous minus new: the camera moves against the drag, so the scene
            // (and the point at the centre's depth) moves with the cursor. Pixels grow downwards.
            const Vec3 local{depth * dx_ * scales_.unitsPerPixelX, -depth * dy_ * scales_.unitsPerPixelY, 0.0f};
            offset_ = rotate(r, local);
        }
        if (std::isfinite(offset_[0]) && std::isfinite(offset_[1]) && std::isfinite(offset_[2])) {
            for (int i = 0; i < 3; ++i) cam.position[i] += offset_[i];
            camera_->setCamera(cam);
        }
    }
    noteInteraction(renderer_);
    setDone();
}

float zoomStep(float amount, float targetCameraZ, float zoomSpeed) {
    if (zoomSpeed >= 0.0f) return zoomSpeed * amount * 100.0f;
    return -(std::exp2(amount) - 1.0f) * targetCameraZ;
}

V_EventZoomViewPoint::V_EventZoomViewPoint(Renderer& renderer, std::shared_ptr<NavigationCamera> camera, float amount,
                                           Vec3 target, float zoomSpeed)
    : renderer_(renderer), camera_(std::move(camera)), amount_(amount), target_(target), zoomSpeed_(zoomSpeed) {}

void V_EventZoomViewPoint::execute() {
    Camera cam;
    if (camera_ && camera_->getCamera(cam)) {
        const Matrix3 r = rotationOf(cam.orientation);
        const Vec3 rel{target_[0] - cam.position[0], target_[1] - cam.position[1], target_[2] - cam.position[2]};
        const float z = r[0][2] * rel[0] + r[1][2] * rel[1] + r[2][2] * rel[2];
        const float dz = zoomStep(amount_, z, zoomSpeed_);
        if (std::isfinite(dz)) {
            const Vec3 move = rotate(r, Vec3{0.0f, 0.0f, dz});
            for (int i = 0; i < 3; ++i) cam.position[i] += move[i];
            camera_->setCamera(cam);
        }
    }
    noteInteraction(renderer_);
    setDone();
}

}  // namespace kinemo
