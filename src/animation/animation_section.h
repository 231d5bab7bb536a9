#pragma once
// The animation section of a scene file: the chapter tree and its steps as comment lines after
// the geometry. The reader builds the tree under the root chapter; the writer puts it back.
#include <cstdio>
#include <string>

namespace kinemo {

// Reads the section in [text, end) (text at or before "ANIMATIONS") with the file version of the
// current read. Returns end once the text is used up; text when it holds no "ANIMATIONS".
const char* readAnimations(const char* text, const char* end);
// The blocks of the root chapter's children (what follows "# ANIMATIONS\n").
std::string animationBlocks();
// "\n\n# ANIMATIONS\n" and the blocks.
std::string animationSection();

// Version tests of the section, taken as the float a file's version is held in, so that a file
// of exactly a threshold's version takes that threshold's branch.
bool versionAtLeast(float version, double threshold);
bool versionAbove(float version, double threshold);

// Makes the scene reader and writer hand the section to this reader and writer.
void registerAnimationSectionHandlers();

}  // namespace kinemo
