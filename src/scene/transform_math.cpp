#include "scene/transform_math.h"

namespace kinemo::tmath {

Quat fromAxisAngle(double ax, double ay, double az, double angle) {
    double len = std::sqrt(ax * ax + ay * ay + az * az);
    if (!(len > 0.0) || !std::isfinite(len) || !std::isfinite(angle)) return Quat{};
    double s = std::sin(angle / 2) / len;
    return Quat{std::cos(angle / 2), ax * s, ay * s, az * s};
}

void toAxisAngle(const Quat& qIn, float out[4]) {
    Quat q = qIn;
    double n = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    if (!(n > 0.0) || !std::isfinite(n)) {
        out[0] = 0, out[1] = 0, out[2] = 1, out[3] = 0;
        return;
    }
    q.w /= n, q.x /= n, q.y /= n, q.z /= n;
    if (q.w < 0) q.w = -q.w, q.x = -q.x, q.y = -q.y, q.z = -q.z;
    double s = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    if (s < 1e-12) {
        out[0] = 0, out[1] = 0, out[2] = 1, out[3] = 0;
        return;
    }
    out[0] = float(q.x / s), out[1] = float(q.y / s), out[2] = float(q.z / s);
    out[3] = float(2 * std::atan2(s, q.w));
}

Quat multiply(const Quat& a, const Quat& b) {
    return Quat{a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

void toMatrix(const Quat& q, double m[9]) {
    const double w = q.w, x = q.x, y = q.y, z = q.z;
    m[0] = 1 - 2 * (y * y + z * z), m[1] = 2 * (x * y - w * z), m[2] = 2 * (x * z + w * y);
    m[3] = 2 * (x * y + w * z), m[4] = 1 - 2 * (x * x + z * z), m[5] = 2 * (y * z - w * x);
    m[6] = 2 * (x * z - w * y), m[7] = 2 * (y * z + w * x), m[8] = 1 - 2 * (x * x + y * y);
}

Quat fromMatrix(const double m[9]) {
    Quat q;
    double trace = m[0] + m[4] + m[8];
    if (trace > 0) {
        double s = std::sqrt(trace + 1.0) * 2;
        q = {0.25 * s, (m[7] - m[5]) / s, (m[2] - m[6]) / s, (m[3] - m[1]) / s};
    } else if (m[0] > m[4] && m[0] > m[8]) {
        double s = std::sqrt(1.0 + m[0] - m[4] - m[8]) * 2;
        q = {(m[7] - m[5]) / s, 0.25 * s, (m[1] + m[3]) / s, (m[2] + m[6]) / s};
    } else if (m[4] > m[8]) {
        double s = std::sqrt(1.0 + m[4] - m[0] - m[8]) * 2;
        q = {(m[2] - m[6]) / s, (m[1] + m[3]) / s, 0.25 * s, (m[5] + m[7]) / s};
    } else {
        double s = std::sqrt(1.0 + m[8] - m[0] - m[4]) * 2;
        q = {(m[3] - m[1]) / s, (m[2] + m[6]) / s, (m[5] + m[7]) / s, 0.25 * s};
    }
    if (!std::isfinite(q.w) || !std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z)) return Quat{};
    return q;
}

void multiply3(const float a[9], const float b[9], float out[9]) {
    // In double precision: products of large floats stay finite and are clamped once.
    double r[9];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i * 3 + j] = double(a[i * 3]) * b[j] + double(a[i * 3 + 1]) * b[3 + j] + double(a[i * 3 + 2]) * b[6 + j];
    for (int k = 0; k < 9; ++k) out[k] = clampToFloat(r[k]);
}

void apply3(const float m[9], const double v[3], double out[3]) {
    double r[3];
    for (int i = 0; i < 3; ++i)
        r[i] = double(m[i * 3]) * v[0] + double(m[i * 3 + 1]) * v[1] + double(m[i * 3 + 2]) * v[2];
    out[0] = r[0], out[1] = r[1], out[2] = r[2];
}

void identity3(float m[9]) {
    for (int k = 0; k < 9; ++k) m[k] = (k % 4 == 0) ? 1.0f : 0.0f;
}

void Affine::apply(const double in[3], double out[3]) const {
    double r[3];
    for (int i = 0; i < 3; ++i)
        r[i] = linear[i * 3] * in[0] + linear[i * 3 + 1] * in[1] + linear[i * 3 + 2] * in[2] + offset[i];
    out[0] = r[0], out[1] = r[1], out[2] = r[2];
}

Affine compose(const Affine& a, const Affine& b) {
    Affine r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            r.linear[i * 3 + j] = a.linear[i * 3] * b.linear[j] + a.linear[i * 3 + 1] * b.linear[3 + j] +
                                  a.linear[i * 3 + 2] * b.linear[6 + j];
        r.offset[i] = a.linear[i * 3] * b.offset[0] + a.linear[i * 3 + 1] * b.offset[1] +
                      a.linear[i * 3 + 2] * b.offset[2] + a.offset[i];
    }
    return r;
}

bool invert(const Affine& a, Affine& out) {
    const double* m = a.linear;
    double c0 = m[4] * m[8] - m[5] * m[7], c1 = m[5] * m[6] - m[3] * m[8], c2 = m[3] * m[7] - m[4] * m[6];
    double det = m[0] * c0 + m[1] * c1 + m[2] * c2;
    if (!std::isfinite(det) || std::fabs(det) < 1e-300) return false;
    double inv[9] = {c0, m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
                     c1, m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
                     c2, m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
    for (double& v : inv) v /= det;
    for (int k = 0; k < 9; ++k) out.linear[k] = inv[k];
    for (int i = 0; i < 3; ++i)
        out.offset[i] = -(inv[i * 3] * a.offset[0] + inv[i * 3 + 1] * a.offset[1] + inv[i * 3 + 2] * a.offset[2]);
    return true;
}

}  // namespace kinemo::tmath
