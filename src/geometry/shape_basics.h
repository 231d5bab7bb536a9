#pragma once
// The base of every geometry a shape node holds: face sets, face references, spheres, extrusions,
// elevation grids and the auxiliary shapes. It keeps the shape hints and the bounds.
#include <cstdio>
#include <memory>
#include <string>

#include "core/basic_object.h"
#include "core/report_level.h"
#include "scene/shape_settings.h"

namespace kinemo {

class FaceObject;
class ShapeNode;

// What a geometry needs to know to draw itself. The renderer has set the modelview matrix of the
// shape and applied its material before it calls a geometry.
struct ShapeDrawContext {
    // The viewer position in the shape's own coordinates (the back-face decisions of solid shapes).
    float viewerLocal[3] = {0.0f, 0.0f, 1.0e6f};
    // Distance from the camera to the shape's origin (arrows keep their size on screen with it).
    float cameraDistance = 1.0f;
    // Drawing into an image sequence: the coordinate cross stays out of the pictures.
    bool recordingImages = false;
    // Drawing into a bitmap context: buffer objects are not shared with it, client arrays are used.
    bool offscreen = false;
};

// The dialect defaults of the file being read: VRML 1 takes "DefaultVRML1CreaseAngle" (0.5) and
// PER_FACE_INDEXED, everything else "DefaultCreaseAngle" (0) and PER_VERTEX_INDEXED.
ShapeSettings defaultShapeSettings(bool vrml1);
// Copies the crease angle, the binding, solid and ccw (colorPerVertex stays).
void copyShapeSettings(ShapeSettings& to, const ShapeSettings& from);
// "DEFAULT ", "OVERALL ", "PER_VERTEX_INDEXED" ... as the files spell them.
const char* bindingName(Binding binding);

class ShapeBasics : public BasicObject {
public:
    ShapeBasics();
    ShapeBasics(const ShapeBasics& other);
    ~ShapeBasics() override;

    // VRML 2 text of the geometry appended to out (nothing in the base).
    virtual void writeText(std::string& out) const {}
    bool writeToFile(std::FILE* file) override;
    // Bounds minimum, maximum and centre (the mean of the points).
    virtual void getBounds(float minimum[3], float maximum[3], float centre[3]) const;
    virtual const char* getTypeName() const { return "ShapeBasics"; }
    // The owning shape becomes visible / hidden.
    virtual void shown(ShapeNode& node) {}
    virtual void hidden(ShapeNode& node) {}
    // Per-frame update before drawing.
    virtual void update(ShapeNode& node, const ShapeDrawContext& context) {}
    // Draws with the OpenGL context current (only called by the renderer).
    virtual void render(ShapeNode& node, const ShapeDrawContext& context) = 0;
    // Distance along the ray (direction need not be unit) to the nearest hit, 1e30 for none; the
    // hit point is stored when there is one.
    virtual float intersectRay(float hit[3], const float origin[3], const float direction[3]) const { return 1.0e30f; }
    // Reads the geometry's body after its keyword; returns the position after it.
    virtual const char* readFromString(const char* text, const char* end, ShapeNode* node) = 0;
    virtual bool hasGeometry() const { return true; }
    virtual int renderOrderKey() const { return 0; }
    virtual bool isMergeableWith(const ShapeBasics& other) const { return false; }
    virtual bool isEmpty() const { return false; }
    // A geometry that shares or copies this one (USE of a DEF'd geometry).
    virtual std::unique_ptr<ShapeBasics> makeReference() = 0;
    // flag 0: the drawn length of a line set.
    virtual void setParameter(int flag, float value) {}
    virtual void setOwner(ShapeNode* node) {}
    // Builds the render arrays.
    virtual void prepare() {}
    // Drops the cached appearance (texture points are computed again at the next draw).
    virtual void forgetAppearance() {}
    virtual FaceObject* asFaceObject() { return nullptr; }
    virtual const FaceObject* asFaceObject() const { return nullptr; }

    ShapeSettings settings;
    float boundsMin[3] = {1.0e30f, 1.0e30f, 1.0e30f};
    float boundsMax[3] = {-1.0e30f, -1.0e30f, -1.0e30f};
    float centre[3] = {0.0f, 0.0f, 0.0f};

    static ReportLevel& reportLevel();
};

}  // namespace kinemo
