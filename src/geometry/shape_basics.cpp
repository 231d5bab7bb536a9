#include "geometry/shape_basics.h"

#include "core/definitions.h"
#include "scene/def_registry.h"

namespace kinemo {

ReportLevel& ShapeBasics::reportLevel() {
    static ReportLevel level{"ShapeBasicsReportLevel"};
    return level;
}

ShapeSettings defaultShapeSettings(bool vrml1) {
    static ReportLevel settingsLevel{"ShapeSettingsReportLevel"};
    static const float vrml1Crease = getDefinitionFloat("DefaultVRML1CreaseAngle", 0.5f);
    static const float crease = getDefinitionFloat("DefaultCreaseAngle", 0.0f);
    settingsLevel.readOnce();
    ShapeSettings s;
    s.creaseAngle = vrml1 ? vrml1Crease : crease;
    s.normalBinding = vrml1 ? Binding::PerFaceIndexed : Binding::PerVertexIndexed;
    s.currentBinding = s.normalBinding;
    return s;
}

void copyShapeSettings(ShapeSettings& to, const ShapeSettings& from) {
    to.creaseAngle = from.creaseAngle;
    to.normalBinding = from.normalBinding;
    to.currentBinding = from.currentBinding;
    to.solid = from.solid;
    to.ccw = from.ccw;
}

const char* bindingName(Binding binding) {
    switch (binding) {
        case Binding::Default:
            return "DEFAULT ";
        case Binding::Overall:
            return "OVERALL ";
        case Binding::PerVertexIndexed:
            return "PER_VERTEX_INDEXED";
        case Binding::PerVertex:
            return "PER_VERTEX ";
        case Binding::PerFaceIndexed:
            return "PER_FACE_INDEXED";
        case Binding::PerFace:
            return "PER_FACE ";
        case Binding::PerPartIndexed:
            return "PER_PART_INDEXED";
        case Binding::PerPart:
            return "PER_PART ";
    }
    return "DEFAULT ";
}

ShapeBasics::ShapeBasics() { reportLevel().readOnce(); }

ShapeBasics::ShapeBasics(const ShapeBasics& other) : BasicObject(other), settings(other.settings) {
    for (int i = 0; i < 3; ++i) {
        boundsMin[i] = other.boundsMin[i];
        boundsMax[i] = other.boundsMax[i];
        centre[i] = other.centre[i];
    }
}

// A geometry named by DEF leaves the registry when it goes, so that a later USE cannot reach it.
ShapeBasics::~ShapeBasics() { defRegistry().forget(this); }

bool ShapeBasics::writeToFile(std::FILE* file) {
    std::string out;
    writeText(out);
    return out.empty() || std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

void ShapeBasics::getBounds(float minimum[3], float maximum[3], float c[3]) const {
    for (int i = 0; i < 3; ++i) {
        minimum[i] = boundsMin[i];
        maximum[i] = boundsMax[i];
        c[i] = centre[i];
    }
}

}  // namespace kinemo
