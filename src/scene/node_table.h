#pragma once
// The process-wide table of nodes. A node's id is its position here; steps, text areas and
// viewpoint definitions name nodes by these numbers in the scene file.
#include <cstdint>
#include <vector>

namespace kinemo {

class Node;
class GroupNode;

class NodeTable {
public:
    // The id for the next node constructed with an id.
    std::int32_t nextNodeId() const { return nextId_; }
    // Sets the counter, as late loading does; a value far past the table is refused (returns false).
    bool setNextNodeId(std::int32_t id);

    // Enters a node at the counter's position and advances the counter; returns the id.
    std::int32_t enter(Node* node);
    // Takes the counter's value as an id without entering a node, then advances the counter.
    std::int32_t takeId() { return nextId_ < INT32_MAX ? nextId_++ : nextId_; }
    std::int32_t peekId() const { return nextId_; }
    // Places a node at a position (the scene root at 0, its parent at 1) without touching the counter.
    void place(std::int32_t position, Node* node);
    // Clears the entry of a node that is going away; nothing when the position holds another node.
    void forget(const Node* node);

    // The node at a position, or none (outside the table, or the node is gone).
    Node* at(std::int32_t id) const;
    std::size_t size() const { return entries_.size(); }

    // Empties the table and sets the counter back to 0 (a new scene).
    void clear();
    // Empties the table without touching the counter (start of a read).
    void clearEntries() { entries_.clear(); }

    // Gives every node below root its depth-first position, the order the writer emits them, and
    // rebuilds the table to match: root 0, its parent 1, then 2, 3, ... Nodes that had an entry
    // but lie outside root's subtree are entered after them.
    void renumberIds(GroupNode& root);

private:
    std::vector<Node*> entries_;
    std::int32_t nextId_ = 0;
};

NodeTable& nodeTable();

// The scene root: the top of visibility walks and the group below the root's holder.
GroupNode* sceneRoot();
void setSceneRoot(GroupNode* root);

}  // namespace kinemo
