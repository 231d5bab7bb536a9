#pragma once
// The renderer's projection arithmetic, free of OpenGL so that it can be checked on its own:
// the jittered frustum, the clipping distances derived from the scene, the pick ray and the
// camera's view matrix.
#include <array>

#include "render/scene_drawer.h"

namespace kinemo {

struct FrustumBounds {
    double left = 0.0, right = 0.0, bottom = 0.0, top = 0.0, nearPlane = 0.0, farPlane = 0.0;
};

// The glFrustum bounds for a vertical field of view in degrees; jx and jy shift the frustum by
// that fraction of its width and height (the smoothing jitter).
FrustumBounds frustumBounds(double fovy, double aspect, double nearPlane, double farPlane, double jx = 0.0,
                            double jy = 0.0);

// The sub-pixel shift of smoothing pass 1 to 4 for a view of w x h pixels; none for other passes.
std::array<double, 2> smoothingJitter(int pass, int width, int height);

struct ClipPlanes {
    float nearPlane = 0.45f;
    float farPlane = 100.0f;
};

// Clipping distances from the scene: sceneDiagonal is the bounding-box diagonal, nearest and
// farthest the depths (distance in front of the camera) of the shapes' bounds. anythingInFront is
// false when no bound lies in front of the camera. Near is never zero or negative.
ClipPlanes clippingPlanes(float sceneDiagonal, bool anythingInFront, float nearest, float farthest);

// Depths of a box's corners seen from the camera; false when no corner lies in front of it.
bool depthRangeOfBox(const Bounds& box, const Camera& camera, float& nearest, float& farthest);

// The view direction through window pixel (x, y), measured from the top left corner, for a view
// of width x height and a vertical field of view in degrees. The direction is in camera
// coordinates (x right, y up, the camera looking along -z), not normalised, with z = -1.
Vec3 pickRayDirection(float x, float y, int width, int height, float fieldOfView);

// 3 x 3 rotation of an axis-angle orientation, row-major: r[row][col].
using Matrix3 = std::array<std::array<float, 3>, 3>;
Matrix3 rotationOf(const std::array<float, 4>& axisAngle);
Vec3 rotate(const Matrix3& r, const Vec3& v);
// The world-to-camera matrix of a camera, column-major for glLoadMatrixf; eyeShift moves the
// camera along its own x axis (stereo).
std::array<float, 16> viewMatrix(const Camera& camera, float eyeShift = 0.0f);

}  // namespace kinemo
