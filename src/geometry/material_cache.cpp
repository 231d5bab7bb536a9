#include "geometry/material_cache.h"

namespace kinemo {

MaterialValues MaterialValues::of(const Material& m) {
    MaterialValues v;
    const float alpha = m.alpha();
    const Colour& d = m.diffuse();
    const float a = m.ambientIntensity();
    v.diffuse = {d[0], d[1], d[2], alpha};
    v.ambient = {a * d[0], a * d[1], a * d[2], 1.0f};
    v.emission = {m.emissive()[0], m.emissive()[1], m.emissive()[2], alpha};
    v.specular = {m.specular()[0], m.specular()[1], m.specular()[2], alpha};
    v.shininess = m.shininess() * 128.0f;
    return v;
}

unsigned MaterialCache::update(const MaterialValues& v) {
    unsigned send = 0;
    if (!valid_ || v.diffuse != last_.diffuse) send |= kDiffuse;
    if (!valid_ || v.ambient != last_.ambient) send |= kAmbient;
    if (!valid_ || v.emission != last_.emission) send |= kEmission;
    if (!valid_ || v.specular != last_.specular) send |= kSpecular;
    if (!valid_ || v.shininess != last_.shininess) send |= kShininess;
    last_ = v;
    valid_ = true;
    return send;
}

MaterialCache& materialCache() {
    static MaterialCache cache;
    return cache;
}

}  // namespace kinemo
