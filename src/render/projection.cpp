#include "render/projection.h"

#include <algorithm>
#include <cmath>

namespace kinemo {

void Bounds::extend(const Vec3& p) {
    if (empty()) {
        min = p;
        max = p;
        return;
    }
    for (int i = 0; i < 3; ++i) {
        min[i] = std::min(min[i], p[i]);
        max[i] = std::max(max[i], p[i]);
    }
}

FrustumBounds frustumBounds(double fovy, double aspect, double nearPlane, double farPlane, double jx, double jy) {
    // 3.14159 rather than full pi keeps the frustum of earlier versions to the last digit.
    const double t = std::tan(fovy * 3.14159 / 360.0) * nearPlane;
    FrustumBounds f;
    f.left = -t * aspect;
    f.right = t * aspect;
    f.bottom = -t;
    f.top = t;
    const double dx = (f.right - f.left) * jx;
    const double dy = 2.0 * t * jy;
    f.left += dx;
    f.right += dx;
    f.bottom += dy;
    f.top += dy;
    f.nearPlane = nearPlane;
    f.farPlane = farPlane;
    return f;
}

std::array<double, 2> smoothingJitter(int pass, int width, int height) {
    const double w = std::max(width, 1);
    const double h = std::max(height, 1);
    switch (pass) {
        case 1:
            return {-0.25 / w, -0.25 / h};
        case 2:
            return {0.25 / w, -0.25 / h};
        case 3:
            return {-0.25 / w, 0.25 / h};
        case 4:
            return {0.25 / w, 0.25 / h};
        default:
            return {0.0, 0.0};
    }
}

ClipPlanes clippingPlanes(float sceneDiagonal, bool anythingInFront, float nearest, float farthest) {
    // An empty or flat scene has no diagonal; a zero smallest near would give a degenerate frustum.
    float smallestNear = sceneDiagonal > 1000.0f ? 1.0f : 0.001f * sceneDiagonal;
    if (!(smallestNear > 0.0f)) smallestNear = 0.001f;
    ClipPlanes c;
    c.farPlane = farthest * 1.1f;
    c.nearPlane = anythingInFront ? nearest / 1.1f : c.farPlane * 0.01f;
    if (!(c.nearPlane >= smallestNear)) c.nearPlane = smallestNear;
    if (!(c.farPlane >= c.nearPlane)) c.farPlane = c.nearPlane * 100.0f;
    if (c.nearPlane > c.farPlane * 0.01f) c.nearPlane = c.farPlane * 0.01f;
    return c;
}

Matrix3 rotationOf(const std::array<float, 4>& axisAngle) {
    double x = axisAngle[0], y = axisAngle[1], z = axisAngle[2];
    const double len = std::sqrt(x * x + y * y + z * z);
    Matrix3 r{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    if (len < 1e-12) return r;
    x /= len;
    y /= len;
    z /= len;
    const double c = std::cos(axisAngle[3]), s = std::sin(axisAngle[3]), k = 1.0 - c;
    r[0] = {float(x * x * k + c), float(x * y * k - z * s), float(x * z * k + y * s)};
    r[1] = {float(y * x * k + z * s), float(y * y * k + c), float(y * z * k - x * s)};
    r[2] = {float(z * x * k - y * s), float(z * y * k + x * s), float(z * z * k + c)};
    return r;
}

Vec3 rotate(const Matrix3& r, const Vec3& v) {
    return {r[0][0] * v[0] + r[0][1] * v[1] + r[0][2] * v[2], r[1][0] * v[0] + r[1][1] * v[1] + r[1][2] * v[2],
            r[2][0] * v[0] + r[2][1] * v[1] + r[2][2] * v[2]};
}

bool depthRangeOfBox(const Bounds& box, const Camera& camera, float& nearest, float& farthest) {
    if (box.empty()) return false;
    const Matrix3 r = rotationOf(camera.orientation);
    // The camera looks along its -z: depth = -(R^T (p - eye)).z = -(third column of R) . (p - eye).
    const Vec3 axis{-r[0][2], -r[1][2], -r[2][2]};
    nearest = 1e30f;
    farthest = -1e30f;
    for (int i = 0; i < 8; ++i) {
        const Vec3 p{(i & 1) ? box.max[0] : box.min[0], (i & 2) ? box.max[1] : box.min[1],
                     (i & 4) ? box.max[2] : box.min[2]};
        const float d = axis[0] * (p[0] - camera.position[0]) + axis[1] * (p[1] - camera.position[1]) +
                        axis[2] * (p[2] - camera.position[2]);
        nearest = std::min(nearest, d);
        farthest = std::max(farthest, d);
    }
    return farthest > 0.0f;
}

Vec3 pickRayDirection(float x, float y, int width, int height, float fieldOfView) {
    const float w = float(std::max(width, 1));
    const float h = float(std::max(height, 1));
    const float g = std::tan(fieldOfView * 3.14159265f / 360.0f);
    const float a = w / h;
    return {2.0f * g * (x - w / 2.0f) / w * a, -2.0f * g * (y - h / 2.0f) / h, -1.0f};
}

std::array<float, 16> viewMatrix(const Camera& camera, float eyeShift) {
    const Matrix3 r = rotationOf(camera.orientation);
    // Camera to world is x_w = R x_c + p (+ shift along the camera x); its inverse is R^T (x_w - p').
    const Vec3 eye{camera.position[0] + r[0][0] * eyeShift, camera.position[1] + r[1][0] * eyeShift,
                   camera.position[2] + r[2][0] * eyeShift};
    std::array<float, 16> m{};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) m[col * 4 + row] = r[col][row];
        m[12 + row] = -(r[0][row] * eye[0] + r[1][row] * eye[1] + r[2][row] * eye[2]);
    }
    m[15] = 1.0f;
    return m;
}

}  // namespace kinemo
