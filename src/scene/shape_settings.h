#pragma once
// The shape settings of a subtree (bindings, crease angle), shared by the groups created inside it.
namespace kinemo {

enum class Binding { Default, Overall, PerVertex, PerVertexIndexed, PerFace, PerFaceIndexed, PerPart, PerPartIndexed };

struct ShapeSettings {
    Binding normalBinding = Binding::Default;
    Binding currentBinding = Binding::Default;
    float creaseAngle = 0.5f;
    // The face set hints; a shape copies them with the binding and the crease angle.
    bool solid = true;
    bool ccw = true;
    bool colorPerVertex = false;
};

}  // namespace kinemo
