#pragma once
// An additional light that light steps switch to. It is a transform node, so its direction turns
// with the group it hangs below.
#include <string>

#include "scene/transform_node.h"

namespace kinemo {

// The OpenGL parameters of GL_LIGHT2 for a light node.
struct LightNodeSetup {
    float ambient[4] = {0, 0, 0, 0};
    float diffuse[4] = {0, 0, 0, 1};
    float position[4] = {0, 0, 0, 0};
};

class Light : public TransformNode {
public:
    Light() : TransformNode(false) {}
    ~Light() override;

    // The block of a light step: "ambient", "intensity" and "direction" must all stand in it
    // (up to its "[END]"); a missing one is reported and leaves the light as it was. Returns the
    // position after the direction's line, or 2 characters further on an error.
    const char* readFromText(const char* text) override { return readBlock(text, nullptr); }
    const char* readBlock(const char* text, const char* end);
    bool writeToFile(std::FILE* file) override;
    void writeBlock(std::string& out) const;
    // What drawing sets: ambient (a, a, a, 0), diffuse (i, i, i, 1), and the direction taken into
    // world coordinates as a directional position.
    LightNodeSetup glSetup();
    std::string getName() const override { return name_; }

    float ambient = 0.0f;
    float intensity = 1.0f;
    float direction[3] = {0.0f, 0.0f, -1.0f};
};

// The scene's current light: none until a light step makes one current.
Light* currentLight();
void makeCurrent(Light* light);

}  // namespace kinemo
