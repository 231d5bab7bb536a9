#include "geometry/appearance.h"

#include "core/messages.h"
#include "core/numbers.h"
#include "geometry/field_reading.h"
#include "geometry/scene_link.h"
#include "scene/keywords.h"
#include "scene/matchers.h"

namespace kinemo {

namespace {
constexpr int kAppearanceKeywordBudget = 9999;
}

Appearance::Appearance() : material_(std::make_unique<Material>()) {}

Appearance::~Appearance() { forgetDefinedObject(this); }

const char* Appearance::readFromString(const char* text, const char* end) {
    end = textEnd(text, end);
    registerPendingDef(this);
    return readFieldBody(text, end, appearanceMatcher(), kAppearanceKeywordBudget, [&](Keyword k, const char*& p) {
        if (k == kw::DEF) {
            setPendingDefName(readFieldWord(p, end));
        } else if (k == kw::USE) {
            const std::string name(readFieldWord(p, end));
            BasicObject* object = findDefinedObject(name);
            if (auto* material = dynamic_cast<Material*>(object)) {
                material_->copyValues(*material, true);
            } else if (auto* appearance = dynamic_cast<Appearance*>(object)) {
                if (appearance != this) copyFrom(*appearance);
            } else {
                reportMessage("Appearance, cannot USE " + name, 1, true);
            }
        } else if (k == kw::Material) {
            p = material_->readFromString(p, end);
        } else if (k == kw::texture) {
            texture_ = std::make_unique<Texture>();
            p = texture_->readFromString(p, end);
            if (!texture_->loaded()) texture_.reset();
        } else if (k == kw::TextureTransform || k == kw::Texture2Transform) {
            if (!texture_) texture_ = std::make_unique<Texture>();
            p = texture_->readTransformFromString(p, end);
        } else {
            logLine(formatC("Unexpected keyword in Appearance.readFromString %s", k));
            return false;
        }
        return true;
    });
}

void Appearance::writeText(std::string& out) const {
    out += "\n  appearance Appearance {";
    material_->writeText(out);
    if (texture_) texture_->writeText(out);
    out += "\n  }";
}

bool Appearance::writeToFile(std::FILE* file) {
    std::string out;
    writeText(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

void Appearance::copyFrom(const Appearance& other) {
    if (!material_) material_ = std::make_unique<Material>();
    // Both the values as read and as shown: the writer saves the values as read, so a copy made
    // for USE would otherwise be saved without its colour.
    material_->copyValues(other.material(), false);
    material_->copyValues(other.material(), true);
    if (other.texture_) {
        if (!texture_) texture_ = std::make_unique<Texture>();
        texture_->copyFrom(*other.texture_);
    }
}

}  // namespace kinemo
