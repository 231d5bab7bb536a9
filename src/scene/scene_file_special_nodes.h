#pragma once
// Plugs the special nodes (viewpoints, the scene light, LOD, sound) into the scene file reader
// and writer. installSceneReader calls it.
namespace kinemo {

void installSpecialNodeSupport();

class GroupNode;
// Deletes the viewpoints that came with inline files (they would crowd the viewpoint list with
// other products' cameras); returns how many went.
long eliminateInlineViewpoints(GroupNode& root);

}  // namespace kinemo
