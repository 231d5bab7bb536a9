#include "render/navigation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/projection.h"
#include "render/renderer.h"

namespace kinemo {
namespace {

constexpr float kPi = 3.14159265f;

Vec3 sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
float length(const Vec3& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

// Where the camera looks, in world coordinates.
Vec3 viewDirection(const Camera& c) { return rotate(rotationOf(c.orientation), Vec3{0.0f, 0.0f, -1.0f}); }
Vec3 upDirection(const Camera& c) { return rotate(rotationOf(c.orientation), Vec3{0.0f, 1.0f, 0.0f}); }

// The window pixel of a world point, the inverse of the renderer's pick ray.
std::array<float, 2> pixelOf(const Vec3& p, const Camera& c, const ViewScales& s, int w, int h) {
    const Matrix3 r = rotationOf(c.orientation);
    const Vec3 rel = sub(p, c.position);
    const float x = r[0][0] * rel[0] + r[1][0] * rel[1] + r[2][0] * rel[2];
    const float y = r[0][1] * rel[0] + r[1][1] * rel[1] + r[2][1] * rel[2];
    const float z = r[0][2] * rel[0] + r[1][2] * rel[1] + r[2][2] * rel[2];
    return {w / 2.0f + (x / -z) / s.unitsPerPixelX, h / 2.0f - (y / -z) / s.unitsPerPixelY};
}

class FakeScene : public NavigationScene {
public:
    Camera cam;
    bool hasCamera = true;
    std::optional<RayHit> hit;
    BasicObject root;
    Bounds bounds;
    int fits = 0, initials = 0, picks = 0, pickEnds = 0;

    bool getCamera(Camera& out) override {
        out = cam;
        return hasCamera;
    }
    void setCamera(const Camera& c) override { cam = c; }
    std::optional<RayHit> hitTest(const Ray&) override { return hit; }
    BasicObject* rootNode() override { return &root; }
    Bounds rootBounds() override { return bounds; }
    void fitToWorkpart() override { ++fits; }
    void initialView() override { ++initials; }
    void pick(const Ray&) override { ++picks; }
    void endPick() override { ++pickEnds; }
};

class Navigation : public ::testing::Test {
protected:
    void SetUp() override {
        scene = std::make_shared<FakeScene>();
        nav.setScene(scene);
        nav.setEventSink([this](EventHandle e) { events.push_back(std::move(e)); });
    }
    void runEvents() {
        for (auto& e : events) e->execute();
        events.clear();
    }

    std::shared_ptr<Renderer> renderer = Renderer::create();
    ViewNavigation nav{*renderer};
    std::shared_ptr<FakeScene> scene;
    std::vector<EventHandle> events;
};

TEST(RotateEvent, OrbitsTheCameraAboutTheCentreAndKeepsLookingAtIt) {
    auto renderer = Renderer::create();
    auto scene = std::make_shared<FakeScene>();
    scene->cam.position = {1.0f, 0.0f, 10.0f};
    const Vec3 centre{1.0f, 0.0f, 0.0f};
    V_EventRotateViewPoint e(*renderer, scene, {0.0f, 1.0f, 0.0f, kPi / 2}, centre);
    e.execute();
    EXPECT_TRUE(e.isFinished());
    EXPECT_NEAR(scene->cam.position[0], 11.0f, 1e-4f);
    EXPECT_NEAR(scene->cam.position[2], 0.0f, 1e-4f);
    const Vec3 d = viewDirection(scene->cam);
    EXPECT_NEAR(d[0], -1.0f, 1e-5f);
    EXPECT_NEAR(d[2], 0.0f, 1e-5f);
}

TEST(RotateEvent, AxisInTheCameraFrameTurnsAboutTheViewsOwnVertical) {
    auto renderer = Renderer::create();
    auto scene = std::make_shared<FakeScene>();
    // A camera tipped about x, looking down at the origin from above and behind.
    scene->cam.orientation = {1.0f, 0.0f, 0.0f, -kPi / 4};
    const Vec3 back = rotate(rotationOf(scene->cam.orientation), Vec3{0.0f, 0.0f, 10.0f});
    scene->cam.position = back;
    const Vec3 upBefore = upDirection(scene->cam);
    V_EventRotateViewPoint e(*renderer, scene, {0.0f, 1.0f, 0.0f, 0.3f}, Vec3{}, RotationFrame::Camera);
    e.execute();
    const Vec3 upAfter = upDirection(scene->cam);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(upAfter[i], upBefore[i], 1e-5f);
    EXPECT_NEAR(length(scene->cam.position), 10.0f, 1e-4f);
    const Vec3 d = viewDirection(scene->cam);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(d[i], -scene->cam.position[i] / 10.0f, 1e-5f);
}

TEST(RotateEvent, DoesNothingWithoutACameraButStillFinishes) {
    auto renderer = Renderer::create();
    auto scene = std::make_shared<FakeScene>();
    scene->hasCamera = false;
    V_EventRotateViewPoint e(*renderer, scene, {0.0f, 1.0f, 0.0f, 1.0f}, Vec3{});
    e.execute();
    EXPECT_TRUE(e.isFinished());
    EXPECT_EQ(scene->cam.position[2], 10.0f);
}

TEST(Quaternions, ComposeLikeTheRotationMatrices) {
    const std::array<float, 4> a{0.3f, -0.5f, 0.8f, 1.1f}, b{-0.2f, 0.9f, 0.1f, -2.3f};
    const Vec3 v{0.7f, -1.3f, 2.1f};
    const Vec3 viaMatrices = rotate(rotationOf(a), rotate(rotationOf(b), v));
    const Vec3 viaProduct = rotate(rotationOf(axisAngleOf(multiply(quaternionOf(a), quaternionOf(b)))), v);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(viaProduct[i], viaMatrices[i], 1e-4f);
}

TEST(ZoomEvent, AutomaticWheelStepMovesByAFixedShareOfTheTargetDepth) {
    auto renderer = Renderer::create();
    auto scene = std::make_shared<FakeScene>();
    V_EventZoomViewPoint e(*renderer, scene, 120 * ViewNavigation::kWheelScale, Vec3{0.0f, 0.0f, -10.0f}, -1.0f);
    e.execute();
    // The target is 20 ahead; the camera moves along its axis by (2^0.12 - 1) of that, about 8.7 %.
    EXPECT_NEAR(scene->cam.position[2] - 10.0f, 20.0f * (std::exp2(0.12f) - 1.0f), 1e-4f);
    EXPECT_NEAR(scene->cam.position[2] - 10.0f, 1.74f, 0.01f);
    EXPECT_EQ(scene->cam.position[0], 0.0f);
}

TEST(ZoomEvent, FixedSpeedMovesByTheSettingTimesTheAmount) {
    EXPECT_FLOAT_EQ(zoomStep(0.5f, -20.0f, 0.2f), 10.0f);
    EXPECT_FLOAT_EQ(zoomStep(-0.5f, -3.0f, 0.2f), -10.0f);
}

TEST(ZoomEvent, AutomaticZoomNeverPassesTheTargetAndHugeAmountsLeaveTheCameraFinite) {
    auto renderer = Renderer::create();
    auto scene = std::make_shared<FakeScene>();
    V_EventZoomViewPoint in(*renderer, scene, -50.0f, Vec3{0.0f, 0.0f, 0.0f}, -1.0f);
    in.execute();
    EXPECT_GE(scene->cam.position[2], 0.0f);
    scene->cam.position = {0.0f, 0.0f, 10.0f};
    V_EventZoomViewPoint out(*renderer, scene, 1e6f, Vec3{0.0f, 0.0f, 0.0f}, -1.0f);
    out.execute();
    EXPECT_TRUE(std::isfinite(scene->cam.position[2]));
    EXPECT_EQ(scene->cam.position[2], 10.0f);
}

TEST(ZoomEvent, MovesAlongTheViewAxisOfATurnedCamera) {
    auto renderer = Renderer::create();
    auto scene = std::make_shared<FakeScene>();
    scene->cam.orientation = {0.0f, 1.0f, 0.0f, kPi / 2};  // looking along -x
    scene->cam.position = {10.0f, 0.0f, 0.0f};
    V_EventZoomViewPoint e(*renderer, scene, -1.0f, Vec3{0.0f, 0.0f, 0.0f}, -1.0f);
    e.execute();
    EXPECT_NEAR(scene->cam.position[0], 5.0f, 1e-4f);
    EXPECT_NEAR(scene->cam.position[2], 0.0f, 1e-4f);
}

TEST_F(Navigation, DraggingInTranslateModeKeepsTheCentreUnderTheCursor) {
    renderer->setViewSize(800, 600);
    scene->cam.orientation = {0.2f, 1.0f, 0.1f, 0.7f};
    scene->cam.position = {3.0f, 1.0f, 8.0f};
    scene->hit = RayHit{{0.5f, -0.2f, 0.3f}, &scene->root, 1.0f};
    nav.leftButtonDown(400, 300);
    ASSERT_EQ(nav.rotationCentre()[0], 0.5f);
    const ViewScales s = renderer->viewScales();
    const auto before = pixelOf(nav.rotationCentre(), scene->cam, s, 800, 600);
    nav.mouseMove(100, 100, true, false, false);  // the first move only starts the drag
    EXPECT_TRUE(events.empty());
    nav.mouseMove(130, 80, true, false, false);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0]->isNavigation());
    runEvents();
    const auto after = pixelOf(nav.rotationCentre(), scene->cam, s, 800, 600);
    EXPECT_NEAR(after[0] - before[0], 30.0f, 0.01f);
    EXPECT_NEAR(after[1] - before[1], -20.0f, 0.01f);
}

TEST_F(Navigation, DraggingInRotateModeTurnsAboutBothViewAxesByTheDragTimesTheScale) {
    nav.setMouseMode(MouseMode::Rotate);
    nav.mouseMove(10, 10, true, false, false);
    nav.mouseMove(20, 16, true, false, false);
    ASSERT_EQ(events.size(), 2u);
    auto* vertical = dynamic_cast<V_EventRotateViewPoint*>(events[0].get());
    auto* horizontal = dynamic_cast<V_EventRotateViewPoint*>(events[1].get());
    ASSERT_TRUE(vertical && horizontal);
    EXPECT_EQ(vertical->rotation()[1], 1.0f);
    EXPECT_FLOAT_EQ(vertical->rotation()[3], -10 * 0.00625f);
    EXPECT_EQ(horizontal->rotation()[0], 1.0f);
    EXPECT_FLOAT_EQ(horizontal->rotation()[3], -6 * 0.00625f);
    nav.mouseMove(30, 30, false, false, false);  // no button: nothing
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(Navigation, ZoomModeAndTheWheelZoomTowardTheRotationCentre) {
    scene->hit = RayHit{{0.0f, 0.0f, -10.0f}, &scene->root, 20.0f};
    nav.setRotationCentre(5, 5);
    nav.wheel(120);
    nav.setMouseMode(MouseMode::Zoom);
    nav.mouseMove(0, 50, false, false, false);
    nav.mouseMove(0, 20, false, false, false);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_FLOAT_EQ(dynamic_cast<V_EventZoomViewPoint&>(*events[0]).amount(), 0.12f);
    EXPECT_FLOAT_EQ(dynamic_cast<V_EventZoomViewPoint&>(*events[1]).amount(), 30 * 0.0033333f);
    events.resize(1);
    runEvents();
    EXPECT_NEAR(scene->cam.position[2], 10.0f + 20.0f * (std::exp2(0.12f) - 1.0f), 1e-4f);
}

TEST_F(Navigation, RotationCentreFallsBackToThePreviousNodeThenToTheRootsBoundsCentre) {
    scene->bounds.min = {-2.0f, 0.0f, 4.0f};
    scene->bounds.max = {2.0f, 6.0f, 8.0f};
    nav.setRotationCentre(1, 1);
    EXPECT_EQ(nav.centreNode(), &scene->root);
    EXPECT_EQ(nav.rotationCentre(), (Vec3{0.0f, 3.0f, 6.0f}));
    BasicObject part;
    scene->hit = RayHit{{1.0f, 1.0f, 1.0f}, &part, 3.0f};
    nav.setRotationCentre(1, 1);
    EXPECT_EQ(nav.centreNode(), &part);
    scene->hit.reset();
    nav.setRotationCentre(1, 1);
    EXPECT_EQ(nav.centreNode(), &part);
    EXPECT_EQ(nav.rotationCentre(), (Vec3{1.0f, 1.0f, 1.0f}));
}

TEST_F(Navigation, RightButtonPicksWhileHeldAndReturnsToTranslateMode) {
    nav.setMouseMode(MouseMode::Rotate);
    nav.rightButtonDown(3, 4);
    EXPECT_EQ(nav.mouseMode(), MouseMode::Pick);
    EXPECT_EQ(scene->picks, 1);
    EXPECT_TRUE(nav.capturesMouse());
    nav.rightButtonUp(3, 4);
    EXPECT_EQ(nav.mouseMode(), MouseMode::Translate);
    EXPECT_EQ(scene->pickEnds, 1);
    EXPECT_FALSE(nav.capturesMouse());
}

TEST_F(Navigation, ShiftSelectsRotateAndCtrlPickUntilReleased) {
    EXPECT_TRUE(nav.mouseMove(0, 0, false, true, false));
    nav.modifiersChanged(true, false);
    EXPECT_EQ(nav.mouseMode(), MouseMode::Rotate);
    nav.modifiersChanged(false, true);
    EXPECT_EQ(nav.mouseMode(), MouseMode::Pick);
    nav.modifiersChanged(false, false);
    EXPECT_EQ(nav.mouseMode(), MouseMode::Translate);
}

TEST_F(Navigation, ReleasingShiftGivesBackTheModeChosenBefore) {
    nav.setMouseMode(MouseMode::Zoom);
    nav.modifiersChanged(true, false);
    nav.modifiersChanged(false, true);  // from Shift straight to Ctrl: still the mode before either
    EXPECT_EQ(nav.mouseMode(), MouseMode::Pick);
    nav.modifiersChanged(false, false);
    EXPECT_EQ(nav.mouseMode(), MouseMode::Zoom);
}

TEST_F(Navigation, GesturesAndCommandsDoNothingWithoutAScene) {
    nav.setScene(nullptr);
    nav.wheel(120);
    nav.leftButtonDown(1, 1);
    nav.fitToWorkpart();
    EXPECT_TRUE(events.empty());
}

TEST_F(Navigation, ViewCommandsReachTheScene) {
    nav.fitToWorkpart();
    nav.initialView();
    EXPECT_EQ(scene->fits, 1);
    EXPECT_EQ(scene->initials, 1);
}

TEST_F(Navigation, ResizeQueuesTheNewSizeAndAZeroHeightBecomesOne) {
    nav.resize(640, 0);
    ASSERT_EQ(events.size(), 1u);
    auto& resize = dynamic_cast<V_EventResize&>(*events[0]);
    EXPECT_EQ(resize.height(), 1);
    EXPECT_EQ(renderer->viewSize(), (std::array<int, 2>{640, 1}));  // no scene yet: applied at once
}

}  // namespace
}  // namespace kinemo
