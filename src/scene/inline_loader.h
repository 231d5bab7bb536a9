#pragma once
// Inline files and late loading. Inline files come from untrusted scenes: a file already being
// read, one past the deepest tree level, one that is no regular file or too large is refused.
#include <cstdint>
#include <string_view>

namespace kinemo {

class GroupNode;
class Node;

// Reads file (relative names are taken from the directory of the including file) into a new
// group under parent, named after the file; returns it, or none when nothing was read.
GroupNode* loadInline(std::string_view file, GroupNode& parent);

// Fills a group that has a late file with the content written for it, giving its nodes the ids
// they had when written; then forgets the file name.
void loadLateGroup(GroupNode& group);
// The same for every group of the subtree that has a late file.
void loadLateGroups(GroupNode& subtree);
// The node of an id while late content is resolved, or none ("getLateGroupNode cannot find ...").
Node* lateGroupNode(std::int32_t id);

}  // namespace kinemo
