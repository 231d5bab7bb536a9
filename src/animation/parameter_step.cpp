#include "animation/parameter_step.h"

#include <cmath>
#include <map>
#include <utility>

#include "animation/section_keys.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "geometry/shape_node.h"
#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/transform_math.h"

namespace kinemo {
namespace {

struct Remembered {
    float value = 0;
    float firstStart = 0;  // the start value of the step that set it first
};
// Keyed by geometry and parameter index. The pointers are only compared: values are put back
// through the geometries met in the live tree, never through a pointer kept here.
using Memory = std::map<std::pair<const ShapeBasics*, std::int32_t>, Remembered>;
Memory& memory() {
    static Memory m;
    return m;
}

template <class F>
void forEachGeometry(Node& node, const F& f, int depth = 0) {
    if (depth > 1000) return;
    if (ShapeNode* s = node.asShapeNode()) {
        if (ShapeBasics* g = s->geometry()) f(*g);
        return;
    }
    if (GroupNode* group = node.asGroupNode())
        for (std::size_t i = 0; i < group->childCount(); ++i) forEachGeometry(*group->child(i), f, depth + 1);
}

}  // namespace

struct ShapeParameterGuard::Saved {
    Memory before;
};

ShapeParameterGuard::ShapeParameterGuard() : saved_(std::make_unique<Saved>()) { saved_->before = memory(); }

ShapeParameterGuard::~ShapeParameterGuard() {
    Memory& now = memory();
    if (now.empty() && saved_->before.empty()) return;
    if (GroupNode* root = sceneRoot()) {
        forEachGeometry(*root, [&](ShapeBasics& g) {
            for (auto it = now.lower_bound({&g, INT32_MIN}); it != now.end() && it->first.first == &g; ++it) {
                auto was = saved_->before.find(it->first);
                g.setParameter(int(it->first.second), was != saved_->before.end() ? was->second.value
                                                                                 : it->second.firstStart);
            }
        });
    }
    now = std::move(saved_->before);
}

void forgetShapeParameters() { memory().clear(); }

std::string ParameterAnimationAtom::getName() const {
    return component_ ? "Param, " + component_->getName() : "No Object!";
}

Node* ParameterAnimationAtom::getComponent() const { return component_; }

bool ParameterAnimationAtom::setComponent(Node* node) {
    GroupNode* g = node ? node->asGroupNode() : nullptr;
    if (!g) return false;
    component_ = g;
    return true;
}

void ParameterAnimationAtom::replaceComponent(Node* node) { component_ = node ? node->asGroupNode() : nullptr; }

void ParameterAnimationAtom::setDuration(double seconds) { duration_ = clampDuration(seconds, 1.0e6); }

std::unique_ptr<AnimationAtomRef> ParameterAnimationAtom::createRef() {
    return std::make_unique<ParameterAnimationRef>(*this);
}

void ParameterAnimationRef::getCurrentState() {
    before.clear();
    auto* step = dynamic_cast<ParameterAnimationAtom*>(atom);
    Node* part = step ? step->getComponent() : nullptr;
    if (!part) return;
    const Memory& m = memory();
    forEachGeometry(*part, [&](ShapeBasics& g) {
        auto it = m.find({&g, step->parameterIndex});
        if (it != m.end()) before.emplace_back(&g, it->second.value);
    });
}

bool ParameterAnimationAtom::animate(AnimationAtomRef& ref, double t, bool forward) {
    double w = 0;
    bool finished = true;
    bool beforeStart = !forward;
    if (duration_ > 0 && !std::isnan(t)) {
        w = t / duration_;
        finished = forward ? w > 1 : w < 0;
        beforeStart = !forward && w <= 0;
        w = w < 0 ? 0 : w > 1 ? 1 : w;
    }
    if (!component_) return true;
    const float value = float(startValue + w * (double(endValue) - startValue));
    const auto* r = beforeStart ? dynamic_cast<const ParameterAnimationRef*>(&ref) : nullptr;
    Memory& m = memory();
    forEachGeometry(*component_, [&](ShapeBasics& g) {
        float v = value;
        if (r)
            for (const auto& [geometry, was] : r->before)
                if (geometry == &g) v = was;
        g.setParameter(int(parameterIndex), v);
        auto [it, added] = m.try_emplace({&g, parameterIndex}, Remembered{v, startValue});
        if (!added) it->second.value = v;
    });
    return finished;
}

std::unique_ptr<AnimationAtom> ParameterAnimationAtom::clone() const {
    auto c = std::make_unique<ParameterAnimationAtom>(parent(), true);
    c->startValue = startValue;
    c->endValue = endValue;
    c->parameterIndex = parameterIndex;
    c->duration_ = duration_;
    c->component_ = component_;
    c->componentId = componentId;
    c->dowait = dowait;
    return c;
}

void ParameterAnimationAtom::writeBlock(std::string& out) const {
    out += "\n# [ACTION>>SHAPE_PARAMETER]";
    out += formatC("\n# id %ld", long(component_ ? component_->id() : -1));
    out += formatC("\n# startValue %6.3f", double(startValue));
    out += formatC("\n# endValue %6.3f", double(endValue));
    out += "\n# parameterIndex ";
    appendInt(out, parameterIndex);
    out += formatC("\n# duration %6.3f", duration_);
    out += "\n";
}

bool ParameterAnimationAtom::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

const char* ParameterAnimationAtom::readFromText(const char* text) {
    BlockText b(text, nullptr);
    component_ = readPartId(b, "ParameterAnimationAtom", componentId);
    startValue = tmath::clampToFloat(b.number("startValue", 0));
    endValue = tmath::clampToFloat(b.number("endValue", 1));
    parameterIndex = b.integer("parameterIndex", 0);
    setDuration(b.number("duration", 1));
    return text;
}

}  // namespace kinemo
