#pragma once
// What the tree asks of the layers above it: the renderer (redraw, pause for a change), the undo
// stack (unsaved changes) and the assembly structure window. Unset hooks do nothing.
#include <functional>

namespace kinemo {

class Node;
class GroupNode;

struct TreeHooks {
    std::function<void()> requestRedraw;
    // Pauses a running renderer; returns true when it was paused and must be resumed.
    std::function<bool()> pauseRenderer;
    std::function<void()> resumeRenderer;
    // True while the renderer asks the per-frame pass to stop.
    std::function<bool()> renderPauseRequested;
    std::function<bool()> hasUnsavedChanges;
    // A node was moved under a new parent, or its workpart flag changed.
    std::function<void(Node&, GroupNode&)> nodeMoved;
    std::function<void(Node&)> workpartChanged;
};

TreeHooks& treeHooks();

// Pauses the renderer (through the hooks) for the lifetime of the object when it is running. The
// renderer layer has a RendererPause of its own; this one is for edits made inside the tree.
class TreeEditPause {
public:
    TreeEditPause();
    ~TreeEditPause();
    TreeEditPause(const TreeEditPause&) = delete;
    TreeEditPause& operator=(const TreeEditPause&) = delete;

private:
    bool paused_ = false;
};

void requestRedraw();

}  // namespace kinemo
