#pragma once
// A geometry that draws, bounds, hit-tests and writes a face set held by several shapes. Identical
// face sets of a scene are stored once: the first one written carries a DEF name, the others
// write USE of it.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "geometry/face_object.h"

namespace kinemo {

class GroupNode;

class FaceRef : public ShapeBasics {
public:
    explicit FaceRef(std::shared_ptr<FaceObject> target);

    void writeText(std::string& out) const override;
    void getBounds(float minimum[3], float maximum[3], float centre[3]) const override;
    const char* getTypeName() const override { return "FaceRef"; }
    void update(ShapeNode& node, const ShapeDrawContext& context) override { target_->update(node, context); }
    void render(ShapeNode& node, const ShapeDrawContext& context) override;
    float intersectRay(float hit[3], const float origin[3], const float direction[3]) const override;
    // Face references are made by sharing, not read: nothing is consumed.
    const char* readFromString(const char* text, const char* end, ShapeNode* node) override { return text; }
    bool isEmpty() const override { return target_->isEmpty(); }
    std::unique_ptr<ShapeBasics> makeReference() override { return std::make_unique<FaceRef>(target_); }
    void prepare() override { target_->prepare(); }

    const FaceObject& target() const { return *target_; }
    const std::shared_ptr<FaceObject>& sharedTarget() const { return target_; }
    // A face set of its own with the target's geometry, for a shape that is about to change it.
    std::unique_ptr<FaceObject> copyTarget() const;

private:
    std::shared_ptr<FaceObject> target_;
};

// Makes face's owning shape hold it through a FaceRef and returns the shared face set; the face
// set already shared is returned as it is. None when face has no owning shape that holds it.
std::shared_ptr<FaceObject> shareOwnership(FaceObject& face);

// While a scope lives, a shared face set written once is written as "USE" afterwards, also when
// the shapes are written one by one into a file. Without a scope a USE is only written into the
// same text that already holds the DEF.
class GeometryWriteScope {
public:
    GeometryWriteScope();
    ~GeometryWriteScope();
    GeometryWriteScope(const GeometryWriteScope&) = delete;
    GeometryWriteScope& operator=(const GeometryWriteScope&) = delete;
};

// The sharing pass over the shapes of a scene: face sets with equal content (by hash, then by
// comparing every written field) are replaced by references to the first one.
class FaceShareTable {
public:
    // Shares shape's face set; true when it was replaced by a reference.
    bool share(ShapeNode& shape);
    // Shares every shape below root and reports "Replaced %d identical faces by reference".
    int shareAll(GroupNode& root);
    int replaced() const { return replaced_; }

private:
    struct Entry {
        ShapeNode* shape;
        FaceObject* face;
    };
    std::unordered_multimap<std::uint64_t, Entry> entries_;
    int replaced_ = 0;
};

}  // namespace kinemo
