#include "scene/def_registry.h"

#include <gtest/gtest.h>

#include "scene/group_node.h"
#include "scene/testing/tree_builder.h"

namespace kinemo {
namespace {

using testing::ReportRecorder;
using testing::TestScene;

GroupNode* defined(GroupNode& parent, const char* name) {
    GroupNode* g = parent.createChild<GroupNode>(true);
    defRegistry().setPendingName(name);
    defRegistry().registerDef(g);
    return g;
}

TEST(DefRegistry, ADefinedNodeTakesTheNameAndIsFound) {
    TestScene scene;
    GroupNode* g = defined(*scene.root, "Wheel");
    EXPECT_EQ(g->getName(), "Wheel");
    EXPECT_EQ(defRegistry().findDef("Wheel"), g);
}

TEST(DefRegistry, NothingIsRegisteredWithoutAPendingName) {
    TestScene scene;
    GroupNode* g = scene.root->createChild<GroupNode>(true);
    defRegistry().registerDef(g);
    EXPECT_EQ(defRegistry().size(), 0u);
}

TEST(DefRegistry, AnEmptyDefinitionNameIsReported) {
    ReportRecorder rec;
    defRegistry().setPendingName("");
    EXPECT_TRUE(rec.reported("Parser problem in definition"));
    EXPECT_FALSE(defRegistry().hasPendingName());
}

TEST(DefRegistry, ASecondDefinitionOfANameReplacesTheFirst) {
    TestScene scene;
    defined(*scene.root, "A");
    ReportRecorder rec;
    GroupNode* second = defined(*scene.root, "A");
    EXPECT_TRUE(rec.logged("Substituting DEF A"));
    EXPECT_EQ(defRegistry().findDef("A"), second);
    EXPECT_EQ(defRegistry().size(), 1u);
}

TEST(DefRegistry, AMissingNameIsReportedAndGivesNone) {
    TestScene scene;
    ReportRecorder rec;
    EXPECT_EQ(defRegistry().findDef("nowhere"), nullptr);
    EXPECT_TRUE(rec.reported("Missing USE : nowhere"));
    EXPECT_EQ(defRegistry().findDef(""), nullptr);
}

TEST(DefRegistryFastPath, FindsFastNamesByIndexInNewFiles) {
    TestScene scene(8.09f);
    GroupNode* r0 = defined(*scene.root, "r0");
    GroupNode* r1 = defined(*scene.root, "r1");
    EXPECT_EQ(defRegistry().findDef("r1"), r1);
    EXPECT_EQ(defRegistry().findDef("r0"), r0);
}

TEST(DefRegistryFastPath, AnIndexThatNamesAnotherEntryFallsBackToTheSearch) {
    TestScene scene(8.09f);
    GroupNode* r5 = defined(*scene.root, "r5");  // appended at position 0
    GroupNode* other = defined(*scene.root, "x");
    EXPECT_EQ(defRegistry().findDef("r5"), r5) << "position 5 is past the end: the search finds it";
    GroupNode* r1 = defined(*scene.root, "r1");  // appended at position 2, not 1
    EXPECT_EQ(defRegistry().findDef("r1"), r1) << "position 1 holds x";
    EXPECT_EQ(defRegistry().findDef("x"), other);
}

TEST(DefRegistryFastPath, DigitsThatOverflowAreNoNumber) {
    TestScene scene(8.09f);
    GroupNode* big = defined(*scene.root, "r99999999999999999999");
    GroupNode* next = defined(*scene.root, "r0");
    EXPECT_EQ(defRegistry().findDef("r99999999999999999999"), big);
    EXPECT_EQ(defRegistry().findDef("r0"), next);
}

TEST(DefRegistryFastPath, OldFilesSearchEvenFastNames) {
    TestScene scene(5.0f);
    defined(*scene.root, "x");
    GroupNode* r0 = defined(*scene.root, "r0");
    EXPECT_EQ(defRegistry().findDef("r0"), r0);
}

TEST(DefRegistry, ADeletedNodeLeavesNoEntryToUse) {
    TestScene scene;
    GroupNode* g = defined(*scene.root, "Gone");
    g->detachFromParent().reset();
    ReportRecorder rec;
    EXPECT_EQ(defRegistry().findDef("Gone"), nullptr);
    EXPECT_TRUE(rec.reported("Missing USE : Gone"));
}

TEST(DefRegistryScopes, AnInlineSeesOnlyItsOwnNames) {
    TestScene scene;
    GroupNode* outer = defined(*scene.root, "A");
    defRegistry().beginFile();
    ReportRecorder rec;
    EXPECT_EQ(defRegistry().findDef("A"), nullptr);
    GroupNode* inner = defined(*scene.root, "A");
    EXPECT_EQ(defRegistry().findDef("A"), inner);
    defRegistry().endFile();
    EXPECT_NE(outer, inner);
}

// A name defined in an Inline and in the file that includes it: after the Inline, the search
// runs over the including file's scope circularly from the last position found, so the first
// entry at or after that position wins.
TEST(DefRegistryScopes, ANameInBothTheInlineAndItsFileFollowsTheCircularSearch) {
    TestScene scene;
    GroupNode* outer = defined(*scene.root, "A");
    defRegistry().beginFile();
    GroupNode* inner = defined(*scene.root, "A");
    EXPECT_EQ(defRegistry().findDef("A"), inner);  // last found: the inline's entry
    defRegistry().endFile();
    EXPECT_EQ(defRegistry().findDef("A"), inner) << "searching on from the inline's entry";
    defined(*scene.root, "B");
    EXPECT_EQ(defRegistry().findDef("B"), defRegistry().findDef("B"));
    // From the position of B (after both A entries) the search wraps to the first A.
    EXPECT_EQ(defRegistry().findDef("A"), outer);
}

}  // namespace
}  // namespace kinemo
