#pragma once
// The OpenGL side of materials and textures, called by the renderer with its context current.
#include <functional>

#include "geometry/material.h"
#include "geometry/texture.h"

namespace kinemo {

// Sends the material's current values that differ from those sent last (the transparent pass
// uses the same sequence).
void applyMaterial(const Material& material);
// Selects the texture for drawing, uploading its image at the first bind. With rebindEveryUse
// (off-screen contexts) the table is consulted on every bind.
void bindTexture(Texture& texture, bool rebindEveryUse = false);
// Deletes every texture name (the scene is closed) / those of images no longer shown.
void freeTextureNames();
void compactTextureNames();
// Called after a texture was uploaded, so that the renderer draws again.
void setTextureRedrawRequest(std::function<void()> request);

}  // namespace kinemo
