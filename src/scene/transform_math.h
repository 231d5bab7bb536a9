#pragma once
// Small fixed-size maths of transforms: 3x3 row-major matrices, unit quaternions, affine maps.
#include <cmath>

namespace kinemo::tmath {

struct Quat {
    double w = 1, x = 0, y = 0, z = 0;
};

// The rotation of angle about axis; a zero-length or non-finite axis gives the identity.
Quat fromAxisAngle(double ax, double ay, double az, double angle);
// Axis and angle of a rotation; the identity gives (0, 0, 1, 0).
void toAxisAngle(const Quat& q, float out[4]);
// a applied after b.
Quat multiply(const Quat& a, const Quat& b);
void toMatrix(const Quat& q, double m[9]);
// The rotation nearest to an orthonormal 3x3 matrix.
Quat fromMatrix(const double m[9]);

void multiply3(const float a[9], const float b[9], float out[9]);
void apply3(const float m[9], const double v[3], double out[3]);
void identity3(float m[9]);

// y = linear * x + offset, in double precision.
struct Affine {
    double linear[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    double offset[3] = {0, 0, 0};
    void apply(const double in[3], double out[3]) const;
};
Affine compose(const Affine& a, const Affine& b);  // a after b
// False when the map is singular.
bool invert(const Affine& a, Affine& out);

// A double as the nearest finite float: beyond the float range the largest float, NaN as 0, so
// that huge but finite values from a file never turn into infinities or NaN in a matrix.
inline float clampToFloat(double v) {
    if (std::isnan(v)) return 0.0f;
    if (v > 3.4028234663852886e38) return 3.4028234663852886e38f;
    if (v < -3.4028234663852886e38) return -3.4028234663852886e38f;
    return static_cast<float>(v);
}

inline bool finite3(const float v[3]) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

}  // namespace kinemo::tmath
