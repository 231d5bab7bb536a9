#include "scene/tree_hooks.h"

namespace kinemo {

TreeHooks& treeHooks() {
    static TreeHooks hooks;
    return hooks;
}

RendererPause::RendererPause() {
    if (treeHooks().pauseRenderer) paused_ = treeHooks().pauseRenderer();
}

RendererPause::~RendererPause() {
    if (paused_ && treeHooks().resumeRenderer) treeHooks().resumeRenderer();
}

void requestRedraw() {
    if (treeHooks().requestRedraw) treeHooks().requestRedraw();
}

}  // namespace kinemo
