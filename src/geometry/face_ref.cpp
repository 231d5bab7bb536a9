#include "geometry/face_ref.h"

#include <cstring>

#include "core/numbers.h"
#include "geometry/shape_node.h"
#include "scene/group_node.h"
#include "scene/scene_report.h"

namespace kinemo {
namespace {

struct WriteRecord {
    const std::string* text = nullptr;
    std::size_t offset = 0;
    std::uint64_t scope = 0;
    std::string name;
};

std::unordered_map<const FaceObject*, WriteRecord>& writeRecords() {
    static std::unordered_map<const FaceObject*, WriteRecord> records;
    return records;
}

std::uint64_t& scopeCounter() {
    static std::uint64_t counter = 0;
    return counter;
}
std::uint64_t& activeScope() {
    static std::uint64_t scope = 0;
    return scope;
}
int& nameCounter() {
    static int n = 0;
    return n;
}

}  // namespace

// Names are counted afresh for every write, so that writing a scene read back gives the same bytes.
GeometryWriteScope::GeometryWriteScope() {
    activeScope() = ++scopeCounter();
    nameCounter() = 0;
}
GeometryWriteScope::~GeometryWriteScope() {
    activeScope() = 0;
    writeRecords().clear();
}

FaceRef::FaceRef(std::shared_ptr<FaceObject> target) : target_(std::move(target)) {
    copyShapeSettings(settings, target_->settings);
}

void FaceRef::writeText(std::string& out) const {
    auto& records = writeRecords();
    auto it = records.find(target_.get());
    if (it != records.end()) {
        const WriteRecord& r = it->second;
        const std::string def = "DEF " + r.name;
        const bool inScope = r.scope != 0 && r.scope == activeScope();
        const bool sameText =
            r.text == &out && r.offset + def.size() <= out.size() && out.compare(r.offset, def.size(), def) == 0;
        if (inScope || sameText) {
            out += " USE " + r.name;
            return;
        }
    }
    WriteRecord r;
    r.text = &out;
    r.scope = activeScope();
    r.name = formatC("kmxFaceSet_%d", ++nameCounter());
    out.push_back(' ');
    r.offset = out.size();
    out += "DEF " + r.name;
    records[target_.get()] = r;
    target_->writeText(out);
}

void FaceRef::getBounds(float minimum[3], float maximum[3], float c[3]) const {
    target_->getBounds(minimum, maximum, c);
}

void FaceRef::render(ShapeNode& node, const ShapeDrawContext& context) {
    if (target_->state() != FaceObject::Ready) target_->prepare();
    FaceObject::drawArrays(*target_, node, context);
}

float FaceRef::intersectRay(float hit[3], const float origin[3], const float direction[3]) const {
    return target_->intersectRay(hit, origin, direction);
}

std::unique_ptr<FaceObject> FaceRef::copyTarget() const {
    auto copy = std::make_unique<FaceObject>();
    copy->copyFrom(*target_);
    return copy;
}

std::shared_ptr<FaceObject> shareOwnership(FaceObject& face) {
    ShapeNode* owner = face.owner();
    if (!owner) return nullptr;
    ShapeBasics* g = owner->geometry();
    if (g == &face) {
        std::unique_ptr<ShapeBasics> held = owner->releaseGeometry();
        std::shared_ptr<FaceObject> shared(static_cast<FaceObject*>(held.release()));
        owner->setGeometry(std::make_unique<FaceRef>(shared));
        return shared;
    }
    if (auto* ref = dynamic_cast<FaceRef*>(g); ref && &ref->target() == &face) return ref->sharedTarget();
    return nullptr;
}

bool FaceShareTable::share(ShapeNode& shape) {
    FaceObject* face = shape.geometry() ? shape.geometry()->asFaceObject() : nullptr;
    if (!face) return false;
    if (face->state() != FaceObject::Ready) face->prepare();
    const std::uint64_t h = face->contentHash();
    auto [first, last] = entries_.equal_range(h);
    for (auto it = first; it != last; ++it) {
        Entry& e = it->second;
        if (!e.face->sameContent(*face)) continue;
        std::shared_ptr<FaceObject> shared = shareOwnership(*e.face);
        if (!shared) continue;
        shape.setGeometry(std::make_unique<FaceRef>(shared));
        ++replaced_;
        return true;
    }
    face->setOwner(&shape);
    entries_.emplace(h, Entry{&shape, face});
    return false;
}

int FaceShareTable::shareAll(GroupNode& root) {
    const int before = replaced_;
    std::vector<Node*> stack{&root};
    while (!stack.empty()) {
        Node* n = stack.back();
        stack.pop_back();
        if (GroupNode* g = n->asGroupNode()) {
            for (std::size_t i = g->childCount(); i-- > 0;) stack.push_back(g->child(i));
        } else if (ShapeNode* s = n->asShapeNode()) {
            share(*s);
        }
    }
    const int count = replaced_ - before;
    sceneReport(formatC("Replaced %d identical faces by reference", count), 0, false);
    return count;
}

}  // namespace kinemo
