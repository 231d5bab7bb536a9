#pragma once
// Plugs the shape readers into the scene reader and the shapes into the scene's counts.
// installSceneReader calls it.
namespace kinemo {

class GroupNode;

void installShapeSupport();

// Replaces every face set below root that equals an earlier one by a reference to it, so that
// repeated parts (screws, washers) are held and drawn once; returns how many were replaced.
int shareIdenticalFaceSets(GroupNode& root);

}  // namespace kinemo
