#include "geometry/material.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "core/messages.h"
#include "core/numbers.h"
#include "geometry/appearance.h"
#include "geometry/field_reading.h"
#include "geometry/scene_link.h"
#include "scene/keywords.h"
#include "scene/matchers.h"

namespace kinemo {

namespace {

constexpr int kMaterialKeywordBudget = 999;

std::vector<std::unique_ptr<Material>>& vrml1Copies() {
    static std::vector<std::unique_ptr<Material>> copies;
    return copies;
}

float largest(const Colour& c) { return std::max({c[0], c[1], c[2]}); }

Colour scaled(const Colour& c, float f) { return {c[0] * f, c[1] * f, c[2] * f}; }

float mix(float a, float b, float f) { return (1.0f - f) * a + f * b; }

Colour mix(const Colour& a, const Colour& b, float f) {
    return {mix(a[0], b[0], f), mix(a[1], b[1], f), mix(a[2], b[2], f)};
}

void skipOpening(const char*& p, const char* end) {
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
    if (p < end && *p == '[') ++p;
}

// A colour, optionally as a bracketed VRML 1 list of which the first entry counts.
Colour readColour(const char*& p, const char* end, const Colour& fallback) {
    const char* q = p;
    while (q < end && (*q == ' ' || *q == '\t' || *q == '\r' || *q == '\n')) ++q;
    const bool bracketed = q < end && *q == '[';
    if (bracketed) p = q + 1;
    Colour c = fallback;
    readFieldFloats(p, end, c.data(), 3);
    if (bracketed) {
        while (p < end && *p != ']' && *p != '}' && *p != '\0') ++p;
        if (p < end && *p == ']') ++p;
    }
    return c;
}

float readOne(const char*& p, const char* end, float fallback) {
    float v = fallback;
    const char* q = p;
    skipOpening(q, end);
    if (readFieldFloats(q, end, &v, 1) == 1) p = q;
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p < end && *p == ']') ++p;
    return v;
}

void appendColour(std::string& out, const Colour& c) {
    for (int i = 0; i < 3; ++i) {
        if (i > 0) out += ' ';
        appendFixed(out, c[static_cast<std::size_t>(i)], 3, 4);
    }
}

}  // namespace

Material::~Material() { forgetDefinedObject(this); }

void clearVrml1MaterialCopies() { vrml1Copies().clear(); }

void MaterialChange::setColorDirection(const Colour& colour) {
    if (colour[0] == kLeave || colour[0] == kRestore) {
        colourDirection = {colour[0], colour[0], colour[0]};
        return;
    }
    const float top = largest(colour);
    if (!(top > 0.0f)) {
        reportMessage(formatC("Unexpected maximum value %f in MaterialChange::setColorDirection", top), 1, true);
        colourDirection = {1.0f, 1.0f, 1.0f};
        return;
    }
    colourDirection = scaled(colour, 1.0f / top);
}

const char* Material::readFromString(const char* text, const char* end) {
    end = textEnd(text, end);
    const char* pos =
        readFieldBody(text, end, appearanceMatcher(), kMaterialKeywordBudget, [&](Keyword k, const char*& p) {
            if (k == kw::diffuseColor) {
                setBaseDiffuse(readColour(p, end, baseDiffuse_));
            } else if (k == kw::transparency) {
                setBaseTransparency(readOne(p, end, baseTransparency_));
            } else if (k == kw::specularColor) {
                setBaseSpecular(readColour(p, end, baseSpecular_));
            } else if (k == kw::ambientIntensity) {
                setBaseAmbientIntensity(readOne(p, end, baseAmbient_));
            } else if (k == kw::ambientColor) {
                Colour c{0.2f, 0.2f, 0.2f};
                skipOpening(p, end);
                readFieldFloats(p, end, c.data(), 3);
                setBaseAmbientIntensity((c[0] + c[1] + c[2]) / 3.0f);
            } else if (k == kw::shininess) {
                setBaseShininess(readOne(p, end, baseShininess_));
            } else if (k == kw::emissiveColor) {
                const Colour c = readColour(p, end, baseEmissive_);
                // That exporter writes the part colour as emission.
                if (readingSolidworksFile()) {
                    setBaseDiffuse(c);
                    setBaseEmissive({0.0f, 0.0f, 0.0f});
                } else {
                    setBaseEmissive(c);
                }
            } else if (k == kw::DEF) {
                setPendingDefName(readFieldWord(p, end));
            } else if (k == kw::USE) {
                const std::string name(readFieldWord(p, end));
                BasicObject* object = findDefinedObject(name);
                if (auto* material = dynamic_cast<Material*>(object)) {
                    copyValues(*material, true);
                } else if (object && dynamic_cast<const Appearance*>(object) != nullptr) {
                    reportMessage("in Material, cannot USE " + name, 1, true);
                } else {
                    reportMessage("cannot USE " + name, 1, true);
                }
            } else {
                logLine(formatC("Unexpected keyword in Material.readFromString %s", k));
                return false;
            }
            return true;
        });
    if (hasPendingDefName()) {
        if (readingVrml1File()) {
            vrml1Copies().push_back(std::make_unique<Material>(*this));
            registerPendingDef(vrml1Copies().back().get());
        } else {
            registerPendingDef(this);
        }
    }
    return pos;
}

void Material::writeText(std::string& out) const {
    out += "\n    material Material {";
    if (baseAmbient_ != kDefaultAmbient) {
        out += "\n      ambientIntensity ";
        appendFixed(out, baseAmbient_, 6);
    }
    if (baseDiffuse_ != kDefaultDiffuse) {
        out += "\n      diffuseColor ";
        appendColour(out, baseDiffuse_);
    }
    if (baseSpecular_ != Colour{}) {
        out += "\n      specularColor ";
        appendColour(out, baseSpecular_);
    }
    if (baseEmissive_ != Colour{}) {
        out += "\n      emissiveColor ";
        appendColour(out, baseEmissive_);
    }
    if (baseTransparency_ != 0.0f) {
        out += "\n      transparency ";
        appendFixed(out, baseTransparency_, 6);
    }
    if (baseShininess_ != kDefaultShininess) {
        out += "\n      shininess ";
        appendFixed(out, baseShininess_, 6);
    }
    out += "\n    }";
}

bool Material::writeToFile(std::FILE* file) {
    std::string out;
    writeText(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

void Material::copyValues(const Material& other, bool current) {
    if (current) {
        diffuse_ = other.diffuse_;
        specular_ = other.specular_;
        emissive_ = other.emissive_;
        transparency_ = other.transparency_;
        ambient_ = other.ambient_;
        shininess_ = other.shininess_;
    } else {
        baseDiffuse_ = other.baseDiffuse_;
        baseSpecular_ = other.baseSpecular_;
        baseEmissive_ = other.baseEmissive_;
        baseTransparency_ = other.baseTransparency_;
        baseAmbient_ = other.baseAmbient_;
        baseShininess_ = other.baseShininess_;
    }
}

void Material::setTransparency(float transparency) {
    transparency_ = transparency < 0 ? baseTransparency_ : transparency;
}

void Material::setDiffuse(const Colour& colour) { diffuse_ = colour[0] < 0 ? baseDiffuse_ : colour; }

void Material::setEmissive(const Colour& colour) { emissive_ = colour[0] < 0 ? baseEmissive_ : colour; }

void Material::setSpecular(const Colour& colour) { specular_ = colour[0] < 0 ? baseSpecular_ : colour; }

void Material::restoreOriginal() {
    diffuse_ = baseDiffuse_;
    specular_ = baseSpecular_;
    emissive_ = baseEmissive_;
    transparency_ = baseTransparency_;
    ambient_ = baseAmbient_;
    shininess_ = baseShininess_;
}

void Material::commit() {
    baseDiffuse_ = diffuse_;
    baseSpecular_ = specular_;
    baseEmissive_ = emissive_;
    baseTransparency_ = transparency_;
    baseAmbient_ = ambient_;
    baseShininess_ = shininess_;
}

void Material::blend(const Material& a, const Material& b, float f) {
    f = std::clamp(f, 0.0f, 1.0f);
    diffuse_ = mix(a.diffuse_, b.diffuse_, f);
    specular_ = mix(a.specular_, b.specular_, f);
    emissive_ = mix(a.emissive_, b.emissive_, f);
    transparency_ = mix(a.transparency_, b.transparency_, f);
    ambient_ = mix(a.ambient_, b.ambient_, f);
    shininess_ = mix(a.shininess_, b.shininess_, f);
}

bool Material::equals(const Material& other) const {
    return baseDiffuse_ == other.baseDiffuse_ && baseEmissive_ == other.baseEmissive_ &&
           baseSpecular_ == other.baseSpecular_ && baseTransparency_ == other.baseTransparency_;
}

void Material::applyChange(const MaterialChange& change, bool permanent) {
    using C = MaterialChange;
    if (change.blendFactor != 1.0f) {
        Material target(*this);
        MaterialChange full = change;
        full.blendFactor = 1.0f;
        target.applyChange(full, false);
        const float f = change.blendFactor;
        transparency_ = mix(transparency_, target.transparency_, f);
        shininess_ = mix(shininess_, target.shininess_, f);
        ambient_ = mix(ambient_, target.ambient_, f);
        diffuse_ = mix(diffuse_, target.diffuse_, f);
        specular_ = mix(specular_, target.specular_, f);
        emissive_ = mix(emissive_, target.emissive_, f);
        return;
    }
    Colour direction;
    bool colourChanged = true;
    if (change.colourDirection[0] == C::kLeave) {
        direction = scaled(diffuse_, 1.0f / (largest(diffuse_) + 1e-30f));
        colourChanged = false;
    } else if (change.colourDirection[0] == C::kRestore) {
        direction = scaled(baseDiffuse_, 1.0f / (largest(baseDiffuse_) + 1e-30f));
    } else {
        direction = change.colourDirection;
    }
    auto intensityOf = [&](float requested, const Colour& currentColour, const Colour& baseColour, float& out) {
        if (requested == C::kLeave) {
            if (!colourChanged) return false;
            out = largest(currentColour);
        } else if (requested == C::kRestore) {
            out = largest(baseColour);
        } else {
            out = requested;
        }
        return true;
    };
    float intensity = 0;
    if (intensityOf(change.diffuseIntensity, diffuse_, baseDiffuse_, intensity)) {
        diffuse_ = scaled(direction, intensity);
        if (permanent) baseDiffuse_ = diffuse_;
    }
    if (intensityOf(change.emissiveIntensity, emissive_, baseEmissive_, intensity)) {
        emissive_ = scaled(direction, intensity);
        if (permanent) baseEmissive_ = emissive_;
    }
    if (change.specular == C::kRestore) {
        specular_ = baseSpecular_;
    } else if (change.specular != C::kLeave) {
        specular_ = {change.specular, change.specular, change.specular};
        if (permanent) baseSpecular_ = specular_;
    }
    auto scalar = [&](float requested, float& current, float& base) {
        if (requested == C::kRestore) {
            current = base;
        } else if (requested != C::kLeave) {
            current = requested;
            if (permanent) base = current;
        }
    };
    scalar(change.ambientIntensity, ambient_, baseAmbient_);
    scalar(change.shininess, shininess_, baseShininess_);
    scalar(change.transparency, transparency_, baseTransparency_);
}

}  // namespace kinemo
