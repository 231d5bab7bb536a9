#pragma once
// VRML primitives and the program's own auxiliary shapes. Boxes, cylinders and cones become face
// sets when they are read; spheres, extrusions and elevation grids keep classes of their own.
#include <memory>
#include <string>
#include <vector>

#include "geometry/face_object.h"
#include "geometry/shape_basics.h"
#include "scene/group_node.h"
#include "scene/keywords.h"

namespace kinemo {

// Reads the geometry node of keyword k (its body starts at text) into out, registers it under a
// pending DEF name and returns the position after the body.
const char* readGeometryNode(Keyword k, const char* text, const char* end, ShapeNode* node,
                             std::unique_ptr<ShapeBasics>& out);

// The bodies of "Box "/"Cube ", "Cylinder " and "Cone ", built into face (and finished when node
// is given by the caller).
const char* readBox(FaceObject& face, const char* text, const char* end);
const char* readCylinder(FaceObject& face, const char* text, const char* end);
const char* readCone(FaceObject& face, const char* text, const char* end);

// The face sets of the primitives: 8 points, 6 normals and 6 quads; 32 points, 18 normals, caps and
// 16 side quads; a ring of 16 points with an apex (the cone is centred on the origin as VRML
// centres it), base cap and 16 side triangles.
void buildBox(FaceObject& face, float sx, float sy, float sz);
void buildCylinder(FaceObject& face, float height, float radius, bool side, bool top, bool bottom);
void buildCone(FaceObject& face, float bottomRadius, float height, bool side, bool bottom);

// Where a sphere is drawn: its centre in camera coordinates and one scale for its three axes,
// from the modelview m (column-major, the shape's transform after the camera) and its radius.
struct SpherePlacement {
    float centre[3] = {0, 0, 0};
    float scale = 1.0f;
};
SpherePlacement spherePlacement(const float m[16], float radius);

class Sphere : public ShapeBasics {
public:
    Sphere();
    void writeText(std::string& out) const override;
    const char* getTypeName() const override { return "Sphere"; }
    void render(ShapeNode& node, const ShapeDrawContext& context) override;
    float intersectRay(float hit[3], const float origin[3], const float direction[3]) const override;
    const char* readFromString(const char* text, const char* end, ShapeNode* node) override;
    std::unique_ptr<ShapeBasics> makeReference() override;
    void setRadius(float r);
    float radius() const { return radius_; }

private:
    float radius_ = 1.0f;
};

class Extrusion : public ShapeBasics {
public:
    Extrusion();
    void writeText(std::string& out) const override;
    const char* getTypeName() const override { return "Extrusion"; }
    void render(ShapeNode& node, const ShapeDrawContext& context) override;
    float intersectRay(float hit[3], const float origin[3], const float direction[3]) const override;
    const char* readFromString(const char* text, const char* end, ShapeNode* node) override;
    std::unique_ptr<ShapeBasics> makeReference() override;
    bool isEmpty() const override { return !mesh_ || !mesh_->coordIndex; }

    // Builds the triangles from the fields; false (reported) when there are too few points.
    bool build();
    const FaceObject* mesh() const { return mesh_.get(); }

    std::vector<float> crossSection{1, 1, 1, -1, -1, -1, -1, 1, 1, 1};
    std::vector<float> spine{0, 0, 0, 0, 1, 0};
    std::vector<float> orientation{0, 0, 1, 0};
    std::vector<float> scale{1, 1};
    bool beginCap = true, endCap = true, creaseSet = false;

private:
    std::unique_ptr<FaceObject> mesh_;
};

class ElevationGrid : public ShapeBasics {
public:
    ElevationGrid();
    void writeText(std::string& out) const override;
    const char* getTypeName() const override { return "ElevationGrid"; }
    // The texture points of the grid's triangles follow the view or the texture transform.
    void update(ShapeNode& node, const ShapeDrawContext& context) override {
        if (mesh_) mesh_->update(node, context);
    }
    void render(ShapeNode& node, const ShapeDrawContext& context) override;
    float intersectRay(float hit[3], const float origin[3], const float direction[3]) const override;
    const char* readFromString(const char* text, const char* end, ShapeNode* node) override;
    std::unique_ptr<ShapeBasics> makeReference() override;
    bool isEmpty() const override { return !mesh_ || !mesh_->coordIndex; }

    bool build(ShapeNode* node);
    const FaceObject* mesh() const { return mesh_.get(); }

    std::int32_t xDimension = 0, zDimension = 0;
    float xSpacing = 1.0f, zSpacing = 1.0f;
    std::vector<float> heights;
    std::unique_ptr<MatrixF> colours, normals, texCoord;
    bool normalPerVertex = true, colorPerVertex = true;

private:
    std::unique_ptr<FaceObject> mesh_;
};

// Axes of length s with arrow heads and stroke letters, drawn as lines without lighting.
class CoordinateCross : public ShapeBasics {
public:
    explicit CoordinateCross(float size = 1.0f) : size_(size) {}
    const char* getTypeName() const override { return "CoordinateCross"; }
    void render(ShapeNode& node, const ShapeDrawContext& context) override;
    const char* readFromString(const char* text, const char* end, ShapeNode* node) override { return text; }
    std::unique_ptr<ShapeBasics> makeReference() override { return std::make_unique<CoordinateCross>(size_); }
    void getBounds(float minimum[3], float maximum[3], float centre[3]) const override;
    // The line strips drawn (x, y, z triples per strip).
    std::vector<std::vector<float>> strips() const;
    float size() const { return size_; }

private:
    float size_;
};

// A polyline through its points (the motion path of a step).
class Path3D : public ShapeBasics {
public:
    const char* getTypeName() const override { return "Path3D"; }
    void render(ShapeNode& node, const ShapeDrawContext& context) override;
    const char* readFromString(const char* text, const char* end, ShapeNode* node) override { return text; }
    std::unique_ptr<ShapeBasics> makeReference() override;
    void addPoint(float x, float y, float z);
    void clear() { points_.clear(); }
    const std::vector<float>& points() const { return points_; }

private:
    std::vector<float> points_;
};

// A group holding one arrow-shaped face set that keeps its size on the screen: its scale follows
// the distance to the camera.
class ArrowObject : public GroupNode {
public:
    ArrowObject();
    // Scale = distance / 30.
    void updateScale(float cameraDistance);
    ShapeNode* arrowShape() const;
};

}  // namespace kinemo
