#pragma once
// Plugs the special nodes (viewpoints, the scene light, LOD, sound) into the scene file reader
// and writer. installSceneReader calls it.
namespace kinemo {

void installSpecialNodeSupport();

}  // namespace kinemo
