#pragma once
// Readers of VRML 2 and VRML 1 transform syntax. Each reads from after its keyword and returns
// the position after what it read; end bounds the text (nullptr: the zero byte).
#include "scene/keywords.h"

namespace kinemo {

class GroupNode;
class TransformNode;

// A field of a transform ("translation", "rotation", "scale ", "scaleOrientation ", ...); nullptr
// when keyword is no transform field.
const char* readTransformField(TransformNode& node, Keyword keyword, const char* after, const char* end);
// Up to count floats after p (within 200 characters); values not found keep what out holds.
// Returns the position after the last value read and sets found.
const char* readFixedFloats(const char* p, const char* end, float* out, int count, int& found, int lookAhead = 200);

// The body of a VRML 1 "Transform" node, composed into node's initial record.
const char* readVrml1TransformBody(TransformNode& node, const char* text, const char* end);
// VRML 1 "Translation ", "Rotation " and "Scale " nodes, composed into node's initial record.
const char* readVrml1Translation(TransformNode& node, const char* text, const char* end);
const char* readVrml1Rotation(TransformNode& node, const char* text, const char* end);
const char* readVrml1Scaling(TransformNode& node, const char* text, const char* end);
// A "MatrixTransform" body, and the 16 values after a "matrix" keyword.
const char* readMatrixTransform(TransformNode& node, const char* text, const char* end);
const char* readMatrixValues(TransformNode& node, const char* text, const char* end);

// Composes a 4x4 matrix in VRML 1 order (row vectors, translation in the last row) into the
// initial record: its 3x3 block becomes a rotation and scale, its last row a translation.
void applyMatrix(TransformNode& node, const float m[16]);

// After a group body: a scale whose product is negative (a mirror) is moved into the geometry of
// the subtree, when the shapes can be transformed; both records' scale becomes (1, 1, 1).
void fixNegativeScale(GroupNode& group);

}  // namespace kinemo
