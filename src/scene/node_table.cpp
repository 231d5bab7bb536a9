#include "scene/node_table.h"

#include <climits>

#include "scene/group_node.h"

namespace kinemo {
namespace {
// Gaps left by late loading are padded; a counter this far beyond the table is not believed.
constexpr std::int32_t kLargestGap = 1 << 22;
GroupNode* gSceneRoot = nullptr;
}  // namespace

NodeTable& nodeTable() {
    // Never destroyed: the current scene is a static too, and its teardown still reaches the table.
    static NodeTable* table = new NodeTable;
    return *table;
}

GroupNode* sceneRoot() { return gSceneRoot; }
void setSceneRoot(GroupNode* root) { gSceneRoot = root; }

bool NodeTable::setNextNodeId(std::int32_t id) {
    if (id < 0 || std::int64_t(id) > std::int64_t(entries_.size()) + kLargestGap) return false;
    nextId_ = id;
    return true;
}

std::int32_t NodeTable::enter(Node* node) {
    std::int32_t id = nextId_;
    if (std::int64_t(id) > std::int64_t(entries_.size()) + kLargestGap || id == INT32_MAX) {
        // The counter was pushed far out: append so that the id still names the entry.
        id = static_cast<std::int32_t>(entries_.size());
        nextId_ = id;
    }
    // A gap (late loading set the counter past the end) is padded, so that the id is the position.
    if (std::size_t(id) >= entries_.size()) entries_.resize(std::size_t(id) + 1, nullptr);
    entries_[std::size_t(id)] = node;
    ++nextId_;
    return id;
}

void NodeTable::place(std::int32_t position, Node* node) {
    if (position < 0) return;
    if (std::size_t(position) >= entries_.size()) entries_.resize(std::size_t(position) + 1, nullptr);
    entries_[std::size_t(position)] = node;
}

void NodeTable::forget(const Node* node) {
    std::int32_t id = node->id();
    if (id >= 0 && std::size_t(id) < entries_.size() && entries_[std::size_t(id)] == node)
        entries_[std::size_t(id)] = nullptr;
}

Node* NodeTable::at(std::int32_t id) const {
    if (id < 0 || std::size_t(id) >= entries_.size()) return nullptr;
    return entries_[std::size_t(id)];
}

void NodeTable::clear() {
    entries_.clear();
    nextId_ = 0;
}

namespace {
void renumberChildren(GroupNode& group, std::int32_t& counter, std::vector<Node*>& table) {
    for (std::size_t i = 0; i < group.childCount(); ++i) {
        Node* child = group.child(i);
        if (GroupNode* g = child->asGroupNode()) {
            if (g->id() < 0) {
                g->setId(-1);
                continue;
            }
            g->setId(counter++);
            table.push_back(g);
            renumberChildren(*g, counter, table);
        } else if (child->id() >= 0) {
            child->setId(counter++);
            table.push_back(child);
        }
    }
}
}  // namespace

void NodeTable::renumberIds(GroupNode& root) {
    std::vector<Node*> old;
    old.swap(entries_);
    std::vector<Node*> table;
    table.reserve(old.size() + 2);
    table.push_back(&root);
    table.push_back(root.parent());  // position 1 stays for the root's parent
    std::int32_t counter = 2;
    renumberChildren(root, counter, table);
    root.setId(0);
    if (GroupNode* holder = root.parent()) holder->setId(1);
    entries_.swap(table);
    // Nodes outside the root's subtree keep an entry, after the written ones.
    for (Node* n : old) {
        if (!n) continue;
        std::int32_t id = n->id();
        if (id >= 0 && std::size_t(id) < entries_.size() && entries_[std::size_t(id)] == n) continue;
        n->setId(static_cast<std::int32_t>(entries_.size()));
        entries_.push_back(n);
    }
    nextId_ = static_cast<std::int32_t>(entries_.size());
}

}  // namespace kinemo
