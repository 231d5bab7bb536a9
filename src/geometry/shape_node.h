#pragma once
// A visible part: a leaf of the assembly tree with one appearance and at most one geometry.
#include <cstdio>
#include <memory>
#include <string>

#include "geometry/appearance.h"
#include "geometry/shape_basics.h"
#include "scene/node.h"

namespace kinemo {

class FaceShareTable;

class ShapeNode : public Node {
public:
    explicit ShapeNode(bool withId = true);
    ~ShapeNode() override;

    ShapeNode* asShapeNode() override { return this; }
    // Reads a VRML 2 Shape body (after "Shape "); returns the position after its closing brace.
    const char* readFromText(const char* text) override;
    const char* readFromString(const char* text, const char* end, GroupNode* parent);
    // "\n\nShape {", the appearance, "\n  geometry " and the geometry, "\n}".
    void writeText(std::string& out) const;
    bool writeToFile(std::FILE* file) override;
    std::string getName() const override { return name_; }
    void extendLocalBounds(BoundingBox& box) const override;
    long vertexReferenceCount() const override;
    long triangleCount() const override;
    void resetMaterial() override;
    void setMaterialColor(const float rgb[3]) override;
    void setMaterialTransparency(float transparency) override;
    void show() override;
    void hide() override;
    Node* cloneUnder(GroupNode& parent) override;

    // Draws the geometry; the renderer has set the shape's modelview and applies the material
    // through applyMaterial. Hidden shapes and fully transparent ones draw nothing.
    void draw(const ShapeDrawContext& context);
    // -1 for hidden or fully transparent shapes (not drawn), 1 for transparent ones (drawn in the
    // transparent pass), else the geometry's key.
    int renderOrderKey() const;

    // Scales / maps the geometry's points. Only face sets (and references to them, which are
    // copied first) can be changed: any other type reports "Cannot change scale of Type %s" /
    // "Cannot transform Type %s".
    void scaleBy(float factor);
    void transformBy(const float linear[9], const float offset[3]);

    Appearance& appearance() { return *appearance_; }
    const Appearance& appearance() const { return *appearance_; }
    ShapeBasics* geometry() const { return geometry_.get(); }
    void setGeometry(std::unique_ptr<ShapeBasics> geometry);
    std::unique_ptr<ShapeBasics> releaseGeometry() { return std::move(geometry_); }
    // Same type, no texture, equal materials; face sets both with or both without normals, no lines.
    bool isMergeableWith(const ShapeNode& other) const;

    ShapeSettings settings;

    static ReportLevel& reportLevel();

private:
    std::unique_ptr<Appearance> appearance_;
    std::unique_ptr<ShapeBasics> geometry_;
};

// Registers the readers of shapes, geometry nodes and the VRML 1 shape state with the group
// reader, the shape transformer and the VRML 1 USE handler. Call once before reading scenes.
void registerShapeReaders();

}  // namespace kinemo
