#include "animation/kept_block_step.h"

#include <cstdio>

#include "animation/section_keys.h"
#include "core/numbers.h"
#include "scene/node.h"
#include "scene/node_table.h"

namespace kinemo {

KeptBlockStep::KeptBlockStep(std::string header, std::string block, bool idIsNode, double duration)
    : AnimationAtom(nullptr, false),
      header_(std::move(header)),
      block_(std::move(block)),
      idIsNode_(idIsNode),
      duration_(clampDuration(duration, 1.0e6)) {
    if (header_ == "COLOR" || header_ == "BLINK") kind_ = KindColor;
    if (header_ == "VIEWPOINT") kind_ = KindViewpoint;
    if (idIsNode_) {
        componentId = BlockText(block_).integer("id", -1);
        node_ = componentId >= 0 ? nodeTable().at(componentId) : nullptr;
    }
}

bool KeptBlockStep::setComponent(Node* node) {
    if (!idIsNode_ || !node) return false;
    node_ = node;
    return true;
}

std::unique_ptr<AnimationAtom> KeptBlockStep::clone() const {
    auto c = std::make_unique<KeptBlockStep>(header_, block_, idIsNode_, duration_);
    c->node_ = node_;
    c->componentId = componentId;
    c->dowait = dowait;
    c->setParent(parent());
    return c;
}

void KeptBlockStep::writeBlock(std::string& out) const {
    if (!idIsNode_) {
        out += block_;
        return;
    }
    // The node's id after the save's renumbering replaces the id that was read.
    const std::size_t key = block_.find("\n# id ");
    if (key == std::string::npos) {
        out += block_;
        return;
    }
    std::size_t end = key + 6;
    while (end < block_.size() && block_[end] != '\n' && block_[end] != '\r') ++end;
    out.append(block_, 0, key);
    out += formatC("\n# id %ld", long(node_ ? node_->id() : -1));
    out.append(block_, end, std::string::npos);
}

bool KeptBlockStep::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

}  // namespace kinemo
