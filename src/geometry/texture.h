#pragma once
// An image on a shape: the image, wrap flags, environment mapping and a 2D texture transform.
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/basic_object.h"
#include "geometry/image.h"

namespace kinemo {

class Texture : public BasicObject {
public:
    static constexpr std::int32_t kNotUploaded = -1;
    static constexpr std::int32_t kUploadImpossible = -2;

    Texture();

    // Reads an ImageTexture, PixelTexture or VRML 1 Texture2 body after its keyword; returns the
    // position after the closing brace. "NULL" as the first token means no texture.
    const char* readFromString(const char* text, const char* end = nullptr);
    const char* readFromText(const char* text) override { return readFromString(text); }
    // Reads a TextureTransform (or VRML 1 Texture2Transform) body and recomputes the matrix.
    const char* readTransformFromString(const char* text, const char* end = nullptr);
    // The texture node, its inline image first in binary write mode, then the transform unless
    // it is the identity.
    void writeText(std::string& out) const;
    bool writeToFile(std::FILE* file) override;
    // Takes the other's file name, image, flags and transform; the upload is not shared.
    void copyFrom(const Texture& other);

    const std::string& name() const { return name_; }
    const std::string& fileName() const { return fileName_; }
    void setFileName(std::string name) { fileName_ = std::move(name); }
    const std::shared_ptr<ImageImpl>& image() const { return image_; }
    void setImage(std::shared_ptr<ImageImpl> image);
    bool loaded() const { return loaded_; }
    bool repeatS() const { return repeatS_; }
    bool repeatT() const { return repeatT_; }
    void setRepeat(bool s, bool t) {
        repeatS_ = s;
        repeatT_ = t;
    }
    bool envMap() const { return envMap_; }
    void setEnvMap(bool on) { envMap_ = on; }
    std::int32_t textureName() const { return textureName_; }
    void setTextureName(std::int32_t name) { textureName_ = name; }

    // The transform: centre, translation, scale, rotation (radians).
    void setTransform(std::array<float, 2> center, std::array<float, 2> translation, std::array<float, 2> scale,
                      float rotation);
    // The same with an extra rotation, scale factors and an offset added to both translations (the
    // animated variant).
    void setAnimatedTransform(float extraRotation, std::array<float, 2> scaleFactor, std::array<float, 2> offset);
    const std::array<float, 6>& matrix() const { return matrix_; }
    bool isIdentityTransform() const;
    // (u, v) pairs in, transformed pairs out; both spans hold 2 values per point.
    void transformTexCoords(std::span<const float> in, std::span<float> out) const;

private:
    void updateMatrix(float rotation, std::array<float, 2> scale, std::array<float, 2> translation);
    void loadFile();

    std::string name_;
    std::string fileName_;
    std::shared_ptr<ImageImpl> image_;
    bool repeatS_ = true;
    bool repeatT_ = true;
    bool envMap_ = false;
    bool loaded_ = false;
    std::int32_t textureName_ = kNotUploaded;
    std::array<float, 2> center_{0, 0};
    std::array<float, 2> translation_{0, 0};
    std::array<float, 2> scale_{1, 1};
    float rotation_ = 0;
    std::array<float, 6> matrix_{1, 0, 0, 0, 1, 0};
};

}  // namespace kinemo
