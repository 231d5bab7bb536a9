#pragma once
// The last material values sent to OpenGL, so that consecutive shapes with equal materials cost
// no state changes. Holds no OpenGL calls: material_gl.h sends what this decides.
#include <array>
#include <cstdint>

#include "geometry/material.h"

namespace kinemo {

struct MaterialValues {
    std::array<float, 4> diffuse{};   // current diffuse and alpha
    std::array<float, 4> ambient{};   // ambient intensity x current diffuse, alpha 1
    std::array<float, 4> emission{};  // current emissive and alpha
    std::array<float, 4> specular{};  // current specular and alpha
    float shininess = 0;              // shininess x 128

    static MaterialValues of(const Material& material);
};

class MaterialCache {
public:
    enum Send : unsigned { kDiffuse = 1, kAmbient = 2, kEmission = 4, kSpecular = 8, kShininess = 16 };

    // Which values differ from those sent last (all after a reset); remembers the new ones.
    unsigned update(const MaterialValues& values);
    // A new OpenGL context or a new frame: everything is sent again.
    void reset() { valid_ = false; }

private:
    bool valid_ = false;
    MaterialValues last_;
};

// The process-wide cache used by applyMaterial.
MaterialCache& materialCache();

}  // namespace kinemo
