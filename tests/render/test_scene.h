#pragma once
// Scenes of the render tests: geometry drawn directly in immediate mode, with known positions so
// that pixels and picks can be checked against it.
#include <atomic>
#include <chrono>
#include <vector>

#include "core/basic_object.h"
#include "render/scene_drawer.h"

namespace kinemo::test {

struct Quad {
    std::array<Vec3, 4> corners;  // counter-clockwise seen from the front
    Colour4 colour{1.0f, 1.0f, 1.0f, 1.0f};
    bool lit = false;
};

class TestScene : public SceneDrawer {
public:
    TestScene();
    bool camera(Camera& out) override;
    Bounds bounds() override;
    LightSetup lights() override { return lights_; }
    void collectInUse(std::vector<BasicObject*>& out) override { out.push_back(&root); }
    void drawOpaque(const FrameContext& frame) override;

    // The cube from (-1,-1,-1) to (1,1,1), lit, in colour.
    void addCube(const Colour4& colour);
    void addQuad(const Quad& quad) { quads_.push_back(quad); }

    Camera cameraValue;
    bool hasCamera = true;
    BasicObject root;
    // Milliseconds each frame takes; the in-frame flag is set meanwhile.
    int drawMilliseconds = 0;
    std::atomic<bool> inFrame{false};
    std::atomic<int> framesDrawn{0};
    std::atomic<int> rootUseSeen{0};

private:
    LightSetup lights_;
    std::vector<Quad> quads_;
};

}  // namespace kinemo::test
