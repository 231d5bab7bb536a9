#include "animation/colour_steps.h"

#include <cmath>

#include "animation/animation_section.h"
#include "animation/reverse_steps.h"
#include "animation/section_keys.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "geometry/shape_node.h"
#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"

namespace kinemo {
namespace {

Material* materialOf(Node* node) {
    ShapeNode* s = node ? node->asShapeNode() : nullptr;
    return s ? &s->appearance().material() : nullptr;
}

const char* fmt(double v) {
    static thread_local std::string s;
    s = formatC("%6.3f", v);
    return s.c_str();
}

}  // namespace

void registerMaterialCopier() {
    ColorAnimationRef::setMaterialCopier([](Node& shape) -> std::unique_ptr<BasicObject> {
        Material* m = materialOf(&shape);
        if (!m) return nullptr;
        auto copy = std::make_unique<Material>();
        copy->copyValues(*m, true);
        return copy;
    });
}

ColorAnimationObject::ColorAnimationObject(TextAnimationAtom* parent, bool assignId) : AnimationAtom(parent, assignId) {
    registerMaterialCopier();
}

std::unique_ptr<AnimationAtomRef> ColorAnimationObject::createRef() {
    return std::make_unique<ColorAnimationRef>(*this);
}

std::string ColorAnimationObject::getName() const { return component_ ? component_->getName() : "No Object!"; }

Node* ColorAnimationObject::getComponent() const { return component_; }

bool ColorAnimationObject::setComponent(Node* node) {
    GroupNode* g = node ? node->asGroupNode() : nullptr;
    if (!g) return false;
    if (component_ && component_ != g) component_->resetMaterial();
    component_ = g;
    return true;
}

void ColorAnimationObject::replaceComponent(Node* node) { component_ = node ? node->asGroupNode() : nullptr; }

void ColorAnimationObject::setDuration(double seconds) { duration_ = clampDuration(seconds, 1.0e6); }

void ColorAnimationObject::restore(AnimationAtomRef& ref) {
    auto* r = dynamic_cast<ColorAnimationRef*>(&ref);
    if (!r) return;
    for (std::size_t i = 0; i < r->shapes.size() && i < r->startMaterials.size(); ++i) {
        Material* now = materialOf(r->shapes[i]);
        const auto* start = dynamic_cast<const Material*>(r->startMaterials[i].get());
        if (now && start) now->copyValues(*start, true);
    }
}

void ColorAnimationObject::applyToShapes(AnimationAtomRef& ref) const {
    auto* r = dynamic_cast<ColorAnimationRef*>(&ref);
    if (!r) return;
    for (Node* shape : r->shapes)
        if (Material* m = materialOf(shape)) m->applyChange(change, false);
}

bool ColorAnimationObject::animate(AnimationAtomRef& ref, double t, bool forward) {
    auto* r = dynamic_cast<ColorAnimationRef*>(&ref);
    if (!r) {
        reportMessage("Fatal error in ColorAnimationObject::animate", 1, true);
        return true;
    }
    if (duration_ > 0 && std::isfinite(t)) {
        double w = t / duration_;
        bool finished = false;
        if (w < 0) {
            w = 0;
            finished = !forward;
        }
        if (w > 1) {
            w = 1;
            finished = forward;
        }
        for (std::size_t i = 0; i < r->shapes.size() && i < r->startMaterials.size(); ++i) {
            Material* now = materialOf(r->shapes[i]);
            const auto* start = dynamic_cast<const Material*>(r->startMaterials[i].get());
            if (!now || !start) continue;
            // The shape's own base values: a change that restores a value goes back to them.
            Material target;
            target.copyValues(*now, false);
            target.copyValues(*start, true);
            target.applyChange(change, false);
            now->blend(*start, target, float(w));
        }
        return finished;
    }
    if (forward)
        applyToShapes(ref);
    else
        restore(ref);
    return true;
}

void ColorAnimationObject::copyColourInto(ColorAnimationObject& c) const {
    c.change = change;
    c.duration_ = duration_;
    c.component_ = component_;
    c.componentId = componentId;
    c.dowait = dowait;
}

std::unique_ptr<AnimationAtom> ColorAnimationObject::clone() const {
    auto c = std::make_unique<ColorAnimationObject>(parent(), true);
    copyColourInto(*c);
    return c;
}

StepList ColorAnimationObject::createReverseSteps(AnimationGroup& chapter) {
    PartChangeFamily family;
    // A blink ends with the look it started from: it changes nothing for the steps after it.
    family.member = [](const AnimationAtom& a) {
        return dynamic_cast<const ColorAnimationObject*>(&a) && !dynamic_cast<const BlinkAnimationAtom*>(&a);
    };
    family.copyOnto = [](const AnimationAtom& model, Node* part) {
        std::unique_ptr<AnimationAtom> c = model.clone();
        if (c) c->replaceComponent(part);
        return c;
    };
    family.restoring = [this]() -> std::unique_ptr<AnimationAtom> {
        auto c = std::make_unique<ColorAnimationObject>(nullptr, true);
        constexpr float r = MaterialChange::kRestore;
        c->change.colourDirection = {r, r, r};
        c->change.diffuseIntensity = c->change.ambientIntensity = c->change.emissiveIntensity = r;
        c->change.specular = c->change.shininess = c->change.transparency = r;
        c->duration_ = duration_;
        c->component_ = component_;
        c->dowait = dowait;
        return c;
    };
    return reverseOfPartChange(*this, chapter, family);
}

void ColorAnimationObject::writeChange(std::string& out) const {
    out += "\n# transparency ";
    out += fmt(change.transparency);
    out += "\n# diffuseBrightness ";
    out += fmt(change.diffuseIntensity);
    out += "\n# emissiveBrightness ";
    out += fmt(change.emissiveIntensity);
    out += "\n# specularBrightness ";
    out += fmt(change.specular);
    out += "\n# ambientBrightness ";
    out += fmt(change.ambientIntensity);
    out += "\n# shininess ";
    out += fmt(change.shininess);
    out += formatC("\n# colorDirection %6.3f %6.3f %6.3f\n", double(change.colourDirection[0]),
                   double(change.colourDirection[1]), double(change.colourDirection[2]));
}

void ColorAnimationObject::writeBlock(std::string& out) const {
    out += "\n# [ACTION>>COLOR]";
    out += formatC("\n# id %ld", long(component_ ? component_->id() : -1));
    if (duration_ != 0) out += formatC("\n# duration %6.3f", duration_);
    out += dowait ? "\n# dowait true" : "\n# dowait false";
    writeChange(out);
}

bool ColorAnimationObject::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

void ColorAnimationObject::readChange(const BlockText& b, bool brightnessKeys) {
    auto finite = [](double v, double fallback) { return std::isfinite(v) ? float(v) : float(fallback); };
    change.transparency = finite(b.number("transparency", 0), 0);
    if (brightnessKeys) {
        change.diffuseIntensity = finite(b.number("diffuseBrightness", -2), -2);
        change.emissiveIntensity = finite(b.number("emissiveBrightness", -2), -2);
        change.specular = finite(b.number("specularBrightness", -2), -2);
        change.ambientIntensity = finite(b.number("ambientBrightness", -2), -2);
        change.shininess = finite(b.number("shininess", -2), -2);
        double c[3];
        if (b.numbers("colorDirection", c, 3)) {
            if (c[0] < 0)
                change.colourDirection = {float(c[0]), float(c[1]), float(c[2])};
            else
                change.setColorDirection({float(c[0]), float(c[1]), float(c[2])});
        }
    } else {
        double c[3];
        if (!b.has("diffuseColor")) {
            logLine(formatC("Parser error in ColorAnimationObject: %s\n", "diffuseColor found"));
        } else if (b.has("initalColor")) {
            change.colourDirection = {MaterialChange::kRestore, MaterialChange::kRestore, MaterialChange::kRestore};
            change.diffuseIntensity = MaterialChange::kRestore;
            change.ambientIntensity = MaterialChange::kRestore;
        } else if (b.numbers("diffuseColor", c, 3)) {
            const double m = std::max({c[0], c[1], c[2]});
            if (m > 0) {
                change.setColorDirection({float(c[0]), float(c[1]), float(c[2])});
                change.diffuseIntensity = float(m);
            }
        }
    }
}

const char* ColorAnimationObject::readFromText(const char* text) {
    BlockText b(text, nullptr);
    const float version = readingState().fileVersion;
    component_ = readPartId(b, "ColorAnimationObject", componentId);
    readChange(b, versionAtLeast(version, 2.115));
    if (versionAtLeast(version, 3.005)) dowait = b.boolean("dowait", true);
    setDuration(b.number("duration", 0));
    return b.after();
}

bool BlinkAnimationAtom::animate(AnimationAtomRef& ref, double t, bool forward) {
    if (!dynamic_cast<ColorAnimationRef*>(&ref)) {
        reportMessage("Fatal error in BlinkAnimationAtom::animate", 1, true);
        return true;
    }
    const double period = onDuration + offDuration;
    if (!forward || !(period > 0) || numCycle <= 0 || !std::isfinite(t)) {
        restore(ref);
        return true;
    }
    const double a = t;
    if (a <= period * numCycle) {
        const double phase = a - period * std::floor(a / period);
        if (phase < onDuration)
            applyToShapes(ref);
        else
            restore(ref);
        return false;
    }
    restore(ref);
    return true;
}

std::unique_ptr<AnimationAtom> BlinkAnimationAtom::clone() const {
    auto c = std::make_unique<BlinkAnimationAtom>(parent(), true);
    copyColourInto(*c);
    c->onDuration = onDuration;
    c->offDuration = offDuration;
    c->numCycle = numCycle;
    return c;
}

void BlinkAnimationAtom::writeBlock(std::string& out) const {
    out += "\n# [ACTION>>BLINK]";
    out += formatC("\n# id %ld", long(component_ ? component_->id() : -1));
    out += formatC("\n# onDuration %6.3f", onDuration);
    out += formatC("\n# offDuration %6.3f", offDuration);
    out += formatC("\n# numCycle %ld", long(numCycle));
    out += dowait ? "\n# dowait true" : "\n# dowait false";
    writeChange(out);
}

const char* BlinkAnimationAtom::readFromText(const char* text) {
    BlockText b(text, nullptr);
    component_ = readPartId(b, "BlinkAnimationAtom", componentId);
    readChange(b, true);
    onDuration = clampDuration(b.number("onDuration", 0.5), 1.0e6);
    offDuration = clampDuration(b.number("offDuration", 0.5), 1.0e6);
    const std::int32_t n = b.integer("numCycle", 5);
    numCycle = n < 0 ? 0 : n > 1000000 ? 1000000 : n;
    dowait = b.boolean("dowait", true);
    return b.after();
}

}  // namespace kinemo
