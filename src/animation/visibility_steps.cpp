#include "animation/visibility_steps.h"

#include "animation/animation_group.h"
#include "animation/reverse_steps.h"
#include "core/numbers.h"
#include "scene/group_node.h"

namespace kinemo {

std::unique_ptr<AnimationAtomRef> ShowHideAnimationObject::createRef() {
    return std::make_unique<VisibilityAnimationRef>(*this);
}

Node* ShowHideAnimationObject::getComponent() const { return component_; }

bool ShowHideAnimationObject::setComponent(Node* node) {
    GroupNode* g = node ? node->asGroupNode() : nullptr;
    if (!g) return false;
    component_ = g;
    return true;
}

void ShowHideAnimationObject::replaceComponent(Node* node) { component_ = node ? node->asGroupNode() : nullptr; }

std::string ShowHideAnimationObject::getName() const { return component_ ? component_->getName() : std::string(); }

bool ShowHideAnimationObject::animate(AnimationAtomRef& ref, double time, bool forward) {
    if (!component_) return true;
    if (forward) {
        if (appear_)
            component_->show();
        else
            component_->hide();
    } else if (auto* v = dynamic_cast<VisibilityAnimationRef*>(&ref)) {
        v->restore();
    }
    return true;
}

bool ShowHideAnimationObject::animate(double time, bool forward) { return animate(getRef(), time, forward); }

std::unique_ptr<AnimationAtom> ShowHideAnimationObject::clone() const {
    std::unique_ptr<ShowHideAnimationObject> copy;
    if (appear_)
        copy = std::make_unique<AppearAnimationObject>(parent(), true);
    else
        copy = std::make_unique<DisappearAnimationObject>(parent(), true);
    copy->component_ = component_;
    copy->componentId = componentId;
    copy->dowait = dowait;
    return copy;
}

StepList ShowHideAnimationObject::createReverseSteps(AnimationGroup& chapter) {
    auto make = [](bool appear, Node* part) {
        std::unique_ptr<ShowHideAnimationObject> s;
        if (appear)
            s = std::make_unique<AppearAnimationObject>(nullptr, true);
        else
            s = std::make_unique<DisappearAnimationObject>(nullptr, true);
        s->setComponent(part);
        return s;
    };
    PartChangeFamily family;
    family.member = [](const AnimationAtom& a) { return dynamic_cast<const ShowHideAnimationObject*>(&a) != nullptr; };
    family.copyOnto = [&](const AnimationAtom& model, Node* part) -> std::unique_ptr<AnimationAtom> {
        auto s = make(static_cast<const ShowHideAnimationObject&>(model).appears(), part);
        s->dowait = model.dowait;
        return s;
    };
    family.restoring = [&]() -> std::unique_ptr<AnimationAtom> { return make(true, component_); };
    family.missingPart = appear_ ? "Warning: No Component associated with Appear Animation Object"
                                 : "Warning: No Component associated with Disappear Animation Object";
    return reverseOfPartChange(*this, chapter, family);
}

void ShowHideAnimationObject::writeBlock(std::string& out) const {
    out += appear_ ? "\n# [ACTION>>APPEAR]" : "\n# [ACTION>>DISAPPEAR]";
    out += formatC("\n# id %ld\n", long(component_ ? component_->id() : componentId));
}

bool ShowHideAnimationObject::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

}  // namespace kinemo
