#include "scene/node_table.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "scene/group_node.h"
#include "scene/testing/tree_builder.h"

namespace kinemo {
namespace {

using testing::TestScene;
using testing::TreeBuilder;

TEST(NodeTable, NodesWithIdsAreEnteredInCreationOrderFromPositionTwo) {
    TestScene scene;
    GroupNode* a = scene.root->createChild<GroupNode>(true);
    Node* leaf = a->addChild(std::make_unique<Node>(true));
    EXPECT_EQ(a->id(), 2);
    EXPECT_EQ(leaf->id(), 3);
    EXPECT_EQ(nodeTable().at(2), a);
    EXPECT_EQ(nodeTable().at(3), leaf);
    Node* noId = a->addChild(std::make_unique<Node>(false));
    EXPECT_EQ(noId->id(), -1);
    EXPECT_EQ(nodeTable().nextNodeId(), 4);
}

TEST(NodeTable, FilesBeforeVersion2085GiveEntriesToGroupsOnly) {
    TestScene scene(2.08f);
    GroupNode* a = scene.root->createChild<GroupNode>(true);
    Node* leaf = a->addChild(std::make_unique<Node>(true));
    GroupNode* b = scene.root->createChild<GroupNode>(true);
    EXPECT_EQ(a->id(), 2);
    EXPECT_EQ(leaf->id(), 3) << "keeps the counter's value";
    EXPECT_EQ(nodeTable().at(3), b) << "the next group takes the position";
    EXPECT_EQ(b->id(), 3);
}

TEST(NodeTable, AVersionOfExactly2085EntersEveryNode) {
    TestScene scene(2.085f);
    GroupNode* a = scene.root->createChild<GroupNode>(true);
    Node* leaf = a->addChild(std::make_unique<Node>(true));
    EXPECT_EQ(nodeTable().at(leaf->id()), leaf);
}

TEST(NodeTable, ADeletedNodeLeavesNoEntry) {
    TestScene scene;
    GroupNode* a = scene.root->createChild<GroupNode>(true);
    std::int32_t id = a->id();
    a->detachFromParent().reset();
    EXPECT_EQ(nodeTable().at(id), nullptr);
}

TEST(NodeTable, ANodeWhoseConstructionFailsLeavesNoEntry) {
    TestScene scene;
    struct Failing : GroupNode {
        Failing() : GroupNode(true) { throw std::runtime_error("no memory"); }
    };
    std::int32_t id = nodeTable().nextNodeId();
    EXPECT_THROW(Failing{}, std::runtime_error);
    EXPECT_EQ(nodeTable().at(id), nullptr);
}

TEST(NodeTable, ARefusedChildLeavesNoEntryOnceDropped) {
    TestScene scene;
    GroupNode* inner = scene.root->createChild<GroupNode>(true);
    auto top = std::make_unique<GroupNode>(true);
    std::int32_t id = top->id();
    GroupNode* below = top->createChild<GroupNode>(true);
    std::int32_t belowId = below->id();
    inner->addChild(std::move(top));
    // Putting inner's ancestor below inner is refused; the caller drops what it got back.
    std::unique_ptr<Node> owned = scene.root->removeChild(inner);
    GroupNode* innerRaw = owned->asGroupNode();
    EXPECT_ANY_THROW(below->addChild(std::move(owned)));
    ASSERT_TRUE(owned);
    EXPECT_EQ(innerRaw->parent(), nullptr);
    owned.reset();
    EXPECT_EQ(nodeTable().at(id), nullptr);
    EXPECT_EQ(nodeTable().at(belowId), nullptr);
}

TEST(NodeTable, LateLoadingPastTheEndPadsSoThatIdsStayPositions) {
    TestScene scene;
    ASSERT_TRUE(nodeTable().setNextNodeId(40));
    GroupNode* a = scene.root->createChild<GroupNode>(true);
    EXPECT_EQ(a->id(), 40);
    EXPECT_EQ(nodeTable().at(40), a);
    EXPECT_FALSE(nodeTable().setNextNodeId(2000000000)) << "a counter far past the table is not believed";
    EXPECT_FALSE(nodeTable().setNextNodeId(-5));
}

// Every number the writer puts in a file names the same node when the file is read again: the
// depth-first order of renumberIds is the creation order of the reader.
TEST(NodeTableRenumber, EveryWrittenIdLandsOnTheSameNodeAfterARead) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("a").leaf("a1").group("a2").leaf("a21").end().end().group("b").leaf("b1");
    // Edits scramble the creation order.
    GroupNode* a1 = testing::findGroup(*scene.root, "a1");
    GroupNode* bGroup = testing::findGroup(*scene.root, "b");
    a1->moveTo(*bGroup);
    testing::findGroup(*scene.root, "a")->insertChild(std::make_unique<GroupNode>(true), 0, true);
    nodeTable().renumberIds(*scene.root);
    EXPECT_EQ(scene.root->id(), 0);
    EXPECT_EQ(nodeTable().at(0), scene.root);
    EXPECT_EQ(nodeTable().at(1), scene.superRoot);
    // Expected order: a, (new), a2, a21, b, b1, a1.
    std::vector<std::string> expected = {"a", "noName", "a2", "a21", "b", "b1", "a1"};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        Node* n = nodeTable().at(std::int32_t(i + 2));
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->getName(), expected[i]) << i;
        EXPECT_EQ(n->id(), std::int32_t(i + 2));
    }
}

TEST(NodeTableRenumber, GroupsWithoutIdAreSkippedWithTheirSubtree) {
    TestScene scene;
    GroupNode* layer = scene.root->createChild<GroupNode>(false);
    GroupNode* inside = layer->createChild<GroupNode>(true);
    GroupNode* after = scene.root->createChild<GroupNode>(true);
    nodeTable().renumberIds(*scene.root);
    EXPECT_EQ(layer->id(), -1);
    EXPECT_EQ(after->id(), 2);
    // A node outside the written tree keeps an entry of its own, after the written ones.
    EXPECT_EQ(nodeTable().at(inside->id()), inside);
    EXPECT_GT(inside->id(), 2);
}

}  // namespace
}  // namespace kinemo
