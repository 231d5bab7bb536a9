#pragma once
// A VRML "Sound" node with its audio clip, kept so that it survives reading and writing. Its
// wave is shared through the wave table; what is heard goes through the sound output.
#include <string>

#include "scene/node.h"

namespace kinemo {

class SoundNode : public Node {
public:
    SoundNode() : Node(true) {}

    // The body after the "Sound " keyword; returns the position after its closing brace. Every
    // field is looked for inside this node only; a missing one keeps its value.
    const char* readFromText(const char* text) override { return readBody(text, nullptr); }
    const char* readBody(const char* text, const char* end);
    bool writeToFile(std::FILE* file) override;
    void writeVrml(std::string& out) const;
    // The frame's share of this sound in the left and right channel, from its volume and where
    // it is seen from the camera.
    void prepareFrame(const ViewPoint* current) override;
    std::string getName() const override { return url; }
    // Parameter 10 sets the volume; 11 the play position of a sound that does not loop.
    void setShapeParameter(int parameter, double value);
    Node* cloneUnder(GroupNode& parent) override;
    void copySoundFields(const SoundNode& other);

    std::string url;
    int wave = -1;
    float volume = 0.3f;
    float intensity = 0.3f;
    float maxBack = 100.0f;
    float maxFront = 100.0f;
    float minBack = 1.0f;
    float minFront = 1.0f;
    float location[3] = {0.0f, 0.0f, 0.0f};
    float direction[3] = {0.0f, 0.0f, 1.0f};
    bool loop = false;
    bool spatialize = true;
    int playPosition = 0;
};

// The reader hook for "Sound ": a sound node under the group.
const char* readSoundNodeInto(GroupNode& group, const char* text, const char* end);

}  // namespace kinemo
