#include "render/navigation.h"

namespace kinemo {

ViewNavigation::ViewNavigation(Renderer& renderer) : renderer_(renderer) {}

void ViewNavigation::setScene(std::shared_ptr<NavigationScene> scene) {
    scene_ = std::move(scene);
    centreNode_ = nullptr;
    centre_ = {};
    haveLast_ = false;
}

void ViewNavigation::queue(EventHandle event) {
    if (sink_)
        sink_(std::move(event));
    else
        renderer_.pushEvent(std::move(event));
}

bool ViewNavigation::blocked() const { return scene_ == nullptr || renderer_.isPauseRequested(); }

void ViewNavigation::wheel(int delta) {
    if (blocked()) return;
    zoom(float(delta) * kWheelScale);
}

void ViewNavigation::leftButtonDown(int x, int y) {
    if (blocked()) return;
    setRotationCentre(float(x), float(y));
    leftDown_ = true;
    capture_ = true;
    if (mode_ == MouseMode::Pick) scene_->pick(renderer_.pickRayWorld(float(x), float(y)));
}

void ViewNavigation::leftButtonUp(int, int) {
    leftDown_ = false;
    capture_ = false;
}

void ViewNavigation::rightButtonDown(int x, int y) {
    if (blocked()) return;
    setRotationCentre(float(x), float(y));
    mode_ = MouseMode::Pick;
    capture_ = true;
    scene_->pick(renderer_.pickRayWorld(float(x), float(y)));
}

void ViewNavigation::rightButtonUp(int, int) {
    if (mode_ == MouseMode::Pick) mode_ = MouseMode::Translate;
    if (scene_) scene_->endPick();
    capture_ = false;
}

bool ViewNavigation::mouseMove(int x, int y, bool leftButton, bool shift, bool ctrl) {
    const bool focus = shift || ctrl;
    if (blocked()) return focus;
    if (!haveLast_) {
        // The first move only sets where the drag starts.
        haveLast_ = true;
        lastX_ = x;
        lastY_ = y;
        return focus;
    }
    const float dx = float(lastX_ - x);
    const float dy = float(lastY_ - y);
    lastX_ = x;
    lastY_ = y;
    if (dx == 0.0f && dy == 0.0f) return focus;
    switch (mode_) {
        case MouseMode::Rotate:
            if (leftButton) {
                rotateVertical(dx * kRotateScale);
                rotateHorizontal(dy * kRotateScale);
            }
            break;
        case MouseMode::Zoom:
            zoom(dy * kZoomDragScale);
            break;
        case MouseMode::Translate:
            if (leftButton) translate(dx, dy);
            break;
        case MouseMode::Pick:
            break;
    }
    return focus;
}

void ViewNavigation::modifiersChanged(bool shift, bool ctrl) {
    if (shift || ctrl) {
        if (!modeFromKeys_) modeBeforeKeys_ = mode_;  // the released keys give back the chosen mode
        mode_ = shift ? MouseMode::Rotate : MouseMode::Pick;
        modeFromKeys_ = true;
    } else if (modeFromKeys_) {
        mode_ = modeBeforeKeys_;
        modeFromKeys_ = false;
    }
}

void ViewNavigation::resize(int width, int height) { queue(std::make_shared<V_EventResize>(renderer_, width, height)); }

void ViewNavigation::setRotationCentre(float x, float y) {
    if (scene_ == nullptr) return;
    if (std::optional<RayHit> hit = scene_->hitTest(renderer_.pickRayWorld(x, y)); hit && hit->node != nullptr) {
        centreNode_ = hit->node;
        centre_ = hit->point;
        return;
    }
    if (centreNode_ != nullptr) return;
    centreNode_ = scene_->rootNode();
    const Bounds b = scene_->rootBounds();
    if (!b.empty()) {
        for (int i = 0; i < 3; ++i) centre_[i] = (b.min[i] + b.max[i]) * 0.5f;
    }
}

void ViewNavigation::rotateAbout(const Vec3& cameraAxis, float amount) {
    if (scene_ == nullptr || amount == 0.0f) return;
    queue(std::make_shared<V_EventRotateViewPoint>(
        renderer_, scene_, std::array<float, 4>{cameraAxis[0], cameraAxis[1], cameraAxis[2], amount}, centre_,
        RotationFrame::Camera));
}

void ViewNavigation::rotateVertical(float amount) { rotateAbout({0.0f, 1.0f, 0.0f}, amount); }
void ViewNavigation::rotateHorizontal(float amount) { rotateAbout({1.0f, 0.0f, 0.0f}, amount); }
void ViewNavigation::rotateView(float amount) { rotateAbout({0.0f, 0.0f, 1.0f}, amount); }

void ViewNavigation::zoom(float amount) {
    if (scene_ == nullptr || amount == 0.0f) return;
    queue(std::make_shared<V_EventZoomViewPoint>(renderer_, scene_, amount, centre_, zoomSpeed_));
}

void ViewNavigation::translate(float dx, float dy) {
    if (scene_ == nullptr) return;
    queue(V_EventTranslateViewPoint::fromDrag(renderer_, scene_, dx, dy, centre_, renderer_.viewScales()));
}

void ViewNavigation::fitToWorkpart() {
    if (scene_ == nullptr) return;
    // The viewpoint is changed from this thread: the renderer is held meanwhile.
    RendererPause pause(renderer_);
    scene_->fitToWorkpart();
    renderer_.requestRedraw();
}

void ViewNavigation::initialView() {
    if (scene_ == nullptr) return;
    RendererPause pause(renderer_);
    scene_->initialView();
    renderer_.requestRedraw();
}

}  // namespace kinemo
