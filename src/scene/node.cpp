#include "scene/node.h"

#include <algorithm>

#include "core/numbers.h"
#include "scene/def_registry.h"
#include "scene/err_tree_manipulation.h"
#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/scene_settings.h"
#include "scene/tree_hooks.h"

namespace kinemo {
namespace {
long gNonameCounter = 1;
}

Node::Node(bool withId, bool isGroupNode) {
    if (!withId) return;
    // Files before 2.085 numbered only their groups; other nodes take the counter without an entry.
    if (readingState().fileVersion >= 2.085f || isGroupNode)
        id_ = nodeTable().enter(this);
    else
        id_ = nodeTable().peekId();
}

Node::~Node() {
    nodeTable().forget(this);
    if (inDefRegistry) defRegistry().forget(this);
}

void Node::setName(std::string_view text) {
    if (text == "setDefault") {
        if (name_ == "noname" || name_ == "noName") name_ = formatC("noname%ld", gNonameCounter++);
        return;
    }
    if (text.empty()) {
        name_ = "noName";
        return;
    }
    std::size_t wrl = text.find(".wrl", 1);
    name_ = std::string(wrl == std::string_view::npos ? text : text.substr(0, wrl));
}

void Node::setVisibleFlag(bool v) {
    if (v == visible_) return;
    visible_ = v;
    if (parent_) parent_->visibleChildren_ += v ? 1 : -1;
}

void Node::notifyShown() {
    for (NodeObserver* o : observers_) o->nodeShown(*this);
}

void Node::notifyHidden() {
    for (NodeObserver* o : observers_) o->nodeHidden(*this);
}

void Node::notifyChanged(int argument) {
    for (NodeObserver* o : observers_) o->nodeChanged(*this, argument);
}

void Node::addObserver(NodeObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void Node::removeObserver(NodeObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Node::show() {
    setVisibleFlag(true);
    notifyShown();
    propagateVisibilityUp();
}

void Node::hide() {
    setVisibleFlag(false);
    notifyHidden();
    propagateVisibilityUp();
}

void Node::propagateVisibilityUp() {
    const GroupNode* top = sceneRoot();
    for (GroupNode* a = parent_; a; a = a->parent()) {
        // A group is visible while at least one of its children is; once a flag stays, so do those above.
        bool v = a->visibleChildren_ > 0;
        if (a->visible_ == v) break;
        a->setVisibleFlag(v);
        if (a == top) break;
    }
}

bool Node::isAncestorOrSelfOf(const Node* a) const {
    for (const Node* n = a; n; n = n->parent_)
        if (n == this) return true;
    return false;
}

void Node::moveTo(GroupNode& g) {
    if (isAncestorOrSelfOf(&g)) throw ErrTreeManipulation(ErrTreeManipulation::Cyclic, this);
    if (!parent_) throw ErrTreeManipulation(ErrTreeManipulation::MissingParent, this);
    if (parent_ == &g) return;
    const int limit = static_cast<int>(sceneSettings().maxTreeLevel);
    if (g.level() + depthBelow(0, limit) >= limit) throw ErrTreeManipulation(ErrTreeManipulation::Cyclic, this);
    TreeEditPause pause;
    GroupNode* old = parent_;
    std::unique_ptr<Node> self = old->removeChild(this);
    try {
        g.addChild(std::move(self));
    } catch (...) {
        if (self) old->addChild(std::move(self));
        throw;
    }
    if (treeHooks().nodeMoved) treeHooks().nodeMoved(*this, g);
}

std::unique_ptr<Node> Node::detachFromParent() {
    if (!parent_) return nullptr;
    TreeEditPause pause;
    GroupNode* root = sceneRoot();
    if (root && parent_ == root->parent() && this != root && asGroupNode() && id_ >= 0) {
        sceneReport("Internal inconsistency detected, please save and reload", 1, true);
        moveTo(*root);
        return nullptr;
    }
    return parent_->removeChild(this);
}

void Node::writeXmlFragment(std::string& out) const {
    out += "        <warning>Node Export Not Implemented</warning>\n";
}

void Node::setWorkpart(bool flag, bool recursive) {
    workpart_ = flag;
    if (recursive) colorWorkparts(flag);
    if (treeHooks().workpartChanged) treeHooks().workpartChanged(*this);
}

}  // namespace kinemo
