#include "scene/group_node.h"

#include <gtest/gtest.h>

#include <functional>

#include "scene/err_tree_manipulation.h"
#include "scene/name_patterns.h"
#include "scene/node_table.h"
#include "scene/scene_settings.h"
#include "scene/testing/tree_builder.h"
#include "scene/tree_hooks.h"

namespace kinemo {
namespace {

using testing::ReportRecorder;
using testing::TestScene;
using testing::TreeBuilder;

ErrTreeManipulation::Code codeOf(const std::function<void()>& edit) {
    try {
        edit();
    } catch (const ErrTreeManipulation& e) {
        return e.code();
    }
    ADD_FAILURE() << "no ErrTreeManipulation";
    return ErrTreeManipulation::NullChild;
}

std::unique_ptr<GroupNode> namedGroup(const char* name) {
    auto g = std::make_unique<GroupNode>(true);
    g->setName(name);
    return g;
}

TEST(GroupNodeEdits, RefusesAGroupAsItsOwnChildAndChangesNothing) {
    TestScene scene;
    GroupNode* a = scene.root->createChild<GroupNode>(true);
    std::unique_ptr<Node> self = scene.root->removeChild(a);
    std::unique_ptr<Node> held = std::move(self);
    GroupNode* g = held->asGroupNode();
    // A group inserted into itself: impossible to express with ownership, but an edit can try.
    EXPECT_EQ(codeOf([&] { g->insertChild(std::move(held), 0, true); }), ErrTreeManipulation::Cyclic);
    ASSERT_TRUE(held) << "the refused node stays with the caller";
    EXPECT_EQ(g->childCount(), 0u);
    EXPECT_EQ(g->parent(), nullptr);
}

TEST(GroupNodeEdits, RefusesMovingAGroupIntoItsOwnDescendant) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("a").group("b").group("c");
    GroupNode* a = testing::findGroup(*scene.root, "a");
    GroupNode* c = testing::findGroup(*scene.root, "c");
    EXPECT_EQ(codeOf([&] { a->moveTo(*c); }), ErrTreeManipulation::Cyclic);
    EXPECT_EQ(a->parent(), scene.root);
    EXPECT_EQ(c->childCount(), 0u);
}

TEST(GroupNodeEdits, RefusesANodeThatAlreadyHasAParent) {
    TestScene scene;
    GroupNode* a = scene.root->createChild<GroupNode>(true);
    GroupNode* b = scene.root->createChild<GroupNode>(true);
    // A unique_ptr that claims a node another group owns: the check must come before any link.
    std::unique_ptr<Node> alias(a);
    EXPECT_EQ(codeOf([&] { b->addChild(std::move(alias)); }), ErrTreeManipulation::MultipleParents);
    (void)alias.release();
    EXPECT_EQ(a->parent(), scene.root);
    EXPECT_EQ(b->childCount(), 0u);
}

TEST(GroupNodeEdits, RefusesAttachingAnAncestorBelowItsDescendant) {
    TestScene scene;
    auto top = namedGroup("top");
    GroupNode* inner = top->createChild<GroupNode>(true);
    EXPECT_EQ(codeOf([&] { inner->addChild(std::move(top)); }), ErrTreeManipulation::Cyclic);
    ASSERT_TRUE(top);
    EXPECT_EQ(top->parent(), nullptr);
    EXPECT_EQ(inner->childCount(), 0u);
}

TEST(GroupNodeEdits, RefusesTheFiftiethNestedLevel) {
    TestScene scene;
    GroupNode* g = scene.root;  // level 2 below the two holders
    auto chainTop = std::make_unique<GroupNode>(true);
    GroupNode* last = chainTop.get();
    for (int i = 1; i < 49; ++i) last = last->createChild<GroupNode>(true);
    EXPECT_EQ(last->level(), 48);
    EXPECT_NO_THROW(last->createChild<GroupNode>(true));
    GroupNode* deepest = static_cast<GroupNode*>(last->child(0));
    EXPECT_EQ(deepest->level(), 49);
    EXPECT_EQ(codeOf([&] { deepest->createChild<GroupNode>(true); }), ErrTreeManipulation::Cyclic);
    EXPECT_EQ(deepest->childCount(), 0u);
    // The whole chain under a parent of level 2 would go past the limit.
    EXPECT_EQ(codeOf([&] { g->addChild(std::move(chainTop)); }), ErrTreeManipulation::Cyclic);
    EXPECT_TRUE(chainTop);
}

TEST(GroupNodeEdits, RemovingANodeThatIsNoChildThrowsCodeThreeAndLogs) {
    TestScene scene;
    GroupNode* a = scene.root->createChild<GroupNode>(true);
    GroupNode other(false);
    ReportRecorder rec;
    try {
        other.removeChild(a);
        FAIL();
    } catch (const ErrTreeManipulation& e) {
        EXPECT_EQ(e.code(), ErrTreeManipulation::NotAChild);
        e.report();
    }
    EXPECT_TRUE(rec.logged("Warning: cannot remove child. " + std::to_string(a->id())));
    EXPECT_EQ(a->parent(), scene.root);
}

TEST(GroupNodeEdits, InsertWithAnIndexPastTheEndAppendsTheNode) {
    TestScene scene;
    TreeBuilder(*scene.root).leaf("a").leaf("b");
    Node* c = scene.root->insertChild(namedGroup("c"), 7, true);
    Node* d = scene.root->insertChild(namedGroup("d"), -3, true);
    ASSERT_EQ(scene.root->childCount(), 4u);
    EXPECT_EQ(scene.root->child(2), c);
    EXPECT_EQ(scene.root->child(3), d);
    Node* e = scene.root->insertChild(namedGroup("e"), 0, true);
    EXPECT_EQ(scene.root->child(0), e);
}

TEST(GroupNodeEdits, InsertOfNoNodeThrowsCodeFour) {
    TestScene scene;
    EXPECT_EQ(codeOf([&] { scene.root->insertChild(nullptr, 0, true); }), ErrTreeManipulation::NullChild);
}

TEST(GroupNodeEdits, MovingKeepsLevelsOfTheWholeSubtree) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("a").group("a1").leaf("a2").end().end().group("b").group("b1").group("b2");
    GroupNode* a1 = testing::findGroup(*scene.root, "a1");
    GroupNode* b2 = testing::findGroup(*scene.root, "b2");
    a1->moveTo(*b2);
    EXPECT_EQ(a1->parent(), b2);
    EXPECT_EQ(a1->level(), b2->level() + 1);
    EXPECT_EQ(a1->child(0)->level(), b2->level() + 2);
}

TEST(GroupNodeEdits, TheErrorMessagesAreTheProgramsTexts) {
    EXPECT_STREQ(ErrTreeManipulation(ErrTreeManipulation::Cyclic).what(),
                 "Rejected attempt to generate cyclic tree structure");
    EXPECT_STREQ(ErrTreeManipulation(ErrTreeManipulation::MultipleParents).what(),
                 "Rejected attempt to attach node to multiple parents");
    EXPECT_STREQ(ErrTreeManipulation(ErrTreeManipulation::MissingParent).what(),
                 "Rejected attempt to detach node from missing parent");
    EXPECT_STREQ(ErrTreeManipulation(ErrTreeManipulation::NullChild).what(),
                 "Rejected attempt to remove child from parent with index");
    ReportRecorder rec;
    ErrTreeManipulation(ErrTreeManipulation::Cyclic).report();
    ASSERT_EQ(rec.levels.size(), 1u);
    EXPECT_EQ(rec.levels[0], 3);
}

TEST(GroupNodeTeardown, DestroysChildrenFromTheLastToTheFirst) {
    std::vector<int> order;
    struct Probe : Node {
        Probe(std::vector<int>& o, int i) : order(o), index(i) {}
        ~Probe() override { order.push_back(index); }
        std::vector<int>& order;
        int index;
    };
    {
        GroupNode g(false);
        for (int i = 0; i < 4; ++i) g.addChild(std::make_unique<Probe>(order, i));
    }
    EXPECT_EQ(order, (std::vector<int>{3, 2, 1, 0}));
}

TEST(GroupNodeTeardown, AHundredThousandChildrenGoWithoutEntriesLeft) {
    TestScene scene;
    GroupNode* big = scene.root->createChild<GroupNode>(true);
    for (int i = 0; i < 100000; ++i) big->createChild<GroupNode>(true);
    std::int32_t first = big->child(0)->id();
    std::unique_ptr<Node> owned = big->detachFromParent();
    owned.reset();
    EXPECT_EQ(nodeTable().at(first), nullptr);
    EXPECT_EQ(scene.root->childCount(), 0u);
}

TEST(GroupNodeTeardown, TeardownUnderTheRootsHolderReportsNoInconsistency) {
    ReportRecorder rec;
    {
        TestScene scene;
        scene.superRoot->createChild<GroupNode>(true);
    }
    EXPECT_TRUE(rec.reports.empty());
}

TEST(GroupNodeInconsistency, AGroupTakenFromTheRootsHolderIsPutUnderTheRoot) {
    TestScene scene;
    GroupNode* stray = scene.superRoot->createChild<GroupNode>(true);
    ReportRecorder rec;
    EXPECT_EQ(stray->detachFromParent(), nullptr);
    EXPECT_TRUE(rec.reported("Internal inconsistency detected, please save and reload"));
    EXPECT_EQ(stray->parent(), scene.root);
}

TEST(GroupNodeInconsistency, AViewpointKeptUnderTheRootsHolderDetachesQuietly) {
    TestScene scene;
    // Viewpoints are transform nodes, not groups.
    TransformNode* view = scene.superRoot->createChild<TransformNode>(true);
    ReportRecorder rec;
    std::unique_ptr<Node> owned = view->detachFromParent();
    EXPECT_EQ(owned.get(), view);
    EXPECT_TRUE(rec.reports.empty());
}

TEST(GroupNodeVisibility, HidingTheLastVisibleChildHidesTheAncestors) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("a").leaf("a1").leaf("a2");
    GroupNode* a = testing::findGroup(*scene.root, "a");
    a->child(0)->hide();
    EXPECT_TRUE(a->visible());
    a->child(1)->hide();
    EXPECT_FALSE(a->visible());
    EXPECT_FALSE(scene.root->visible());
    EXPECT_TRUE(scene.superRoot->visible()) << "the walk stops at the scene root";
    a->child(1)->show();
    EXPECT_TRUE(a->visible());
    EXPECT_TRUE(scene.root->visible());
}

TEST(GroupNodeVisibility, HidingAGroupHidesItsSubtreeAndShowingShowsIt) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("a").group("b").leaf("c");
    GroupNode* a = testing::findGroup(*scene.root, "a");
    a->hide();
    std::vector<Node*> hidden;
    scene.root->collectByVisibility(false, hidden);
    EXPECT_EQ(hidden.size(), 4u);  // a, b, c and the root, which has no visible child left
    a->show();
    hidden.clear();
    scene.root->collectByVisibility(false, hidden);
    EXPECT_TRUE(hidden.empty());
}

TEST(NodeNames, SetDefaultNumbersTwoNonameGroupsConsecutively) {
    GroupNode a(false), b(false);
    a.setName("noname");
    b.setName("noname");
    a.setName("setDefault");
    b.setName("setDefault");
    ASSERT_TRUE(a.getName().starts_with("noname"));
    long na = std::stol(a.getName().substr(6));
    long nb = std::stol(b.getName().substr(6));
    EXPECT_EQ(nb, na + 1);
    GroupNode named(false);
    named.setName("bolt");
    named.setName("setDefault");
    EXPECT_EQ(named.getName(), "bolt");
}

TEST(NodeNames, WrlIsCutAfterTheFirstCharacterOnly) {
    GroupNode g(false);
    g.setName("housing.wrl");
    EXPECT_EQ(g.getName(), "housing");
    g.setName(".wrl");
    EXPECT_EQ(g.getName(), ".wrl");
    g.setName("");
    EXPECT_EQ(g.getName(), "noName");
}

TEST(NamePatterns, ContainsAndSuffixPatternsMatchAnywhereAndAtTheEnd) {
    NamePattern contains = parseNamePattern("*bolt*");
    EXPECT_EQ(contains.type, GroupNode::Contains);
    EXPECT_TRUE(matchesName("M8_bolt_12", contains.pattern, contains.type));
    NamePattern suffix = parseNamePattern("*_asm");
    EXPECT_EQ(suffix.type, GroupNode::Suffix);
    EXPECT_TRUE(matchesName("x_asm_top_asm", suffix.pattern, suffix.type));
    EXPECT_FALSE(matchesName("x_asm_top", suffix.pattern, suffix.type));
    NamePattern prefix = parseNamePattern("noname*");
    EXPECT_TRUE(matchesName("noname12", prefix.pattern, prefix.type));
    EXPECT_FALSE(matchesName("a_noname", prefix.pattern, prefix.type));
    EXPECT_TRUE(matchesEliminatableName("noName3"));
    EXPECT_FALSE(matchesEliminatableName("housing"));
}

TEST(GroupNodeLabels, StatisticsCountSubgroupsOfTheWholeSubtree) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("asm").group("sub").leaf("p").end().leaf("q");
    GroupNode* asmGroup = testing::findGroup(*scene.root, "asm");
    long saved = sceneSettings().groupNodeStatisticLevel;
    sceneSettings().groupNodeStatisticLevel = 2;
    EXPECT_EQ(asmGroup->treeLabel(), "asm (A:3,P:0,I:0)");
    sceneSettings().groupNodeStatisticLevel = 0;
    EXPECT_EQ(asmGroup->treeLabel(), "asm");
    sceneSettings().groupNodeStatisticLevel = 3;
    EXPECT_EQ(asmGroup->treeLabel(), "asm (A:3,P:0,T:0,I:0)");
    sceneSettings().groupNodeStatisticLevel = saved;
    treeHooks().hasUnsavedChanges = [] { return true; };
    EXPECT_TRUE(scene.root->treeLabel().starts_with("root *"));
    treeHooks().hasUnsavedChanges = nullptr;
}

TEST(GroupNodeXml, PartReferenceCarriesTheEscapedName) {
    GroupNode g(false);
    g.setName("A&B<1>");
    std::string out;
    g.writeXmlFragment(out);
    EXPECT_EQ(out, "      <partRef>A&amp;B&lt;1&gt;</partRef>\n");
    Node n;
    out.clear();
    n.writeXmlFragment(out);
    EXPECT_EQ(out, "        <warning>Node Export Not Implemented</warning>\n");
}

TEST(GroupNodeClone, CopiesNameTransformAndChildrenWithNewIds) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("wheel").translate(1, 2, 3).leaf("rim").leaf("tyre").end().group("car");
    GroupNode* wheel = testing::findGroup(*scene.root, "wheel");
    GroupNode* car = testing::findGroup(*scene.root, "car");
    Node* copy = wheel->cloneUnder(*car);
    ASSERT_NE(copy, nullptr);
    GroupNode* g = copy->asGroupNode();
    EXPECT_EQ(g->getName(), "wheel");
    EXPECT_EQ(g->parent(), car);
    EXPECT_FLOAT_EQ(g->initialTransform.translation()[1], 2.0f);
    ASSERT_EQ(g->childCount(), 2u);
    EXPECT_EQ(g->child(1)->getName(), "tyre");
    EXPECT_NE(g->id(), wheel->id());
    EXPECT_EQ(nodeTable().at(g->id()), g);
}

TEST(GroupNodeClone, RefusesCloningAGroupIntoItselfOrBelowItself) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("a").group("b");
    GroupNode* a = testing::findGroup(*scene.root, "a");
    GroupNode* bGroup = testing::findGroup(*scene.root, "b");
    ReportRecorder rec;
    EXPECT_EQ(a->cloneUnder(*a), nullptr);
    EXPECT_EQ(a->cloneUnder(*bGroup), nullptr);
    EXPECT_TRUE(rec.reported("Parser problem due to recursively used references"));
    EXPECT_EQ(bGroup->childCount(), 0u);
    // A parentless group cloned into itself is refused as well.
    GroupNode loose(true);
    EXPECT_EQ(loose.cloneUnder(loose), nullptr);
    EXPECT_EQ(loose.childCount(), 0u);
}

TEST(GroupNodeClone, ASiblingAndADeeperCousinMayBeCloned) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("a").leaf("a1").end().group("b").group("c");
    GroupNode* a = testing::findGroup(*scene.root, "a");
    GroupNode* c = testing::findGroup(*scene.root, "c");
    EXPECT_NE(a->cloneUnder(*c), nullptr);
    EXPECT_EQ(c->childCount(), 1u);
}

TEST(GroupNodeClone, ParentlessGroupIsReportedButCloned) {
    TestScene scene;
    GroupNode loose(true);
    loose.setName("loose");
    ReportRecorder rec;
    EXPECT_NE(loose.cloneUnder(*scene.root), nullptr);
    EXPECT_TRUE(rec.reported("Cloning node without parent"));
}

TEST(GroupNodeBounds, EmptyChildBoxesLeaveTheParentsBoxEmpty) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("a").translate(5, 0, 0).leaf("empty");
    scene.root->updateBounds();
    EXPECT_TRUE(scene.root->bounds()->isEmpty());
    BoundingBox world;
    scene.root->extendBounds(world);
    EXPECT_TRUE(world.isEmpty());
}

TEST(GroupNodeBounds, AChildBoxIsMovedIntoTheParentsFrame) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("a").translate(5, 0, 0).group("b").scale(2, 2, 2);
    GroupNode* bGroup = testing::findGroup(*scene.root, "b");
    struct Part : Node {
        void extendLocalBounds(BoundingBox& box) const override {
            box.extend(-1, -1, -1);
            box.extend(1, 1, 1);
        }
    };
    bGroup->addChild(std::make_unique<Part>());
    GroupNode* a = testing::findGroup(*scene.root, "a");
    a->updateBounds();
    EXPECT_FLOAT_EQ(a->bounds()->min[0], -2.0f);
    EXPECT_FLOAT_EQ(a->bounds()->max[0], 2.0f);
    BoundingBox world;
    a->extendBounds(world);
    EXPECT_FLOAT_EQ(world.min[0], 3.0f);
    EXPECT_FLOAT_EQ(world.max[0], 7.0f);
}

}  // namespace
}  // namespace kinemo
