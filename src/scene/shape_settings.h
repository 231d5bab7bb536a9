#pragma once
// The shape settings of a subtree (bindings, crease angle), shared by the groups created inside it.
namespace kinemo {

enum class Binding { Default, Overall, PerVertex, PerVertexIndexed, PerFace, PerFaceIndexed, PerPart, PerPartIndexed };

struct ShapeSettings {
    Binding normalBinding = Binding::Default;
    Binding currentBinding = Binding::Default;
    float creaseAngle = 0.5f;
};

}  // namespace kinemo
