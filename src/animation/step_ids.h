#pragma once
// The document's step id counter: every step and chapter takes its id from here, and texts are
// bound to steps by these ids. The counter is saved with the scene and restored on reading.
#include <cstdint>
#include <string>

namespace kinemo {

class AnimationGroup;

// Hands out the counter's value and advances it (it stops at the largest int32 rather than wrap).
std::int32_t takeStepId();
// The value the next takeStepId gives.
std::int32_t stepIdCounter();
void setStepIdCounter(std::int32_t value);

// "\n# <kmxHIGHESTINDEX value = \"%i\" />\n" with the counter.
void writeHighestIndex(std::string& out);

// After a scene read: the counter becomes max(restored, highest id in the tree + 1), so that a
// file whose saved counter is too low never hands out an id that is already taken; a step whose
// id repeats an earlier step's id (depth-first order) is given a fresh one. restored is the value
// of "<kmxHIGHESTINDEX", or -1 when the file had none. Returns the number of ids reassigned.
int settleStepIdsAfterLoad(AnimationGroup& root, std::int32_t restored);

}  // namespace kinemo
