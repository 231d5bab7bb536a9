#include "geometry/texture_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>

namespace kinemo {

namespace {

struct Bounds {
    std::array<float, 3> min{0, 0, 0};
    std::array<float, 3> max{0, 0, 0};
    float size(int axis) const {
        const float s = max[static_cast<std::size_t>(axis)] - min[static_cast<std::size_t>(axis)];
        // A flat or empty extent maps to 0 instead of dividing by zero.
        return s > 0 && std::isfinite(s) ? s : 1.0f;
    }
    float centre(int axis) const {
        return 0.5f * (min[static_cast<std::size_t>(axis)] + max[static_cast<std::size_t>(axis)]);
    }
};

Bounds boundsOf(std::span<const float> points) {
    Bounds b;
    const std::size_t n = points.size() / 3;
    if (n == 0) return b;
    b.min = b.max = {points[0], points[1], points[2]};
    for (std::size_t i = 1; i < n; ++i) {
        for (std::size_t a = 0; a < 3; ++a) {
            b.min[a] = std::min(b.min[a], points[3 * i + a]);
            b.max[a] = std::max(b.max[a], points[3 * i + a]);
        }
    }
    return b;
}

float coordinate(std::span<const float> points, std::size_t point, int axis) {
    return points[3 * point + static_cast<std::size_t>(axis)];
}

// u, v and height axes for a mapping around axis.
std::array<int, 3> axesFor(int axis) {
    if (axis == 0) return {1, 2, 0};
    if (axis == 1) return {0, 2, 1};
    return {0, 1, 2};
}

std::vector<std::int32_t> validIndexCopy(std::span<const std::int32_t> coordIndex, std::size_t pointCount) {
    std::vector<std::int32_t> out(coordIndex.begin(), coordIndex.end());
    for (auto& i : out) {
        if (i >= static_cast<std::int32_t>(pointCount)) i = -1;
    }
    return out;
}

}  // namespace

MappingMode mappingModeOf(std::string_view name) {
    if (name.empty() || name == "Default mapping") return {MappingKind::Default, 0};
    if (name.size() >= 3 && name[1] == '-' && name[0] >= 'x' && name[0] <= 'z') {
        const int axis = name[0] - 'x';
        if (name.substr(2) == "Projection") return {MappingKind::Projection, axis};
        if (name.substr(2) == "Cylinder") return {MappingKind::Cylinder, axis};
    }
    return {MappingKind::None, 0};
}

TextureMapping projectionMapping(std::span<const float> points, std::span<const std::int32_t> coordIndex, int axis) {
    const Bounds b = boundsOf(points);
    auto [u, v, h] = axesFor(axis);
    (void)h;
    if (b.size(u) < b.size(v)) std::swap(u, v);
    TextureMapping m;
    const std::size_t n = points.size() / 3;
    m.texCoord.resize(2 * n);
    const float size = b.size(u);
    for (std::size_t i = 0; i < n; ++i) {
        m.texCoord[2 * i] = (coordinate(points, i, u) - b.min[static_cast<std::size_t>(u)]) / size;
        m.texCoord[2 * i + 1] = (coordinate(points, i, v) - b.min[static_cast<std::size_t>(v)]) / size;
    }
    m.texCoordIndex = validIndexCopy(coordIndex, n);
    return m;
}

TextureMapping cylinderMapping(std::span<const float> points, std::span<const std::int32_t> coordIndex, int axis) {
    const Bounds b = boundsOf(points);
    const auto [u, v, h] = axesFor(axis);
    TextureMapping m;
    const std::size_t n = points.size() / 3;
    m.texCoord.resize(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        const float x = (coordinate(points, i, u) - b.centre(u)) / b.size(u);
        const float y = (coordinate(points, i, v) - b.centre(v)) / b.size(v);
        const float angle =
            (x == 0 && y == 0) ? 0.0f : static_cast<float>(std::atan2(y, x) / (2 * std::numbers::pi) + 0.5);
        m.texCoord[2 * i] = angle;
        m.texCoord[2 * i + 1] = (coordinate(points, i, h) - b.min[static_cast<std::size_t>(h)]) / b.size(h);
    }
    m.texCoordIndex = validIndexCopy(coordIndex, n);
    // Seam repair, face by face.
    std::size_t start = 0;
    auto& index = m.texCoordIndex;
    for (std::size_t k = 0; k <= index.size(); ++k) {
        if (k < index.size() && index[k] >= 0) continue;
        if (k > start) {
            std::size_t middle = start;
            float best = std::numeric_limits<float>::max();
            for (std::size_t c = start; c < k; ++c) {
                const float d = std::fabs(m.texCoord[2 * static_cast<std::size_t>(index[c])] - 0.5f);
                if (d < best) {
                    best = d;
                    middle = c;
                }
            }
            const float offset = m.texCoord[2 * static_cast<std::size_t>(index[middle])] - 0.5f;
            for (std::size_t c = start; c < k; ++c) {
                const auto t = static_cast<std::size_t>(index[c]);
                const float cu = m.texCoord[2 * t];
                float moved = cu;
                if (offset < -0.25f && cu > 0.75f) moved = cu - 1.0f;
                if (offset > 0.25f && cu < 0.25f) moved = cu + 1.0f;
                if (moved != cu) {
                    index[c] = static_cast<std::int32_t>(m.texCoord.size() / 2);
                    const float cv = m.texCoord[2 * t + 1];
                    m.texCoord.push_back(moved);
                    m.texCoord.push_back(cv);
                }
            }
        }
        start = k + 1;
    }
    return m;
}

TextureMapping defaultMapping(std::span<const float> points, std::span<const std::int32_t> coordIndex) {
    const Bounds b = boundsOf(points);
    const std::array<float, 3> raw{b.max[0] - b.min[0], b.max[1] - b.min[1], b.max[2] - b.min[2]};
    // Order by extent; among equal extents z comes first, then x, then y.
    std::array<int, 3> order{2, 0, 1};
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int c) { return raw[static_cast<std::size_t>(a)] > raw[static_cast<std::size_t>(c)]; });
    const int s = order[0], t = order[1];
    TextureMapping m;
    const std::size_t n = points.size() / 3;
    m.texCoord.resize(2 * n);
    const float size = b.size(s);
    for (std::size_t i = 0; i < n; ++i) {
        m.texCoord[2 * i] = (coordinate(points, i, s) - b.min[static_cast<std::size_t>(s)]) / size;
        m.texCoord[2 * i + 1] = (coordinate(points, i, t) - b.min[static_cast<std::size_t>(t)]) / size;
    }
    m.texCoordIndex = validIndexCopy(coordIndex, n);
    return m;
}

TextureMapping environmentMapping(std::span<const float> points, std::span<const float> normals,
                                  std::span<const std::int32_t> coordIndex, std::span<const std::int32_t> normalIndex) {
    const Bounds b = boundsOf(points);
    const std::size_t pointCount = points.size() / 3;
    const std::size_t normalCount = normals.size() / 3;
    float r = 0;
    for (int a = 0; a < 3; ++a) {
        const float d = b.max[static_cast<std::size_t>(a)] - b.min[static_cast<std::size_t>(a)];
        r += d * d;
    }
    r = 0.5f * std::sqrt(r);
    const float weight = r > 0 ? 0.1f / r : 0.0f;
    TextureMapping m;
    m.texCoordComponents = 3;
    m.texCoordIndex.reserve(coordIndex.size());
    std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> made;
    for (std::size_t k = 0; k < coordIndex.size(); ++k) {
        const std::int32_t p = coordIndex[k];
        const std::int32_t q = normalIndex.empty() ? p : (k < normalIndex.size() ? normalIndex[k] : -1);
        if (p < 0 || static_cast<std::size_t>(p) >= pointCount || q < 0 || static_cast<std::size_t>(q) >= normalCount) {
            m.texCoordIndex.push_back(-1);
            continue;
        }
        auto [it, fresh] = made.try_emplace({p, q}, static_cast<std::int32_t>(m.texCoord.size() / 3));
        if (fresh) {
            std::array<float, 3> e{};
            float length = 0;
            for (int a = 0; a < 3; ++a) {
                const auto i = static_cast<std::size_t>(a);
                e[i] = normals[3 * static_cast<std::size_t>(q) + i] +
                       weight * (points[3 * static_cast<std::size_t>(p) + i] - b.centre(a));
                length += e[i] * e[i];
            }
            length = std::sqrt(length);
            for (float& c : e) c = length > 0 ? c / length : 0.0f;
            m.texCoord.insert(m.texCoord.end(), e.begin(), e.end());
        }
        m.texCoordIndex.push_back(it->second);
    }
    return m;
}

void updateEnvironmentMapping(const TextureMapping& mapping, const std::array<float, 9>& r, std::vector<float>& work) {
    const std::size_t n = mapping.texCoordComponents == 3 ? mapping.texCoord.size() / 3 : 0;
    work.resize(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        const float* e = &mapping.texCoord[3 * i];
        const float x = r[0] * e[0] + r[1] * e[1] + r[2] * e[2];
        const float y = r[3] * e[0] + r[4] * e[1] + r[5] * e[2];
        work[2 * i] = (x + 1) / 2;
        work[2 * i + 1] = (y + 1) / 2;
    }
}

}  // namespace kinemo
