#pragma once
// The look of one shape: its material (always there) and at most one texture.
#include <cstdio>
#include <memory>
#include <string>

#include "core/basic_object.h"
#include "geometry/material.h"
#include "geometry/texture.h"

namespace kinemo {

class Appearance : public BasicObject {
public:
    Appearance();
    ~Appearance() override;

    // Reads the body after the "Appearance" keyword; returns the position after its closing brace.
    // A texture that ends without an image is dropped.
    const char* readFromString(const char* text, const char* end = nullptr);
    const char* readFromText(const char* text) override { return readFromString(text); }
    // "\n  appearance Appearance {", the material, the texture, "\n  }".
    void writeText(std::string& out) const;
    bool writeToFile(std::FILE* file) override;
    // The other's current material values and a copy of its texture.
    void copyFrom(const Appearance& other);

    Material& material() { return *material_; }
    const Material& material() const { return *material_; }
    Texture* texture() { return texture_.get(); }
    const Texture* texture() const { return texture_.get(); }
    void setTexture(std::unique_ptr<Texture> texture) { texture_ = std::move(texture); }

private:
    std::unique_ptr<Material> material_;
    std::unique_ptr<Texture> texture_;
};

}  // namespace kinemo
