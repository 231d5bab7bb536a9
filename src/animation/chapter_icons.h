#pragma once
// The head of the definitions block: the images of the chapter icons and of the two logos, which a
// document file carries inside itself, and the logos' name lines.
#include <cstdio>
#include <string>

namespace kinemo {

class Scene;

// The head as written: in a binary (own-format) write, every chapter's GIF or JPG icon once, parents
// before their sub-chapters, as an image data block, with the bytes of the file (taken relative to
// the scene file's folder) or, when that cannot be read, those the read file carried; then each
// logo's image block and its name line. A text write gets the name lines only. An image found
// nowhere is reported ("Can't open image file %s") and left out; an icon or logo of another kind is
// reported as one to distribute separately.
std::string definitionsHead(Scene& scene, bool binary);

// Appends definitionsHead for the write in progress; false when the file could not take it.
bool writeDefinitionsHead(Scene& scene, std::FILE* file);

// Makes the scene writer use writeDefinitionsHead.
void registerChapterIconWriter();

}  // namespace kinemo
