#pragma once
// A node with a VRML transform. It keeps two records: the initial transform (what the file holds
// and editing changes) and the current transform (what drawing and the animation use).
#include <string>

#include "scene/node.h"
#include "scene/transform_data.h"

namespace kinemo {

class MotionStep;

class TransformNode : public Node {
public:
    explicit TransformNode(bool withId = false) : TransformNode(withId, false) {}

    TransformNode* asTransformNode() override { return this; }
    std::string getName() const override { return name_; }
    // Writes "\n\nTransform {", the name and the fields that differ from their defaults, from the
    // initial record; the caller writes the children and the closing text.
    bool writeToFile(std::FILE* file) override;
    // Rotates the initial transform about its own centre by rotation (axis, angle).
    virtual void rotateAboutCenter(const float rotation[4]);
    // The position a motion step gives for value along its motion; false when the node has none.
    virtual bool positionAlongMotion(const MotionStep& step, double value, double out[3]) { return false; }

    // The text the writer emits for the transform.
    std::string transformText() const;
    // Copies the initial record into the current one.
    void resetCurrentToInitial() { currentTransform.copyFrom(initialTransform); }

    bool isChanged() const { return changed_; }
    // Marks the node changed and asks for a redraw; nothing when it was marked already.
    void markChanged();
    void clearChanged() { changed_ = false; }

    TransformData currentTransform{this, false};
    TransformData initialTransform{this, true};

protected:
    TransformNode(bool withId, bool isGroupNode) : Node(withId, isGroupNode) {}

private:
    bool changed_ = false;
};

// Copies initial into current for every group of the subtree and restores the shapes' materials.
void resetToInitial(Node& subtree);

}  // namespace kinemo
