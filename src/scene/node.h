#pragma once
// The base of every node of the assembly tree. A node's id is its position in the node table;
// a group owns its children, every other pointer to a node only observes it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/basic_object.h"

namespace kinemo {

class GroupNode;
class Renderer;
class ViewPoint;
struct BoundingBox;

// Told about changes of the nodes it watches; it must remove itself before it goes away.
class NodeObserver {
public:
    virtual ~NodeObserver() = default;
    virtual void nodeChanged(Node& node, int argument) {}
    virtual void nodeHidden(Node& node) {}
    virtual void nodeShown(Node& node) {}
};

class Node : public BasicObject {
public:
    // withId: the node takes the next id (and, by the file version, a node table entry).
    explicit Node(bool withId = false) : Node(withId, false) {}
    ~Node() override;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // The virtual operations, in the order of the node's table.
    Node* asNode() override { return this; }
    const char* readFromText(const char* text) override { return text; }
    bool writeToFile(std::FILE* file) override { return true; }
    virtual void render(Renderer& renderer) {}
    // Per-frame pass before drawing (LOD level choice, sound volume).
    virtual void prepareFrame(const ViewPoint* current) {}
    virtual void reserved10() {}
    virtual const BoundingBox* bounds() const { return nullptr; }
    // Extends a world-space box by this node's bounds.
    virtual void extendBounds(BoundingBox& worldBox) {}
    virtual bool contains(const Node* node) const { return false; }
    // Moves the node under g; throws ErrTreeManipulation (code 0) when g lies in the node's own subtree.
    virtual void moveTo(GroupNode& g);
    virtual void show();
    virtual void hide();
    // Appends the groups and shapes of the subtree whose visible flag equals visible.
    virtual void collectByVisibility(bool visible, std::vector<Node*>& out) {}
    virtual std::string getName() const { return "Node"; }
    virtual std::string displayName() const { return getName(); }
    // "setDefault" numbers a "noname"/"noName"; an empty text gives "noName"; ".wrl" is cut off.
    virtual void setName(std::string_view text);
    virtual void reserved21() {}
    virtual void resetMaterial() {}
    virtual void setMaterialColor(const float rgb[3]) {}
    virtual void setMaterialTransparency(float transparency) {}
    virtual void redraw() {}
    virtual void attachedToParent() {}
    virtual void colorWorkparts(bool on) {}
    virtual void forwardUpdate() {}
    virtual void detachedFromParent() {}
    virtual bool isGroup() const { return false; }
    // Appends this node's entry of the animation XML description.
    virtual void writeXmlFragment(std::string& out) const;
    virtual void setWorkpart(bool flag, bool recursive);
    virtual std::string treeLabel() const { return getName(); }
    // Levels occupied by this node and its subtree when the node sits at level current + 1, at most limit.
    virtual int depthBelow(int current, int limit) const { return current + 1; }
    // Makes a copy under parent and returns it (owned by parent), or none.
    virtual Node* cloneUnder(GroupNode& parent) { return nullptr; }

    // Beyond the table: bounds in the parent's frame and statistics, answered by shapes.
    virtual void extendLocalBounds(BoundingBox& box) const {}
    virtual long vertexReferenceCount() const { return 0; }
    virtual long triangleCount() const { return 0; }

    std::int32_t id() const { return id_; }
    void setId(std::int32_t id) { id_ = id; }
    GroupNode* parent() const { return parent_; }
    int level() const { return level_; }
    void setLevel(int level) { level_ = level; }
    bool visible() const { return visible_; }
    // Sets the flag and keeps the parent's count of visible children.
    void setVisibleFlag(bool v);
    bool workpart() const { return workpart_; }
    const std::string& nameField() const { return name_; }

    // Detaches the node from its parent and hands back the ownership; none when it had no parent.
    // A group taken from the scene root's holder is an inconsistency: it is reported, put back
    // under the scene root, and none is returned.
    std::unique_ptr<Node> detachFromParent();
    // True when this node is a or one of a's ancestors (walks a's parents).
    bool isAncestorOrSelfOf(const Node* a) const;

    void addObserver(NodeObserver* observer);
    void removeObserver(NodeObserver* observer);
    void notifyChanged(int argument);
    // Objects owned by the node and deleted with it.
    void attach(std::unique_ptr<BasicObject> object) { attachments_.push_back(std::move(object)); }
    const std::vector<std::unique_ptr<BasicObject>>& attachments() const { return attachments_; }

    std::uintptr_t structureHandle = 0;  // the node's entry in the assembly structure window
    bool inDefRegistry = false;          // set by the DEF registry, so that a deleted node leaves it

protected:
    Node(bool withId, bool isGroupNode);
    // Visible up the tree: after a change of this node's flag, fix the ancestors' flags.
    void propagateVisibilityUp();
    void notifyShown();
    void notifyHidden();

    std::string name_ = "noName";

private:
    friend class GroupNode;
    std::int32_t id_ = -1;
    GroupNode* parent_ = nullptr;
    int level_ = 0;
    bool visible_ = true;
    bool workpart_ = false;
    std::vector<NodeObserver*> observers_;
    std::vector<std::unique_ptr<BasicObject>> attachments_;
};

}  // namespace kinemo
