#pragma once
// The look of a shape's surface. Every property is kept twice: the base value as read from the
// file (written back and restored) and the current value as shown, which colour and
// transparency steps of the animation change.
#include <array>
#include <cstdio>
#include <string>

#include "core/basic_object.h"

namespace kinemo {

using Colour = std::array<float, 3>;

// One change of a material's look. Every value but the blend factor starts as kLeave; kRestore
// takes the base value back; anything else is the new value. A colour direction whose first
// component is kLeave or kRestore carries that meaning for the colour.
struct MaterialChange {
    static constexpr float kLeave = -2.0f;
    static constexpr float kRestore = -1.0f;

    Colour colourDirection{kLeave, kLeave, kLeave};  // scaled so that its largest component is 1
    float diffuseIntensity = kLeave;
    float ambientIntensity = kLeave;
    float emissiveIntensity = kLeave;
    float specular = kLeave;
    float shininess = kLeave;
    float transparency = kLeave;
    float blendFactor = 1.0f;

    // Stores the colour divided by its largest component; a colour without a positive
    // component is reported and becomes white.
    void setColorDirection(const Colour& colour);
};

class Material : public BasicObject {
public:
    static constexpr Colour kDefaultDiffuse{0.8f, 0.8f, 0.8f};
    static constexpr float kDefaultAmbient = 0.2f;
    static constexpr float kDefaultShininess = 0.2f;

    Material() = default;
    Material(const Material& other) = default;
    Material& operator=(const Material& other) = default;
    ~Material() override;

    // Reads the body after the "Material " keyword; returns the position after its closing brace
    // (or before a keyword that is not a material's, which the caller sees again).
    const char* readFromString(const char* text, const char* end = nullptr);
    const char* readFromText(const char* text) override { return readFromString(text); }
    // "\n    material Material {", the base values that differ from the defaults, "\n    }".
    void writeText(std::string& out) const;
    bool writeToFile(std::FILE* file) override;

    // current: the other's current values become this one's current values; otherwise its base
    // values become this one's base values.
    void copyValues(const Material& other, bool current);
    // A negative transparency, or a negative first colour component, restores the base value.
    void setTransparency(float transparency);
    void setDiffuse(const Colour& colour);
    void setEmissive(const Colour& colour);
    void setSpecular(const Colour& colour);
    void setAmbientIntensity(float value) { ambient_ = value; }
    void setShininess(float value) { shininess_ = value; }
    // Sets current and base together (what a reader does).
    void setBaseDiffuse(const Colour& colour) { diffuse_ = baseDiffuse_ = colour; }
    void setBaseEmissive(const Colour& colour) { emissive_ = baseEmissive_ = colour; }
    void setBaseSpecular(const Colour& colour) { specular_ = baseSpecular_ = colour; }
    void setBaseTransparency(float t) { transparency_ = baseTransparency_ = t; }
    void setBaseAmbientIntensity(float a) { ambient_ = baseAmbient_ = a; }
    void setBaseShininess(float s) { shininess_ = baseShininess_ = s; }

    // Every current value from its base value.
    void restoreOriginal();
    // Every base value from its current value.
    void commit();
    // Every current value between the current values of a and b; f is clamped to [0, 1].
    void blend(const Material& a, const Material& b, float f);
    // Base diffuse, emissive and specular colours and base transparency equal.
    bool equals(const Material& other) const;
    void applyChange(const MaterialChange& change, bool permanent);

    const Colour& diffuse() const { return diffuse_; }
    const Colour& baseDiffuse() const { return baseDiffuse_; }
    const Colour& emissive() const { return emissive_; }
    const Colour& baseEmissive() const { return baseEmissive_; }
    const Colour& specular() const { return specular_; }
    const Colour& baseSpecular() const { return baseSpecular_; }
    float transparency() const { return transparency_; }
    float baseTransparency() const { return baseTransparency_; }
    float ambientIntensity() const { return ambient_; }
    float baseAmbientIntensity() const { return baseAmbient_; }
    float shininess() const { return shininess_; }
    float baseShininess() const { return baseShininess_; }
    // 1 - transparency squared, the alpha of the colours sent to OpenGL.
    float alpha() const { return 1.0f - transparency_ * transparency_; }

private:
    Colour diffuse_ = kDefaultDiffuse, baseDiffuse_ = kDefaultDiffuse;
    Colour specular_{}, baseSpecular_{};
    Colour emissive_{}, baseEmissive_{};
    float transparency_ = 0.0f, baseTransparency_ = 0.0f;
    float ambient_ = kDefaultAmbient, baseAmbient_ = kDefaultAmbient;
    float shininess_ = kDefaultShininess, baseShininess_ = kDefaultShininess;
};

// VRML 1 materials are state that later shapes copy: the reader registers a copy under the DEF
// name, kept here until the scene is closed.
void clearVrml1MaterialCopies();

}  // namespace kinemo
