#include "scene/group_node.h"

#include <algorithm>

#include "core/numbers.h"
#include "scene/err_tree_manipulation.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/scene_settings.h"
#include "scene/transform_math.h"
#include "scene/tree_hooks.h"

namespace kinemo {
namespace {

int maxLevel() { return static_cast<int>(sceneSettings().maxTreeLevel); }

void setSubtreeLevels(Node& n, int level) {
    n.setLevel(level);
    if (GroupNode* g = n.asGroupNode())
        for (std::size_t i = 0; i < g->childCount(); ++i) setSubtreeLevels(*g->child(i), level + 1);
}

void invalidateTransforms(Node& n) {
    if (TransformNode* t = n.asTransformNode()) {
        t->currentTransform.invalidate();
        t->initialTransform.invalidate();
    }
}

// Counts the nodes of a subtree, stopping once the count passes limit.
long countNodes(const Node& n, long limit) {
    long count = 1;
    if (const GroupNode* g = const_cast<Node&>(n).asGroupNode())
        for (std::size_t i = 0; i < g->childCount() && count <= limit; ++i)
            count += countNodes(*g->child(i), limit - count);
    return count;
}

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
}

void setWorkpartFlags(Node& n, bool flag) {
    n.Node::setWorkpart(flag, false);
    if (GroupNode* g = n.asGroupNode())
        for (std::size_t i = 0; i < g->childCount(); ++i) setWorkpartFlags(*g->child(i), flag);
}

void copyRecord(TransformData& to, const TransformData& from) { to.copyFrom(from); }

}  // namespace

GroupNode::GroupNode(bool withId) : TransformNode(withId, true) {}

GroupNode::~GroupNode() {
    // From the last to the first, each one detached before it goes; the teardown never takes the
    // edit paths, so the checks meant for edits (the inconsistency reattach) cannot fire here.
    while (!children_.empty()) {
        std::unique_ptr<Node> c = std::move(children_.back());
        children_.pop_back();
        c->parent_ = nullptr;
        c->detachedFromParent();
    }
}

long GroupNode::indexOf(const Node* c) const {
    for (std::size_t i = children_.size(); i-- > 0;)
        if (children_[i].get() == c) return static_cast<long>(i);
    return -1;
}

void GroupNode::checkAttach(const Node* c) const {
    if (!c) throw ErrTreeManipulation(ErrTreeManipulation::NullChild, nullptr);
    if (c == this) throw ErrTreeManipulation(ErrTreeManipulation::Cyclic, c);
    if (c->parent_) throw ErrTreeManipulation(ErrTreeManipulation::MultipleParents, c);
    if (c->isAncestorOrSelfOf(this)) throw ErrTreeManipulation(ErrTreeManipulation::Cyclic, c);
    const int limit = maxLevel();
    if (level() + c->depthBelow(0, limit) >= limit) throw ErrTreeManipulation(ErrTreeManipulation::Cyclic, c);
}

void GroupNode::link(Node* c) {
    c->parent_ = this;
    setSubtreeLevels(*c, level() + 1);
    if (c->visible_) {
        ++visibleChildren_;
        // Every ancestor shows again: a group is visible while one of its children is.
        const GroupNode* top = sceneRoot();
        for (GroupNode* a = this; a && !a->visible_; a = a->parent()) {
            a->setVisibleFlag(true);
            if (a == top) break;
        }
    }
    invalidateTransforms(*c);
}

Node* GroupNode::addChild(std::unique_ptr<Node>&& c) { return insertChild(std::move(c), -1, true); }

Node* GroupNode::insertChild(std::unique_ptr<Node>&& c, long index, bool notify) {
    checkAttach(c.get());
    Node* raw = c.get();
    if (index < 0 || index >= static_cast<long>(children_.size()))
        children_.push_back(std::move(c));
    else
        children_.insert(children_.begin() + index, std::move(c));
    link(raw);
    if (notify) raw->attachedToParent();
    requestRedraw();
    return raw;
}

std::unique_ptr<Node> GroupNode::removeChild(Node* c) {
    if (!c) throw ErrTreeManipulation(ErrTreeManipulation::NullChild, nullptr);
    long i = indexOf(c);
    if (i < 0) throw ErrTreeManipulation(ErrTreeManipulation::NotAChild, c);
    std::unique_ptr<Node> owned = std::move(children_[std::size_t(i)]);
    children_.erase(children_.begin() + i);
    c->parent_ = nullptr;
    if (c->visible_) --visibleChildren_;
    invalidateTransforms(*c);
    c->detachedFromParent();
    requestRedraw();
    return owned;
}

void GroupNode::render(Renderer& renderer) {
    for (auto& c : children_) c->render(renderer);
}

void GroupNode::prepareFrame(const ViewPoint* current) {
    if (!visible()) return;
    for (std::size_t i = 0; i < children_.size(); ++i) {
        if (!parent()) return;
        if (treeHooks().renderPauseRequested && treeHooks().renderPauseRequested()) return;
        children_[i]->prepareFrame(current);
    }
}

void GroupNode::extendBounds(BoundingBox& worldBox) {
    if (bounds_.isEmpty()) return;
    for (int k = 0; k < 8; ++k) {
        const double p[3] = {(k & 1) ? bounds_.max[0] : bounds_.min[0], (k & 2) ? bounds_.max[1] : bounds_.min[1],
                             (k & 4) ? bounds_.max[2] : bounds_.min[2]};
        double w[3];
        currentTransform.toGlobalPoint(p, w);
        worldBox.extend(float(w[0]), float(w[1]), float(w[2]));
    }
}

void GroupNode::updateBounds() {
    bounds_.clear();
    for (auto& c : children_) {
        GroupNode* g = c->asGroupNode();
        if (!g) {
            c->extendLocalBounds(bounds_);
            continue;
        }
        g->updateBounds();
        if (g->bounds_.isEmpty()) continue;
        // The child's box in this group's frame: local * x + translation + centre - local * centre.
        TransformData& r = g->currentTransform;
        const float* m = r.localMatrix();
        const double ctr[3] = {r.center()[0], r.center()[1], r.center()[2]};
        double lc[3];
        tmath::apply3(m, ctr, lc);
        for (int k = 0; k < 8; ++k) {
            const double p[3] = {(k & 1) ? g->bounds_.max[0] : g->bounds_.min[0],
                                 (k & 2) ? g->bounds_.max[1] : g->bounds_.min[1],
                                 (k & 4) ? g->bounds_.max[2] : g->bounds_.min[2]};
            double q[3];
            tmath::apply3(m, p, q);
            bounds_.extend(float(q[0] + r.translation()[0] + ctr[0] - lc[0]),
                           float(q[1] + r.translation()[1] + ctr[1] - lc[1]),
                           float(q[2] + r.translation()[2] + ctr[2] - lc[2]));
        }
    }
}

void GroupNode::show() {
    for (auto& c : children_) c->show();
    setVisibleFlag(true);
    notifyShown();
    propagateVisibilityUp();
}

void GroupNode::hide() {
    for (auto& c : children_) c->hide();
    setVisibleFlag(false);
    notifyHidden();
    propagateVisibilityUp();
}

void GroupNode::collectByVisibility(bool v, std::vector<Node*>& out) {
    if (visible() == v) out.push_back(this);
    for (auto& c : children_) c->collectByVisibility(v, out);
}

void GroupNode::resetMaterial() {
    for (auto& c : children_) c->resetMaterial();
}
void GroupNode::setMaterialColor(const float rgb[3]) {
    for (auto& c : children_) c->setMaterialColor(rgb);
}
void GroupNode::setMaterialTransparency(float t) {
    for (auto& c : children_) c->setMaterialTransparency(t);
}
void GroupNode::redraw() {
    for (auto& c : children_) c->redraw();
}
void GroupNode::attachedToParent() {
    for (auto& c : children_) c->attachedToParent();
}
void GroupNode::colorWorkparts(bool on) {
    for (auto& c : children_) c->colorWorkparts(on);
}
void GroupNode::forwardUpdate() {
    for (auto& c : children_) c->forwardUpdate();
}
void GroupNode::detachedFromParent() {
    for (auto& c : children_) c->detachedFromParent();
}

void GroupNode::writeXmlFragment(std::string& out) const {
    out += "      <partRef>";
    appendEscaped(out, name_);
    out += "</partRef>\n";
}

void GroupNode::setWorkpart(bool flag, bool recursive) {
    if (recursive) {
        setWorkpartFlags(*this, flag);
        colorWorkparts(flag);
    } else {
        Node::setWorkpart(flag, false);
    }
    if (sceneSettings().groupNodeReportLevel > 8) sceneLog("Selected Workpart: \n");
}

TreeStatistics collectStatistics(const Node& subtree) {
    TreeStatistics s;
    Node& n = const_cast<Node&>(subtree);
    if (GroupNode* g = n.asGroupNode()) {
        for (std::size_t i = 0; i < g->childCount(); ++i) {
            Node& c = *g->child(i);
            if (c.asGroupNode()) ++s.groups;
            TreeStatistics below = collectStatistics(c);
            s.groups += below.groups, s.shapes += below.shapes;
            s.vertexReferences += below.vertexReferences, s.triangles += below.triangles;
        }
    } else if (n.asShapeNode()) {
        s.shapes = 1;
        s.vertexReferences = n.vertexReferenceCount();
        s.triangles = n.triangleCount();
    }
    return s;
}

std::string GroupNode::treeLabel() const {
    std::string label = name_;
    if (this == sceneRoot() && treeHooks().hasUnsavedChanges && treeHooks().hasUnsavedChanges()) label += " *";
    long level = sceneSettings().groupNodeStatisticLevel;
    if (level <= 0) return label;
    TreeStatistics s = collectStatistics(*this);
    if (level == 1)
        label += formatC(" (%ld,%ld)", s.shapes, s.vertexReferences);
    else if (level == 2)
        label += formatC(" (A:%ld,P:%ld,I:%ld)", s.groups, s.shapes, s.vertexReferences);
    else
        label += formatC(" (A:%ld,P:%ld,T:%ld,I:%ld)", s.groups, s.shapes, s.triangles, s.vertexReferences);
    return label;
}

int GroupNode::depthBelow(int current, int limit) const {
    int d = current + 1;
    if (d >= limit) return limit;
    for (auto& c : children_) {
        d = std::max(d, c->depthBelow(current + 1, limit));
        if (d >= limit) return limit;
    }
    return d;
}

namespace {
GroupNode* cloneGroupTree(GroupNode& from, GroupNode& parent);

void cloneChildren(GroupNode& from, GroupNode& to) {
    for (std::size_t i = 0; i < from.childCount(); ++i) {
        Node* c = from.child(i);
        if (GroupNode* g = c->asGroupNode())
            cloneGroupTree(*g, to);
        else
            c->cloneUnder(to);
    }
}

GroupNode* cloneGroupTree(GroupNode& from, GroupNode& parent) {
    auto g = std::make_unique<GroupNode>(true);
    g->setName(from.nameField());
    copyRecord(g->initialTransform, from.initialTransform);
    copyRecord(g->currentTransform, from.currentTransform);
    g->setVisibleFlag(from.visible());
    g->boundsBox() = *from.bounds();
    g->isInline = from.isInline;
    g->fromInline = from.fromInline;
    g->readFromVrml1 = from.readFromVrml1;
    g->shapeSettings = from.shapeSettings;
    GroupNode* raw = static_cast<GroupNode*>(parent.addChild(std::move(g)));
    cloneChildren(from, *raw);
    return raw;
}
}  // namespace

Node* GroupNode::cloneUnder(GroupNode& p) {
    if (isAncestorOrSelfOf(&p)) {
        sceneReport("Parser problem due to recursively used references", 1, true);
        return nullptr;
    }
    if (!parent()) sceneReport("Cloning node without parent", 1, true);
    const int limit = maxLevel();
    if (p.level() + depthBelow(0, limit) >= limit) throw ErrTreeManipulation(ErrTreeManipulation::Cyclic, this);
    // A few lines of DEF and USE can describe an exponentially large tree: the copies per read are capped.
    ReadingState& state = readingState();
    const long budget = sceneSettings().maxClonedNodesPerRead - state.clonedNodes;
    const long count = countNodes(*this, budget);
    if (count > budget) {
        if (!state.cloneLimitReported)
            sceneReport(formatC("Too many nodes created by USE (more than %ld), further USE ignored",
                                sceneSettings().maxClonedNodesPerRead),
                        1, true);
        state.cloneLimitReported = true;
        return nullptr;
    }
    state.clonedNodes += count;
    return cloneGroupTree(*this, p);
}

}  // namespace kinemo
