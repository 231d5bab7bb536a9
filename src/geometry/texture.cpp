#include "geometry/texture.h"

#include <cmath>

#include "core/messages.h"
#include "core/numbers.h"
#include "core/paths.h"
#include "geometry/binary_io.h"
#include "geometry/field_reading.h"
#include "geometry/image_list.h"
#include "geometry/scene_link.h"
#include "geometry/texture_table.h"
#include "scene/keywords.h"
#include "scene/matchers.h"

namespace kinemo {

namespace {

constexpr int kTextureKeywordBudget = 999;

bool readFlag(const char*& p, const char* end) {
    const std::string_view word = readFieldWord(p, end);
    return !word.empty() && (word[0] == 'T' || word[0] == 't' || word[0] == 'Y' || word[0] == 'y');
}

void appendPair(std::string& out, const char* label, const std::array<float, 2>& v) {
    out += label;
    appendFixed(out, v[0], 6);
    out += ' ';
    appendFixed(out, v[1], 6);
    out += ' ';
}

}  // namespace

Texture::Texture() { textureSettings(); }

void Texture::setImage(std::shared_ptr<ImageImpl> image) {
    image_ = std::move(image);
    loaded_ = image_ && image_->loaded();
    textureName_ = kNotUploaded;
}

void Texture::loadFile() {
    syncImageReadContext();
    setImage(findOrLoad(fileName_, extensionOf(fileName_) == "GIF"));
}

const char* Texture::readFromString(const char* text, const char* end) {
    end = textEnd(text, end);
    const KeyWordMatcher& matcher = textureMatcher();
    long braces = 0, brackets = 0;
    const char* pos = text;
    bool fileNamed = false;
    for (int n = 0; n < kTextureKeywordBudget; ++n) {
        const KeywordHit hit = matcher.scan(pos, end);
        if (hit.keyword == kw::EndOfString) {
            pos = hit.after;
            break;
        }
        if (hit.keyword == kw::NULL_ && n == 0) return hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (braces < 0) return hit.begin;
            pos = hit.after;
            if (hit.keyword == kw::CloseBrace && braces == 0) break;
            continue;
        }
        pos = hit.after;
        if (hit.keyword == kw::ImageTexture || hit.keyword == kw::PixelTexture) {
            continue;
        } else if (hit.keyword == kw::url || hit.keyword == kw::filename) {
            // The name is kept as the file wrote it; separators are turned only to open the file.
            fileName_ = readFileNameField(pos, end);
            fileNamed = true;
        } else if (hit.keyword == kw::ImageData) {
            auto image = std::make_shared<ImageImpl>();
            syncImageReadContext();
            pos = image->readImageData(pos, end, true);
            if (image->loaded()) {
                imageList().add(image);
                setImage(std::move(image));
            }
        } else if (hit.keyword == kw::image) {
            auto image = std::make_shared<ImageImpl>();
            syncImageReadContext();
            pos = image->readImageFromString(pos, end);
            setImage(std::move(image));
        } else if (hit.keyword == kw::repeatS) {
            repeatS_ = readFlag(pos, end);
        } else if (hit.keyword == kw::repeatT) {
            repeatT_ = readFlag(pos, end);
        } else if (hit.keyword == kw::wrapS || hit.keyword == kw::wrapT) {
            const std::string_view word = readFieldWord(pos, end);
            (hit.keyword == kw::wrapS ? repeatS_ : repeatT_) = !word.empty() && word[0] == 'R';
        } else if (hit.keyword == kw::hashEnvMap) {
            envMap_ = true;
        } else if (hit.keyword == kw::DEF) {
            name_ = std::string(readFieldWord(pos, end));
        } else {
            logLine(formatC("Unexpected keyword in Texture.readFromString %s", hit.keyword));
            return hit.begin;
        }
    }
    if (fileNamed && !fileName_.empty()) loadFile();
    return pos;
}

const char* Texture::readTransformFromString(const char* text, const char* end) {
    end = textEnd(text, end);
    const char* pos = readFieldBody(text, end, textureMatcher(), kTextureKeywordBudget, [&](Keyword k, const char*& p) {
        if (k == kw::center) {
            readFieldFloats(p, end, center_.data(), 2);
        } else if (k == kw::translation) {
            readFieldFloats(p, end, translation_.data(), 2);
        } else if (k == kw::scale || k == kw::scaleFactor) {
            readFieldFloats(p, end, scale_.data(), 2);
        } else if (k == kw::rotation) {
            readFieldFloats(p, end, &rotation_, 1);
        } else if (k == kw::DEF) {
            logLine(formatC("Cannot handle DEF in Texture.readTransformFromString %s",
                            std::string(readFieldWord(p, end)).c_str()));
        } else {
            logLine(formatC("Unexpected keyword in Texture.readTransformFromString %s", k));
            return false;
        }
        return true;
    });
    updateMatrix(rotation_, scale_, translation_);
    return pos;
}

void Texture::writeText(std::string& out) const {
    const char* repeatS = repeatS_ ? "TRUE" : "FALSE";
    const char* repeatT = repeatT_ ? "TRUE" : "FALSE";
    if (!fileName_.empty()) {
        out += "\n    texture ImageTexture {";
        // The record sits inside the texture body, where the texture reader takes it.
        const std::int32_t pass = currentImageWritePass();
        if (binaryWriteMode() && image_ && (pass < 0 || image_->writeMark() != pass)) {
            image_->appendImageData(out);
            image_->setWriteMark(pass);
        }
        out += "\n      repeatS ";
        out += repeatS;
        out += "\n      repeatT ";
        out += repeatT;
        if (envMap_) out += "\n#    envMap";
        out += "\n      url \"" + fileName_ + "\"";
        out += "\n    }";
    } else {
        out += "\n    texture PixelTexture {";
        if (image_) {
            std::string imageText;
            image_->appendImageText(imageText);
            out += imageText;
        }
        out += "\n      repeatS ";
        out += repeatS;
        out += "\n      repeatT ";
        out += repeatT;
        if (envMap_) out += "\n#    envMap";
        out += "\n    }";
    }
    if (isIdentityTransform()) return;
    out += "\n  textureTransform TextureTransform {";
    if (center_[0] != 0 || center_[1] != 0) appendPair(out, "\n    center ", center_);
    if (translation_[0] != 0 || translation_[1] != 0) appendPair(out, "\n    translation ", translation_);
    if (scale_[0] != 1 || scale_[1] != 1) appendPair(out, "\n    scale ", scale_);
    if (rotation_ != 0) {
        out += "\n    rotation ";
        appendFixed(out, rotation_, 6);
        out += ' ';
    }
    out += "\n  }";
}

bool Texture::writeToFile(std::FILE* file) {
    std::string out;
    writeText(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

void Texture::copyFrom(const Texture& other) {
    name_ = other.name_;
    fileName_ = other.fileName_;
    image_ = other.image_;
    repeatS_ = other.repeatS_;
    repeatT_ = other.repeatT_;
    envMap_ = other.envMap_;
    loaded_ = other.loaded_;
    textureName_ = kNotUploaded;
    center_ = other.center_;
    translation_ = other.translation_;
    scale_ = other.scale_;
    rotation_ = other.rotation_;
    matrix_ = other.matrix_;
}

void Texture::setTransform(std::array<float, 2> center, std::array<float, 2> translation, std::array<float, 2> scale,
                           float rotation) {
    center_ = center;
    translation_ = translation;
    scale_ = scale;
    rotation_ = rotation;
    updateMatrix(rotation_, scale_, translation_);
}

void Texture::setAnimatedTransform(float extraRotation, std::array<float, 2> scaleFactor, std::array<float, 2> offset) {
    updateMatrix(rotation_ + extraRotation, {scale_[0] * scaleFactor[0], scale_[1] * scaleFactor[1]},
                 {translation_[0] + offset[0], translation_[1] + offset[1]});
}

void Texture::updateMatrix(float rotation, std::array<float, 2> s, std::array<float, 2> t) {
    const float c = std::cos(rotation);
    const float n = std::sin(rotation);
    float* m = matrix_.data();
    m[0] = s[0] * c;   // m00
    m[1] = -s[0] * n;  // m01
    m[3] = s[1] * n;   // m10
    m[4] = s[1] * c;   // m11
    m[2] = (center_[0] + t[0]) * m[0] + (center_[1] + t[1]) * m[1] - center_[0];
    m[5] = (center_[0] + t[0]) * m[3] + (center_[1] + t[1]) * m[4] - center_[1];
}

bool Texture::isIdentityTransform() const {
    return center_[0] == 0 && center_[1] == 0 && translation_[0] == 0 && translation_[1] == 0 && rotation_ == 0 &&
           scale_[0] == 1 && scale_[1] == 1;
}

void Texture::transformTexCoords(std::span<const float> in, std::span<float> out) const {
    const float* m = matrix_.data();
    const std::size_t n = std::min(in.size(), out.size()) / 2;
    for (std::size_t i = 0; i < n; ++i) {
        const float u = in[2 * i], v = in[2 * i + 1];
        out[2 * i] = m[0] * u + m[1] * v + m[2];
        out[2 * i + 1] = m[3] * u + m[4] * v + m[5];
    }
}

}  // namespace kinemo
