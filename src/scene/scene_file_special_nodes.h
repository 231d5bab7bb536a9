#pragma once
// Plugs the special nodes (viewpoints, the scene light, LOD, sound) into the scene file reader
// and writer. installSceneReader calls it.
#include <vector>

namespace kinemo {

void installSpecialNodeSupport();

class GroupNode;
class Node;
class Scene;
// Deletes the viewpoints that came with inline files (they would crowd the viewpoint list with
// other products' cameras); returns how many went.
long eliminateInlineViewpoints(GroupNode& root);
// The viewpoints in the tree that no animation step flies to, besides the scene's initial and
// current ones, in tree order.
std::vector<Node*> unusedViewpoints(Scene& scene);

}  // namespace kinemo
