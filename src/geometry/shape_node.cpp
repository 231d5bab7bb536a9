// Shape nodes: reading the VRML 2 Shape body, writing, drawing and changing the geometry.
#include "geometry/shape_node.h"

#include <cstring>

#include "core/numbers.h"
#include "geometry/appearance_gl.h"
#include "geometry/face_object.h"
#include "geometry/face_object_reading.h"
#include "geometry/face_ref.h"
#include "geometry/primitives.h"
#include "scene/bounding_box.h"
#include "scene/def_registry.h"
#include "scene/err_tree_manipulation.h"
#include "scene/group_node.h"
#include "scene/matchers.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"

namespace kinemo {
namespace {
constexpr int kShapeKeywordBudget = 10000;

bool isGeometryKeyword(Keyword k) {
    return k == kw::IndexedFaceSet || k == kw::IndexedLineSet || k == kw::Box || k == kw::Cube || k == kw::Cylinder ||
           k == kw::Cone || k == kw::Sphere || k == kw::Extrusion || k == kw::ElevationGrid ||
           k == kw::IndexedTriangleStripSet;
}
}  // namespace

ReportLevel& ShapeNode::reportLevel() {
    static ReportLevel level{"ShapeNodeReportLevel"};
    return level;
}

ShapeNode::ShapeNode(bool withId) : Node(withId), appearance_(std::make_unique<Appearance>()) {
    reportLevel().readOnce();
    settings = defaultShapeSettings(readingState().isVrml1());
    name_ = "Shape";
}

ShapeNode::~ShapeNode() = default;

void ShapeNode::setGeometry(std::unique_ptr<ShapeBasics> geometry) {
    geometry_ = std::move(geometry);
    if (geometry_) geometry_->setOwner(this);
}

const char* ShapeNode::readFromText(const char* text) { return readFromString(text, nullptr, parent()); }

const char* ShapeNode::readFromString(const char* text, const char* end, GroupNode* group) {
    if (!text) return text;
    end = reading::textEndFor(text, end);
    const KeyWordMatcher& m = faceSetMatcher();
    long braces = 0, brackets = 0;
    bool opened = false;
    const char* pos = text;
    for (int n = 0; n < kShapeKeywordBudget; ++n) {
        KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) {
            pos = hit.after;
            break;
        }
        const Keyword k = hit.keyword;
        if (isBracketToken(k)) {
            if (k == kw::CloseBrace && braces == 0) {
                pos = hit.begin;
                break;
            }
            KeyWordMatcher::countBrackets(braces, brackets, k);
            pos = hit.after;
            if (k == kw::OpenBrace) opened = true;
            if (opened && braces <= 0 && brackets <= 0) break;
            continue;
        }
        pos = hit.after;
        if (k == kw::Appearance) {
            pos = appearance_->readFromString(pos, end);
        } else if (k == kw::DEF) {
            defRegistry().setPendingName(reading::readWord(pos, end));
        } else if (k == kw::USE) {
            std::string_view w = reading::readWord(pos, end);
            std::string name = w.empty() ? std::string("missingUSE!!") : std::string(w);
            BasicObject* object = defRegistry().findDef(name);
            if (!object) continue;
            if (auto* other = dynamic_cast<ShapeNode*>(object)) {
                if (other != this) {
                    appearance_->copyFrom(other->appearance());
                    if (other->geometry()) setGeometry(other->geometry()->makeReference());
                }
            } else if (auto* material = dynamic_cast<Material*>(object)) {
                appearance_->material().copyValues(*material, false);
                appearance_->material().copyValues(*material, true);
            } else if (auto* look = dynamic_cast<Appearance*>(object)) {
                if (look != appearance_.get()) appearance_->copyFrom(*look);
            } else if (auto* shape = dynamic_cast<ShapeBasics*>(object)) {
                if (geometry_) break;  // a second geometry ends the body
                setGeometry(shape->makeReference());
            } else {
                sceneReport("cannot USE " + name, 1, true);
            }
        } else if (isGeometryKeyword(k)) {
            if (geometry_) {
                pos = hit.begin;
                break;
            }
            std::unique_ptr<ShapeBasics> g;
            pos = readGeometryNode(k, pos, end, this, g);
            setGeometry(std::move(g));
        } else {
            sceneLog(formatC("Unexpected keyword in ShapeNode.readFromString %s\n", k));
            pos = hit.begin;
            break;
        }
    }
    // Only now is the look known: a texture decides about texture points.
    if (FaceObject* face = geometry_ ? geometry_->asFaceObject() : nullptr) {
        if (face->state() != FaceObject::Read && face->state() != FaceObject::Ready &&
            !face->finishReading(this, group)) {
            releaseGeometry();
            ++readingState().emptyFaces;
        }
    } else if (geometry_) {
        geometry_->prepare();
    }
    return pos;
}

void ShapeNode::writeText(std::string& out) const {
    out += "\n\nShape {";
    appearance_->writeText(out);
    const std::size_t mark = out.size();
    out += "\n  geometry";
    const std::size_t bodyStart = out.size();
    if (geometry_ && geometry_->hasGeometry()) geometry_->writeText(out);
    if (out.size() == bodyStart) {
        // Never an empty "geometry": no VRML reader would take it.
        out.resize(mark);
        sceneReport("Not writing empty node", 0, false);
    }
    out += "\n}";
}

bool ShapeNode::writeToFile(std::FILE* file) {
    std::string out;
    writeText(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

void ShapeNode::extendLocalBounds(BoundingBox& box) const {
    if (!geometry_) return;
    float mn[3], mx[3], c[3];
    geometry_->getBounds(mn, mx, c);
    if (mn[0] > mx[0]) return;
    box.extend(mn[0], mn[1], mn[2]);
    box.extend(mx[0], mx[1], mx[2]);
}

long ShapeNode::vertexReferenceCount() const {
    const ShapeBasics* g = geometry_.get();
    if (auto* ref = dynamic_cast<const FaceRef*>(g)) return ref->target().countVertexRefs();
    const FaceObject* f = g ? g->asFaceObject() : nullptr;
    return f ? f->countVertexRefs() : 0;
}

long ShapeNode::triangleCount() const {
    const ShapeBasics* g = geometry_.get();
    if (auto* ref = dynamic_cast<const FaceRef*>(g)) return ref->target().countTriangles();
    const FaceObject* f = g ? g->asFaceObject() : nullptr;
    return f ? f->countTriangles() : 0;
}

void ShapeNode::resetMaterial() { appearance_->material().restoreOriginal(); }

void ShapeNode::setMaterialColor(const float rgb[3]) {
    appearance_->material().setDiffuse(Colour{rgb[0], rgb[1], rgb[2]});
}

void ShapeNode::setMaterialTransparency(float transparency) { appearance_->material().setTransparency(transparency); }

void ShapeNode::show() {
    Node::show();
    if (geometry_) geometry_->shown(*this);
}

void ShapeNode::hide() {
    Node::hide();
    if (geometry_) geometry_->hidden(*this);
}

Node* ShapeNode::cloneUnder(GroupNode& parent) {
    auto copy = std::make_unique<ShapeNode>(true);
    copy->settings = settings;
    copy->appearance_->copyFrom(*appearance_);
    copy->name_ = name_;
    if (geometry_) copy->setGeometry(geometry_->makeReference());
    return parent.addChild(std::move(copy));
}

int ShapeNode::renderOrderKey() const {
    const float t = appearance_->material().transparency();
    if (!visible() || t >= 1.0f) return -1;
    if (t > 0.0f) return 1;
    return geometry_ ? geometry_->renderOrderKey() : -1;
}

void ShapeNode::draw(const ShapeDrawContext& context) {
    if (!geometry_ || renderOrderKey() < 0) return;
    acquireUse();
    applyMaterial(appearance_->material());
    if (Texture* t = appearance_->texture()) bindTexture(*t, context.offscreen);
    geometry_->update(*this, context);
    geometry_->render(*this, context);
    releaseUse();
}

// A face set held by several shapes is copied before one of them changes it.
static FaceObject* ownFaceSet(ShapeNode& node, std::unique_ptr<ShapeBasics>& geometry) {
    if (auto* ref = dynamic_cast<FaceRef*>(geometry.get())) {
        std::unique_ptr<FaceObject> copy = ref->copyTarget();
        FaceObject* raw = copy.get();
        node.setGeometry(std::move(copy));
        return raw;
    }
    return geometry ? geometry->asFaceObject() : nullptr;
}

void ShapeNode::scaleBy(float factor) {
    FaceObject* f = ownFaceSet(*this, geometry_);
    if (!f) {
        if (geometry_) sceneReport(formatC("Cannot change scale of Type %s", geometry_->getTypeName()), 1, true);
        return;
    }
    f->scaleBy(factor);
}

void ShapeNode::transformBy(const float linear[9], const float offset[3]) {
    FaceObject* f = ownFaceSet(*this, geometry_);
    if (!f) {
        if (geometry_) sceneReport(formatC("Cannot transform Type %s", geometry_->getTypeName()), 1, true);
        return;
    }
    f->transformBy(linear, offset);
}

bool ShapeNode::isMergeableWith(const ShapeNode& other) const {
    if (!geometry_ || !other.geometry_) return false;
    if (std::strcmp(geometry_->getTypeName(), other.geometry_->getTypeName()) != 0) return false;
    if (appearance_->texture() || other.appearance_->texture()) return false;
    if (!appearance_->material().equals(other.appearance_->material())) return false;
    if (geometry_->asFaceObject()) return geometry_->isMergeableWith(*other.geometry_);
    return true;
}

}  // namespace kinemo
