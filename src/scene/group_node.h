#pragma once
// A group (assembly) with its ordered children. It owns them and destroys them from the last to
// the first; every tree edit checks before it changes anything and throws ErrTreeManipulation.
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "scene/bounding_box.h"
#include "scene/shape_settings.h"
#include "scene/transform_node.h"

namespace kinemo {

class KeyWordMatcher;

class GroupNode : public TransformNode {
public:
    enum StringMatchType { Exact = 0, Prefix = 1, Suffix = 2, Contains = 3 };

    explicit GroupNode(bool withId = false);
    ~GroupNode() override;

    GroupNode* asGroupNode() override { return this; }
    // Reads a VRML 2 group body (or a VRML 1 separator body) and returns the position after it.
    const char* readFromText(const char* text) override;
    void render(Renderer& renderer) override;
    void prepareFrame(const ViewPoint* current) override;
    const BoundingBox* bounds() const override { return &bounds_; }
    void extendBounds(BoundingBox& worldBox) override;
    bool contains(const Node* node) const override { return isAncestorOrSelfOf(node); }
    void show() override;
    void hide() override;
    void collectByVisibility(bool visible, std::vector<Node*>& out) override;
    void resetMaterial() override;
    void setMaterialColor(const float rgb[3]) override;
    void setMaterialTransparency(float transparency) override;
    void redraw() override;
    void attachedToParent() override;
    void colorWorkparts(bool on) override;
    void forwardUpdate() override;
    void detachedFromParent() override;
    bool isGroup() const override { return true; }
    void writeXmlFragment(std::string& out) const override;
    void setWorkpart(bool flag, bool recursive) override;
    // The name, " *" for the root while there are unsaved changes, and the statistics suffix.
    std::string treeLabel() const override;
    int depthBelow(int current, int limit) const override;
    // Copies this group and its subtree under parent. Refused (none, reported) when this group is
    // parent or one of its ancestors.
    Node* cloneUnder(GroupNode& parent) override;

    // Appends c and returns it; throws (nothing changed, c still the caller's) for none (code 4),
    // the group itself or one of its ancestors (0), a node with a parent (1), or a subtree that
    // would reach MaxTreeLevel (0).
    virtual Node* addChild(std::unique_ptr<Node>&& c);
    // Takes c out and hands it back; throws code 3 when c is not a child.
    virtual std::unique_ptr<Node> removeChild(Node* c);
    // Inserts c before index with the checks of addChild; an index outside 0..count appends.
    virtual Node* insertChild(std::unique_ptr<Node>&& c, long index, bool notify);

    // The same for a node of a derived type: the checks run before the pointer is converted, so a
    // refused node stays with the caller.
    template <class T>
    requires(std::is_base_of_v<Node, T> && !std::is_same_v<Node, T>) Node* addChild(std::unique_ptr<T>&& c) {
        checkAttach(c.get());
        return addChild(std::unique_ptr<Node>(std::move(c)));
    }
    template <class T>
    requires(std::is_base_of_v<Node, T> && !std::is_same_v<Node, T>) Node* insertChild(std::unique_ptr<T>&& c,
                                                                                       long index, bool notify) {
        checkAttach(c.get());
        return insertChild(std::unique_ptr<Node>(std::move(c)), index, notify);
    }
    // Throws what addChild would throw for c; nothing when c may be attached.
    void checkAttach(const Node* c) const;

    // Makes a node of type T, attaches it at once and returns it.
    template <class T, class... Args>
    T* createChild(Args&&... args) {
        auto node = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = node.get();
        addChild(std::move(node));
        return raw;
    }

    std::size_t childCount() const { return children_.size(); }
    Node* child(std::size_t i) const { return children_[i].get(); }
    // Position of c among the children, or -1.
    long indexOf(const Node* c) const;
    std::string getName() const override { return name_; }

    BoundingBox& boundsBox() { return bounds_; }
    // Recomputes the boxes of the subtree, each in its group's own frame.
    void updateBounds();

    std::shared_ptr<ShapeSettings> shapeSettings = std::make_shared<ShapeSettings>();
    // The VRML 1 state (prototype shape, current material), made and read by the shape readers.
    std::unique_ptr<BasicObject> prototypeShape;
    std::unique_ptr<BasicObject> currentMaterial;
    bool keepVrml1State = false;
    std::string lateFile;
    std::int32_t lateFirstId = -1;
    bool isInline = false;
    bool fromInline = false;
    bool readFromVrml1 = false;
    // Set for a group made for a bare keyword: the body ends one character early.
    bool bareKeyword = false;

    // Reads the body of a VRML 1 Separator (or WWWAnchor) into this group.
    const char* readVrml1Body(const char* text);

private:
    friend class Node;
    struct BodyReader;
    friend struct BodyReader;
    const char* readBody(const char* text);
    void finishBody();
    void link(Node* c);
    void unlink(Node* c);

    std::vector<std::unique_ptr<Node>> children_;
    long visibleChildren_ = 0;
    BoundingBox bounds_;
};

// Statistic counts of a subtree: groups below the top, shapes, vertex references and triangles.
struct TreeStatistics {
    long groups = 0, shapes = 0, vertexReferences = 0, triangles = 0;
};
TreeStatistics collectStatistics(const Node& subtree);

}  // namespace kinemo
