#pragma once
// A step whose block this program reads but does not play yet (colour, blink, light, shape
// parameter, viewpoint and text-area moves): its text is kept as read, so that a save puts it
// back. The node its "id" names is remembered, so that the id written is the node's id at the
// time of the save.
#include <cstdint>
#include <memory>
#include <string>

#include "animation/animation_atom.h"

namespace kinemo {

class KeptBlockStep : public AnimationAtom {
public:
    // block: the text from the header's "[" to where the block ends; idIsNode: its "id" names a
    // node (colour, blink, shape parameter), which is looked up now.
    KeptBlockStep(std::string header, std::string block, bool idIsNode, double duration);

    std::int32_t kindMask() const override { return kind_; }
    std::string getName() const override { return header_; }
    double getRunTime() const override { return duration_; }
    bool animate(AnimationAtomRef&, double, bool) override { return true; }
    bool animate(double, bool) override { return true; }
    Node* getComponent() const override { return node_; }
    bool setComponent(Node* node) override;
    std::unique_ptr<AnimationAtom> clone() const override;
    void writeBlock(std::string& out) const override;
    bool writeToFile(std::FILE* file) override;
    const std::string& header() const { return header_; }

private:
    std::string header_;
    std::string block_;
    bool idIsNode_;
    double duration_;
    std::int32_t kind_ = KindOther;
    Node* node_ = nullptr;
};

}  // namespace kinemo
