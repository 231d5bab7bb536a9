#pragma once
// An axis-aligned box; empty (minimum 1.0e30, maximum -1.0e30) until something extends it.
namespace kinemo {

struct BoundingBox {
    float min[3] = {1.0e30f, 1.0e30f, 1.0e30f};
    float max[3] = {-1.0e30f, -1.0e30f, -1.0e30f};

    bool isEmpty() const { return min[0] > max[0] || min[1] > max[1] || min[2] > max[2]; }
    void clear() { *this = BoundingBox{}; }
    void extend(float x, float y, float z) {
        const float p[3] = {x, y, z};
        for (int i = 0; i < 3; ++i) {
            if (p[i] < min[i]) min[i] = p[i];
            if (p[i] > max[i]) max[i] = p[i];
        }
    }
    // An empty box adds nothing, so the empty markers never leak into a parent's box.
    void extend(const BoundingBox& other) {
        if (other.isEmpty()) return;
        extend(other.min[0], other.min[1], other.min[2]);
        extend(other.max[0], other.max[1], other.max[2]);
    }
};

}  // namespace kinemo
