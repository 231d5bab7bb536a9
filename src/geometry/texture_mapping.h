#pragma once
// Texture coordinates generated for a face set: projections and cylinders chosen in the shape
// editor, the VRML 2 default mapping, and environment mapping. Points are flat x, y, z triples;
// index lists are coordIndex style, -1 after each face. Zero extents never divide by zero.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kinemo {

struct TextureMapping {
    std::vector<float> texCoord;  // texCoordComponents values per texture point
    int texCoordComponents = 2;
    std::vector<std::int32_t> texCoordIndex;
};

enum class MappingKind { None, Default, Projection, Cylinder };

struct MappingMode {
    MappingKind kind = MappingKind::None;
    int axis = 0;  // 0 x, 1 y, 2 z
};

// "No Texture", "Default mapping" (or empty), "x-Projection" ... "z-Cylinder"; unknown names give None.
MappingMode mappingModeOf(std::string_view name);

// One texture point per point; for the "x" axis u runs along y and v along z, for "y" along x and
// z, for "z" along x and y; the longer extent becomes u; both are divided by the u extent.
TextureMapping projectionMapping(std::span<const float> points, std::span<const std::int32_t> coordIndex, int axis);
// Angle around the axis as u, height as v; faces across the seam get extra points one period
// away (u - 1 or u + 1), so that no face stretches over the whole texture.
TextureMapping cylinderMapping(std::span<const float> points, std::span<const std::int32_t> coordIndex, int axis);
// As VRML 2 defines it: u along the largest extent, v along the second (ties go to z, then x),
// both divided by the largest extent.
TextureMapping defaultMapping(std::span<const float> points, std::span<const std::int32_t> coordIndex);
// For every distinct (point, normal) pair the unit vector of normal + (0.1 / r) (point - centre),
// r half the bounds diagonal; three components per texture point. normalIndex runs parallel to
// coordIndex (empty: normals are per point).
TextureMapping environmentMapping(std::span<const float> points, std::span<const float> normals,
                                  std::span<const std::int32_t> coordIndex, std::span<const std::int32_t> normalIndex);
// The per-frame step: each vector carried by rotation (row-major 3 x 3, object to camera) gives
// u = (x + 1) / 2, v = (y + 1) / 2.
void updateEnvironmentMapping(const TextureMapping& mapping, const std::array<float, 9>& rotation,
                              std::vector<float>& work);

}  // namespace kinemo
