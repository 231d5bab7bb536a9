#include "render/view_event.h"

#include <algorithm>

#include "render/renderer.h"

namespace kinemo {

V_EventResize::V_EventResize(Renderer& renderer, int width, int height)
    : renderer_(renderer), width_(std::max(width, 1)), height_(std::max(height, 1)) {
    if (renderer_.scene() == nullptr) execute();
}

void V_EventResize::execute() {
    renderer_.setViewSize(width_, height_);
    renderer_.requestRedraw();
    setDone();
}

V_EventImageSequence::V_EventImageSequence(Renderer& renderer, bool on, std::string sequenceName)
    : renderer_(renderer), on_(on), sequenceName_(std::move(sequenceName)) {}

void V_EventImageSequence::execute() {
    if (on_) renderer_.setSequenceName(sequenceName_);
    renderer_.setRecording(on_);
    renderer_.requestRedraw();
    setDone();
}

}  // namespace kinemo
