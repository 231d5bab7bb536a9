#include "test_scene.h"

#include <GL/gl.h>

#include <cmath>
#include <thread>

namespace kinemo::test {

TestScene::TestScene() {
    cameraValue.position = {0.0f, 0.0f, 5.0f};
    lights_.headlight = true;
    lights_.globalAmbient = {0.0f, 0.0f, 0.0f, 1.0f};
}

bool TestScene::camera(Camera& out) {
    out = cameraValue;
    return hasCamera;
}

Bounds TestScene::bounds() {
    Bounds b;
    for (const Quad& q : quads_)
        for (const Vec3& p : q.corners) b.extend(p);
    return b;
}

void TestScene::addCube(const Colour4& colour) {
    const float s = 1.0f;
    auto face = [&](Vec3 a, Vec3 b, Vec3 c, Vec3 d) { quads_.push_back({{a, b, c, d}, colour, true}); };
    face({-s, -s, s}, {s, -s, s}, {s, s, s}, {-s, s, s});      // +z
    face({s, -s, -s}, {-s, -s, -s}, {-s, s, -s}, {s, s, -s});  // -z
    face({s, -s, s}, {s, -s, -s}, {s, s, -s}, {s, s, s});      // +x
    face({-s, -s, -s}, {-s, -s, s}, {-s, s, s}, {-s, s, -s});  // -x
    face({-s, s, s}, {s, s, s}, {s, s, -s}, {-s, s, -s});      // +y
    face({-s, -s, -s}, {s, -s, -s}, {s, -s, s}, {-s, -s, s});  // -y
}

void TestScene::drawOpaque(const FrameContext& frame) {
    inFrame.store(true);
    if (root.useCount() > 0) rootUseSeen.fetch_add(1);
    for (const Quad& q : quads_) {
        if (q.lit) {
            glEnable(GL_LIGHTING);
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, q.colour.data());
            const GLfloat black[4] = {0, 0, 0, 1};
            glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
            glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
        } else {
            glDisable(GL_LIGHTING);
            glColor4fv(q.colour.data());
        }
        const Vec3& a = q.corners[0];
        const Vec3& b = q.corners[1];
        const Vec3& c = q.corners[2];
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        glBegin(GL_QUADS);
        float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (len > 0.0f)
            for (float& c : n) c /= len;
        glNormal3fv(n);
        for (const Vec3& p : q.corners) glVertex3f(p[0], p[1], p[2]);
        glEnd();
    }
    if (drawMilliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(drawMilliseconds));
    framesDrawn.fetch_add(1);
    inFrame.store(false);
}

}  // namespace kinemo::test
