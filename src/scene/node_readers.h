#pragma once
// Where the layers above the tree plug in their readers. The group reader meets shapes, materials,
// viewpoints, lights and the like; it hands each to the reader registered for its keyword, and
// skips the node's body by brace counting while none is registered.
//
// The keywords handed on: "Shape ", "Sphere ", "ElevationGrid ", "Extrusion ", "Cylinder ", "Cube ",
// "Box ", "Cone ", "IndexedFaceSet ", "IndexedTriangleStripSet ", "IndexedLineSet ", "Coordinate3",
// "Normal ", "vector ", "normalIndex", "creaseAngle", "Material ", "Texture2 ", "TextureCoordinate2 ",
// "Viewpoint", "PerspectiveCamera", "LOD ", "range ", "DirectionalLight", "Sound ", "NavigationInfo ",
// "Background", "KvxChildren ", "KvxChEnd". Any other keyword reaches a registered reader only
// through the shape field reader, which is offered every other keyword before the transform fields
// and the group's own table.
#include <functional>
#include <string_view>

#include "scene/transform_math.h"

namespace kinemo {

class BasicObject;
class GroupNode;
class Node;

// Reads the node whose keyword (a keyword constant) ended at after; start is where the keyword
// began. Returns the position after what it read. A reader that creates an object for a pending
// DEF name registers it (defRegistry().registerDef).
using NodeReader =
    std::function<const char*(GroupNode& group, const char* keyword, const char* start, const char* after)>;
// Offered every keyword before the group's own table; returns nullptr when it did not take it.
using FieldReader = NodeReader;
// Maps the points and normals of a shape by an affine map (the negative-scale fix-up).
using ShapeTransformer = std::function<void(Node& shape, const tmath::Affine& map)>;
// Parses the text of an Inline file into group; false when nothing could be read.
using InlineContentReader = std::function<bool(GroupNode& group, std::string_view text)>;

// VRML 1 USE of an object that is no node (a material, a geometry); true when it took it.
using Vrml1UseHandler = std::function<bool(GroupNode& group, BasicObject& object)>;
// A VRML 1 Separator inherits the current coordinates, normals, material and texture.
using Vrml1StateInheritor = std::function<void(GroupNode& from, GroupNode& to)>;

void registerNodeReader(const char* keyword, NodeReader reader);
// The reader of a keyword constant, or none.
const NodeReader* findNodeReader(const char* keyword);
void clearNodeReaders();

// The shape field reader (bindings and other shape fields of a group body).
void setShapeFieldReader(FieldReader reader);
const FieldReader& shapeFieldReader();
void setShapeTransformer(ShapeTransformer transformer);
const ShapeTransformer& shapeTransformer();
void setInlineContentReader(InlineContentReader reader);
const InlineContentReader& inlineContentReader();
void setVrml1UseHandler(Vrml1UseHandler handler);
const Vrml1UseHandler& vrml1UseHandler();
void setVrml1StateInheritor(Vrml1StateInheritor inheritor);
const Vrml1StateInheritor& vrml1StateInheritor();

}  // namespace kinemo
