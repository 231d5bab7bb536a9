#pragma once
// Plugs the readers of the special nodes into the group reader: "Viewpoint", "LOD ",
// "DirectionalLight" and "Sound " found in a group body are read by them.
namespace kinemo {

void registerSpecialNodeReaders();

// Back to the state before a scene read: no viewpoints listed, no initial viewpoint, the scene
// light reset in mode 0 with no direction given.
void prepareSpecialNodesForRead();

}  // namespace kinemo
