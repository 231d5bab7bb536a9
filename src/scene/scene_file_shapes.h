#pragma once
// Plugs the shape readers into the scene reader and the shapes into the scene's counts.
// installSceneReader calls it.
namespace kinemo {

void installShapeSupport();

}  // namespace kinemo
