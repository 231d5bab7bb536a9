#include "animation/light_step.h"

#include "core/messages.h"
#include "scene/light.h"

namespace kinemo {

LightAnimationObject::LightAnimationObject(TextAnimationAtom* parent, bool assignId)
    : AnimationAtom(parent, assignId), light_(std::make_unique<Light>()) {}

// The light goes with the step; a light that was current is then none (the light's own end).
LightAnimationObject::~LightAnimationObject() = default;

std::unique_ptr<AnimationAtomRef> LightAnimationObject::createRef() {
    return std::make_unique<LightAnimationRef>(*this);
}

void LightAnimationRef::getCurrentState() { previousLight = currentLight(); }

bool LightAnimationObject::animate(AnimationAtomRef& ref, double, bool forward) {
    if (forward) {
        makeCurrent(light_.get());
        return true;
    }
    auto* r = dynamic_cast<LightAnimationRef*>(&ref);
    makeCurrent(r ? r->previousLight : nullptr);
    return true;
}

std::unique_ptr<AnimationAtom> LightAnimationObject::clone() const {
    auto c = std::make_unique<LightAnimationObject>(parent(), true);
    c->light_->ambient = light_->ambient;
    c->light_->intensity = light_->intensity;
    for (int i = 0; i < 3; ++i) c->light_->direction[i] = light_->direction[i];
    c->dowait = dowait;
    return c;
}

void LightAnimationObject::writeBlock(std::string& out) const {
    out += "\n# [ACTION>>LIGHT]";
    light_->writeBlock(out);
}

bool LightAnimationObject::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

const char* LightAnimationObject::readFromText(const char* text) { return light_->readBlock(text, nullptr); }

}  // namespace kinemo
