#pragma once
// The scene light: one directional light per process, read from and written as a VRML
// "DirectionalLight". It is kept twice: the committed values and the live values that drawing
// uses, so that the light dialog can edit live and either commit or revert.
#include <cstdio>
#include <string>

namespace kinemo {

struct LightValues {
    float direction[3] = {0.0f, 0.0f, -1.0f};
    float colour[3] = {1.0f, 1.0f, 1.0f};
    float intensity = 1.0f;
    float ambientIntensity = 0.0f;
    bool headlight = false;
};

struct SceneLight {
    LightValues committed;
    LightValues live;
    // Set when a "DirectionalLight" gives a direction (and after the first switch to mode 1).
    bool directionGiven = false;
    // 0: the direction is in world coordinates; 1: in the current viewpoint's, so the light
    // moves with the camera.
    int lightMode = 0;
};

const SceneLight& sceneLight();

// Both copies to the reset values.
void resetSceneLight();
// The scene read is prepared: reset, no direction given, mode 0.
void prepareSceneLightForRead();
void commitSceneLight();
void revertSceneLight();
// Each sets both copies and asks for a redraw.
void setSceneLightDirection(float x, float y, float z);
void setSceneLightColour(float r, float g, float b);
void setSceneLightIntensity(float intensity);
void setSceneLightAmbientIntensity(float ambient);
void setHeadlight(bool on);

// The body of a VRML "DirectionalLight" (text just after the keyword); returns the position after it.
const char* readDirectionalLight(const char* text, const char* end = nullptr);
// The live light as a "DirectionalLight", its direction in world coordinates.
void writeDirectionalLight(std::string& out);
bool writeDirectionalLight(std::FILE* file);

// Switches the light between world and camera coordinates, converting the direction through the
// current viewpoint. Nothing when the mode is unchanged; without a scene only the mode is kept;
// without a viewpoint "Cannot Adjust Light Because Viewpoint is Missing" is reported.
void setLightMode(int mode);
// Sets the mode without converting (files that hold the direction relative to the camera).
void setLightModeWithoutConverting(int mode);

}  // namespace kinemo
