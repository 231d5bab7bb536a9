#pragma once
// Cameras. A viewpoint is a transform node below the assembly group it looks at, so that it moves
// with that group: its translation is the camera position and its rotation the camera orientation
// (looking along -z with +y up), both in the parent's frame. It carries a name in every language.
// The viewpoints that the guide uses are kept in one ordered process-wide list, which viewpoint
// steps index and the definitions block of the scene file stores.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "scene/transform_node.h"

namespace kinemo {

class GroupNode;
class NodeTable;
class TextHolder;

// Clipping distances for one frame: the limited values the renderer uses and, before the limits,
// the ones derived from the scene's depths.
struct ClippingDistances {
    float nearPlane = 0.0f;
    float farPlane = 0.0f;
    float smallestNear = 0.0f;
    float unlimitedNear = 0.0f;
    float unlimitedFar = 0.0f;
};

// The modelview of a camera: x_camera = rotation * x_world + translation (row-major rotation),
// and the eye position in world coordinates used for culling.
struct CameraMatrix {
    double rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    double translation[3] = {0, 0, 0};
    double eye[3] = {0, 0, 0};
    // The same as a column-major 4 x 4 matrix, as glLoadMatrix takes it.
    void columnMajor(double out[16]) const;
};

class ViewPoint : public TransformNode {
public:
    // A viewpoint has no node id: it is named by its place in the viewpoint list.
    ViewPoint();
    ~ViewPoint() override;

    // Selected from the viewpoints menu: activates it and asks for a redraw.
    void processMenuSelect();
    // Writes a VRML "Viewpoint" from the current record, with the pose expressed in the frame of
    // the scene root, where the reader puts it again.
    bool writeToFile(std::FILE* file) override;
    void writeVrml(std::string& out);
    // The node name, and the name holder's text in the current language.
    void setName(std::string_view text) override;
    std::string getName() const override { return name_; }

    // The value followed by the current translation, rotation and scale.
    void poseRecord(float value, float out[11]) const;

    TextHolder& names() { return *names_; }
    const TextHolder& names() const { return *names_; }
    // The name becomes the holder's text in the current language (with its fallback).
    void takeNameFromHolder();

    // The camera position and orientation of the current record in world coordinates.
    void worldPose(double position[3], float rotation[4]);
    // Sets the current record (and the initial one when both) from a world pose, through the
    // parent's frame.
    void setWorldPose(const double position[3], const float rotation[4], bool both);

    // Near and far for this frame from the scene: its bounding-box diagonal and the nearest and
    // farthest depth of the shapes' bounds in front of the camera (anythingInFront false when
    // none is). The smallest near is kept for fitToBoundingBox, and the distances are handed to
    // the perspective handler.
    ClippingDistances updateClippingPlanes(float sceneDiagonal, bool anythingInFront, float nearest, float farthest);
    // The depth range of a world box seen from this camera; false when no corner lies in front.
    bool depthRange(const float boxMin[3], const float boxMax[3], float& nearest, float& farthest);
    // The modelview for this camera; stereoOffset shifts the eye sideways.
    CameraMatrix applyCamera(double stereoOffset);

private:
    std::unique_ptr<TextHolder> names_;
};

// The scene's current viewpoint, through which the view is drawn; none at first.
ViewPoint* currentViewpoint();
void setCurrentViewpoint(ViewPoint* viewpoint);
// Makes viewpoint current and resets its current transform to its initial one; asks for a redraw.
void activate(ViewPoint& viewpoint);

// The ordered viewpoint list.
void registerViewpoint(ViewPoint& viewpoint);
int viewpointCount();
ViewPoint* viewpointAt(int index);
// Position in the list, -1 when absent, -2 for none.
int viewpointIndex(const ViewPoint* viewpoint);
bool hasSeveralViewpoints();
// Forgets the initial viewpoint, the list and the index offset (a scene read is prepared, a
// scene deleted).
void clearViewpoints();
// Empties only the list.
void clearViewpointList();
// The first viewpoint read from a VRML "Viewpoint" since the last clearViewpoints.
ViewPoint* initialViewpoint();
// Makes viewpoint the first one read (and current), as if it had come first.
void setInitialViewpoint(ViewPoint* viewpoint);
// The list length when the last VRML "Viewpoint" was read: viewpoint steps look up offset + index.
int viewpointIndexOffset();
// Called after the list grew (the viewpoint editing window refreshes itself).
void setViewpointListChangedHandler(std::function<void()> handler);

// The name in the current language; for a viewpoint below a part, " (" + part name + ")" follows.
std::string viewpointLabel(const ViewPoint& viewpoint);

// The renderer's vertical field of view in degrees (45 until it tells otherwise), and the
// smallest near distance of the last clipping update (SmallestNearClippingDistance at first).
double viewpointFieldOfView();
void setViewpointFieldOfView(double degrees);
float smallestNearClipping();
// Receives near and far from every clipping update (the renderer's updatePerspective).
void setPerspectiveHandler(std::function<void(float nearPlane, float farPlane)> handler);

// Puts viewpoint in front of node's box, looking across its thinnest extent, at a distance at
// which the box fills the field of view. An empty box gives the default pose (0, 0, 10).
void fitToBoundingBox(ViewPoint& viewpoint, Node& node);
// target takes source's current pose (through both parents' frames) and its names.
void copyPoseFrom(ViewPoint& target, ViewPoint& source);
// copyPoseFrom(viewpoint, current viewpoint); nothing without a current viewpoint.
void takeCurrentCamera(ViewPoint& viewpoint);
// A new viewpoint under the same parent with the pose and names of viewpoint; none without parent.
ViewPoint* duplicateViewpoint(ViewPoint& viewpoint);

// The body of a VRML "Viewpoint" (text just after the keyword) into viewpoint; returns the position
// after it. The first such viewpoint since clearViewpoints becomes the initial one and is activated.
const char* readVrmlViewpoint(ViewPoint& viewpoint, const char* text, const char* end = nullptr);
// The "[DEF>>VIEWPOINT]" blocks from text on (text at or before the first marker); returns the
// position after the last block. Viewpoints are attached to the groups their blocks name.
const char* loadViewpoints(const char* text, const char* end, NodeTable& table);
// One block from just after its marker: the viewpoint is attached and registered and returned
// with the position after "[END]"; a block that cannot be attached is discarded (reported) and
// none returned.
ViewPoint* readViewpointDefinition(std::unique_ptr<ViewPoint> viewpoint, const char* text, const char* end,
                                   NodeTable& table, const char*& after);
// "\n\n# [DEF>>VIEWPOINT]" ... "\n# [END]" from the initial record, with every name and its
// language position; a viewpoint without parent is not written (logged).
void writeViewpointDefinition(std::string& out, const ViewPoint& viewpoint);
// Every registered viewpoint in list order, then "\n\n\n".
void writeViewpointDefinitions(std::string& out);

// The reader hook for "Viewpoint" in group bodies: a viewpoint under the group.
const char* readViewpointNode(GroupNode& group, const char* text, const char* end);

}  // namespace kinemo
