#include "geometry/appearance_gl.h"

#include <GL/gl.h>

#include <vector>

#include "geometry/material_cache.h"
#include "geometry/texture_table.h"

#ifndef GL_CLAMP
#define GL_CLAMP 0x2900
#endif

namespace kinemo {

namespace {

std::function<void()>& redrawRequest() {
    static std::function<void()> request;
    return request;
}

void generateNames(std::vector<std::uint32_t>& names) {
    glGenTextures(static_cast<GLsizei>(names.size()), names.data());
}

void deleteNames(const std::vector<std::uint32_t>& names) {
    glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
}

std::int32_t upload(Texture& texture, bool rebind) {
    const std::shared_ptr<const ImageImpl> image = texture.image();
    const TextureTable::Result result =
        textureTable().acquire(image, rebind, textureSettings().maxNumTexture, generateNames);
    if (result.name < 0 || !result.fresh) return result.name;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(result.name));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const GLfloat border[4] = {1, 1, 1, 1};
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
    static const std::uint32_t white = 0xffffffffu;
    const bool hasPixels = image && !image->pixels().empty();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, hasPixels ? image->width() : 1, hasPixels ? image->height() : 1, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, hasPixels ? image->pixels().data() : &white);
    return result.name;
}

}  // namespace

void applyMaterial(const Material& material) {
    const MaterialValues v = MaterialValues::of(material);
    const unsigned send = materialCache().update(v);
    if (send & MaterialCache::kDiffuse) glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, v.diffuse.data());
    if (send & MaterialCache::kAmbient) glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, v.ambient.data());
    if (send & MaterialCache::kEmission) glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, v.emission.data());
    if (send & MaterialCache::kSpecular) glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, v.specular.data());
    if (send & MaterialCache::kShininess) glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, v.shininess);
}

void bindTexture(Texture& texture, bool rebindEveryUse) {
    if (texture.textureName() == Texture::kUploadImpossible) return;
    glEnable(GL_TEXTURE_2D);
    if (texture.textureName() > 0 && !rebindEveryUse) {
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture.textureName()));
    } else {
        const std::int32_t name = upload(texture, rebindEveryUse);
        texture.setTextureName(name);
        if (name < 0) return;
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(name));
        if (redrawRequest()) redrawRequest()();
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, texture.repeatS() ? GL_REPEAT : GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, texture.repeatT() ? GL_REPEAT : GL_CLAMP);
}

void freeTextureNames() { textureTable().clear(deleteNames); }

void compactTextureNames() { textureTable().compact(deleteNames); }

void setTextureRedrawRequest(std::function<void()> request) { redrawRequest() = std::move(request); }

}  // namespace kinemo
