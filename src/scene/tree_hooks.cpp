#include "scene/tree_hooks.h"

namespace kinemo {

TreeHooks& treeHooks() {
    static TreeHooks hooks;
    return hooks;
}

TreeEditPause::TreeEditPause() {
    if (treeHooks().pauseRenderer) paused_ = treeHooks().pauseRenderer();
}

TreeEditPause::~TreeEditPause() {
    if (paused_ && treeHooks().resumeRenderer) treeHooks().resumeRenderer();
}

void requestRedraw() {
    if (treeHooks().requestRedraw) treeHooks().requestRedraw();
}

}  // namespace kinemo
