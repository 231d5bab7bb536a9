// Writing face sets as VRML 2 text (or, in binary write mode, with binary blocks for the lists).
#include "core/numbers.h"
#include "geometry/binary_io.h"
#include "geometry/face_object.h"
#include "scene/scene_report.h"

namespace kinemo {

void FaceObject::writeText(std::string& out) const {
    if (reportLevel().reaches(5)) sceneLog("FaceObject::writeToFile\n");
    const bool faces = coordIndex && points && coordIndex->count() > 0;
    if (faces) {
        out += " IndexedFaceSet {";
        if (!settings.solid) out += "\n    solid FALSE";
        out += "\n    coord Coordinate {";
        out += "\n      point ";
        points->writeText(out, 3, true, 2);
        out += "\n    }";
        const bool writeNormals =
            normals && settings.creaseAngle < 0 && normalIndex && normalIndex->count() == coordIndex->count();
        if (!writeNormals) {
            if (settings.creaseAngle > 0) {
                out += "\n     creaseAngle  ";
                appendFixed(out, settings.creaseAngle, 6);
            }
        } else {
            out += "\n    normal Normal {";
            out += "\n      vector ";
            normals->writeText(out, 3, true, 1);
            out += "\n    }";
        }
        out += "\n    coordIndex ";
        if (binaryWriteMode())
            coordIndex->writeBinary(out, 1);
        else
            coordIndex->writeText(out);
        if (writeNormals) {
            out += "\n    normalIndex ";
            if (binaryWriteMode())
                normalIndex->writeBinary(out, 2);
            else
                normalIndex->writeText(out);
        }
        if (colours && colorIndex && !settings.colorPerVertex) {
            // colorIndex belongs to the face set, and the colours are per face.
            out += "\n    color Color { ";
            out += "\n      color ";
            colours->writeText(out, 4, true, 2);
            out += "\n      }";
            out += "\n    colorPerVertex FALSE";
            out += "\n    colorIndex ";
            colorIndex->writeText(out);
        } else if (colours && colorIndex && colorIndex->count() == coordIndex->count()) {
            // Colours per vertex, beside coordIndex.
            out += "\n    color Color { ";
            out += "\n      color ";
            colours->writeText(out, 4, true, 2);
            out += "\n      }";
            out += "\n    colorPerVertex TRUE";
            out += "\n    colorIndex ";
            colorIndex->writeText(out);
        }
        // Texture points are written only as two-column points that go with their indices.
        if (texCoord && !texCoordNull && texCoord->columns() == 2 && texCoord->rows() > 0 && texCoordIndex &&
            texCoordIndex->count() == coordIndex->count()) {
            out += "\n    texCoord TextureCoordinate  { ";
            out += "\n      point ";
            texCoord->writeText(out, 4, true, 2);
            out += "\n      }";
            out += "\n    texCoordIndex ";
            texCoordIndex->writeText(out);
        }
        out += "\n  }";
    }
    if (lineIndex && points) {
        if (reportLevel().reaches(5)) sceneLog("FaceObject::writeLineSetToFile\n");
        // A shape holds one geometry: lines next to faces are written as a second shape's.
        if (faces) out += "\n}\n\nShape {\n  geometry";
        out += " IndexedLineSet {";
        out += "\n    coord Coordinate {";
        out += "\n      point ";
        points->writeText(out, 3, true, 2);
        out += "\n    }";
        out += "\n    coordIndex ";
        lineIndex->writeText(out);
        if (lineColours && lineColourIndex && lineColourIndex->count() == lineIndex->count()) {
            // one colour per entry: colorPerVertex is TRUE, the VRML default for line sets
            out += "\n    color Color { ";
            out += "\n      color ";
            lineColours->writeText(out, 4, true, 2);
            out += "\n      }";
            out += "\n    colorIndex ";
            lineColourIndex->writeText(out);
        }
        out += "\n  }";
    }
}

}  // namespace kinemo
